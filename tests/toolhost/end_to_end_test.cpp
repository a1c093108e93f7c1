// The main window with the real tool host: a toolbar click hands the checked
// file to a real tool, the tool's data comes back into the list, and closing
// all tools leaves no process behind.
#include <QAction>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

#include "platform/sqlite_settings_store.h"
#include "process_helpers.h"
#include "shell/frm_lumibench.h"
#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"
#include "temp_folder.h"
#include "test_host.h"

namespace lumibench {
namespace {

using testing::ReadTabLines;
using testing::TempFolder;
using testing::WaitFor;

// Processes whose parent is this test, zombies included.
int ChildProcessCount() {
    int count = 0;
    DIR* proc = ::opendir("/proc");
    if (!proc) return -1;
    while (dirent* entry = ::readdir(proc)) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // pid (comm) state ppid ...: the command may hold blanks, so start after ')'.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        long parent = 0;
        rest >> state >> parent;
        count += parent == ::getpid();
    }
    ::closedir(proc);
    return count;
}

TEST(EndToEnd, ToolbarStartHandsDataOverAndTakesItBack) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    if (!std::filesystem::exists(std::filesystem::path(bin) / "lumibench_probe")) {
        GTEST_SKIP() << "no probe tool";
    }
    TempFolder folder;
    const std::string sample = std::string(LUMIBENCH_SOURCE_DIR) + "/data/samples/downlight.ies";
    const std::string copy = (folder / "downlight_copy.ies").string();
    folder.write("machine.ini", std::string("[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n") +
                                    "ToolActName1=lumibench_probe\nToolPath1=" + bin +
                                    "\nToolDisplayName1=Probe\nToolType1=2\nToolMaxFiles1=25\n");
    ::setenv("LUMIBENCH_MACHINE_CONFIG", (folder / "machine.ini").c_str(), 1);
    ::setenv("LUMIBENCH_SETTINGS", (folder / "settings.sqlite3").c_str(), 1);
    ::setenv("LUMIBENCH_PROBE_LOG", (folder / "probe.log").c_str(), 1);
    // The probe gives its data set a new name and sends it back as unsaved.
    ::setenv("LUMIBENCH_PROBE_SCRIPT", ("filename 1 " + copy + "\necho\nsend SENDNEWDATA*").c_str(), 1);

    auto store = SqliteSettingsStore::Open(folder / "settings.sqlite3");
    ASSERT_TRUE(store);
    RecordingMessageSink messages;
    HostSession session(*store, messages);
    auto window = testing::StartTestHost(session, folder.path(), sample);
    ASSERT_EQ(session.loaded.size(), 1u);

    QAction* probe = window->findChild<QAction*>("lumibench_probe");
    ASSERT_NE(probe, nullptr);
    probe->trigger();
    EXPECT_TRUE(WaitFor([&] { return session.loaded.size() == 2; }));
    ASSERT_EQ(session.loaded.size(), 2u);
    EXPECT_EQ(session.loaded[1].Filename, copy);
    EXPECT_EQ(session.loaded[1].Saved, kFalse);
    EXPECT_EQ(session.loaded[1].Candela, session.loaded[0].Candela);
    EXPECT_GE(ChildProcessCount(), 1);

    messages.scriptedAnswers = {MessageAnswer::Yes};
    window->findChild<QAction*>("ID_CloseAllTools")->trigger();
    EXPECT_EQ(ChildProcessCount(), 0);
    bool sawData = false;
    for (const auto& line : ReadTabLines(folder / "probe.log")) {
        sawData |= line.size() >= 3 && line[1] == "data" && line[2].find("downlight.ies") != std::string::npos;
    }
    EXPECT_TRUE(sawData);
    for (const char* name : {"LUMIBENCH_PROBE_SCRIPT", "LUMIBENCH_PROBE_LOG", "LUMIBENCH_MACHINE_CONFIG"}) {
        ::unsetenv(name);
    }
}

}  // namespace
}  // namespace lumibench
