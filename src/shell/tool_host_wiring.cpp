#include "shell/tool_host_wiring.h"

#include <cmath>

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "dialogs/dialogs.h"
#include "platform/machine_config.h"
#include "shell/frm_lumibench.h"
#include "shell/host_session.h"
#include "shell/list_pane.h"
#include "shell/lumibench_main.h"
#include "toolhost/tool_launcher.h"
#include "toolhost/x11_window_lookup.h"

namespace lumibench {
namespace {

// Marks the Window menu's items that list running tools.
constexpr const char* kRunningToolProperty = "lumibenchRunningTool";

}  // namespace

ToolHostWiring::ToolHostWiring(frmLumibench& window)
    : QObject(&window),
      window_(window),
      session_(window.session()),
      dialogs_(window.session().settings, window.session().messages) {
    session_.productList = LoadProductList(session_.programFolder, session_.userDataFolder);
    LoadToolCatalogue(MachineConfig::LoadWithDropIns(ToolCatalogueConfigPath()), session_.catalogue);

    dialogs_.programFolder = session_.programFolder.string();
    dialogs_.userDataFolder = session_.userDataFolder.string();
    dialogs_.supportAddress =
        session_.productList.SupportAddress.empty() ? session_.supportPage : session_.productList.SupportAddress;
    dialogs_.homeAddress = session_.homePage;
    dialogs_.bannerPath = session_.bannerFilename;
    dialogs_.welcomeFlag = session_.welcomeFlag;
    dialogs_.hooks.showHelpTopic = [this](int contextNumber) { ShowHelpTopic(contextNumber); };

    windows_ = MakeWindowLookup(session_.runningTools);
    channel_ = std::make_unique<CommandChannel>(
        ChannelServices{session_.settings, session_.exchangeSection, session_.loaded, session_.work,
                        session_.runningTools, *windows_, session_.messages, *this, &session_.catalogue});
    LauncherServices launch{session_.catalogue, session_.runningTools, *windows_, session_.settings, session_.messages,
                            SenderFor(*channel_), session_.exchangeSection, kHostMailboxName};
    launch.takePendingCommand = [this] { channel_->pollHostKey(); };
    launch.slotWriteCount = [this] { return channel_->slotWriteCount(); };
    launch.pauseInterval = std::chrono::milliseconds(
        std::lround(std::max(0.0f, session_.pauseIntervalSeconds) * 1000.0f));
    launcher_ = std::make_unique<ToolLauncher>(std::move(launch));
    dispatch_ = std::make_unique<CommandDispatch>(session_.catalogue, session_.productList, *launcher_, *this,
                                                  session_.messages);
    bands_ = BuildCommandBands(window_, session_.catalogue, session_.productList.OemName,
                               [this](const std::string& id) {
                                   if (RefuseToolsWithoutSection(session_.catalogue.indexOf(id) > 0)) {
                                       return;
                                   }
                                   dispatch_->onClick(id);
                               });
    AddShortcuts();
    if (bands_.windowMenu != nullptr) {
        connect(bands_.windowMenu, &QMenu::aboutToShow, this, &ToolHostWiring::ListRunningTools);
    }
    window_.updatePlaceholder();

    session_.tools.closeAllTools = [this] { launcher_->CloseAllTools(); };
    session_.tools.broadcastDeleteFile = [this](const std::string& filename) {
        channel_->BroadcastDeleteFile(filename);
    };
    session_.tools.anyToolWindowOpen = [this] { return launcher_->AnyToolWindowOpen(); };
    session_.tools.startCommandLineTools = [this](const std::vector<std::string>& names) {
        if (RefuseToolsWithoutSection(!names.empty())) {
            return;
        }
        dispatch_->StartCommandLineTools(names);
    };
    if (!session_.showHelpTopic) {
        session_.showHelpTopic = [](std::int32_t contextNumber) {
            lumibench::ShowHelpTopic(contextNumber);
        };
    }
    channel_->start();
}

ToolHostWiring::~ToolHostWiring() {
    channel_->stop();
    session_.tools = {};
}

bool ToolHostWiring::RefuseToolsWithoutSection(bool toolAsked) {
    if (!toolAsked || !session_.exchangeSection.empty()) {
        return false;
    }
    session_.messages.show({kApplicationTitle, kNoSectionToolText, MessageIcon::Exclamation,
                            MessageButtons::Ok, true});
    return true;
}

void ToolHostWiring::AddShortcuts() {
    // What a desktop user expects of these commands; the menus show them.
    const struct {
        const char* id;
        QList<QKeySequence> keys;
    } shortcuts[] = {
        {"ID_Exit", {QKeySequence(QKeySequence::Quit)}},
        {"ID_Contents", {QKeySequence(QKeySequence::HelpContents)}},
        {"ID_ClosePhotoFile", {QKeySequence(QKeySequence::Delete)}},
        {"ID_CheckAll", {QKeySequence(QKeySequence::SelectAll)}},
        {"ID_UncheckAll", {QKeySequence(QKeySequence::Deselect)}},
        {"ID_Info", {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)}},
    };
    for (const auto& shortcut : shortcuts) {
        QAction* action = bands_.action(shortcut.id);
        if (action == nullptr) {
            continue;
        }
        action->setShortcuts(shortcut.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        // Reachable while the menus are closed and whatever has the focus.
        window_.addAction(action);
    }
}

void ToolHostWiring::CloseCheckedFiles() { window_.CloseCheckedFiles(); }
void ToolHostWiring::CheckAllFiles() { window_.CheckAllFiles(); }
void ToolHostWiring::UncheckAllFiles() { window_.UncheckAllFiles(); }
void ToolHostWiring::showFileInformation() { window_.ShowFileInformation(); }
void ToolHostWiring::closeMainWindow() { window_.close(); }
void ToolHostWiring::showGlobalSystemSettings() {
    if (ShowGlobalSystemSettings(&window_, dialogs_)) {
        session_.bannerFilename = dialogs_.bannerPath;
    }
}
void ToolHostWiring::showUpdateUserInformation() { ShowUserInformation(&window_, dialogs_); }
void ToolHostWiring::showWelcome() {
    ShowWelcome(&window_, dialogs_, QString::fromStdString(WelcomePagePath(dialogs_)),
                QString::fromStdString(dialogs_.homeAddress));
}
void ToolHostWiring::ShowHelpTopic(std::int32_t contextNumber) {
    lumibench::ShowHelpTopic(contextNumber);
}
void ToolHostWiring::showAbout() { ShowAbout(&window_, dialogs_); }
void ToolHostWiring::submitSupportReport() { SubmitSupportReport(dialogs_); }
void ToolHostWiring::openWebAddress(const std::string& address) { dialogs_.OpenAddress(address); }

std::size_t ToolHostWiring::checkedLineCount() {
    window_.storeCheckStates();
    std::size_t checked = 0;
    for (const PhotometricRecord& record : session_.loaded) {
        checked += record.Checked != kFalse;
    }
    return checked;
}
void ToolHostWiring::storeCheckStates() { window_.storeCheckStates(); }
LoadedFileTable& ToolHostWiring::loadedFiles() { return session_.loaded; }
WorkRecordTable& ToolHostWiring::workRecords() { return session_.work; }
std::int64_t ToolHostWiring::mainWindowHandle() {
    return static_cast<std::int64_t>(window_.winId());
}
std::int32_t ToolHostWiring::toolAreaLeft() { return window_.paneWidthPixels(); }
std::int32_t ToolHostWiring::tileAreaWidthTwips() {
    return static_cast<std::int32_t>(
        std::lround((window_.width() - window_.paneWidthPixels()) * twipsPerPixel()));
}
double ToolHostWiring::twipsPerPixel() { return window_.pane()->twipsPerPixel(); }

void ToolHostWiring::refreshLoadedFilesList() { window_.RefreshLoadedFilesList(); }
void ToolHostWiring::keepUnsaved(const LoadedFileTable& loadedAfter) {
    if (session_.keepUnsaved) session_.keepUnsaved(loadedAfter);
}

void ToolHostWiring::selectLoadedLine(std::size_t line) { window_.selectLine(line); }

void ToolHostWiring::ListRunningTools() {
    QMenu* menu = bands_.windowMenu;
    for (QAction* action : menu->actions()) {
        if (action->property(kRunningToolProperty).isValid()) {
            menu->removeAction(action);
            delete action;
        }
    }
    const std::vector<RunningToolItem> items = RunningToolItems(session_.runningTools, session_.catalogue);
    if (items.empty()) return;
    auto* separator = menu->addSeparator();
    separator->setProperty(kRunningToolProperty, 0);
    for (const RunningToolItem& item : items) {
        QAction* action = menu->addAction(QString::fromStdString(item.caption));
        action->setProperty(kRunningToolProperty, static_cast<qulonglong>(item.entry));
        action->setObjectName(QStringLiteral("ID_RunningTool%1").arg(item.entry));
        const std::size_t entry = item.entry;
        connect(action, &QAction::triggered, this, [this, entry] {
            if (entry < 1 || entry > session_.runningTools.count()) return;
            const RunningTool& tool = session_.runningTools.at(entry);
            windows_->bringToolToFront(tool.ProcessId, tool.ActName);
        });
    }
}
void ToolHostWiring::showEuropeanDataHint() {
    dialogs_.currentHint = 1;
    ShowHint(&window_, dialogs_, 1);
}
void ToolHostWiring::closeAllTools() { launcher_->CloseAllTools(); }

ShellExtensions StandardShellExtensions() {
    ShellExtensions extensions;
    extensions.buildToolHost = [](frmLumibench& window) { new ToolHostWiring(window); };
    extensions.showWelcome = [](frmLumibench& window) {
        if (auto* wiring = window.findChild<ToolHostWiring*>()) {
            wiring->showWelcome();
        }
    };
    extensions.showHelpTopic = [](std::int32_t contextNumber) {
        lumibench::ShowHelpTopic(contextNumber);
    };
    return extensions;
}

}  // namespace lumibench
