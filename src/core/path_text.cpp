#include "core/path_text.h"

#include <algorithm>

namespace lumibench {

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    parts.folder = path.substr(0, nameStart);
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= nameStart) {
        parts.baseName = path.substr(nameStart, dot - nameStart);
        parts.extension = path.substr(dot);
    } else {
        parts.baseName = path.substr(nameStart);
    }
    return parts;
}

std::string FileNameOf(const std::string& path) {
    const PathParts parts = SplitPath(path);
    return parts.baseName + parts.extension;
}

std::string UpperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    return text;
}

}  // namespace lumibench
