#include "toolhost/command_dispatch.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace lumibench {
namespace {

using testing::LauncherRig;
using testing::SentCommand;

class FakeHost : public CommandHost {
public:
    void CloseCheckedFiles() override { calls.push_back("CloseCheckedFiles"); }
    void CheckAllFiles() override { calls.push_back("CheckAllFiles"); }
    void UncheckAllFiles() override { calls.push_back("UncheckAllFiles"); }
    void showFileInformation() override { calls.push_back("showFileInformation"); }
    void closeMainWindow() override { calls.push_back("closeMainWindow"); }
    void showGlobalSystemSettings() override { calls.push_back("showGlobalSystemSettings"); }
    void showUpdateUserInformation() override { calls.push_back("showUpdateUserInformation"); }
    void showWelcome() override { calls.push_back("showWelcome"); }
    void ShowHelpTopic(std::int32_t n) override { calls.push_back("ShowHelpTopic " + std::to_string(n)); }
    void showAbout() override { calls.push_back("showAbout"); }
    void submitSupportReport() override { calls.push_back("submitSupportReport"); }
    void openWebAddress(const std::string& a) override { calls.push_back("open " + a); }
    std::size_t checkedLineCount() override {
        std::size_t n = 0;
        for (const auto& r : loaded) n += r.Checked == kTrue;
        return n;
    }
    void storeCheckStates() override { calls.push_back("storeCheckStates"); }
    LoadedFileTable& loadedFiles() override { return loaded; }
    WorkRecordTable& workRecords() override { return work; }
    std::int64_t mainWindowHandle() override { return 4242; }
    std::int32_t toolAreaLeft() override { return 117; }
    std::int32_t tileAreaWidthTwips() override { return 3000; }
    double twipsPerPixel() override { return 15; }

    void load(int count, int checked) {
        for (int i = 0; i < count; ++i) {
            PhotometricRecord r;
            r.Filename = "/data/f" + std::to_string(i) + ".ies";
            r.Saved = kTrue;
            r.Checked = i < checked ? kTrue : kFalse;
            loaded.push_back(r);
        }
    }

    std::vector<std::string> calls;
    LoadedFileTable loaded;
    WorkRecordTable work;
};

// /bin/true stands in for a tool program: a real process that ends at once.
ToolEntry TrueTool(std::int16_t type, std::int16_t maxFiles) {
    ToolEntry e;
    e.ActName = "true";
    e.Path = "/bin";
    e.ToolType = type;
    e.MaxFiles = maxFiles;
    return e;
}

class CommandDispatchTest : public ::testing::Test {
protected:
    LauncherRig rig;
    ProductList productList{"Acme", "w1", "w2", "https://acme.example/"};
    FakeHost host;
    CommandDispatch dispatch{rig.catalogue, productList, *rig.launcher, host, rig.messages};
};

TEST_F(CommandDispatchTest, HelpTopicsAndWebItems) {
    for (const char* id : {"ID_Readme", "ID_Contents", "ID_Overview", "ID_OEMHomePage",
                           // no address, a separator, a sub-menu, no such tool: nothing
                           "ID_WebFAQS", "ID_WebOEMPortal", "Sep", "Menu_OnTheWeb", "Tool_None"}) {
        dispatch.onClick(id);
    }
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ShowHelpTopic 11", "ShowHelpTopic 7",
                                                    "ShowHelpTopic 1", "open https://acme.example/"}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST_F(CommandDispatchTest, CascadeAndTileUseTheToolArea) {
    rig.addRunning("Tool_A", 1);
    rig.addRunning("Tool_B", 2);
    dispatch.onClick("ID_Cascade");
    dispatch.onClick("ID_TileHorizontally");
    EXPECT_EQ(rig.commandsOnly(), (std::vector<std::string>{"MoveWin,117,0,-1,-1", "MoveWin,147,30,-1,-1",
                                                            "MoveWin, 117, 0,-1,-1", "MoveWin, 217, 0,-1,-1"}));
}

TEST_F(CommandDispatchTest, DataToolWithNothingCheckedAsksForASelection) {
    rig.catalogue.append(TrueTool(2, 5));
    host.load(2, 0);
    dispatch.onClick("true");
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0],
              (MessageRequest{"Select A Tool",
                              "This Tool requires photometric data. 'Select Loaded Data' and try again. "
                              "If there is no data loaded, please load data using one of the Load Data "
                              "tools.",
                              MessageIcon::Exclamation, MessageButtons::Ok, true}));
    EXPECT_TRUE(rig.tools.empty());
}

