#include "readers/line_delimiters.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/path_text.h"
#include "readers/text_decoding.h"

namespace lumibench {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Writes the whole buffer to a new or truncated file; a partial file is removed.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::error_code& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            error.assign(errno, std::generic_category());
            ::close(fd);
            ::unlink(path.c_str());
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (::close(fd) != 0) {
        error.assign(errno, std::generic_category());
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

// First CR or LF from `from` on; find_first_of would call memchr per character.
std::size_t FindLineEndByte(std::string_view bytes, std::size_t from) {
    for (std::size_t i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == kCr || c == kLf) return i;
    }
    return std::string_view::npos;
}

// The first line end decides, so a sound file is read only up to it. With a
// bad first line end the whole file is read for the copy; `sound` is false then.
bool ReadUntilFirstLineEnd(const std::string& path, std::string& bytes, bool& sound,
                           std::error_code& error) {
    constexpr std::size_t kChunk = 64 * 1024;
    bytes.clear();
    sound = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    bool decided = false;
    std::size_t scanFrom = 0;
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + kChunk);
        const ssize_t got = ::read(fd, bytes.data() + used, kChunk);
        if (got < 0) {
            if (errno == EINTR) {
                bytes.resize(used);
                continue;
            }
            error.assign(errno, std::generic_category());
            ::close(fd);
            bytes.clear();
            return false;
        }
        bytes.resize(used + static_cast<std::size_t>(got));
        const bool atEnd = got == 0;
        if (!decided) {
            const std::size_t end = FindLineEndByte(bytes, scanFrom);
            if (end == std::string::npos) {
                scanFrom = bytes.size();
            } else if (bytes[end] == kCr && end + 1 == bytes.size() && !atEnd) {
                scanFrom = end;  // the byte after the CR is still to come
            } else {
                decided = true;
                sound = bytes[end] == kCr && end + 1 < bytes.size() && bytes[end + 1] == kLf;
                if (sound) break;
            }
        }
        if (atEnd) break;
    }
    ::close(fd);
    return true;
}

// Where the first line containing "TILT=" starts; npos when there is none.
std::size_t TiltLineStart(std::string_view text) {
    const std::size_t tilt = text.find("TILT=");
    if (tilt == std::string_view::npos) return tilt;
    // Only CR ends a line here, so the TILT line starts after the last CR
    // before it, and after the LF of that CR LF.
    const std::size_t lastCr = text.rfind(kCr, tilt);
    if (lastCr == std::string_view::npos) return 0;
    return lastCr + 1 < text.size() && text[lastCr + 1] == kLf ? lastCr + 2 : lastCr + 1;
}

bool HasLoneCr(std::string_view text) {
    for (std::size_t cr = text.find(kCr); cr != std::string_view::npos; cr = text.find(kCr, cr + 2)) {
        if (cr + 1 == text.size() || text[cr + 1] != kLf) return true;
    }
    return false;
}

}  // namespace

std::string TextFromLines(std::string_view text, bool fromTilt) {
    if (fromTilt) {
        const std::size_t start = TiltLineStart(text);
        if (start == std::string_view::npos) return {};
        text.remove_prefix(start);
    }
    std::string result;
    result.reserve(text.size() + 2);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t cr = text.find(kCr, start);
        if (cr == std::string_view::npos) {
            result.append(text.substr(start));
            result.append("\r\n");
            break;
        }
        result.append(text.substr(start, cr - start));
        result.append("\r\n");
        start = cr + 1;
        if (start < text.size() && text[start] == kLf) ++start;
    }
    return result;
}

std::string ReadFileText(const std::string& path, bool fromTilt) {
    std::string bytes;
    std::error_code error;
    if (!ReadFileBytes(path, bytes, error)) return " ";
    std::string text = DecodeFileText(std::move(bytes));
    const std::size_t start = fromTilt ? TiltLineStart(text) : 0;
    if (start == std::string::npos) return {};
    // Usually every CR is part of a CR LF: then the text is its own answer and
    // only needs a closing line end, which saves building a copy.
    if (HasLoneCr(std::string_view(text).substr(start))) {
        return TextFromLines(std::string_view(text).substr(start), false);
    }
    text.erase(0, start);
    if (!text.empty() && !std::string_view(text).ends_with("\r\n")) text.append("\r\n");
    return text;
}

bool RepairLineDelimiters(std::string_view bytes, std::string& repaired) {
    repaired.clear();
    // Nothing before the first CR or LF can be a fault, so skip to it.
    std::size_t i = FindLineEndByte(bytes, 0);
    if (i == std::string_view::npos) return false;
    if (bytes[i] == kCr && i + 1 < bytes.size() && bytes[i + 1] == kLf) return false;

    repaired.reserve(bytes.size() + bytes.size() / 16 + 2);
    repaired.append(bytes.substr(0, i));
    while (i < bytes.size()) {
        const std::size_t end = FindLineEndByte(bytes, i);
        if (end == std::string_view::npos) {
            repaired.append(bytes.substr(i));
            break;
        }
        repaired.append(bytes.substr(i, end - i));
        repaired.append("\r\n");
        i = end + 1;
        // CR LF stays one line end; a lone CR or LF becomes one. A CR after a
        // CR is looked at again rather than copied, so no lone CR survives.
        if (bytes[end] == kCr && i < bytes.size() && bytes[i] == kLf) ++i;
    }
    repaired.append("\r\n");
    return true;
}

std::string RepairedCopyPath(const std::string& path) {
    const PathParts parts = SplitPath(path);
    std::string result = parts.folder;
    result.append(parts.baseName);
    result.append(kRepairedSuffix);
    result.append(parts.extension);
    return result;
}

bool CheckLineDelimiters(std::string& path, std::string& message, bool noRepair, MessageSink& sink) {
    std::string bytes;
    std::error_code error;
    bool sound = false;
    if (!ReadUntilFirstLineEnd(path, bytes, sound, error)) {
        message = noRepair ? std::string(kBadDelimiterMessage)
                           : std::string(kUnableToRepairMessage) + error.message();
        return false;
    }
    std::string repaired;
    if (sound || !RepairLineDelimiters(bytes, repaired)) return true;
    bytes = {};  // the original is not needed once the copy's bytes exist
    if (noRepair) {
        message = std::string(kBadDelimiterMessage);
        return false;
    }
    const std::string copyPath = RepairedCopyPath(path);
    if (!WriteWholeFile(copyPath, repaired, error)) {
        message = std::string(kUnableToRepairMessage) + error.message();
        return false;
    }
    MessageRequest notice;
    notice.title = kApplicationTitle;
    notice.icon = MessageIcon::Exclamation;
    notice.buttons = MessageButtons::Ok;
    notice.text.append(kRepairNoticeHead).append("\r").append(path).append("\r\r");
    notice.text.append(kRepairNoticeSavedAs).append("\r").append(copyPath).append("\r\r");
    notice.text.append(kRepairNoticeTail);
    sink.show(notice);
    path = copyPath;
    return true;
}

}  // namespace lumibench
