#pragma once
// Joins the main window to the tool host and the dialogs: the catalogue and
// product list, the running-tool table, the command channel with its timer,
// the launcher, the toolbar and menus with their dispatch, and the dialogs'
// services. The window owns it; it lives exactly as long as the window.

#include <QObject>

#include <memory>

#include "dialogs/dialog_services.h"
#include "toolhost/command_channel.h"
#include "toolhost/command_bands.h"
#include "toolhost/command_dispatch.h"
#include "toolhost/product_list.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"

namespace lumibench {

class frmLumibench;
class ToolLauncher;
class WindowLookup;
struct HostSession;

class ToolHostWiring : public QObject, public CommandHost, public ChannelHost {
    Q_OBJECT

public:
    // Reads the catalogue and the product list, builds the toolbar and menus
    // and starts the channel's timer; fills session.tools.
    explicit ToolHostWiring(frmLumibench& window);
    ~ToolHostWiring() override;

    DialogServices& dialogServices() { return dialogs_; }
    CommandChannel& channel() { return *channel_; }
    CommandDispatch& dispatch() { return *dispatch_; }
    const CommandBands& bands() const { return bands_; }
    void showWelcome() override;

    // CommandHost
    void CloseCheckedFiles() override;
    void CheckAllFiles() override;
    void UncheckAllFiles() override;
    void showFileInformation() override;
    void closeMainWindow() override;
    void showGlobalSystemSettings() override;
    void showUpdateUserInformation() override;
    void ShowHelpTopic(std::int32_t contextNumber) override;
    void showAbout() override;
    void submitSupportReport() override;
    void openWebAddress(const std::string& address) override;
    std::size_t checkedLineCount() override;
    void storeCheckStates() override;
    LoadedFileTable& loadedFiles() override;
    WorkRecordTable& workRecords() override;
    std::int64_t mainWindowHandle() override;
    std::int32_t toolAreaLeft() override;
    std::int32_t tileAreaWidthTwips() override;
    double twipsPerPixel() override;

    // ChannelHost
    void refreshLoadedFilesList() override;
    void keepUnsaved(const LoadedFileTable& loadedAfter) override;
    void selectLoadedLine(std::size_t line) override;
    void showEuropeanDataHint() override;
    void closeAllTools() override;

private:
    // Without an exchange section no tool can get data: say so and refuse.
    bool RefuseToolsWithoutSection(bool toolAsked);
    void AddShortcuts();
    // The Window menu's running tools, listed anew each time it opens.
    void ListRunningTools();

    frmLumibench& window_;
    HostSession& session_;
    std::unique_ptr<WindowLookup> windows_;
    std::unique_ptr<CommandChannel> channel_;
    std::unique_ptr<ToolLauncher> launcher_;
    std::unique_ptr<CommandDispatch> dispatch_;
    CommandBands bands_;
    DialogServices dialogs_;
};

// Start-up with the tool host, the toolbar and menus and the welcome page:
// what the program itself runs.
struct ShellExtensions;
ShellExtensions StandardShellExtensions();

}  // namespace lumibench
