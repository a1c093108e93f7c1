#include "sdk/tool_window.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>

#include <xcb/xcb.h>

namespace lumibench {

QPoint HostWindowOrigin(std::int64_t handle) {
    if (handle <= 0 || handle > 0xffffffffLL || !qGuiApp) return {};
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return {};
    // Qt knows no geometry for another process's window: ask the X server.
    // A handle left over from a host that has gone names no window; its
    // geometry request fails and nothing is trusted.
    xcb_connection_t* c = x11->connection();
    const auto window = static_cast<xcb_window_t>(handle);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!geometry) return {};
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    xcb_translate_coordinates_reply_t* origin =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    if (!origin) return {};
    const QPoint point(origin->dst_x, origin->dst_y);
    std::free(origin);
    return point;
}

void MoveRelativeToHost(QWidget& window, std::int64_t hostHandle, int x, int y) {
    window.move(HostWindowOrigin(hostHandle) + QPoint(x, y));
}

}  // namespace lumibench
