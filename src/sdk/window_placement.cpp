#include "sdk/window_placement.h"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace lumibench {
namespace {

void SetError(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
}

// A connection of our own for one placement: a tool places its window a few
// times in its life, and the toolkit's connection is not ours to use.
struct Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;

    explicit Connection(std::string* error) {
        int screen = 0;
        c = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(c)) {
            SetError(error, "no X server to place the window on");
            return;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
        if (it.rem) root = it.data->root;
    }
    ~Connection() {
        if (c != nullptr) xcb_disconnect(c);
    }
    bool ok() const { return root != XCB_WINDOW_NONE; }
};

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// False for ids that name no window: X answers those with an error, not a crash.
bool IsWindow(xcb_connection_t* c, xcb_window_t window) {
    if (window == XCB_WINDOW_NONE) return false;
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr), &std::free);
    return attributes != nullptr;
}

// The window's ancestor among the root's children: its frame under a
// reparenting window manager, itself without one.
xcb_window_t TopLevelOf(xcb_connection_t* c, xcb_window_t root, xcb_window_t window) {
    // The tree is shallow; the bound only guards against a server answering nonsense.
    for (int depth = 0; depth < 16; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &std::free);
        if (!tree || tree->parent == root || tree->parent == XCB_WINDOW_NONE) return window;
        window = tree->parent;
    }
    return window;
}

}  // namespace

std::optional<ScreenPoint> HostFrameOrigin(std::int64_t hostWindow, std::string* error) {
    if (hostWindow <= 0 || hostWindow > 0xFFFFFFFF) {
        SetError(error, "no host window handle");
        return std::nullopt;
    }
    Connection x(error);
    if (!x.ok()) return std::nullopt;
    const auto host = static_cast<xcb_window_t>(hostWindow);
    if (!IsWindow(x.c, host)) {
        SetError(error, "the host window " + std::to_string(hostWindow) + " does not exist");
        return std::nullopt;
    }
    const xcb_window_t frame = TopLevelOf(x.c, x.root, host);
    Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(x.c, xcb_translate_coordinates(x.c, frame, x.root, 0, 0), nullptr),
        &std::free);
    if (!origin) {
        SetError(error, "the host window " + std::to_string(hostWindow) + " went away");
        return std::nullopt;
    }
    return ScreenPoint{origin->dst_x, origin->dst_y};
}

bool MoveTopLevelWindow(std::uint64_t window, ScreenPoint position, std::string* error) {
    if (window == 0 || window > 0xFFFFFFFF) {
        SetError(error, "no window to move");
        return false;
    }
    Connection x(error);
    if (!x.ok()) return false;
    const auto id = static_cast<xcb_window_t>(window);
    if (!IsWindow(x.c, id)) {
        SetError(error, "the window " + std::to_string(window) + " does not exist");
        return false;
    }
    const std::uint32_t values[] = {static_cast<std::uint32_t>(position.x), static_cast<std::uint32_t>(position.y)};
    xcb_void_cookie_t cookie =
        xcb_configure_window_checked(x.c, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    Reply<xcb_generic_error_t> failure(xcb_request_check(x.c, cookie), &std::free);
    if (failure) {
        SetError(error, "the window " + std::to_string(window) + " could not be moved");
        return false;
    }
    return true;
}

}  // namespace lumibench
