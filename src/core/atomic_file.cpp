#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <random>

namespace lumibench {

namespace {

constexpr unsigned kPermissionBits = 0777;
// Exclusive creation retries with a fresh name when another file took it.
constexpr int kNameAttempts = 64;
// "." before the name, "." and the random part, ".tmp" after it.
constexpr std::size_t kRandomLength = 12;
constexpr std::size_t kTemporaryExtra = 1 + 1 + kRandomLength + 4;
// A named temporary this old is left over from a writer that was killed.
constexpr std::time_t kStaleSeconds = 60;

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
    std::string out(kRandomLength, '0');
    for (char& c : out) c = kDigits[generator() % 36];
    return out;
}

// A write past a file-size limit (ulimit -f) must fail with EFBIG and be
// reported, not end the program silently by SIGXFSZ.
void IgnoreFileSizeSignal() {
    static const bool ignored = [] { return ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR; }();
    (void)ignored;
}

// ".<name>.<random>.tmp", the name shortened so that the whole stays within
// NAME_MAX whatever the target's length.
std::string TemporaryNameBeside(const std::string& besidePath) {
    std::string name = NameOf(besidePath);
    if (name.size() + kTemporaryExtra > NAME_MAX) name.resize(NAME_MAX - kTemporaryExtra);
    return FolderOf(besidePath) + "." + name + "." + RandomSuffix() + ".tmp";
}

bool IsTemporaryName(const std::string& name) {
    if (name.size() < kTemporaryExtra || name.front() != '.' || !name.ends_with(".tmp")) return false;
    const std::size_t dot = name.size() - 4 - kRandomLength - 1;
    if (name[dot] != '.') return false;
    for (std::size_t i = dot + 1; i < name.size() - 4; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

// Where the folder cannot hold unnamed files, a writer killed mid-way leaves
// its named temporary; the next writer into the folder removes those of this
// user older than a minute.
void RemoveStaleTemporaries(const std::string& besidePath) {
    const std::string folder = FolderOf(besidePath);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryName(name)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && now - info.st_mtime > kStaleSeconds) {
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

// Creates a temporary name beside `besidePath` exclusively; -1 with `error` set on failure.
int OpenNewFileBeside(const std::string& besidePath, unsigned mode, std::string& newPath,
                      std::error_code& error) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        newPath = TemporaryNameBeside(besidePath);
        const int fd = ::open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              mode & kPermissionBits);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error.assign(errno, std::generic_category());
    newPath.clear();
    return -1;
}

// A file without a name in the folder of `besidePath` (O_TMPFILE): nothing
// can be seen, or left behind by a kill, until it is linked. -1 where the
// file system cannot make one.
int OpenUnnamedBeside(const std::string& besidePath, unsigned mode) {
#ifdef O_TMPFILE
    const std::string folder = FolderOf(besidePath);
    return ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode & kPermissionBits);
#else
    (void)besidePath;
    (void)mode;
    return -1;
#endif
}

// Gives the unnamed file `fd` the name `path`; link(2) refuses a name that exists.
bool LinkUnnamed(int fd, const std::string& path, std::error_code& error) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    error.assign(errno, std::generic_category());
    return false;
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

// Writes and flushes: the data must be on disk before a name points at it,
// or a crash could leave an empty file where the old one was.
bool WriteAndSync(int fd, std::string_view bytes, std::error_code& error) {
    if (!WriteAll(fd, bytes, error)) return false;
    if (::fsync(fd) == 0) return true;
    error.assign(errno, std::generic_category());
    return false;
}

bool CloseChecked(int fd, bool ok, std::error_code& error) {
    if (::close(fd) != 0 && ok) {
        error.assign(errno, std::generic_category());
        return false;
    }
    return ok;
}

// The bytes in a complete file under a fresh temporary name beside `path`;
// the name, or empty with `error` set.
std::string WriteTemporaryBeside(const std::string& path, std::string_view bytes, unsigned mode,
                                 std::error_code& error) {
    if (const int fd = OpenUnnamedBeside(path, mode); fd >= 0) {
        bool ok = WriteAndSync(fd, bytes, error);
        std::string name;
        for (int attempt = 0; ok && attempt < kNameAttempts; ++attempt) {
            name = TemporaryNameBeside(path);
            if (LinkUnnamed(fd, name, error)) break;
            name.clear();
            if (error != std::errc::file_exists) ok = false;
        }
        ok = CloseChecked(fd, ok && !name.empty(), error);
        if (!ok && !name.empty()) ::unlink(name.c_str());
        // /proc not mounted: the named way below still works.
        if (ok || error != std::errc::no_such_file_or_directory) return ok ? name : std::string();
        error.clear();
    }
    RemoveStaleTemporaries(path);
    std::string name;
    const int fd = OpenNewFileBeside(path, mode, name, error);
    if (fd < 0) return {};
    const bool ok = CloseChecked(fd, WriteAndSync(fd, bytes, error), error);
    if (!ok) ::unlink(name.c_str());
    return ok ? name : std::string();
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::error_code& error,
                         unsigned mode) {
    error.clear();
    IgnoreFileSizeSignal();
    const std::string newPath = WriteTemporaryBeside(path, bytes, mode, error);
    if (newPath.empty()) return false;
    if (ReplaceFile(newPath, path, error)) return true;
    ::unlink(newPath.c_str());
    return false;
}

bool WriteNewFileAtomically(const std::string& path, std::string_view bytes, std::error_code& error,
                            unsigned mode) {
    error.clear();
    IgnoreFileSizeSignal();
    if (const int fd = OpenUnnamedBeside(path, mode); fd >= 0) {
        bool ok = WriteAndSync(fd, bytes, error) && LinkUnnamed(fd, path, error);
        ok = CloseChecked(fd, ok, error);
        if (ok || error != std::errc::no_such_file_or_directory) return ok;
        error.clear();
    }
    const std::string newPath = WriteTemporaryBeside(path, bytes, mode, error);
    if (newPath.empty()) return false;
    bool ok = ::link(newPath.c_str(), path.c_str()) == 0;
    if (!ok) {
        error.assign(errno, std::generic_category());
        // Folders without hard links (some removable media): check, then rename.
        struct stat now {};
        if ((error == std::errc::operation_not_permitted || error == std::errc::operation_not_supported) &&
            ::lstat(path.c_str(), &now) != 0) {
            if (ReplaceFile(newPath, path, error)) return true;
        }
    }
    ::unlink(newPath.c_str());
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
