// The launcher with the real pieces: the probe tool, the SQLite store shared
// with it, and the command channel that waits for each command to be taken.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sqlite_settings_store.h"
#include "process_helpers.h"
#include "temp_folder.h"
#include "toolhost/command_channel.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_launcher.h"
#include "toolhost/window_lookup.h"

namespace lumibench {
namespace {

using testing::ProcessGone;
using testing::ReadTabLines;
using testing::TempFolder;
using testing::WaitFor;

class NullChannelHost : public ChannelHost {
public:
    void refreshLoadedFilesList() override {}
    void showEuropeanDataHint() override {}
    void closeAllTools() override {}
};

TEST(ProbeLaunch, BatchesReachRealToolsThatTakeStartOnlyAfterTheLastStart) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const std::filesystem::path probe = std::filesystem::path(bin) / "lumibench_probe";
    if (!std::filesystem::exists(probe)) GTEST_SKIP() << "no probe tool in " << bin;

    TempFolder folder;
    const auto storeFile = folder / "settings.sqlite3";
    ::setenv("LUMIBENCH_SETTINGS", storeFile.c_str(), 1);
    ::setenv("LUMIBENCH_PROBE_LOG", (folder / "probe.log").c_str(), 1);
    std::string error;
    auto store = SqliteSettingsStore::Open(storeFile, &error);
    ASSERT_TRUE(store) << error;

    ToolCatalogue catalogue;
    ToolEntry entry;
    entry.ActName = "lumibench_probe";
    entry.Path = bin;
    entry.ToolType = 2;
    entry.MaxFiles = 2;
    catalogue.append(entry);

    LoadedFileTable loaded;
    for (int i = 1; i <= 5; ++i) {
        PhotometricRecord r;
        r.Filename = "/d/f" + std::to_string(i) + ".ies";
        r.Checked = kTrue;
        r.Saved = i == 3 ? kFalse : kTrue;  // the second batch starts with an unsaved set
        loaded.push_back(r);
    }
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows(tools);
    RecordingMessageSink messages;
    NullChannelHost host;
    CommandChannel channel({*store, "Data Exchange", loaded, work, tools, windows, messages, host});
    channel.start();
    ToolLauncher launcher({catalogue, tools, windows, *store, messages, SenderFor(channel),
                           "Data Exchange", "LumibenchPE", std::chrono::milliseconds(50),
                           std::chrono::milliseconds(5000), ProcessEventsFor});

    launcher.gsbToolClick("lumibench_probe", 1, loaded, work, {0, 120, 0});
    ASSERT_EQ(tools.count(), 3u);
    std::vector<std::int64_t> pids;
    for (const RunningTool& t : tools.entries()) pids.push_back(t.ProcessId);

    auto events = [&](const std::string& kind) {
        std::vector<std::string> texts;
        for (const auto& line : ReadTabLines(folder / "probe.log")) {
            if (line.size() >= 3 && line[1] == kind) texts.push_back(line[2]);
        }
        return texts;
    };
    auto startsTaken = [&] {
        const auto taken = events("take");
        return std::count(taken.begin(), taken.end(), "Start");
    };
    EXPECT_TRUE(WaitFor([&] { return startsTaken() == 3; }));

    // Each instance read its own batch before the next batch was written.
    const auto data = events("data");
    ASSERT_EQ(data.size(), 3u);
    EXPECT_NE(data[0].find(" 2|/d/f1.ies|/d/f2.ies"), std::string::npos) << data[0];
    EXPECT_NE(data[1].find(" 2|/d/f3.ies|/d/f4.ies"), std::string::npos) << data[1];
    EXPECT_NE(data[2].find(" 1|/d/f5.ies"), std::string::npos) << data[2];
    EXPECT_EQ(events("start"), (std::vector<std::string>{"lumibench_probe|1", "lumibench_probe|2",
                                                         "lumibench_probe|3"}));
    // The third instance had started (it logs that before it takes anything)
    // before the first "Start" was taken; each took one "MoveWin".
    const auto lines = ReadTabLines(folder / "probe.log");
    auto firstLine = [&](const std::string& kind, const std::string& text, bool last) {
        std::ptrdiff_t found = -1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].size() >= 3 && lines[i][1] == kind && (text.empty() || lines[i][2] == text)) {
                found = static_cast<std::ptrdiff_t>(i);
                if (!last) break;
            }
        }
        return found;
    };
    EXPECT_LT(firstLine("start", "", true), firstLine("take", "Start", false));
    const auto taken = events("take");
    EXPECT_EQ(std::count(taken.begin(), taken.end(), "MoveWin,120,0,-1,-1"), 3);
    EXPECT_EQ(std::count(taken.begin(), taken.end(), "Unsaved"), 1);

    EXPECT_TRUE(launcher.AnyToolWindowOpen());
    launcher.CloseAllTools();
    for (std::int64_t pid : pids) EXPECT_TRUE(ProcessGone(pid)) << pid;
    EXPECT_FALSE(launcher.AnyToolWindowOpen());
    ::unsetenv("LUMIBENCH_PROBE_LOG");
}

}  // namespace
}  // namespace lumibench
