#pragma once
// Writing a whole file safely: the bytes go to a new file in the same folder,
// which is then renamed into place, so a failure leaves any earlier file as it
// was and a link planted at the path is replaced, never written through.

#include <string>
#include <string_view>

namespace lumibench {

// Empty on success, else why not ("File exists", "Permission denied",
// "No space left on device", ...). Without `overwrite` an existing name,
// a dangling link included, is refused, and a file that appears meanwhile is
// never replaced. An existing file's permission bits are kept.
std::string WriteFileAtomically(const std::string& path, std::string_view bytes, bool overwrite);

}  // namespace lumibench
