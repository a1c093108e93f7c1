#include "toolhost/x11_window_lookup.h"

#include <QGuiApplication>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <xcb/xcb.h>

#include "toolhost/running_tool_table.h"

namespace lumibench {
namespace {

// Root children are frames or top-level windows; a reparenting window manager
// puts the client window (which carries the title and pid) one or two levels lower.
constexpr int kSearchDepth = 3;
// Titles longer than this many 32-bit units are not read in full (and do not match).
constexpr std::uint32_t kTitleUnits = 1024;

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

struct X11WindowLookup::Candidate {
    xcb_window_t window;
    xcb_window_t topLevel;  // its ancestor among the root's children
};

struct X11WindowLookup::Atoms {
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t netWmPid = XCB_ATOM_NONE;
    xcb_atom_t netActiveWindow = XCB_ATOM_NONE;
};

X11WindowLookup::X11WindowLookup(xcb_connection_t* connection)
    : connection_(connection), atoms_(std::make_unique<Atoms>()) {
    if (!connection_ || xcb_connection_has_error(connection_)) {
        connection_ = nullptr;
        return;
    }
    atoms_->netWmName = InternAtom(connection_, "_NET_WM_NAME");
    atoms_->netWmPid = InternAtom(connection_, "_NET_WM_PID");
    atoms_->netActiveWindow = InternAtom(connection_, "_NET_ACTIVE_WINDOW");
}

X11WindowLookup::~X11WindowLookup() = default;

namespace {

xcb_window_t RootOf(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Every window down to kSearchDepth below the root, level by level; the
// requests of one level go out together so a walk costs a few round trips.
std::vector<X11WindowLookup::Candidate> WalkTree(xcb_connection_t* c) {
    using Candidate = X11WindowLookup::Candidate;
    std::vector<Candidate> all;
    const xcb_window_t root = RootOf(c);
    if (root == XCB_WINDOW_NONE) return all;
    std::vector<Candidate> level{{root, XCB_WINDOW_NONE}};
    for (int depth = 0; depth < kSearchDepth && !level.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(level.size());
        for (const Candidate& w : level) cookies.push_back(xcb_query_tree(c, w.window));
        std::vector<Candidate> next;
        for (std::size_t i = 0; i < level.size(); ++i) {
            xcb_query_tree_reply_t* reply = xcb_query_tree_reply(c, cookies[i], nullptr);
            if (!reply) continue;  // the window went away meanwhile
            const xcb_window_t* children = xcb_query_tree_children(reply);
            const int count = xcb_query_tree_children_length(reply);
            for (int k = 0; k < count; ++k) {
                const xcb_window_t top = depth == 0 ? children[k] : level[i].topLevel;
                next.push_back({children[k], top});
            }
            std::free(reply);
        }
        all.insert(all.end(), next.begin(), next.end());
        level = std::move(next);
    }
    return all;
}

}  // namespace

std::vector<std::uint32_t> X11WindowLookup::findWindowsByTitle(const std::string& title) {
    std::vector<std::uint32_t> found;
    if (!connection_) return found;
    const std::vector<Candidate> windows = WalkTree(connection_);
    std::vector<xcb_get_property_cookie_t> netNames;
    std::vector<xcb_get_property_cookie_t> names;
    netNames.reserve(windows.size());
    names.reserve(windows.size());
    for (const Candidate& w : windows) {
        netNames.push_back(xcb_get_property(connection_, 0, w.window, atoms_->netWmName,
                                            XCB_GET_PROPERTY_TYPE_ANY, 0, kTitleUnits));
        names.push_back(xcb_get_property(connection_, 0, w.window, XCB_ATOM_WM_NAME,
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, kTitleUnits));
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        xcb_get_property_reply_t* net = xcb_get_property_reply(connection_, netNames[i], nullptr);
        xcb_get_property_reply_t* plain = xcb_get_property_reply(connection_, names[i], nullptr);
        // A tool's window manager title (_NET_WM_NAME) may say what it shows
        // while its legacy WM_NAME keeps the ActName: either name matches.
        const auto matches = [&title](xcb_get_property_reply_t* name) {
            if (!name || name->format != 8 || name->bytes_after != 0) return false;
            const char* value = static_cast<const char*>(xcb_get_property_value(name));
            const int length = xcb_get_property_value_length(name);
            return length >= 0 && title == std::string_view(value, static_cast<std::size_t>(length));
        };
        if (matches(net) || matches(plain)) found.push_back(windows[i].window);
        std::free(net);
        std::free(plain);
    }
    return found;
}

bool X11WindowLookup::windowExists(const std::string& title) {
    return !findWindowsByTitle(title).empty();
}

namespace {

// The process's parent, from /proc; 0 when it cannot be read.
std::int64_t ParentOf(std::int64_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos || close + 4 >= text.size()) return 0;
    // ") S PPID ...": the state, then the parent.
    std::int64_t parent = 0;
    const char* first = text.data() + close + 4;
    std::from_chars(first, text.data() + text.size(), parent);
    return parent;
}

bool IsSelfOrDescendant(std::int64_t pid, std::int64_t ancestor) {
    // The chain to init is short; the bound guards against a loop of reused ids.
    for (int depth = 0; depth < 64 && pid > 1; ++depth) {
        if (pid == ancestor) return true;
        pid = ParentOf(pid);
    }
    return false;
}

}  // namespace

std::vector<std::int64_t> X11WindowLookup::pidsOf(const std::vector<Candidate>& windows) {
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const Candidate& w : windows) {
        cookies.push_back(xcb_get_property(connection_, 0, w.window, atoms_->netWmPid, XCB_ATOM_CARDINAL, 0, 1));
    }
    std::vector<std::int64_t> pids;
    pids.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookies[i], nullptr);
        std::uint32_t pid = 0;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
            std::memcpy(&pid, xcb_get_property_value(reply), sizeof pid);
        }
        pids.push_back(pid);
        std::free(reply);
    }
    return pids;
}

