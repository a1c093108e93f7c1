#include "formats/atomic_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "core/atomic_file.h"

namespace lumibench {
namespace {

std::string Describe(int error) { return std::generic_category().message(error); }

}  // namespace

std::string SaveFileSafely(const std::string& path, std::string_view bytes, bool overwrite) {
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    if (exists && !overwrite) return Describe(EEXIST);
    if (exists && S_ISDIR(existing.st_mode)) return Describe(EISDIR);
    std::error_code error;
    if (!exists) return WriteNewFileAtomically(path, bytes, error) ? std::string() : error.message();
    const unsigned mode = S_ISREG(existing.st_mode) ? PermissionBitsOf(path) : kDefaultFileMode;
    if (!WriteFileAtomically(path, bytes, error, mode)) return error.message();
    return {};
}

}  // namespace lumibench
