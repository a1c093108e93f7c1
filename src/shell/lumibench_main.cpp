#include "shell/lumibench_main.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "core/notice_batch.h"
#include "core/number_text.h"
#include "core/path_text.h"
#include "platform/app_folders.h"
#include "platform/file_utils.h"
#include "platform/fit_on_screen.h"
#include "platform/instance_lock.h"
#include "platform/qt_message_sink.h"
#include "platform/sqlite_settings_store.h"
#include "shell/command_line.h"
#include "shell/display_wait.h"
#include "shell/frm_lumibench.h"
#include "shell/layout_settings.h"
#include "shell/loaded_files.h"
#include "shell/record_summary.h"
#include "shell/recovery_file.h"
#include "shell/recovery_keeper.h"
#include "shell/shutdown_signals.h"
#include "shell/window_icon.h"

namespace lumibench {
namespace {

constexpr const char* kSleepIntervalKey = "SleepIntervalDE";
constexpr const char* kBannerKey = "BannerFilename";
constexpr const char* kCaptionKey = "AppCaption";
constexpr const char* kWelcomeKey = "WelcomeForm";
constexpr const char* kUpdateInstalledKey = "UpdateInstalled";

bool StartsLikeNumber(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return false;
    }
    std::size_t i = first;
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
    }
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
}

// "True"/"False" in any case, or a number (non-zero is true); anything else
// counts as missing.
bool TruthValue(const std::string& text, bool fallback) {
    const std::string upper = UpperAscii(text);
    if (upper == "TRUE") return true;
    if (upper == "FALSE") return false;
    if (StartsLikeNumber(text)) return LeadingNumber(text) != 0;
    return fallback;
}

// The instance locks kept beside the settings file.
class InstanceLockAdapter : public InstanceLocks {
public:
    explicit InstanceLockAdapter(InstanceLock& lock) : lock_(lock) {}
    bool holdFirstInstance() override { return lock_.tryAcquire("instance"); }
    bool holdSection(int number) override {
        return lock_.tryAcquire("section-" + std::to_string(number));
    }

private:
    InstanceLock& lock_;
};

}  // namespace

std::string VersionText() {
    return " v" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

std::string MainWindowCaption() { return kProgramTitle + VersionText(); }

void PrepareHostSession(HostSession& session, InstanceLocks& locks,
                        const StartupFolders& folders) {
    session.caption = MainWindowCaption();
    session.exchangeSection = ChooseExchangeSection(session.settings, locks);
    if (session.exchangeSection.empty()) {
        session.messages.show({kApplicationTitle, kNoExchangeSectionText,
                               MessageIcon::Exclamation, MessageButtons::Ok, true});
    }

    session.programFolder = folders.programFolder;
    session.helpFile = folders.programFolder / "Tools" / "Lumibench_PE-HTML.chm";
    session.homePage = kHomePageAddress;
    session.supportPage = kSupportPageAddress;
    session.agreementFile = folders.programFolder / "Lumibench_PE-License.rtf";
    session.splashPicture = folders.programFolder / "Lumibench_PE-Splash.jpg";
    session.welcomePage = folders.programFolder / "Lumibench_PE-Welcome.htm";

    session.welcomeFlag = TruthValue(session.read("Startup", kWelcomeKey, "True"), true);

    session.loaded.clear();
    session.work.clear();

    const std::string interval = session.read(kSettingsApp, kSleepIntervalKey, "0.3");
    session.pauseIntervalSeconds =
        StartsLikeNumber(interval) ? static_cast<float>(LeadingNumber(interval)) : 0.3f;
    session.write(kSettingsApp, kSleepIntervalKey, SummaryNumber(session.pauseIntervalSeconds));

    const std::string defaultBanner =
        (folders.programFolder / "Lumibench_PE-Banner.jpg").string();
    session.bannerFilename = session.read(kSettingsApp, kBannerKey, defaultBanner);
    // An empty name is the user's choice of no banner and stays; only a named
    // file that has gone falls back to the default picture.
    if (!session.bannerFilename.empty() && !FileExists(session.bannerFilename)) {
        session.bannerFilename = defaultBanner;
    }
    session.write(kSettingsApp, kBannerKey, session.bannerFilename);

    // Failures here are ignored: without the folder only the TM14 sort and
    // the fall-back place for written files are missing.
    session.userDataFolder = folders.userDataFolder;
    std::error_code ignored;
    std::filesystem::create_directories(session.userDataFolder, ignored);

    session.write(kSettingsApp, kCaptionKey, session.caption);
}

void ProcessCommandLine(frmLumibench& window, const std::string& commandLine) {
    ProcessCommandLine(window, std::vector<std::string>{commandLine});
}

void ProcessCommandLine(frmLumibench& window, const std::vector<std::string>& arguments) {
    std::error_code ignored;
    const CommandLineItems items =
        ParseArguments(arguments, std::filesystem::current_path(ignored), [](const std::string& path) {
            std::error_code error;
            return std::filesystem::is_regular_file(path, error);
        });
    {
        NoticeBatch::Scope notices(window.session().messages);
        for (const std::string& file : items.files) {
            window.LoadPhotometricFile(file, kCommandLineFailureTail);
        }
    }
    HostSession& session = window.session();
    if (!items.toolNames.empty() && session.tools.startCommandLineTools) {
        session.tools.startCommandLineTools(items.toolNames);
    }
}

std::unique_ptr<frmLumibench> StartLumibench(HostSession& session,
                                             const ShellExtensions& extensions,
                                             const std::string& commandLine) {
    return StartLumibench(session, extensions, std::vector<std::string>{commandLine});
}

std::optional<std::string> InformationRequest(const std::vector<std::string>& arguments,
                                              std::string_view programName) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            return UsageText(programName);
        }
        if (argument == "--version") {
            return std::string(kProgramTitle) + VersionText() + "\n";
        }
    }
    return std::nullopt;
}

