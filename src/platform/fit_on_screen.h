#pragma once
// Top-level windows kept within the available area of their screen, each
// time they are shown: header-only so that the host and the tool SDK (whose
// installed archive carries no platform library) use the same code.

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "platform/window_fit.h"

namespace lumibench {

// Before the window manager has framed a window its decoration is unknown;
// this much is kept free for a title bar and borders meanwhile.
inline constexpr QMargins kAssumedFrameMargins{4, 30, 4, 4};

// The available area (the screen less panels and docks) of the screen that
// holds most of `frame`'s centre, else the primary screen's; empty without screens.
inline QRect AvailableAreaFor(const QRect& frame) {
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

// Moves and shrinks `window` (a top-level widget) so that its frame lies
// within the available area; its minimum size gives way only to the screen.
inline void FitOnScreen(QWidget& window) {
    if (!window.isWindow() || window.isMaximized() || window.isFullScreen()) return;
    QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                     frame.bottom() - inner.bottom());
    if (margins.isNull() && !window.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        margins = kAssumedFrameMargins;
        frame = inner.marginsAdded(margins);
        frame.moveTopLeft(window.pos());
    }
    const QRect fitted = FitFrameInto(frame, AvailableAreaFor(frame));
    if (fitted == frame) return;
    const QSize inside(fitted.width() - margins.left() - margins.right(),
                       fitted.height() - margins.top() - margins.bottom());
    if (inside.width() < window.minimumWidth() || inside.height() < window.minimumHeight()) {
        window.setMinimumSize(window.minimumSize().boundedTo(inside));
    }
    // The inside's geometry, which means the same before and after the
    // window manager has framed the window (a move does not).
    window.setGeometry(QRect(fitted.topLeft() + QPoint(margins.left(), margins.top()), inside));
}

// Fits every top-level window of the application as it is shown: dialogs and
// message boxes made anywhere included. Popups and tooltips place themselves.
class FitOnScreenFilter : public QObject {
public:
    using QObject::QObject;

    // Installs one filter on the application (once).
    static void Install() {
        const QString name = QStringLiteral("lumibenchFitOnScreen");
        if (qApp == nullptr || qApp->findChild<QObject*>(name, Qt::FindDirectChildrenOnly) != nullptr) return;
        auto* filter = new FitOnScreenFilter(qApp);
        filter->setObjectName(name);
        qApp->installEventFilter(filter);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            const Qt::WindowType type = widget->windowType();
            if (widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen) {
                FitOnScreen(*widget);
                // Again once the window's own show handling (a remembered
                // place restored there) has run.
                QTimer::singleShot(0, widget, [widget] { FitOnScreen(*widget); });
            }
        }
        return false;
    }
};

}  // namespace lumibench
