#pragma once
// Window lookup on an X server: top-level windows found by their exact title
// (_NET_WM_NAME, else WM_NAME) and a process's windows raised by _NET_WM_PID.

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

    // The windows (client windows below the frames too) whose title is exactly `title`.
    std::vector<std::uint32_t> findWindowsByTitle(const std::string& title);

private:
    struct Atoms;
    xcb_connection_t* connection_;
    std::unique_ptr<Atoms> atoms_;
};

// The X11 lookup when Qt runs on X11, else the process-liveness lookup.
std::unique_ptr<WindowLookup> MakeWindowLookup(const RunningToolTable& tools);

}  // namespace lumibench