std::unique_ptr<frmLumibench> StartLumibench(HostSession& session,
                                             const ShellExtensions& extensions,
                                             const std::vector<std::string>& arguments) {
    if (extensions.showHelpTopic && !session.showHelpTopic) {
        session.showHelpTopic = extensions.showHelpTopic;
    }
    auto window = std::make_unique<frmLumibench>(session);
    window->show();
    if (extensions.buildToolHost) {
        extensions.buildToolHost(*window);
    }
    if (session.welcomeFlag && extensions.showWelcome) {
        extensions.showWelcome(*window);
    }
    const std::string update = session.read("Startup", kUpdateInstalledKey, "0");
    if (LeadingNumber(update) == 1) {
        session.write("Startup", kUpdateInstalledKey, "0");
        if (session.messages.show({kUpdateInstalledTitle, kUpdateInstalledText,
                                   MessageIcon::Exclamation, MessageButtons::YesNo, true}) ==
                MessageAnswer::Yes &&
            session.showHelpTopic) {
            session.showHelpTopic(kUpdateHelpTopic);
        }
    }
    // Unsaved files of hosts that ended without asking come back first; from
    // then on this host keeps its own, before the offered ones are removed.
    if (!session.userDataFolder.empty()) {
        const std::filesystem::path recovery = RecoveryFilePath(session.userDataFolder);
        auto keeper = std::make_shared<RecoveryKeeper>(recovery, OwnRecoverySection());
        const auto keep = [keeper](const LoadedFileTable& loaded) { keeper->keep(loaded); };
        const std::size_t added =
            OfferRecoveredRecords(recovery, session.loaded, session.messages, session.unattended, keep);
        session.keepUnsaved = keep;
        if (added > 0) window->RefreshLoadedFilesList();
    }
    ProcessCommandLine(*window, arguments);
    return window;
}

namespace {

// Saves a picture of the window once pending layout and painting are done,
// then closes it the ordinary way (layout saved, section released).
void ScreenshotAndClose(frmLumibench& window, const QString& file, bool& saved) {
    QTimer::singleShot(300, &window, [&window, file, &saved] {
        // Without a window manager nothing maximizes the window.
        if (window.width() < 800 || window.height() < 500) {
            window.resize(1024, 640);
        }
        // The picture shows a summary: the first line is selected when none is.
        auto* list = window.findChild<QListWidget*>("lstLoadedFilesList");
        if (list != nullptr && list->count() > 0 && list->selectedItems().isEmpty()) {
            list->setCurrentRow(0);
        }
        QApplication::processEvents();
        saved = window.grab().save(file, "PNG");
        // What the picture shows, for scripts that cannot look at it.
        for (int i = 0; list != nullptr && i < list->count(); ++i) {
            std::printf("listed: %s\n", list->item(i)->text().toUtf8().constData());
        }
        const ToolCatalogue& tools = window.session().catalogue;
        for (int i = 1; i <= tools.count(); ++i) {
            std::printf("tool: %s\n", tools.entry(i).ActName.c_str());
        }
        std::fflush(stdout);
        window.close();
    });
}

}  // namespace

