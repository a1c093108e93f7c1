// The Template and Save tools as a user meets them: real tool processes on an
// X server of their own (Xvfb) and the real host. Template creates a data set,
// the host lists it unsaved, Save writes it, the unsaved mark clears, and the
// written file loads without a message.

#include <QAction>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../toolhost/process_helpers.h"
#include "../toolhost/temp_folder.h"
#include "../toolhost/test_host.h"
#include "../toolhost/xvfb_server.h"
#include "core/message_sink.h"
#include "platform/sqlite_settings_store.h"
#include "formats/ies/ies_reader.h"
#include "shell/frm_lumibench.h"
#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"

namespace lumibench {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;
using testing::WaitFor;

TEST(TemplateAndSave, NewDataIsListedUnsavedThenSavedToALoadableFile) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    for (const char* tool : {"Tool_TemplatePE", "Tool_SaveEXPE"}) {
        if (!std::filesystem::exists(std::filesystem::path(bin) / tool)) GTEST_SKIP() << tool << " is not built";
    }
    testing::Xvfb x(1280, 800);
    if (x.display().empty()) GTEST_SKIP() << "no Xvfb";
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);  // for the tools; this process keeps its own platform

    TempFolder folder;
    folder.write("machine.ini", std::string("[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n") +
                                    "ToolActName1=Tool_TemplatePE\nToolPath1=" + bin +
                                    "\nToolDisplayName1=Template\nToolType1=0\nToolMaxFiles1=1\n"
                                    "ToolActName2=Tool_SaveEXPE\nToolPath2=" + bin +
                                    "\nToolDisplayName2=Save\nToolType2=1\nToolMaxFiles2=25\n");
    ::setenv("LUMIBENCH_MACHINE_CONFIG", (folder / "machine.ini").c_str(), 1);
    ::setenv("LUMIBENCH_SETTINGS", (folder / "settings.sqlite3").c_str(), 1);

    auto store = SqliteSettingsStore::Open(folder / "settings.sqlite3");
    ASSERT_TRUE(store);
    RecordingMessageSink messages;
    HostSession session(*store, messages);
    auto window = testing::StartTestHost(session, folder.path(), "");
    ASSERT_TRUE(session.loaded.empty());

    ::setenv("LUMIBENCH_TOOL_SCRIPT", "click cmdCreate", 1);
    window->findChild<QAction*>("Tool_TemplatePE")->trigger();
    ASSERT_TRUE(WaitFor([&] { return session.loaded.size() == 1; }, 10s));
    EXPECT_EQ(session.loaded[0].Saved, kFalse);
    EXPECT_EQ(session.loaded[0].Filename, "Template.ies");

    const std::string target = (folder / "made.ies").string();
    ::setenv("LUMIBENCH_TOOL_SCRIPT", ("click cmdSave\nfile " + target).c_str(), 1);
    window->findChild<QAction*>("ID_CheckAll")->trigger();
    window->findChild<QAction*>("Tool_SaveEXPE")->trigger();
    EXPECT_TRUE(WaitFor([&] { return session.loaded[0].Saved == kTrue; }, 10s));
    EXPECT_EQ(session.loaded[0].Filename, target);

    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, folder / "data"};
    ReaderMessages message;
    std::string path = target;
    LoadIesFile(path, message, true, context);
    EXPECT_EQ(message.text(), "");
    EXPECT_EQ(work.front().Candela, session.loaded[0].Candela);

    messages.scriptedAnswers = {MessageAnswer::Yes};
    window->findChild<QAction*>("ID_CloseAllTools")->trigger();
    for (const char* name : {"LUMIBENCH_TOOL_SCRIPT", "LUMIBENCH_MACHINE_CONFIG", "DISPLAY", "QT_QPA_PLATFORM"}) {
        ::unsetenv(name);
    }
}

}  // namespace
}  // namespace lumibench
