#pragma once
// Window lookup on an X server: top-level windows found by their exact title
// (_NET_WM_NAME or WM_NAME) and a process's windows raised by _NET_WM_PID.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolhost/window_lookup.h"

struct xcb_connection_t;

namespace lumibench {

class RunningToolTable;

class X11WindowLookup : public WindowLookup {
public:
    // Uses a connection it does not own (Qt's, or a test's).
    explicit X11WindowLookup(xcb_connection_t* connection);
    ~X11WindowLookup() override;

    bool windowExists(const std::string& title) override;
    // Restacks every window of the process above its siblings and asks the
    // window manager to activate it (a restack alone works without one).
    bool bringProcessToFront(std::int64_t processId) override;
    // Windows titled `title` stand in for the process's when none carries its
    // pid; of those, only windows that name no process or name one started
    // by it (a descendant), so another instance's window is never taken.
    bool bringToolToFront(std::int64_t processId, const std::string& title) override;

    // The windows (client windows below the frames too) whose title is exactly `title`.
    std::vector<std::uint32_t> findWindowsByTitle(const std::string& title);

    // A window found in the tree, with its ancestor among the root's children.
    struct Candidate;

private:
    void raise(const std::vector<Candidate>& windows);
    // Each window's _NET_WM_PID, 0 where it has none.
    std::vector<std::int64_t> pidsOf(const std::vector<Candidate>& windows);
    struct Atoms;
    xcb_connection_t* connection_;
    std::unique_ptr<Atoms> atoms_;
};

// The X11 lookup when Qt runs on X11, else the process-liveness lookup.
std::unique_ptr<WindowLookup> MakeWindowLookup(const RunningToolTable& tools);

}  // namespace lumibench
