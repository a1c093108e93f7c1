#pragma once
// Placing a tool's window as the host asks: "MoveWin,x,y" gives pixels
// relative to the host's main window, whose X11 id is field 1 of the
// command line. Link `Lumibench::ToolSDKWidgets` for these.

#include <cstdint>

#include <QPoint>

class QWidget;

namespace lumibench {

// The host main window's top-left corner on the screen; (0, 0) when there is
// no handle, the handle names no window, or there is no X11 to ask
// (offscreen, Wayland).
QPoint HostWindowOrigin(std::int64_t handle);

// Moves `window` to (x, y) relative to the host's main window, keeping its size.
void MoveRelativeToHost(QWidget& window, std::int64_t hostHandle, int x, int y);

}  // namespace lumibench
