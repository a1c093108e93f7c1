#include "formats/file_gate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lumibench {

std::string RefusalBeforeReading(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    if (!S_ISREG(info.st_mode)) return std::string(kNotARegularFile);
    if (static_cast<std::uint64_t>(info.st_size) > kMaxPhotometricFileBytes) {
        return std::string(kFileTooLarge);
    }
    return {};
}

int OpenRegularFileForReading(const std::string& path, std::error_code& error) {
    // Non-blocking open, so a pipe with no writer cannot hang the reader;
    // the file kind is then decided on what was opened, not on its name.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error.assign(errno, std::generic_category());
    } else if (S_ISDIR(info.st_mode)) {
        error = std::make_error_code(std::errc::is_a_directory);
    } else if (!S_ISREG(info.st_mode)) {
        error = std::make_error_code(std::errc::invalid_seek);
    } else if (static_cast<std::uint64_t>(info.st_size) > kMaxPhotometricFileBytes) {
        error = std::make_error_code(std::errc::file_too_large);
    } else {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace lumibench
