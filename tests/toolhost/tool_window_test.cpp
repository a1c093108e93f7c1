// Window placement on a real X server (Xvfb): a tool window that names no
// process is found by its title, and "MoveWin" positions are taken from the
// host window's frame by both SDKs.
#include <gtest/gtest.h>

#include <QProcess>
#include <xcb/xcb.h>

#include <cstring>

#include "platform/sqlite_settings_store.h"
#include "process_helpers.h"
#include "sdk/window_placement.h"
#include "temp_folder.h"
#include "toolhost/x11_window_lookup.h"
#include "xvfb_server.h"

namespace lumibench {
namespace {

using testing::TempFolder;
using testing::WaitFor;
using testing::Xvfb;

xcb_window_t Root(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

// A mapped window at (x, y) in `parent`, titled `title`, with a _NET_WM_PID when pid > 0.
xcb_window_t MakeWindow(xcb_connection_t* c, xcb_window_t parent, int x, int y, const std::string& title,
                        std::uint32_t pid = 0) {
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, parent, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 200, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    if (!title.empty()) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
    }
    if (pid > 0) {
        auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::free(atom);
    }
    xcb_map_window(c, window);
    xcb_flush(c);
    return window;
}

// The window's position on the screen.
std::pair<int, int> ScreenPosition(xcb_connection_t* c, xcb_window_t window) {
    auto* reply = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, Root(c), 0, 0), nullptr);
    if (!reply) return {-1, -1};
    const std::pair<int, int> position{reply->dst_x, reply->dst_y};
    std::free(reply);
    return position;
}

bool IsTopmost(xcb_connection_t* c, xcb_window_t window) {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, Root(c)), nullptr);
    const int count = tree ? xcb_query_tree_children_length(tree) : 0;
    const bool top = count > 0 && xcb_query_tree_children(tree)[count - 1] == window;
    std::free(tree);
    return top;
}

class ToolWindows : public ::testing::Test {
protected:
    void SetUp() override {
        if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
        c = xcb_connect(server.display().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(c));
        ::setenv("DISPLAY", server.display().c_str(), 1);
    }
    void TearDown() override {
        if (c) xcb_disconnect(c);
        ::unsetenv("DISPLAY");
    }
    Xvfb server;
    xcb_connection_t* c = nullptr;
};

// Windows of toolkits that set no _NET_WM_PID, or of a program a wrapper
// forked, are placed by their exact title; a same-titled window that names
// an unrelated process is another instance's and is left alone.
TEST_F(ToolWindows, WithoutItsPidAToolWindowIsFoundByItsTitle) {
    const pid_t descendant = ::fork();
    if (descendant == 0) {
        ::pause();
        ::_exit(0);
    }
    struct Row {
        const char* name;
        std::uint32_t windowPid;
        bool found;
    };
    const Row rows[] = {{"no pid on the window", 0, true},
                        {"a child of the started process", static_cast<std::uint32_t>(descendant), true},
                        {"an unrelated process", 1, false}};
    X11WindowLookup lookup(c);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const xcb_window_t tool = MakeWindow(c, Root(c), 10, 10, "Tool_NoPidPE", row.windowPid);
        const xcb_window_t other = MakeWindow(c, Root(c), 20, 20, "Tool_OtherPE");
        EXPECT_EQ(lookup.bringToolToFront(::getpid(), "Tool_NoPidPE"), row.found);
        xcb_get_input_focus_reply_t* sync = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        std::free(sync);
        EXPECT_EQ(IsTopmost(c, tool), row.found);
        EXPECT_FALSE(lookup.bringToolToFront(::getpid(), "Tool_NoSuchPE"));
        xcb_destroy_window(c, tool);
        xcb_destroy_window(c, other);
        xcb_flush(c);
    }
    ::kill(descendant, SIGKILL);
    ::waitpid(descendant, nullptr, 0);
}

