#include "platform/app_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/user_home.h"

namespace lumibench {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || executable.empty()) {
        return std::filesystem::current_path(error);
    }
    return executable.parent_path();
}

std::filesystem::path ProgramDataFolderFor(const std::filesystem::path& programFolder) {
    std::error_code ignored;
    if (std::filesystem::exists(programFolder / kBundledDataMarker, ignored)) {
        return programFolder;
    }
    const auto shared = (programFolder / ".." / "share" / "lumibench").lexically_normal();
    if (std::filesystem::exists(shared / kBundledDataMarker, ignored)) {
        return shared;
    }
    return programFolder;
}

std::filesystem::path ProgramDataFolder() { return ProgramDataFolderFor(ProgramFolder()); }

std::filesystem::path UserDataFolder() {
    const auto folder = UserDataHome() / "Lumibench";
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        std::filesystem::create_directories(folder, ignored);
        ::chmod(folder.c_str(), 0700);
    }
    return folder;
}

std::filesystem::path WritableProgramFolder() {
    const auto folder = ProgramFolder();
    if (::access(folder.c_str(), W_OK | X_OK) == 0) {
        return folder;
    }
    return UserDataFolder();
}

}  // namespace lumibench