TEST_F(CommandDispatchTest, LoadingToolStartsPlacesAndStartsWithoutData) {
    rig.catalogue.append(TrueTool(0, 0));
    dispatch.onClick("true");
    EXPECT_EQ(rig.sent, (std::vector<SentCommand>{{"true", "1", "MoveWin,117,0,-1,-1"},
                                                  {"true", "1", "Start"}}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST_F(CommandDispatchTest, ClicksWhileAToolStartsAreIgnored) {
    rig.catalogue.append(TrueTool(2, 3));
    host.load(3, 3);
    int nested = 0;
    std::string slotAtStart;  // emptied once the tool has taken its commands
    rig.onSend = [&](const SentCommand& sent) {
        if (sent.command == "Start") slotAtStart = rig.store.read("Lumibench_PE", "Data Exchange", "Filename3");
        if (!dispatch.busy()) return;  // the cascade after the start
        ++nested;
        dispatch.onClick("ID_CheckAll");
        dispatch.onClick("true");
    };
    dispatch.onClick("true");
    EXPECT_EQ(nested, 2);
    EXPECT_FALSE(dispatch.busy());
    // One instance for three files, then the cascade of all tool windows.
    EXPECT_EQ(rig.tools.count(), 1u);
    EXPECT_EQ(host.calls, std::vector<std::string>{"storeCheckStates"});
    EXPECT_EQ(rig.commandsOnly(),
              (std::vector<std::string>{"MoveWin,117,0,-1,-1", "Start", "MoveWin,117,0,-1,-1"}));
    EXPECT_EQ(slotAtStart, "/data/f2.ies");
}

TEST_F(CommandDispatchTest, CloseAllToolsAsksFirstAndIsIgnoredWhileClosing) {
    auto process = rig.addRunning("Tool_A", 1);
    rig.messages.scriptedAnswers = {MessageAnswer::No};
    dispatch.onClick("ID_CloseAllTools");
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0],
              (MessageRequest{"Close Tools", "Do you really want to close all open tools?",
                              MessageIcon::Exclamation, MessageButtons::YesNo, true}));
    EXPECT_EQ(rig.tools.count(), 1u);

    rig.messages.scriptedAnswers = {MessageAnswer::Yes};
    rig.onPause = [&] { dispatch.onClick("ID_CloseAllTools"); };  // nested click while closing
    dispatch.onClick("ID_CloseAllTools");
    EXPECT_EQ(rig.messages.shown.size(), 2u);
    EXPECT_EQ(process->terminated, 1);
    EXPECT_TRUE(rig.tools.empty());
}

TEST_F(CommandDispatchTest, CommandLineToolsStartInOrderThenCascade) {
    rig.catalogue.append(TrueTool(2, 25));
    host.load(1, 1);
    int pauses = 0;
    rig.onPause = [&] { ++pauses; };
    dispatch.StartCommandLineTools({"Tool_RoadReportPE", "true"});
    EXPECT_EQ(rig.tools.count(), 1u);
    EXPECT_GE(pauses, 1);
    // Start's MoveWin, "Start", then the cascade.
    EXPECT_EQ(rig.commandsOnly(),
              (std::vector<std::string>{"MoveWin,117,0,-1,-1", "Start", "MoveWin,117,0,-1,-1"}));
}

}  // namespace
}  // namespace lumibench
