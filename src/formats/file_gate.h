#pragma once
// What a reader refuses before it reads a byte: anything that is not a
// regular file (a pipe would block forever, a device never ends) and files
// larger than any photometric file.

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace lumibench {

// The largest real files are a few megabytes; this leaves room for any table
// the formats' 16-bit counts allow while refusing runaway inputs.
inline constexpr std::uint64_t kMaxPhotometricFileBytes = 256ULL * 1024 * 1024;

inline constexpr std::string_view kNotARegularFile =
    "Not a regular file (a folder, device or pipe); only regular files can be read.";
inline constexpr std::string_view kFileTooLarge =
    "File is larger than 256 MB, more than any photometric file holds; it was not read.";

// Empty when the file may be read; otherwise the message that refuses it. A
// file that cannot be examined at all is not refused here: the readers'
// own checks report it as they always have.
std::string RefusalBeforeReading(const std::string& path);

// Opens a regular file of at most kMaxPhotometricFileBytes for reading,
// without ever blocking on a pipe. -1 with `error` set otherwise.
int OpenRegularFileForReading(const std::string& path, std::error_code& error);

}  // namespace lumibench
