#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace lumibench {
namespace {

// File names stay well below the 255-byte limit of most file systems.
constexpr std::size_t kMaxEncodedName = 180;

// Lower-cased letters and digits stay; every other byte becomes %XX, so any
// section name (blanks, '/', "..") gives one safe file name, and names that
// differ only in case share their lock as they share their section.
std::string EncodedName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-') {
            encoded += static_cast<char>(c);
        } else if (c >= 'A' && c <= 'Z') {
            encoded += static_cast<char>(c - 'A' + 'a');
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    if (encoded.size() > kMaxEncodedName) {
        // A long name keeps its start and a stable hash of the whole.
        std::uint64_t hash = 14695981039346656037ull;
        for (const unsigned char c : encoded) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        encoded.resize(kMaxEncodedName - 17);
        encoded += '~';
        for (int shift = 60; shift >= 0; shift -= 4) {
            encoded += kHex[(hash >> shift) & 0xF];
        }
    }
    return encoded + ".lock";
}

}  // namespace

InstanceLock::InstanceLock(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder_, ignored)) {
        std::filesystem::create_directories(folder_, ignored);
        ::chmod(folder_.c_str(), 0700);
    }
}

InstanceLock::~InstanceLock() {
    for (const auto& [name, fd] : held_) {
        ::close(fd);  // closing the only descriptor drops the flock
    }
}

std::filesystem::path InstanceLock::FolderFor(const std::filesystem::path& settingsFile) {
    return std::filesystem::path(settingsFile.string() + ".locks");
}

std::filesystem::path InstanceLock::FileFor(const std::filesystem::path& folder,
                                            std::string_view name) {
    return folder / EncodedName(name);
}

bool InstanceLock::tryAcquire(std::string_view name) {
    const std::string fileName = EncodedName(name);
    if (held_.count(fileName) != 0) {
        return true;
    }
    // The file is never deleted: removing it while another process waits on
    // it would let two processes lock two different files of one name.
    const int fd = ::open((folder_ / fileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    held_.emplace(fileName, fd);
    return true;
}

bool InstanceLock::holds(std::string_view name) const {
    return held_.count(EncodedName(name)) != 0;
}

void InstanceLock::release(std::string_view name) {
    const auto found = held_.find(EncodedName(name));
    if (found != held_.end()) {
        ::close(found->second);
        held_.erase(found);
    }
}

}  // namespace lumibench
