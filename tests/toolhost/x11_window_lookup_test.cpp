// The X11 lookup against a real X server (Xvfb) and real tool windows.
#include "toolhost/x11_window_lookup.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "process_helpers.h"
#include "xvfb_server.h"
#include "temp_folder.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_launcher.h"

extern char** environ;

namespace lumibench {
namespace {

using testing::TempFolder;
using testing::WaitFor;
using testing::Xvfb;

const std::filesystem::path kFakeTool = TOOLHOST_FAKE_TOOL;

// The window ids of the root's children, bottom to top.
std::vector<xcb_window_t> Stacking(xcb_connection_t* c) {
    std::vector<xcb_window_t> out;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (auto* reply = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)) {
        const xcb_window_t* children = xcb_query_tree_children(reply);
        out.assign(children, children + xcb_query_tree_children_length(reply));
        std::free(reply);
    }
    return out;
}

// The mapped one of the windows with this title (a toolkit may keep unmapped
// helper windows under the same name).
std::uint32_t MappedWindow(X11WindowLookup& lookup, xcb_connection_t* c, const std::string& title) {
    for (std::uint32_t window : lookup.findWindowsByTitle(title)) {
        auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (mapped) return window;
    }
    return 0;
}

std::ptrdiff_t PositionOf(const std::vector<xcb_window_t>& stack, std::uint32_t window) {
    return std::find(stack.begin(), stack.end(), window) - stack.begin();
}

TEST(X11WindowLookup, FindsRaisesAndLosesRealToolWindows) {
    Xvfb server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    xcb_connection_t* connection = xcb_connect(server.display().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(connection));

    // Two tools by two names: the stand-in under a second file name.
    TempFolder folder;
    std::filesystem::create_symlink(kFakeTool, folder / "Tool_OtherPE");
    ::setenv("DISPLAY", server.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("TOOLHOST_FAKE_TOOL_RECORD");
    ::unsetenv("TOOLHOST_FAKE_TOOL_EXIT");
    std::string error;
    auto first = SpawnedToolProcess::Spawn(kFakeTool.string(), " 0,1,LumibenchPE,1,0,Data Exchange", error);
    auto second = SpawnedToolProcess::Spawn((folder / "Tool_OtherPE").string(), " 0,1,LumibenchPE,2,0,Data Exchange", error);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ASSERT_TRUE(first && second) << error;

    X11WindowLookup lookup(connection);
    std::uint32_t firstWindow = 0;
    std::uint32_t secondWindow = 0;
    EXPECT_TRUE(WaitFor([&] {
        firstWindow = MappedWindow(lookup, connection, "Tool_FakePE");
        secondWindow = MappedWindow(lookup, connection, "Tool_OtherPE");
        return firstWindow && secondWindow;
    }));
    EXPECT_TRUE(lookup.windowExists("Tool_FakePE"));
    EXPECT_FALSE(lookup.windowExists("Tool_Fake"));   // exact titles only
    EXPECT_FALSE(lookup.windowExists("tool_fakepe"));

    ASSERT_TRUE(lookup.bringProcessToFront(first->processId()));
    auto stack = Stacking(connection);
    EXPECT_GT(PositionOf(stack, firstWindow), PositionOf(stack, secondWindow));
    ASSERT_TRUE(lookup.bringProcessToFront(second->processId()));
    stack = Stacking(connection);
    EXPECT_GT(PositionOf(stack, secondWindow), PositionOf(stack, firstWindow));
    EXPECT_FALSE(lookup.bringProcessToFront(::getpid()));  // a process without windows there
    EXPECT_FALSE(lookup.bringProcessToFront(0));

    first->terminate();
    EXPECT_TRUE(WaitFor([&] { return !lookup.windowExists("Tool_FakePE"); }));
    EXPECT_FALSE(lookup.bringProcessToFront(first->processId()));
    EXPECT_TRUE(lookup.windowExists("Tool_OtherPE"));
    second->terminate();
    xcb_disconnect(connection);
}

}  // namespace
}  // namespace lumibench
