#include "dialogs/dialog_services.h"

#include <QDesktopServices>
#include <QUrl>

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "dialogs/help_window.h"

namespace lumibench {

std::string DialogServices::ProgramFile(const char* name) const { return programFolder + "/" + name; }

std::string DialogServices::DefaultBannerPath() const { return ProgramFile(bundled_files::kBanner); }

std::string DialogServices::WritableFolder() const {
    if (!programFolder.empty() && ::access(programFolder.c_str(), W_OK) == 0) return programFolder;
    std::error_code ignored;
    std::filesystem::create_directories(userDataFolder, ignored);
    return userDataFolder;
}

bool DialogServices::OpenAddress(const std::string& address) const {
    if (hooks.openAddress) return hooks.openAddress(address);
    // The address is already encoded; tolerant parsing keeps its escapes.
    return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(address)));
}

void DialogServices::HelpTopic(int contextNumber) const {
    if (hooks.showHelpTopic) {
        hooks.showHelpTopic(contextNumber);
        return;
    }
    ShowHelpTopicIn(programFolder, contextNumber);
}

namespace dialogs {

bool PathExists(const std::string& path) {
    const auto first = path.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = path.find_last_not_of(" \t");
    std::error_code error;
    return std::filesystem::exists(path.substr(first, last - first + 1), error) && !error;
}

}  // namespace dialogs
}  // namespace lumibench
