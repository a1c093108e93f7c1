#include "formats/text/line_delimiters.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "core/atomic_file.h"
#include "core/path_text.h"
#include "formats/text/field_reader.h"
#include "formats/file_gate.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

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
    const int fd = OpenRegularFileForReading(path, error);
    if (fd < 0) return false;
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

std::string TextFromFileBytes(std::string bytes, bool fromTilt) {
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

std::string ReadFileText(const std::string& path, bool fromTilt) {
    std::string bytes;
    std::error_code error;
    if (!ReadFileBytes(path, bytes, error)) return " ";
    return TextFromFileBytes(std::move(bytes), fromTilt);
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
        // CR LF stays one line end; a lone CR or LF becomes one. CR CR LF is
        // what a CR LF file gets from one more text-mode write: one line end
        // too. Any other CR after a CR is looked at again rather than copied,
        // so no lone CR survives.
        if (bytes[end] == kCr && i < bytes.size()) {
            if (bytes[i] == kLf) {
                ++i;
            } else if (bytes[i] == kCr && i + 1 < bytes.size() && bytes[i + 1] == kLf) {
                i += 2;
            }
        }
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

std::string RepairedCopyFolderFor(const std::string& path, const std::filesystem::path& userDataFolder) {
    std::string folder = SplitPath(path).folder;
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::absolute(folder.empty() ? "." : folder, ignored);
    absolute = absolute.lexically_normal();
    std::string key = absolute.string();
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    // FNV-1a keeps one sub-folder per source folder; the folder's own name in
    // front tells a person which one it is.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c : key) hash = (hash ^ c) * 1099511628211ULL;
    char hex[17];
    for (int i = 15; i >= 0; --i, hash >>= 4) hex[i] = "0123456789abcdef"[hash & 0xF];
    hex[16] = '\0';
    std::string name = std::filesystem::path(key).filename().string();
    if (name.empty()) name = "root";
    return (userDataFolder / kRepairedFolderName / (name + "-" + hex)).string() + "/";
}

bool FolderMarkedReadOnly(const std::string& path) {
    // The administrator may write anywhere; a folder that grants nobody the
    // right to write (a shared catalogue, an unpacked archive) is still left
    // as it is.
    const std::string folder = SplitPath(path).folder;
    struct stat info {};
    return ::geteuid() == 0 && ::stat(folder.empty() ? "." : folder.c_str(), &info) == 0 &&
           (info.st_mode & 0222) == 0;
}

std::string WriteRepairedCopy(const std::string& path, std::string_view bytes,
                              const std::filesystem::path& userDataFolder, std::error_code& error) {
    // The copy is no more open to others than the file it was made from.
    const unsigned mode = PermissionBitsOf(path, kDefaultFileMode) & 0666;
    std::string copyPath = RepairedCopyPath(path);
    const bool marked = !userDataFolder.empty() && FolderMarkedReadOnly(path);
    if (!marked && WriteFileAtomically(copyPath, bytes, error, mode)) return copyPath;
    const bool folderClosed = marked || error == std::errc::permission_denied ||
                              error == std::errc::operation_not_permitted ||
                              error == std::errc::read_only_file_system;
    if (!folderClosed || userDataFolder.empty()) return {};
    // A catalogue on a read-only mount or an unpacked system folder: the copy
    // goes to the user's own data folder, which only its owner can enter.
    const std::string folder = RepairedCopyFolderFor(path, userDataFolder);
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    for (const std::filesystem::path& part :
         {userDataFolder / kRepairedFolderName, std::filesystem::path(folder)}) {
        ::chmod(part.c_str(), 0700);
    }
    const PathParts parts = SplitPath(path);
    copyPath = folder + parts.baseName + std::string(kRepairedSuffix) + parts.extension;
    if (WriteFileAtomically(copyPath, bytes, error, mode)) return copyPath;
    return {};
}

bool SaveRepairedCopy(std::string& path, std::string_view repaired, std::string& message, bool noRepair,
                      MessageSink& sink, const std::filesystem::path& userDataFolder) {
    if (noRepair) {
        message = std::string(kBadDelimiterMessage);
        return false;
    }
    std::error_code error;
    const std::string copyPath = WriteRepairedCopy(path, repaired, userDataFolder, error);
    if (copyPath.empty()) {
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

bool CheckLineDelimiters(std::string& path, std::string& message, bool noRepair, MessageSink& sink,
                         const std::filesystem::path& userDataFolder) {
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
    return SaveRepairedCopy(path, repaired, message, noRepair, sink, userDataFolder);
}

std::size_t ExponentFromTilt(std::string_view bytes) {
    // "E", "-", "+", "TILT=" and line ends are single bytes in both encodings
    // the files come in, so the raw bytes answer as the decoded text would.
    const std::size_t tilt = bytes.find("TILT=");
    if (tilt == std::string_view::npos) return std::string_view::npos;
    const std::size_t lastCr = bytes.rfind(kCr, tilt);
    const std::size_t from = lastCr == std::string_view::npos ? 0 : lastCr + 1;
    for (std::size_t e = bytes.find('E', from); e != std::string_view::npos; e = bytes.find('E', e + 1)) {
        if (e + 1 < bytes.size() && (bytes[e + 1] == '-' || bytes[e + 1] == '+')) return e;
    }
    return std::string_view::npos;
}

Intake TakeInFile(std::string& path, FileBytes& bytes, std::string& message, int& line, bool noRepair,
                  MessageSink& sink, const std::filesystem::path& userDataFolder) {
    line = 0;
    std::error_code error;
    if (!bytes.load(path, error)) {
        // An unreadable file passes the exponential check; the line-end
        // check then says why it cannot be read.
        if (!CheckLineDelimiters(path, message, noRepair, sink, userDataFolder)) return Intake::Refused;
        if (!bytes.load(path, error)) {
            message = error.message();
            return Intake::Refused;
        }
    }
    std::string repaired;
    const bool fault = RepairLineDelimiters(bytes.view(), repaired);
    const std::string_view examined = fault ? std::string_view(repaired) : bytes.view();
    if (const std::size_t at = ExponentFromTilt(examined); at != std::string_view::npos) {
        line = PhysicalLineAt(examined, at);
        return Intake::Exponential;
    }
    if (!fault) return Intake::Read;
    bytes.assign({});
    if (!SaveRepairedCopy(path, repaired, message, noRepair, sink, userDataFolder)) {
        line = message == kBadDelimiterMessage ? 1 : 0;
        return Intake::Refused;
    }
    bytes.assign(std::move(repaired));
    return Intake::Read;
}

std::string ExponentCheckText(const std::string& path) {
    std::string bytes;
    std::error_code error;
    if (!ReadFileBytes(path, bytes, error)) return " ";
    std::string repaired;
    if (!RepairLineDelimiters(bytes, repaired)) return TextFromFileBytes(std::move(bytes), true);
    return TextFromFileBytes(std::move(repaired), true);
}

}  // namespace lumibench
