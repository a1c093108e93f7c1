#pragma once
// Placing a tool's window where the host's "MoveWin" says: relative to the
// host's main window, whose handle (an X11 window id) is on the tool's
// command line. A toolkit knows only its own windows' positions, so the host
// window's place on the screen comes from the X server itself.

#include <cstdint>
#include <optional>
#include <string>

namespace lumibench {

// A position on the screen, in pixels of the root window.
struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The top left corner of the host window's frame (the window manager's
// decoration around it, or the window itself without one) on the screen.
// nullopt, with the reason in `error`, without an X server ($DISPLAY) or when
// `hostWindow` is 0 or names no window (the host has ended, or the handle is
// stale).
std::optional<ScreenPoint> HostFrameOrigin(std::int64_t hostWindow, std::string* error = nullptr);

// Moves a top-level window to `position` (its frame's corner under a window
// manager), size unchanged. False, with the reason in `error`, without an X
// server or when `window` names no window.
bool MoveTopLevelWindow(std::uint64_t window, ScreenPoint position, std::string* error = nullptr);

}  // namespace lumibench
