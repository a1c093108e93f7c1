#include "formats/text/text_decoding.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "formats/file_gate.h"

namespace lumibench {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The size of an open file; false when it did not open (`error` already says
// why) or fstat fails.
bool OpenFileSize(const FileDescriptor& file, std::size_t& size, std::error_code& error) {
    if (file.get() < 0) return false;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    size = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    return true;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Code points of 0x80..0x9F in Windows-1252; the rest of the upper half is Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// True when none of the 64 bytes at `p` has its high bit set.
bool AllAscii64(const char* p) {
    std::uint64_t words[8];
    std::memcpy(words, p, sizeof words);
    return ((words[0] | words[1] | words[2] | words[3] | words[4] | words[5] | words[6] | words[7]) &
            0x8080808080808080ULL) == 0;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& bytes, std::error_code& error) {
    bytes.clear();
    error.clear();
    FileDescriptor file(OpenRegularFileForReading(path, error));
    std::size_t size = 0;
    if (!OpenFileSize(file, size, error)) return false;
    // Size from fstat, then keep reading until the end in case the file grew
    // or is not a regular file.
    std::size_t capacity = size > 0 ? size + 1 : 4096;
    bytes.resize(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            error.assign(errno, std::generic_category());
            bytes.clear();
            return false;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
        // A file that grows while it is read stops at the same limit.
        if (used > kMaxPhotometricFileBytes) {
            error = std::make_error_code(std::errc::file_too_large);
            bytes.clear();
            return false;
        }
    }
    bytes.resize(used);
    return true;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        if (i + 64 <= n && AllAscii64(bytes.data() + i)) {
            i += 64;
            continue;
        }
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        std::uint32_t min;
        std::uint32_t code;
        if ((c & 0xE0) == 0xC0) {
            length = 2, min = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, min = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            text.push_back(ch);
            continue;
        }
        const char16_t code = c < 0xA0 ? kWindows1252High[c - 0x80] : char16_t{c};
        if (code < 0x800) {
            text.push_back(static_cast<char>(0xC0 | (code >> 6)));
            text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            text.push_back(static_cast<char>(0xE0 | (code >> 12)));
            text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return text;
}

FileBytes::~FileBytes() { release(); }

void FileBytes::release() {
    if (mapped_ != nullptr) ::munmap(const_cast<char*>(mapped_), size_);
    mapped_ = nullptr;
    size_ = 0;
}

void FileBytes::assign(std::string bytes) {
    release();
    owned_ = std::move(bytes);
}

bool FileBytes::load(const std::string& path, std::error_code& error) {
    release();
    owned_.clear();
    error.clear();
    FileDescriptor file(OpenRegularFileForReading(path, error));
    std::size_t size = 0;
    if (!OpenFileSize(file, size, error)) return false;
    if (size > 0) {
        // Populated at once: the pages come from the page cache in one call
        // instead of one fault each.
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.get(), 0);
        if (map != MAP_FAILED) {
            mapped_ = static_cast<const char*>(map);
            size_ = size;
            return true;
        }
    }
    return ReadFileBytes(path, owned_, error);
}

std::string_view DecodedView(std::string_view bytes, std::string& storage) {
    if (IsValidUtf8(bytes)) {
        if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
        return bytes;
    }
    storage = Windows1252ToUtf8(bytes);
    return storage;
}

std::string DecodeFileText(std::string bytes) {
    if (IsValidUtf8(bytes)) {
        if (std::string_view(bytes).starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
        return bytes;
    }
    return Windows1252ToUtf8(bytes);
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

}  // namespace lumibench
