// The Template and Save tools as a user meets them: real tool processes on an
// X server of their own (Xvfb) and the real host. Template creates a data set,
// the host lists it unsaved, Save writes it, the unsaved mark clears, and the
// written file loads without a message.

#include <QAction>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "../toolhost/process_helpers.h"
#include "../toolhost/temp_folder.h"
#include "../toolhost/test_host.h"
#include "../toolhost/xvfb_server.h"
#include "core/message_sink.h"
#include "platform/sqlite_settings_store.h"
#include "formats/ies/ies_reader.h"
#include "photometry/photometry.h"
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

// A designer's turn of road data: Convert turns the listed file by 90 degrees
// and sends it back under its own name, the host lists it unsaved, Save
// writes it over its file, and the file read again has its maximum 90
// degrees on.
TEST(ConvertAndSave, ATurnedFileIsListedUnsavedThenSavedInPlace) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    for (const char* tool : {"Tool_ConvertPE", "Tool_SaveEXPE"}) {
        if (!std::filesystem::exists(std::filesystem::path(bin) / tool)) GTEST_SKIP() << tool << " is not built";
    }
    testing::Xvfb x(1280, 800);
    if (x.display().empty()) GTEST_SKIP() << "no Xvfb";
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    TempFolder folder;
    folder.write("machine.ini", std::string("[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n") +
                                    "ToolActName1=Tool_ConvertPE\nToolPath1=" + bin +
                                    "\nToolDisplayName1=Convert\nToolType1=2\nToolMaxFiles1=25\n"
                                    "ToolActName2=Tool_SaveEXPE\nToolPath2=" + bin +
                                    "\nToolDisplayName2=Save\nToolType2=1\nToolMaxFiles2=25\n");
    ::setenv("LUMIBENCH_MACHINE_CONFIG", (folder / "machine.ini").c_str(), 1);
    ::setenv("LUMIBENCH_SETTINGS", (folder / "settings.sqlite3").c_str(), 1);
    const std::filesystem::path road = folder / "street.ies";
    std::filesystem::copy_file(std::filesystem::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / "street_light_absolute.ies",
                               road);

    auto store = SqliteSettingsStore::Open(folder / "settings.sqlite3");
    ASSERT_TRUE(store);
    RecordingMessageSink messages;
    HostSession session(*store, messages);
    auto window = testing::StartTestHost(session, folder.path(), road.string());
    ASSERT_EQ(session.loaded.size(), 1u);
    const photometry::Direction before = photometry::Summarise(session.loaded[0]).maxIntensityDirection;

    ::setenv("LUMIBENCH_TOOL_SCRIPT", "click cmdRotate90\nclick cmdApply", 1);
    window->findChild<QAction*>("Tool_ConvertPE")->trigger();
    ASSERT_TRUE(WaitFor([&] { return session.loaded[0].Saved == kFalse; }, 10s));
    EXPECT_EQ(session.loaded[0].Filename, road.string());
    const photometry::Direction turned = photometry::Summarise(session.loaded[0]).maxIntensityDirection;
    EXPECT_DOUBLE_EQ(turned.horizontal, std::fmod(before.horizontal + 90, 360));
    EXPECT_DOUBLE_EQ(turned.vertical, before.vertical);

    ::setenv("LUMIBENCH_TOOL_SCRIPT", "click cmdSave", 1);
    window->findChild<QAction*>("Tool_SaveEXPE")->trigger();
    EXPECT_TRUE(WaitFor([&] { return session.loaded[0].Saved == kTrue; }, 10s));
    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, folder / "data"};
    ReaderMessages message;
    std::string path = road.string();
    LoadIesFile(path, message, true, context);
    EXPECT_EQ(message.text(), "");
    EXPECT_DOUBLE_EQ(photometry::Summarise(work.front()).maxIntensityDirection.horizontal, turned.horizontal);

    messages.scriptedAnswers = {MessageAnswer::Yes};
    window->findChild<QAction*>("ID_CloseAllTools")->trigger();
    for (const char* name : {"LUMIBENCH_TOOL_SCRIPT", "LUMIBENCH_MACHINE_CONFIG", "DISPLAY", "QT_QPA_PLATFORM"}) {
        ::unsetenv(name);
    }
}

}  // namespace
}  // namespace lumibench
