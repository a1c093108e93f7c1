#pragma once
// File tests as the system asks them.

#include <string_view>

namespace lumibench {

// True when the path, trimmed of blanks, is not empty, its base name (the
// file name up to its first dot) is not empty, and the file system reports
// the path; a folder counts as existing. Any error gives false.
bool FileExists(std::string_view path);

}  // namespace lumibench
