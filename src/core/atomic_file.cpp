#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace lumibench {

namespace {

constexpr unsigned kPermissionBits = 0777;
// Exclusive creation retries with a fresh name when another file took it.
constexpr int kNameAttempts = 64;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomSuffix() {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937_64 generator{std::random_device{}() ^
                                           (static_cast<std::uint64_t>(::getpid()) << 32)};
    std::string out(12, '0');
    for (char& c : out) c = kDigits[generator() % 36];
    return out;
}

// Creates "<folder>.<name>.<random>.tmp" exclusively; -1 with `error` set on failure.
int OpenNewFileBeside(const std::string& besidePath, unsigned mode, std::string& newPath,
                      std::error_code& error) {
    const std::string folder = FolderOf(besidePath);
    const std::string name = NameOf(besidePath);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        newPath = folder + "." + name + "." + RandomSuffix() + ".tmp";
        const int fd = ::open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              mode & kPermissionBits);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error.assign(errno, std::generic_category());
    newPath.clear();
    return -1;
}

bool WriteAll(int fd, std::string_view bytes, std::error_code& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            error.assign(errno, std::generic_category());
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::error_code& error,
                         unsigned mode) {
    error.clear();
    std::string newPath;
    const int fd = OpenNewFileBeside(path, mode, newPath, error);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes, error);
    // The data must be on disk before the name points at it, or a crash
    // could leave an empty file where the old one was.
    if (ok && ::fsync(fd) != 0) {
        error.assign(errno, std::generic_category());
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error.assign(errno, std::generic_category());
        ok = false;
    }
    if (ok) ok = ReplaceFile(newPath, path, error);
    if (!ok) ::unlink(newPath.c_str());
    return ok;
}

unsigned PermissionBitsOf(const std::string& path, unsigned fallback) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return fallback;
    return static_cast<unsigned>(info.st_mode) & kPermissionBits;
}

std::string CreateFileBeside(const std::string& besidePath, unsigned mode, std::error_code& error) {
    error.clear();
    std::string newPath;
    const int fd = OpenNewFileBeside(besidePath, mode, newPath, error);
    if (fd < 0) return {};
    ::close(fd);
    return newPath;
}

bool ReplaceFile(const std::string& from, const std::string& to, std::error_code& error) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    error.assign(errno, std::generic_category());
    return false;
}

}  // namespace lumibench
