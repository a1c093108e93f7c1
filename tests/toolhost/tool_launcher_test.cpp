// Starting real processes: the stand-in tool records how it was started.
#include "toolhost/tool_launcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include "fakes.h"
#include "process_helpers.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::LauncherRig;
using testing::ProcessGone;
using testing::ReadTabLines;
using testing::SentCommand;
using testing::TempFolder;
using testing::WaitFor;

const std::filesystem::path kFakeTool = TOOLHOST_FAKE_TOOL;

class ToolLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TOOLHOST_FAKE_TOOL_RECORD", (folder / "record.tsv").c_str(), 1);
        ::unsetenv("TOOLHOST_FAKE_TOOL_EXIT");
        ToolEntry entry;
        entry.ActName = kFakeTool.filename().string();
        entry.Path = kFakeTool.parent_path().string();
        entry.ToolType = 2;
        entry.MaxFiles = 2;
        rig.catalogue.append(entry);
        actName = entry.ActName;
    }

    void TearDown() override {
        rig.launcher->CloseAllTools();
        for (std::int64_t pid : startedPids()) EXPECT_TRUE(ProcessGone(pid)) << pid;
        ::unsetenv("TOOLHOST_FAKE_TOOL_RECORD");
    }

    // Waits until `count` starts have been recorded and returns their lines.
    std::vector<std::vector<std::string>> records(std::size_t count) {
        std::vector<std::vector<std::string>> lines;
        WaitFor([&] { return (lines = ReadTabLines(folder / "record.tsv")).size() >= count; });
        return lines;
    }

    std::vector<std::int64_t> startedPids() {
        std::vector<std::int64_t> pids;
        for (const auto& line : ReadTabLines(folder / "record.tsv")) {
            if (line.size() == 4) pids.push_back(std::stoll(line[3]));
        }
        return pids;
    }

    LoadedFileTable Loaded(int count, std::vector<int> unsaved = {}) {
        LoadedFileTable loaded;
        for (int i = 1; i <= count; ++i) {
            PhotometricRecord r;
            r.Filename = "/d/f" + std::to_string(i) + ".ies";
            r.Checked = kTrue;
            r.Saved = std::find(unsaved.begin(), unsaved.end(), i) == unsaved.end() ? kTrue : kFalse;
            loaded.push_back(r);
        }
        return loaded;
    }

    TempFolder folder;
    LauncherRig rig;
    std::string actName;
};

TEST_F(ToolLauncherTest, CommandLineFieldsAndInstanceNumbersRestartAfterCloseAll) {
    std::int16_t number = 0;
    std::string id;
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(rig.launcher->StartTool(actName, 1, 3342910, true, 4, number, id));
        EXPECT_EQ(number, i);
        EXPECT_EQ(id, std::to_string(i));
    }
    const auto lines = records(3);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) {
        ASSERT_EQ(line.size(), 4u);
        EXPECT_EQ(line[0], actName);
        EXPECT_EQ(line[1], "2");  // program and exactly one argument
    }
    // The instances start side by side; their lines may come in any order.
    for (std::size_t n = 1; n <= 3; ++n) {
        const std::string pid = std::to_string(rig.tools.at(n).ProcessId);
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l[3] == pid; });
        ASSERT_NE(line, lines.end()) << n;
        EXPECT_EQ((*line)[2], " 3342910,1,LumibenchPE," + std::to_string(n) + ",4,Data Exchange");
    }

    const std::vector<std::int64_t> pids = startedPids();
    EXPECT_TRUE(rig.launcher->CloseAllTools());
    for (std::int64_t pid : pids) EXPECT_TRUE(ProcessGone(pid)) << pid;  // ended and reaped
    EXPECT_EQ(rig.launcher->unreapedProcessCount(), 0u);

    rig.launcher->services().section = "Data Exchange_2";
    ASSERT_TRUE(rig.launcher->StartTool(actName, 1, -7, false, 0, number, id));
    EXPECT_EQ(id, "1");
    EXPECT_EQ(records(4)[3][2], "-7,0,LumibenchPE,1,0,Data Exchange_2");
}

