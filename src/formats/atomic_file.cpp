#include "formats/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/atomic_file.h"

namespace lumibench {
namespace {

std::string Describe(int error) { return std::generic_category().message(error); }

bool WriteAll(int fd, std::string_view bytes, int& error) {
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// A new name only: the bytes go to a new file beside it, which is then
// hard-linked to the name; link() refuses a name that exists by then.
std::string SaveNew(const std::string& path, std::string_view bytes) {
    std::error_code created;
    const std::string temporary = CreateFileBeside(path, kDefaultFileMode, created);
    if (temporary.empty()) return created.message();
    int error = 0;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    bool ok = fd >= 0;
    if (!ok) error = errno;
    if (ok) ok = WriteAll(fd, bytes, error);
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && ::link(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        // Folders without hard links (some removable media): check, then rename.
        struct stat now {};
        if ((error == EPERM || error == EOPNOTSUPP) && ::lstat(path.c_str(), &now) != 0) {
            std::error_code renamed;
            if (ReplaceFile(temporary, path, renamed)) return {};
            error = renamed.value();
        }
        ok = false;
    }
    ::unlink(temporary.c_str());
    return ok ? std::string() : Describe(error);
}

}  // namespace

std::string SaveFileSafely(const std::string& path, std::string_view bytes, bool overwrite) {
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    if (exists && !overwrite) return Describe(EEXIST);
    if (exists && S_ISDIR(existing.st_mode)) return Describe(EISDIR);
    if (!exists) return SaveNew(path, bytes);
    const unsigned mode = S_ISREG(existing.st_mode) ? PermissionBitsOf(path) : kDefaultFileMode;
    std::error_code error;
    if (!WriteFileAtomically(path, bytes, error, mode)) return error.message();
    return {};
}

}  // namespace lumibench
