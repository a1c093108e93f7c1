#pragma once
// Photometric files as text: raw bytes from disk, and their decoding to UTF-8.
//
// Files come from many tools and code pages. Valid UTF-8 is taken as it is
// (a leading byte-order mark dropped); anything else is read as Windows-1252,
// the code page most such files were written in. CR (13) and LF (10) never
// occur inside a multi-byte character in either, so line ends can be found in
// the bytes or in the decoded text alike.

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace lumibench {

// Reads the whole file into `bytes` (one read for a regular file). On failure
// `bytes` is empty, `error` says why and the result is false.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::error_code& error);

bool IsValidUtf8(std::string_view bytes);

// The file's text as UTF-8: valid UTF-8 is moved through (without a leading
// byte-order mark), anything else is converted from Windows-1252.
std::string DecodeFileText(std::string bytes);

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// map to the control characters of the same number, as Windows does.
std::string Windows1252ToUtf8(std::string_view bytes);

// Characters (code points) of UTF-8 text; limits on keyword values count these.
std::size_t CharacterCount(std::string_view text);

// The first `count` characters of UTF-8 text (all of it when shorter); never
// splits a character.
std::string_view FirstCharacters(std::string_view text, std::size_t count);

}  // namespace lumibench
