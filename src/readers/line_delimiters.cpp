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

}  // namespace

std::string TextFromLines(std::string_view text, bool fromTilt) {
    if (fromTilt) {
        const std::size_t tilt = text.find("TILT=");
        if (tilt == std::string_view::npos) return {};
        // Only CR ends a line here, so the TILT line starts after the last CR before it.
        const std::size_t lastCr = text.rfind(kCr, tilt);
        text.remove_prefix(lastCr == std::string_view::npos ? 0 : lastCr + 1);
        if (!text.empty() && text.front() == kLf && lastCr != std::string_view::npos) {
            // The LF of the CR LF that ended the previous line.
            text.remove_prefix(1);
        }
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
    return TextFromLines(DecodeFileText(std::move(bytes)), fromTilt);
}

bool RepairLineDelimiters(std::string_view bytes, std::string& repaired) {
    repaired.clear();
    // Nothing before the first CR or LF can be a fault, so skip to it.
    std::size_t i = bytes.find_first_of("\r\n");
    if (i == std::string_view::npos) return false;
    if (bytes[i] == kCr && i + 1 < bytes.size() && bytes[i + 1] == kLf) return false;

    repaired.reserve(bytes.size() + bytes.size() / 16 + 2);
    repaired.append(bytes.substr(0, i));
    while (i < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", i);
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
    if (!ReadFileBytes(path, bytes, error)) {
        message = noRepair ? std::string(kBadDelimiterMessage)
                           : std::string(kUnableToRepairMessage) + error.message();
        return false;
    }
    std::string repaired;
    if (!RepairLineDelimiters(bytes, repaired)) return true;
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
