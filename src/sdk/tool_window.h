#pragma once
// A tool's window beside its host: placed as "MoveWin,x,y" asks (pixels
// relative to the host's main window, whose X11 id is field 1 of the command
// line), kept above the host by the window manager, titled with what it
// shows, and kept on the screen. Link `Lumibench::ToolSDKWidgets` for these.

#include <cstdint>
#include <string>

#include <QPoint>
#include <QString>
#include <QStringList>

class QWidget;

namespace lumibench {

// The host main window's top-left corner on the screen; (0, 0) when there is
// no handle, the handle names no window, or there is no X11 to ask
// (offscreen, Wayland).
QPoint HostWindowOrigin(std::int64_t handle);

// Moves `window` to (x, y) relative to the host's main window, keeping its
// size where the screen allows: a window that would leave the available
// screen area is moved (and if need be shrunk) back into it.
void MoveRelativeToHost(QWidget& window, std::int64_t hostHandle, int x, int y);

// Makes `window` transient for the host's main window (WM_TRANSIENT_FOR), now
// and every time it is shown again, so that the window manager keeps it above
// its host (but not above other programs) and on the host's desktop. Does
// nothing without a handle (a tool started by hand stays a normal window),
// when the handle names no window, or without X11. Every window the tool
// shows is also kept within the available screen area from now on.
void KeepAboveHost(QWidget& window, std::int64_t hostHandle);

// Shows `window` on top of the others with the keyboard focus: what a tool
// does on "Start".
void ShowInFront(QWidget& window);

// The title a window manager shows, "View – downlight.ies, wall_washer.ies":
// `caption`, then the names (the longest cut so the title stays readable).
QString ShownTitle(const QString& caption, const QStringList& names);

// The window manager's title of `window` (_NET_WM_NAME) becomes `shown`,
// while its Qt title and legacy WM_NAME stay the ActName by which the host
// finds it. Also kept as the window's property kShownTitleProperty, for
// scripts and tests without X11.
inline constexpr const char* kShownTitleProperty = "shownTitle";
void SetToolWindowTitle(QWidget& window, const QString& shown);

}  // namespace lumibench
