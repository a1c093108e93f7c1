// Window placement and the closing of all tools, over fake processes.
#include <gtest/gtest.h>

#include "fakes.h"

namespace lumibench {
namespace {

using testing::LauncherRig;
using testing::SentCommand;

TEST(CascadeTools, StepsThirtyPixelsAndStartsANewColumnAfterTwelve) {
    LauncherRig rig;
    for (int i = 1; i <= 13; ++i) rig.addRunning("Tool_ViewPE", 100 + i);
    rig.launcher->CascadeTools(200, 10);
    ASSERT_EQ(rig.sent.size(), 13u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(rig.sent[i], (SentCommand{"Tool_ViewPE", std::to_string(i + 1),
                                            "MoveWin," + std::to_string(200 + 30 * i) + "," +
                                                std::to_string(10 + 30 * i) + ",-1,-1"}));
    }
    EXPECT_EQ(rig.sent[12].command, "MoveWin,260,10,-1,-1");
}

TEST(CascadeTools, SkipsClosedAndSaveExEntriesAndLeavesHiddenOnesInPlace) {
    LauncherRig rig;
    rig.addRunning("Tool_A", 11);
    rig.addRunning("Tool_SaveEXPE", 12);
    rig.addRunning("Tool_B", 13);
    rig.addRunning("Tool_C", 14);
    rig.addRunning("Tool_D", 15);
    rig.tools.markClosed("Tool_B", "3");
    rig.windows.hidden = {14};
    rig.launcher->CascadeTools(0, 0);
    EXPECT_EQ(rig.sent, (std::vector<SentCommand>{{"Tool_A", "1", "MoveWin,0,0,-1,-1"},
                                                  {"Tool_D", "5", "MoveWin,30,30,-1,-1"}}));
}

TEST(CascadeTools, AHiddenTwelfthEntryStartsNoColumn) {
    LauncherRig rig;
    for (int i = 1; i <= 13; ++i) rig.addRunning("T", 100 + i);
    rig.windows.hidden = {112};
    rig.launcher->CascadeTools(0, 0);
    ASSERT_EQ(rig.sent.size(), 12u);
    EXPECT_EQ(rig.sent.back(), (SentCommand{"T", "13", "MoveWin,330,330,-1,-1"}));
}

TEST(TileTools, SharesTheAreaOutWithSignedNumbers) {
    struct Row {
        const char* name;
        int running;
        std::vector<std::int64_t> hidden;
        std::vector<std::string> expected;
    };
    // 11700 twips at 15 twips per pixel is 780 pixels.
    const Row rows[] = {
        {"three", 3, {}, {"MoveWin, 100, 0,-1,-1", "MoveWin, 360, 0,-1,-1", "MoveWin, 620, 0,-1,-1"}},
        {"one is not stepped", 1, {}, {"MoveWin, 100, 0,-1,-1"}},
        {"a hidden one neither counts nor advances", 3, {2}, {"MoveWin, 100, 0,-1,-1", "MoveWin, 490, 0,-1,-1"}},
        {"none", 0, {}, {}},
    };
    for (const Row& row : rows) {
        LauncherRig rig;
        for (int i = 1; i <= row.running; ++i) rig.addRunning("T", i);
        rig.windows.hidden = {row.hidden.begin(), row.hidden.end()};
        rig.launcher->TileTools(11700, 15.0, 100, 0);
        EXPECT_EQ(rig.commandsOnly(), row.expected) << row.name;
    }
}

TEST(TileTools, MovesSaveExAndClosedEntriesThatCanBeShown) {
    LauncherRig rig;
    rig.addRunning("Tool_SaveEXPE", 1);
    rig.addRunning("Tool_A", 2);
    rig.tools.markClosed("Tool_A", "2");
    rig.launcher->TileTools(7800, 15.0, -5, 3);
    EXPECT_EQ(rig.sent, (std::vector<SentCommand>{{"Tool_SaveEXPE", "1", "MoveWin,-5, 3,-1,-1"},
                                                  {"Tool_A", "-99", "MoveWin, 255, 3,-1,-1"}}));
}

TEST(AnyToolWindowOpen, LooksForEveryEntrysTitleClosedOnesIncluded) {
    LauncherRig rig;
    EXPECT_FALSE(rig.launcher->AnyToolWindowOpen());
    rig.addRunning("Tool_A", 1);
    rig.tools.markClosed("Tool_A", "1");
    EXPECT_FALSE(rig.launcher->AnyToolWindowOpen());
    rig.windows.titles = {"Tool_A"};
    EXPECT_TRUE(rig.launcher->AnyToolWindowOpen());
}

TEST(CloseAllTools, EndsOpenInstancesHoldingTheClosingFlagThenEmptiesTheTable) {
    LauncherRig rig;
    auto a = rig.addRunning("Tool_A", 1);
    auto b = rig.addRunning("Tool_B", 2);
    auto c = rig.addRunning("Tool_C", 3);
    rig.tools.markClosed("Tool_B", "2");
    int pauses = 0;
    rig.onPause = [&] {
        ++pauses;
        EXPECT_TRUE(rig.launcher->toolsClosing());
    };
    EXPECT_TRUE(rig.launcher->CloseAllTools());
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(a->terminated, 1);
    EXPECT_EQ(b->terminated, 0);  // told to close already; it ends by itself
    EXPECT_EQ(c->terminated, 1);
    EXPECT_FALSE(rig.launcher->toolsClosing());
    EXPECT_TRUE(rig.tools.empty());
    EXPECT_TRUE(rig.sent.empty());
}

}  // namespace
}  // namespace lumibench
