#include "toolhost/command_dispatch.h"

#include "toolhost/command_bands.h"
#include "toolhost/tool_launcher.h"

namespace lumibench {
namespace {

// Clears the busy guard however the start ends.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

}  // namespace

std::string MakerWebAddress(std::string_view id) {
    // This edition publishes no maker pages; the items stay hidden or do nothing.
    (void)id;
    return {};
}

CommandDispatch::CommandDispatch(const ToolCatalogue& catalogue, const ProductList& productList,
                                 ToolLauncher& launcher, CommandHost& host, MessageSink& messages)
    : catalogue_(catalogue),
      productList_(productList),
      launcher_(launcher),
      host_(host),
      messages_(messages) {}

void CommandDispatch::onClick(const std::string& id) {
    if (busy_) return;
    if (IsFixedCommand(id)) {
        runFixed(id);
        return;
    }
    const int index = catalogue_.indexOf(id);
    if (index == 0) return;
    startTool(catalogue_.entry(index), index);
}

void CommandDispatch::startTool(const ToolEntry& entry, int index) {
    const ToolPlacement placement{host_.mainWindowHandle(), host_.toolAreaLeft(), 0};
    if (entry.ToolType == 0) {
        BusyScope busy(busy_);
        launcher_.StartToolWithoutData(entry.ActName, index, host_.loadedFiles().size(), placement);
        return;
    }
    const std::size_t checked = host_.checkedLineCount();
    if (checked == 0) {
        messages_.show({kSelectToolTitle, kSelectToolText, MessageIcon::Exclamation,
                        MessageButtons::Ok, true});
        return;
    }
    {
        BusyScope busy(busy_);
        host_.storeCheckStates();
        launcher_.gsbToolClick(entry.ActName, index, host_.loadedFiles(), host_.workRecords(),
                               placement);
    }
    if (checked >= 2) launcher_.CascadeTools(placement.x0, placement.y0);
}

void CommandDispatch::runFixed(const std::string& id) {
    if (id == "ID_ClosePhotoFile") {
        host_.CloseCheckedFiles();
    } else if (id == "ID_CheckAll") {
        host_.CheckAllFiles();
    } else if (id == "ID_UncheckAll") {
        host_.UncheckAllFiles();
    } else if (id == "ID_Info") {
        host_.showFileInformation();
    } else if (id == "ID_CloseAllTools") {
        if (launcher_.toolsClosing()) return;
        const MessageAnswer answer = messages_.show({kCloseToolsTitle, kCloseToolsText,
                                                     MessageIcon::Exclamation,
                                                     MessageButtons::YesNo, true});
        if (answer == MessageAnswer::Yes) launcher_.CloseAllTools();
    } else if (id == "ID_Exit") {
        host_.closeMainWindow();
    } else if (id == "ID_SystemSettings") {
        host_.showGlobalSystemSettings();
    } else if (id == "ID_UpdateUserInfo") {
        host_.showUpdateUserInformation();
    } else if (id == "ID_Cascade") {
        launcher_.CascadeTools(host_.toolAreaLeft(), 0);
    } else if (id == "ID_TileHorizontally") {
        launcher_.TileTools(host_.tileAreaWidthTwips(), host_.twipsPerPixel(), host_.toolAreaLeft(), 0);
    } else if (id == "ID_Welcome") {
        host_.showWelcome();
    } else if (id == "ID_Readme") {
        host_.ShowHelpTopic(kHelpTopicReadme);
    } else if (id == "ID_Contents") {
        host_.ShowHelpTopic(kHelpTopicContents);
    } else if (id == "ID_Overview") {
        host_.ShowHelpTopic(kHelpTopicOverview);
    } else if (id == "ID_About") {
        host_.showAbout();
    } else if (id == "ID_WebSubmitSupportReport") {
        host_.submitSupportReport();
    } else if (id == "ID_OEMHomePage") {
        if (!productList_.OemHomePage.empty()) host_.openWebAddress(productList_.OemHomePage);
    } else {
        const std::string address = MakerWebAddress(id);
        if (!address.empty()) host_.openWebAddress(address);
    }
}

void CommandDispatch::StartCommandLineTools(const std::vector<std::string>& actNames) {
    for (const std::string& name : actNames) {
        const int index = catalogue_.indexOf(name);
        if (index == 0) continue;
        host_.storeCheckStates();
        launcher_.gsbToolClick(name, index, host_.loadedFiles(), host_.workRecords(),
                               {host_.mainWindowHandle(), host_.toolAreaLeft(), 0});
        launcher_.services().pause(launcher_.services().pauseInterval);
    }
    if (actNames.size() > 1) launcher_.CascadeTools(host_.toolAreaLeft(), 0);
}

}  // namespace lumibench
