#include "sdk/tool_window.h"

#include <QGuiApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

#include "platform/fit_on_screen.h"

namespace lumibench {
namespace {

// Titles beyond this many characters list fewer names and count the rest.
constexpr int kTitleNamesLength = 90;

xcb_connection_t* QtX11Connection() {
    if (!qGuiApp) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

bool IsX11Handle(std::int64_t handle) { return handle > 0 && handle <= 0xffffffffLL; }

// Qt knows no geometry for another process's window: ask the X server. A
// handle left over from a host that has gone names no window; its geometry
// request fails and nothing is trusted.
bool NamesWindow(xcb_connection_t* c, xcb_window_t window, xcb_window_t* root = nullptr) {
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!geometry) return false;
    if (root != nullptr) *root = geometry->root;
    std::free(geometry);
    return true;
}

// Qt deletes WM_TRANSIENT_FOR of an ordinary window each time it shows it,
// so this runs after every show; the window manager follows the change.
void SetTransientFor(QWidget& window, xcb_window_t host) {
    xcb_connection_t* c = QtX11Connection();
    if (c == nullptr || !NamesWindow(c, host)) return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &host);
    xcb_flush(c);
}

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

QPoint HostWindowOrigin(std::int64_t handle) {
    xcb_connection_t* c = QtX11Connection();
    if (!IsX11Handle(handle) || c == nullptr) return {};
    const auto window = static_cast<xcb_window_t>(handle);
    xcb_window_t root = XCB_WINDOW_NONE;
    if (!NamesWindow(c, window, &root)) return {};
    xcb_translate_coordinates_reply_t* origin =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    if (!origin) return {};
    const QPoint point(origin->dst_x, origin->dst_y);
    std::free(origin);
    return point;
}

void MoveRelativeToHost(QWidget& window, std::int64_t hostHandle, int x, int y) {
    window.move(HostWindowOrigin(hostHandle) + QPoint(x, y));
    FitOnScreen(window);
}

void KeepAboveHost(QWidget& window, std::int64_t hostHandle) {
    FitOnScreenFilter::Install();
    if (!IsX11Handle(hostHandle) || QtX11Connection() == nullptr) return;
    const auto host = static_cast<xcb_window_t>(hostHandle);
    window.winId();  // the native window and its QWindow
    QWindow* handle = window.windowHandle();
    if (handle == nullptr) return;
    SetTransientFor(window, host);
    // visibleChanged comes before Qt's own show has run: set it once that is done.
    QObject::connect(handle, &QWindow::visibleChanged, &window, [&window, host](bool visible) {
        if (visible) QTimer::singleShot(0, &window, [&window, host] { SetTransientFor(window, host); });
    });
}

void ShowInFront(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

QString ShownTitle(const QString& caption, const QStringList& names) {
    if (names.isEmpty()) return caption;
    QString listed;
    qsizetype shown = 0;
    for (const QString& name : names) {
        if (shown > 0 && listed.size() + name.size() > kTitleNamesLength) break;
        listed += (shown > 0 ? QStringLiteral(", ") : QString()) + name;
        ++shown;
    }
    if (shown < names.size()) listed += QStringLiteral(" and %1 more").arg(names.size() - shown);
    return caption + QStringLiteral(" \u2013 ") + listed;
}

void SetToolWindowTitle(QWidget& window, const QString& shown) {
    window.setProperty(kShownTitleProperty, shown);
    xcb_connection_t* c = QtX11Connection();
    if (c == nullptr) return;
    const xcb_atom_t netWmName = InternAtom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = InternAtom(c, "UTF8_STRING");
    if (netWmName == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) return;
    const QByteArray text = shown.toUtf8();
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, netWmName, utf8, 8, static_cast<std::uint32_t>(text.size()),
                        text.constData());
    xcb_flush(c);
}

}  // namespace lumibench
