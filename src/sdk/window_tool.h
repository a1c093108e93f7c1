#pragma once
// The host's commands for a tool whose window is up from the moment it starts
// (one that makes or saves data sets rather than showing them): the window
// placed on "MoveWin" and raised on "Start", the first data set marked on
// "Unsaved", a file's data sets dropped on "DeleteFile", the program ended on
// "Close"; and "CLOSEREMOVE" sent when the user closes the window, but not
// when the host closed it.

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class QWidget;

namespace lumibench {

class ToolSession;

struct WindowToolHooks {
    // After "Start" showed and raised the window.
    std::function<void()> started;
    std::function<void()> markFirstUnsaved;
    std::function<void(const std::string& path)> removeFile;
};

class WindowToolDriver : public QObject {
public:
    // Polls `session`'s mailbox from now on; `window` is the tool's one
    // top-level window, which the tool shows itself.
    WindowToolDriver(ToolSession& session, QWidget& window, WindowToolHooks hooks);

private:
    void poll();

    ToolSession& session_;
    QWidget& window_;
    WindowToolHooks hooks_;
    QTimer mailbox_;
    bool closing_ = false;
};

}  // namespace lumibench