TEST_F(ToolLauncherTest, OneBatchAndTheMaxFilesEdges) {
    struct Row {
        const char* name;
        std::int16_t maxFiles;
        int checked;
        std::vector<int> unsaved;
        std::vector<std::string> commands;
    };
    const Row rows[] = {
        {"all in one, first unsaved", 2, 2, {1}, {"MoveWin,0,0,-1,-1", "Unsaved", "Start"}},
        {"nothing checked starts nothing", 2, 0, {}, {}},
        {"MaxFiles 0 takes one file per instance", 0, 2, {},
         {"MoveWin,0,0,-1,-1", "MoveWin,0,0,-1,-1", "Start", "Start"}},
        {"MaxFiles -3 as well", -3, 1, {}, {"MoveWin,0,0,-1,-1", "Start"}},
    };
    std::size_t started = 0;
    for (const Row& row : rows) {
        // Let every instance record itself before it is ended.
        EXPECT_EQ(records(started).size(), started);
        rig.sent.clear();
        rig.launcher->CloseAllTools();
        ToolEntry entry = rig.catalogue.entry(1);
        entry.MaxFiles = row.maxFiles;
        rig.catalogue.clear();
        rig.catalogue.append(entry);
        WorkRecordTable work;
        rig.launcher->gsbToolClick(actName, 1, Loaded(row.checked, row.unsaved), work, {});
        EXPECT_EQ(rig.commandsOnly(), row.commands) << row.name;
        started += rig.tools.count();
    }
    EXPECT_EQ(records(started).size(), started);
}

// Several batches: each instance must have taken its first command before
// the next batch overwrites the slots it reads; one that never does stops
// the hand-over with a message instead of wrong data for the next.
TEST_F(ToolLauncherTest, EachBatchWaitsForItsInstanceToTakeItsFirstCommand) {
    struct Row {
        const char* name;
        int slowInstance;        // 0: every instance takes its MoveWin at once
        int answersAfterPauses;  // the slow one empties its mailbox after this many pauses; -1 never
        std::vector<std::string> slotsAtMoveWin;  // Filename1|Filename2 when each MoveWin goes out
        std::size_t instances;
        std::size_t messages;
    };
    const Row rows[] = {
        {"every instance answers", 0, 0, {"/d/f1.ies|/d/f2.ies", "/d/f3.ies|/d/f4.ies", "/d/f5.ies|"}, 3, 0},
        {"a slow instance is waited for", 2, 5, {"/d/f1.ies|/d/f2.ies", "/d/f3.ies|/d/f4.ies", "/d/f5.ies|"}, 3, 0},
        {"one that never answers stops the batches", 2, -1, {"/d/f1.ies|/d/f2.ies", "/d/f3.ies|/d/f4.ies"}, 2, 1},
    };
    rig.launcher->services().firstCommandWait = std::chrono::milliseconds(400);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        rig.launcher->CloseAllTools();
        rig.sent.clear();
        rig.messages.shown.clear();
        std::vector<std::string> seen;
        std::string waiting;  // the slow instance's mailbox while it holds a command
        int pauses = 0;
        rig.onSend = [&](const SentCommand& command) {
            if (command.command.rfind("MoveWin", 0) != 0) return;
            seen.push_back(rig.store.read("Lumibench_PE", "Data Exchange", "Filename1") + "|" +
                            rig.store.read("Lumibench_PE", "Data Exchange", "Filename2"));
            if (command.instanceId == std::to_string(row.slowInstance)) {
                waiting = command.actName + "|" + command.instanceId;
                rig.store.write("Lumibench_PE", "Data Exchange", waiting, command.command);
                pauses = 0;
            }
        };
        rig.onPause = [&] {
            if (!waiting.empty() && row.answersAfterPauses >= 0 && ++pauses >= row.answersAfterPauses) {
                rig.store.write("Lumibench_PE", "Data Exchange", waiting, "");
            }
        };
        WorkRecordTable work;
        rig.launcher->gsbToolClick(actName, 1, Loaded(5), work, {});
        EXPECT_EQ(seen, row.slotsAtMoveWin);
        EXPECT_EQ(rig.tools.count(), row.instances);
        ASSERT_EQ(rig.messages.shown.size(), row.messages);
        if (row.messages > 0) {
            EXPECT_EQ(rig.messages.shown[0].text,
                      actName + " did not answer within 1 seconds, so the checked files were not handed on "
                                "from number 5.");
        }
        // Every instance started still gets its Start.
        EXPECT_EQ(std::count(rig.sent.begin(), rig.sent.end(), SentCommand{actName, "1", "Start"}), 1);
        rig.onSend = nullptr;
        rig.onPause = nullptr;
    }
}

