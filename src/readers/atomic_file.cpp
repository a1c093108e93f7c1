#include "readers/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace lumibench {
namespace {

std::string Describe(int error) { return std::strerror(error); }

std::string TemporarySibling(const std::filesystem::path& target) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    const std::string name = "." + target.filename().string() + "." + std::to_string(generator() % 1000000000u) + ".tmp";
    return (target.parent_path() / name).string();
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view bytes, bool overwrite) {
    const std::filesystem::path target = std::filesystem::absolute(path);
    struct stat existing {};
    const bool exists = ::lstat(target.c_str(), &existing) == 0;
    if (exists && !overwrite) return Describe(EEXIST);
    if (exists && S_ISDIR(existing.st_mode)) return Describe(EISDIR);
    const mode_t mode = exists && S_ISREG(existing.st_mode) ? (existing.st_mode & 07777) : 0666;

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = TemporarySibling(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return Describe(errno);
    }
    if (fd < 0) return Describe(EEXIST);

    auto fail = [&](int error) {
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.c_str());
        return Describe(error);
    };
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    // A new file gets the usual mode under the umask; a replaced one keeps its own.
    mode_t applied = mode;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        applied = mode & ~mask;
    }
    if (::fchmod(fd, applied) != 0) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    const int closing = ::close(fd);
    fd = -1;
    if (closing != 0) return fail(errno);

    if (overwrite) {
        if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
    } else {
        // link() refuses an existing name atomically, unlike rename().
        if (::link(temporary.c_str(), target.c_str()) != 0) {
            const int error = errno;
            // Folders without hard links (some removable media): check, then rename.
            if (error != EPERM && error != EOPNOTSUPP) return fail(error);
            struct stat now {};
            if (::lstat(target.c_str(), &now) == 0) return fail(EEXIST);
            if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
            return {};
        }
        ::unlink(temporary.c_str());
    }
    return {};
}

}  // namespace lumibench
