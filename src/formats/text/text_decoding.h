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

// A file's bytes, mapped read-only for the time they are needed (no copy, no
// fresh pages to fault in), or held in a string once something rewrites them.
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // False with `error` set when the file cannot be read (as ReadFileBytes).
    bool load(const std::string& path, std::error_code& error);
    std::string_view view() const { return mapped_ ? std::string_view(mapped_, size_) : std::string_view(owned_); }
    // Replaces the bytes by `bytes` (a repaired copy's), releasing the mapping.
    void assign(std::string bytes);

private:
    void release();
    const char* mapped_ = nullptr;
    std::size_t size_ = 0;
    std::string owned_;
};

// The file's text as DecodeFileText gives it, without a copy where the bytes
// are that text already (valid UTF-8 without a byte-order mark); `storage`
// holds the text when it had to be converted.
std::string_view DecodedView(std::string_view bytes, std::string& storage);

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