TEST_F(ToolLauncherTest, AStartThatNeverSucceedsIsReportedAndClosed) {
    folder.write("Tool_Broken", "not a program\n");  // exists, not executable
    ToolEntry broken;
    broken.ActName = "Tool_Broken";
    broken.Path = folder.path().string();
    broken.ToolType = 2;
    broken.MaxFiles = 5;
    rig.catalogue.append(broken);
    WorkRecordTable work;
    const auto before = std::chrono::steady_clock::now();
    rig.launcher->gsbToolClick("Tool_Broken", 2, Loaded(1), work, {});
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(300));
    EXPECT_TRUE(rig.sent.empty());
    ASSERT_EQ(rig.tools.count(), 1u);
    EXPECT_EQ(rig.tools.at(1).InstanceId, "-99");
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].title, "Start Tool");
    EXPECT_NE(rig.messages.shown[0].text.find("Tool_Broken"), std::string::npos);

    // The next start gets the next number.
    std::int16_t number = 0;
    std::string id;
    ASSERT_TRUE(rig.launcher->StartTool(actName, 1, 0, true, 0, number, id));
    EXPECT_EQ(id, "2");
}

// Once every instance has taken its commands (and read its data sets before
// that) the slots are emptied; not while one of them has not, nor after a
// tool's REFRESHDATA wrote them again for its own reading.
TEST_F(ToolLauncherTest, SlotsAreEmptiedOnceEveryInstanceHasTakenItsCommands) {
    const auto slotFile = [&] { return rig.store.read("Lumibench_PE", "Data Exchange", "Filename1"); };
    std::uint64_t refreshes = 0;
    rig.launcher->services().slotWriteCount = [&] { return refreshes; };
    struct Row {
        const char* name;
        int checked;
        bool taken;
        bool refreshedMeanwhile;
        bool emptied;
    };
    const Row rows[] = {
        {"one instance, taken", 1, true, false, true},
        {"two batches, taken", 3, true, false, true},
        {"not taken", 1, false, false, false},
        {"refreshed for a tool meanwhile", 1, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        rig.launcher->CloseAllTools();
        rig.onSend = [&](const SentCommand& sent) {
            if (!row.taken) rig.store.write("Lumibench_PE", "Data Exchange", ToolMailboxKey(sent.actName, sent.instanceId), sent.command);
            if (row.refreshedMeanwhile) ++refreshes;
        };
        WorkRecordTable work;
        rig.launcher->gsbToolClick(actName, 1, Loaded(row.checked), work, {});
        EXPECT_EQ(slotFile().empty(), row.emptied) << slotFile();
        for (std::size_t n = 1; n <= rig.tools.count(); ++n) {
            rig.store.write("Lumibench_PE", "Data Exchange", ToolMailboxKey(actName, rig.tools.at(n).InstanceId), "");
        }
    }
    rig.onSend = nullptr;
}

// A tool that a signal ended (a crash, an abort, the out-of-memory kill) is
// reported once; one that exits, or that the host ends, is not.
TEST_F(ToolLauncherTest, AToolEndedByASignalIsReportedOnce) {
    std::int16_t number = 0;
    std::string id;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.launcher->StartTool(actName, 1, 0, true, 0, number, id));
    const auto lines = records(3);
    ::kill(static_cast<pid_t>(std::stoll(lines[0][3])), SIGABRT);
    ::kill(static_cast<pid_t>(std::stoll(lines[1][3])), SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return rig.launcher->unreapedProcessCount() == 1; }));
    rig.launcher->ReapExitedTools();
    rig.launcher->CloseAllTools();
    rig.launcher->ReapExitedTools();
    std::vector<std::string> texts;
    for (const MessageRequest& shown : rig.messages.shown) texts.push_back(shown.text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{actName + " ended unexpectedly (signal 15)",
                                               actName + " ended unexpectedly (signal 6)"}));
}

TEST_F(ToolLauncherTest, ToolsThatEndByThemselvesAreReaped) {
    ::setenv("TOOLHOST_FAKE_TOOL_EXIT", "1", 1);
    std::int16_t number = 0;
    std::string id;
    ASSERT_TRUE(rig.launcher->StartTool(actName, 1, 0, true, 0, number, id));
    ASSERT_TRUE(rig.launcher->StartTool(actName, 1, 0, true, 0, number, id));
    const auto lines = records(2);
    // The launcher's timer collects them without being asked.
    EXPECT_TRUE(WaitFor([&] { return rig.launcher->unreapedProcessCount() == 0; }));
    for (std::int64_t pid : startedPids()) EXPECT_TRUE(ProcessGone(pid)) << pid;
    EXPECT_FALSE(rig.tools.at(1).Process->isRunning());
}

}  // namespace
}  // namespace lumibench
