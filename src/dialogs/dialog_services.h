#pragma once
// What every dialog needs from the program: the settings store, the message
// boxes, the two folders, the program's identity and web addresses, and the
// few program-wide values the dialogs share with the main window.

#include <functional>
#include <string>

class QPrinter;
class QWidget;

namespace lumibench {

class MessageSink;
class SettingsStore;

// Section and key names shared by several dialogs.
namespace dialog_keys {
inline constexpr const char* kApplication = "Lumibench_PE";  // also the program's own section
inline constexpr const char* kStartup = "Startup";
inline constexpr const char* kHints = "Hints";
inline constexpr const char* kToolOpen = "Tool_Open";
inline constexpr const char* kBannerFilename = "BannerFilename";
}  // namespace dialog_keys

// Bundled files in the program folder.
namespace bundled_files {
inline constexpr const char* kBanner = "Lumibench_PE-Banner.jpg";
inline constexpr const char* kSplash = "Lumibench_PE-Splash.jpg";
inline constexpr const char* kWelcome = "Lumibench_PE-Welcome.htm";
inline constexpr const char* kLicence = "Lumibench_PE-License.rtf";
inline constexpr const char* kHelpFolder = "help";
}  // namespace bundled_files

struct ProgramIdentity {
    std::string title = "Valcourt Lumibench";
    int major = 1;
    int minor = 87;
    int revision = 0;
};

// Replaceable steps that would otherwise open a platform dialog or the web
// browser; empty members use the real thing.
struct DialogHooks {
    std::function<bool(const std::string& address)> openAddress;
    // Returns the chosen image path, or empty when the user cancelled.
    std::function<std::string(QWidget* parent)> chooseImageFile;
    // Prepares the printer; false when the user cancelled.
    std::function<bool(QPrinter& printer, QWidget* parent)> choosePrinter;
    std::function<void(int contextNumber)> showHelpTopic;
};

struct DialogServices {
    DialogServices(SettingsStore& settings, MessageSink& messageSink)
        : store(settings), messages(messageSink) {}

    SettingsStore& store;
    MessageSink& messages;
    std::string programFolder;   // no trailing '/'
    std::string userDataFolder;  // no trailing '/'
    ProgramIdentity identity;
    std::string supportAddress;  // the product list's support report address
    std::string homeAddress;     // the welcome browser's Home page
    std::string creditsAddress;  // the About box's credits link

    // Program-wide values.
    std::string bannerPath;
    bool bannerCancelled = false;
    bool welcomeFlag = true;
    int currentHint = 0;

    DialogHooks hooks;

    std::string DefaultBannerPath() const;
    std::string ProgramFile(const char* name) const;
    // The folder that files meant for the program folder go to: the program
    // folder when it is writable, else the per-user data folder.
    std::string WritableFolder() const;
    bool OpenAddress(const std::string& address) const;
    void HelpTopic(int contextNumber) const;
};

namespace dialogs {
// True when the trimmed path is not empty and names an existing file or folder.
bool PathExists(const std::string& path);
}  // namespace dialogs

}  // namespace lumibench
