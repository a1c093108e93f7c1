#pragma once
// The one click handler of the toolbar and menus: fixed commands by their ID,
// tools by their ActName, with the busy and tools-closing guards.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "toolhost/product_list.h"
#include "toolhost/tool_catalogue.h"

namespace lumibench {

class ToolLauncher;

inline constexpr const char* kSelectToolTitle = "Select A Tool";
inline constexpr const char* kSelectToolText =
    "This Tool requires photometric data. 'Select Loaded Data' and try again. If there is no "
    "data loaded, please load data using one of the Load Data tools.";
inline constexpr const char* kCloseToolsTitle = "Close Tools";
inline constexpr const char* kCloseToolsText = "Do you really want to close all open tools?";

// Help topics the Help menu opens.
inline constexpr int kHelpTopicReadme = 11;
inline constexpr int kHelpTopicContents = 7;
inline constexpr int kHelpTopicOverview = 1;

// The web address behind a maker's web item, or empty when this edition has none.
std::string MakerWebAddress(std::string_view id);

// What the commands need of the main window. Dialogs that do not exist yet
// may be left as no-ops by the implementer.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual void CloseCheckedFiles() = 0;
    virtual void CheckAllFiles() = 0;
    virtual void UncheckAllFiles() = 0;
    virtual void showFileInformation() = 0;
    virtual void closeMainWindow() = 0;
    virtual void showGlobalSystemSettings() = 0;
    virtual void showUpdateUserInformation() = 0;
    virtual void showWelcome() = 0;
    virtual void ShowHelpTopic(std::int32_t contextNumber) = 0;
    virtual void showAbout() = 0;
    virtual void submitSupportReport() = 0;
    virtual void openWebAddress(const std::string& address) = 0;

    // The loaded files list as the tool start needs it: the check boxes copied
    // into the records first.
    virtual std::size_t checkedLineCount() = 0;
    virtual void storeCheckStates() = 0;
    virtual LoadedFileTable& loadedFiles() = 0;
    virtual WorkRecordTable& workRecords() = 0;

    // The main window's handle (X11 window id, or 0).
    virtual std::int64_t mainWindowHandle() = 0;
    // The list pane's width in pixels: the tool area's left edge.
    virtual std::int32_t toolAreaLeft() = 0;
    // The main window's width minus the list pane's width, in twips.
    virtual std::int32_t tileAreaWidthTwips() = 0;
    virtual double twipsPerPixel() = 0;
};

class CommandDispatch {
public:
    CommandDispatch(const ToolCatalogue& catalogue, const ProductList& productList,
                    ToolLauncher& launcher, CommandHost& host, MessageSink& messages);

    // The click handler: acts on the item with this ID.
    void onClick(const std::string& id);

    // Starts the tools named on the command line (ActNames), pausing after each,
    // and cascades when more than one name was given. Names not installed are skipped.
    void StartCommandLineTools(const std::vector<std::string>& actNames);

    bool busy() const { return busy_; }

private:
    void runFixed(const std::string& id);
    void startTool(const ToolEntry& entry, int index);

    const ToolCatalogue& catalogue_;
    const ProductList& productList_;
    ToolLauncher& launcher_;
    CommandHost& host_;
    MessageSink& messages_;
    bool busy_ = false;
};

}  // namespace lumibench
