#include "toolhost/rename_target.h"

#include <filesystem>

namespace lumibench {

std::optional<std::string> RenameTargetRefusal(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (!target.is_absolute()) return "not an absolute path";
    // Compared as text: "/a//b" and "/a/b/../b" name the same file as "/a/b"
    // but are not what a tool that just wrote the file would send.
    if (target.lexically_normal().native() != target.native()) return "not a normalised path";
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target, error);
    if (error || !fs::exists(status)) return "no such file";
    if (!fs::is_regular_file(status)) return "not a regular file";
    return std::nullopt;
}

}  // namespace lumibench
