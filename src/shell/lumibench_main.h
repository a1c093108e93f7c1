#pragma once
// LumibenchMain: start-up and the program's entry into its own code. The
// start-up steps are functions of their own so that tests and the start-up
// benchmark run them without a process of their own.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/exchange_section.h"
#include "shell/host_session.h"

namespace lumibench {

class frmLumibench;

inline constexpr const char* kProgramTitle = "Valcourt Lumibench";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 87;
inline constexpr const char* kProgramRegistryKey = "Software\\Quillon\\Lumibench_PE-v1dot7";
inline constexpr const char* kToolsRegistryKey = "Software\\Quillon\\Lumibench_PE-v1dot7\\Tools";
inline constexpr const char* kHomePageAddress = "https://www.lumibench.example/";
inline constexpr const char* kSupportPageAddress = "https://www.lumibench.example/support";

inline constexpr const char* kUpdateInstalledTitle = "Update Installed";
inline constexpr const char* kUpdateInstalledText =
    "This program has been updated. Would you like to check the online help for information on "
    "this update (Help-Readme command)?";
inline constexpr std::int32_t kUpdateHelpTopic = 11;
inline constexpr const char* kNoExchangeSectionText =
    "Every data exchange section is in use by other running instances of Lumibench. Tools "
    "cannot exchange data with this instance; close an instance and start this one again to "
    "use tools.";
inline constexpr const char* kNoSectionToolText =
    "This instance of Lumibench cannot start tools: every data exchange section is in use by "
    "other running instances. Close an instance and start this one again to use tools.";

// " v1.87": a blank, "v", major "." minor.
std::string VersionText();
std::string MainWindowCaption();

// What other parts add to start-up; every member may stay empty.
struct ShellExtensions {
    // Step 13: the tool catalogue, the toolbar and the menus, given the shown
    // window; this is where the tool host fills session.tools.
    std::function<void(frmLumibench&)> buildToolHost;
    // Step 14, when the welcome flag is set.
    std::function<void(frmLumibench&)> showWelcome;
    // The help window at a context number.
    std::function<void(std::int32_t)> showHelpTopic;
};

struct StartupFolders {
    std::filesystem::path programFolder;
    std::filesystem::path userDataFolder;  // created when missing
};

// Steps 1 to 11: names and paths, the exchange section, the settings with
// their defaults written back, the data folder, the caption.
void PrepareHostSession(HostSession& session, InstanceLocks& locks,
                        const StartupFolders& folders);

// Steps 12 to 16: shows the main window, lets the extensions in, shows the
// update notice and works through the program's arguments (ParseArguments).
std::unique_ptr<frmLumibench> StartLumibench(HostSession& session,
                                             const ShellExtensions& extensions,
                                             const std::vector<std::string>& arguments);
// The same with one text that stands for a single argument.
std::unique_ptr<frmLumibench> StartLumibench(HostSession& session,
                                             const ShellExtensions& extensions,
                                             const std::string& commandLine);

// Loads the files of the arguments and starts their tools.
void ProcessCommandLine(frmLumibench& window, const std::vector<std::string>& arguments);
void ProcessCommandLine(frmLumibench& window, const std::string& commandLine);

// "--help" and "--version" answers, or nothing when the program is to start.
std::optional<std::string> InformationRequest(const std::vector<std::string>& arguments,
                                              std::string_view programName);

// The whole program: platform services, start-up, the event loop, the exit
// status. "--screenshot FILE" saves a picture of the window once start-up is
// done and then closes it, for machines without a screen.
int LumibenchMain(int argc, char** argv, const ShellExtensions& extensions = {});

}  // namespace lumibench
