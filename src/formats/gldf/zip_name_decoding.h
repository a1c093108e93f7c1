#pragma once
// Member names of a zip archive as text. Names flagged UTF-8 (or valid UTF-8
// anyway) are taken as they are; older tools wrote the DOS code page of the
// machine instead, which for the European makers behind most containers is
// code page 850, so that is how other names are read.

#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

// The name as UTF-8 (code page 850 when the bytes are not valid UTF-8).
std::string DecodeZipName(std::string_view raw);

// Every reading of a non-UTF-8 name worth matching a product's file name
// against: code page 850, code page 437 (the zip format's own) and
// Windows-1252. Empty for names that are valid UTF-8.
std::vector<std::string> OtherCodePageReadings(std::string_view raw);

// A name that, used as a path, would leave the folder it is unpacked into:
// absolute, with a drive letter, or with a ".." part. Such names are never
// used; nothing here unpacks anything, but the product's references are
// refused all the same so that no caller ever sees one.
bool IsUnsafeMemberName(std::string_view name);

}  // namespace lumibench