// MoveWin positions count from the host window's frame: the window itself
// without a window manager, its decoration's corner under one (here a parent
// window standing in for the frame). A stale or missing handle gives nothing.
TEST_F(ToolWindows, HostWindowOriginIsItsFramesCornerInBothSdks) {
    const xcb_window_t bare = MakeWindow(c, Root(c), 100, 50, "host");
    const xcb_window_t frame = MakeWindow(c, Root(c), 300, 200, "");
    const xcb_window_t framed = MakeWindow(c, frame, 4, 22, "framed host");
    const xcb_window_t gone = MakeWindow(c, Root(c), 5, 5, "gone");
    xcb_destroy_window(c, gone);
    xcb_get_input_focus_reply_t* sync = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    std::free(sync);

    struct Row {
        const char* name;
        std::int64_t handle;
        std::optional<ScreenPoint> origin;
    };
    const Row rows[] = {{"bare window", bare, ScreenPoint{100, 50}},
                        {"window in a frame", framed, ScreenPoint{300, 200}},
                        {"destroyed window", gone, std::nullopt},
                        {"no handle", 0, std::nullopt},
                        {"beyond X ids", 0x1'0000'0000LL, std::nullopt}};
    const std::string sdk = std::string(LUMIBENCH_SOURCE_DIR) + "/sdk/python";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(HostFrameOrigin(row.handle), row.origin);
        QProcess python;
        python.start(QStringLiteral(LUMIBENCH_PYTHON),
                     {"-c", QString::fromStdString("import sys; sys.path.insert(0, '" + sdk +
                                                   "'); import lumibench_tool as t; "
                                                   "print(t.host_window_origin(" + std::to_string(row.handle) + "))")});
        python.waitForFinished(20000);
        const std::string expected =
            row.origin ? "(" + std::to_string(row.origin->x) + ", " + std::to_string(row.origin->y) + ")" : "None";
        EXPECT_EQ(python.readAllStandardOutput().trimmed().toStdString(), expected);
    }
}

// The example tools of both SDKs go where MoveWin says: relative to the host
// window, each time one comes (the host sends a second on cascade). The
// host finds each by its pid or, for a toolkit that sets none, its title.
TEST_F(ToolWindows, ExampleToolsMoveRelativeToTheHostWindow) {
    struct Row {
        const char* actName;
        std::string program;
    };
    const Row rows[] = {{"Tool_Example", TOOL_EXAMPLE},
                        {"Tool_PythonExample", std::string(LUMIBENCH_BIN_DIR) + "/Tool_PythonExample"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.actName);
        if (std::string(row.actName) == "Tool_PythonExample" &&
            QProcess::execute(QStringLiteral(LUMIBENCH_PYTHON), {"-c", "import tkinter"}) != 0) {
            continue;  // no Tk for this Python: nothing to show a window with
        }
        TempFolder folder;
        const auto storeFile = folder / "settings.sqlite3";
        auto store = SqliteSettingsStore::Open(storeFile);
        ASSERT_TRUE(store);
        const xcb_window_t host = MakeWindow(c, Root(c), 100, 50, "host");
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("LUMIBENCH_SETTINGS", QString::fromStdString(storeFile.string()));
        tool.setProcessEnvironment(environment);
        tool.start(QString::fromStdString(row.program),
                   {QString::fromStdString(" " + std::to_string(host) + ",0,LumibenchPE,1,0,Data Exchange")});
        ASSERT_TRUE(tool.waitForStarted(10000));
        X11WindowLookup lookup(c);
        xcb_window_t window = 0;
        ASSERT_TRUE(WaitFor([&] {
            for (std::uint32_t w : lookup.findWindowsByTitle(row.actName)) {
                auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
                if (a && a->map_state == XCB_MAP_STATE_VIEWABLE) window = w;
                std::free(a);
            }
            return window != 0;
        }, std::chrono::seconds(15)));
        EXPECT_TRUE(lookup.bringToolToFront(tool.processId(), row.actName));

        const std::string mailbox = std::string(row.actName) + "|1";
        for (const auto& [x, y] : {std::pair{30, 20}, std::pair{90, 80}}) {
            store->write("Lumibench_PE", "Data Exchange", mailbox,
                         "MoveWin," + std::to_string(x) + "," + std::to_string(y) + ",-1,-1");
            EXPECT_TRUE(WaitFor([&] { return ScreenPosition(c, window) == std::pair{100 + x, 50 + y}; },
                                std::chrono::seconds(5)))
                << ScreenPosition(c, window).first << "," << ScreenPosition(c, window).second;
        }
        store->write("Lumibench_PE", "Data Exchange", mailbox, "Close");
        EXPECT_TRUE(tool.waitForFinished(5000));
        xcb_destroy_window(c, host);
    }
}

}  // namespace
}  // namespace lumibench
