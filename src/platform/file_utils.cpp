#include "platform/file_utils.h"

#include <sys/stat.h>

#include <string>

namespace lumibench {

bool FileExists(std::string_view path) {
    const auto first = path.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return false;
    }
    const auto last = path.find_last_not_of(' ');
    const std::string_view trimmed = path.substr(first, last - first + 1);
    const auto slash = trimmed.rfind('/');
    const std::string_view fileName =
        slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
    // The base name ends at the first dot: ".profile" or "dir/" has none.
    const std::string_view baseName = fileName.substr(0, fileName.find('.'));
    if (baseName.empty()) {
        return false;
    }
    // A NUL inside the text would silently shorten the path that is tested.
    if (path.find('\0') != std::string_view::npos) {
        return false;
    }
    struct stat info {};
    return ::stat(std::string(path).c_str(), &info) == 0;
}

}  // namespace lumibench
