#pragma once
// Saving a whole photometric file through the safe writing of core/atomic_file.h,
// with the choice the Save tool and lumibench-convert need: replace an
// existing file, or refuse any existing name (a dangling link included), also
// one that appears while the file is being written.

#include <string>
#include <string_view>

namespace lumibench {

// Empty on success, else why not ("File exists", "Permission denied",
// "No space left on device", ...). An earlier file is left as it was on any
// failure; a replaced file keeps its permission bits.
std::string SaveFileSafely(const std::string& path, std::string_view bytes, bool overwrite);

}  // namespace lumibench
