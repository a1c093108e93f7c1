// The start-up helpers and the command loop of tools whose window is up from
// the start, over a store shared with a stand-in host that takes every command.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "sdk/tool_start.h"
#include "sdk/window_tool.h"

namespace lumibench {
namespace {

constexpr const char* kSection = "Data Exchange";

class WindowToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&host_, &QTimer::timeout, [this] { take(); });
        host_.start(5);
    }
    // The host takes the command the tool sent, if any.
    void take() {
        const std::string command = store_.read("Lumibench_PE", kSection, "LumibenchPE");
        if (command.empty()) return;
        sent_.push_back(command);
        store_.write("Lumibench_PE", kSection, "LumibenchPE", "");
    }
    void command(const std::string& text) { store_.write("Lumibench_PE", kSection, "Tool_SaveEXPE|4", text); }
    // The tool's event loop until the driver ends it; two seconds at most.
    void runUntilQuit() {
        QTimer::singleShot(2000, qApp, [] { qApp->quit(); });
        QApplication::exec();
        take();  // a command sent just before the end
    }

    MemorySettingsStore store_;
    ToolSession session_{store_, {0, false, "LumibenchPE", "4", 0, kSection}, "Tool_SaveEXPE"};
    QTimer host_;
    std::vector<std::string> sent_;
};

TEST_F(WindowToolTest, HostCommandsReachTheHooksAndOnlyTheUsersCloseIsReported) {
    QWidget window;
    int started = 0;
    int unsaved = 0;
    std::vector<std::string> removed;
    WindowToolDriver driver(session_, window,
                            {.started = [&] { ++started; },
                             .markFirstUnsaved = [&] { ++unsaved; },
                             .removeFile = [&](const std::string& path) { removed.push_back(path); }});
    window.show();
    for (const char* text : {"Start", "Unsaved", "DeleteFile,/data/a.ies"}) {
        command(text);
        QElapsedTimer clock;
        clock.start();
        while (!store_.read("Lumibench_PE", kSection, "Tool_SaveEXPE|4").empty() && clock.elapsed() < 2000) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    EXPECT_EQ(started, 1);
    EXPECT_EQ(unsaved, 1);
    EXPECT_EQ(removed, std::vector<std::string>{"/data/a.ies"});

    // Closed by the host: the windows close on the way out, and the host is not told.
    command("Close");
    runUntilQuit();
    EXPECT_TRUE(sent_.empty());
}

TEST_F(WindowToolTest, ClosedByTheUserTheToolTellsTheHost) {
    QWidget window;
    WindowToolDriver driver(session_, window, {});
    window.show();
    QTimer::singleShot(0, &window, [&] { window.close(); });
    runUntilQuit();
    EXPECT_EQ(sent_, std::vector<std::string>{"CLOSEREMOVE,Tool_SaveEXPE,4"});
}

TEST(StateFileWriter, WritesOnlyWhenItsVariableNamesAFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath("state.json");
    int described = 0;
    auto describe = [&] {
        ++described;
        return QJsonObject{{"visible", described > 1}};
    };
    ::unsetenv("LUMIBENCH_TEST_STATE");
    StateFileWriter("LUMIBENCH_TEST_STATE", describe)();
    EXPECT_EQ(described, 0);

    ::setenv("LUMIBENCH_TEST_STATE", path.toLocal8Bit().constData(), 1);
    const auto write = StateFileWriter("LUMIBENCH_TEST_STATE", describe);
    ::unsetenv("LUMIBENCH_TEST_STATE");  // read once, when the tool starts
    write();
    write();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(file.readAll()).object().value("visible").toBool(), true);
}

}  // namespace
}  // namespace lumibench