bool X11WindowLookup::bringProcessToFront(std::int64_t processId) {
    return bringToolToFront(processId, {});
}

bool X11WindowLookup::bringToolToFront(std::int64_t processId, const std::string& title) {
    if (!connection_ || processId <= 0) return false;
    std::vector<Candidate> matches;
    if (atoms_->netWmPid != XCB_ATOM_NONE) {
        const std::vector<Candidate> windows = WalkTree(connection_);
        const std::vector<std::int64_t> pids = pidsOf(windows);
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (pids[i] == processId) matches.push_back(windows[i]);
        }
    }
    if (matches.empty() && !title.empty()) {
        std::vector<Candidate> titled;
        for (const std::uint32_t window : findWindowsByTitle(title)) titled.push_back({window, window});
        const std::vector<std::int64_t> pids =
            atoms_->netWmPid != XCB_ATOM_NONE ? pidsOf(titled) : std::vector<std::int64_t>(titled.size(), 0);
        for (std::size_t i = 0; i < titled.size(); ++i) {
            if (pids[i] == 0 || IsSelfOrDescendant(pids[i], processId)) matches.push_back(titled[i]);
        }
        // Raising a client window needs its frame: find its ancestor below the root.
        const xcb_window_t root = RootOf(connection_);
        for (Candidate& w : matches) {
            for (int depth = 0; depth < kSearchDepth; ++depth) {
                xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, w.topLevel), nullptr);
                const xcb_window_t parent = tree ? tree->parent : xcb_window_t{XCB_WINDOW_NONE};
                std::free(tree);
                if (parent == XCB_WINDOW_NONE || parent == root) break;
                w.topLevel = parent;
            }
        }
    }
    if (matches.empty()) return false;
    raise(matches);
    return true;
}

void X11WindowLookup::raise(const std::vector<Candidate>& matches) {
    const xcb_window_t root = RootOf(connection_);
    const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
    for (const Candidate& w : matches) {
        // Without a window manager only a restack raises; with one, the frame
        // is raised and the client asked to be activated.
        xcb_configure_window(connection_, w.topLevel, XCB_CONFIG_WINDOW_STACK_MODE, above);
        if (w.topLevel != w.window) {
            xcb_configure_window(connection_, w.window, XCB_CONFIG_WINDOW_STACK_MODE, above);
        }
        if (atoms_->netActiveWindow != XCB_ATOM_NONE) {
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = w.window;
            event.type = atoms_->netActiveWindow;
            event.data.data32[0] = 2;  // source: a pager-like request, honoured by most managers
            event.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(connection_, 0, root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&event));
        }
    }
    xcb_flush(connection_);
}

std::unique_ptr<WindowLookup> MakeWindowLookup(const RunningToolTable& tools) {
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* connection = x11->connection()) {
                return std::make_unique<X11WindowLookup>(connection);
            }
        }
    }
    return std::make_unique<ProcessWindowLookup>(tools);
}

}  // namespace lumibench