int LumibenchMain(int argc, char** argv, const ShellExtensions& extensions) {
    {
        // Answered before any window or store exists, so they work without a display.
        const std::vector<std::string> all(argv + std::min(argc, 1), argv + argc);
        if (const auto answer = InformationRequest(all, argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "lumibench")) {
            std::fputs(answer->c_str(), stdout);
            return 0;
        }
    }
    DisplayHold display;
    if (std::string reason; !WaitForDisplay(kDisplayWait, display, &reason)) {
        std::fprintf(stderr, "lumibench: %s\n", reason.c_str());
        return 1;
    }
    QApplication application(argc, argv);
    display = DisplayHold();  // Qt has its own connection now
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setApplicationVersion(QString::fromStdString(VersionText().substr(2)));
    QApplication::setWindowIcon(ApplicationIcon());
    // The program ends with its main window, whatever other windows (help,
    // welcome page) are still open.
    QApplication::setQuitOnLastWindowClosed(false);
    // Ties the windows to the installed desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lumibench.Lumibench"));

    std::vector<std::string> arguments;
    QString screenshotFile;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--screenshot" && i + 1 < argc) {
            screenshotFile = QString::fromLocal8Bit(argv[++i]);
        } else {
            arguments.push_back(argument);
        }
    }

    QtMessageSink messages;
    std::string error;
    const std::filesystem::path settingsFile = DefaultSettingsPath();
    // Another process may hold the store for a while: after a second the
    // user sees why nothing happens, and the wait has an end.
    std::unique_ptr<QLabel> waitNotice;
    SettingsOpenOptions openOptions;
    openOptions.waiting = [&] {
        if (!waitNotice) {
            waitNotice = std::make_unique<QLabel>(QString::fromUtf8(kWaitingForStoreText) +
                                                  QString::fromStdString(settingsFile.string()));
            waitNotice->setObjectName(QStringLiteral("labWaitingForStore"));
            waitNotice->setWindowTitle(QString::fromUtf8(kApplicationTitle));
            waitNotice->setMargin(16);
            waitNotice->show();
        }
        QApplication::processEvents();
    };
    std::unique_ptr<SqliteSettingsStore> settings =
        SqliteSettingsStore::Open(settingsFile, &error, openOptions);
    waitNotice.reset();
    if (!settings) {
        messages.show({kApplicationTitle,
                       "The settings store " + settingsFile.string() +
                           " could not be opened: " + error,
                       MessageIcon::Critical, MessageButtons::Ok, true});
        return 1;
    }
    InstanceLock lock(InstanceLock::FolderFor(settingsFile));
    InstanceLockAdapter locks(lock);

    // Unattended: a message box met during start-up would wait for a user
    // who is not there; it takes its default answer instead.
    QTimer unattended;
    if (!screenshotFile.isEmpty()) {
        QObject::connect(&unattended, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        unattended.start(500);
    }

    // Every window, dialog and message box is kept within the screen's available area.
    FitOnScreenFilter::Install();
    // A load action's notices come as one.
    NoticeBatch notices(messages);
    HostSession session(*settings, notices);
    session.unattended = !screenshotFile.isEmpty();

    // Logout, kill and a closed terminal close the window the ordinary way.
    // One that comes during start-up (tools being started, a question on the
    // screen) is kept until the window exists.
    std::unique_ptr<frmLumibench> window;
    bool endRequested = false;
    ShutdownSignals shutdownSignals([&window, &endRequested, &session](int) {
        endRequested = true;
        session.unattended = true;
        if (window) {
            window->closeBySystem();
            QCoreApplication::exit(0);
            return;
        }
        // A start-up question gets its default answer; start-up then ends at once.
        while (QWidget* modal = QApplication::activeModalWidget()) {
            if (!modal->close()) break;
        }
    });

    // Bundled files come from the build tree or from share/lumibench of an installed prefix.
    PrepareHostSession(session, locks, {ProgramDataFolder(), UserDataFolder()});
    window = StartLumibench(session, extensions, arguments);
    messages.setParent(window.get());
    QObject::connect(window.get(), &frmLumibench::closed, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    if (endRequested) {
        window->closeBySystem();
        return 0;
    }

    bool screenshotSaved = false;
    if (!screenshotFile.isEmpty()) {
        ScreenshotAndClose(*window, screenshotFile, screenshotSaved);
    }
    const int status = application.exec();
    if (!screenshotFile.isEmpty() && !screenshotSaved) {
        return 2;
    }
    return status;
}

}  // namespace lumibench
