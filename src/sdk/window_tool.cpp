#include "sdk/window_tool.h"

#include <QApplication>
#include <QWidget>

#include "sdk/tool_session.h"
#include "sdk/tool_window.h"

namespace lumibench {

WindowToolDriver::WindowToolDriver(ToolSession& session, QWidget& window, WindowToolHooks hooks)
    : session_(session), window_(window), hooks_(std::move(hooks)) {
    KeepAboveHost(window_, session_.commandLine().mainWindowHandle);
    connect(&mailbox_, &QTimer::timeout, this, [this] { poll(); });
    mailbox_.start(50);
    connect(qApp, &QApplication::lastWindowClosed, this, [this] {
        if (!closing_) session_.sendToHost("CLOSEREMOVE");
        qApp->quit();
    });
}

void WindowToolDriver::poll() {
    const auto command = session_.takeCommand();
    if (!command) return;
    switch (command->kind) {
    case ToolCommand::Kind::MoveWin:
        MoveRelativeToHost(window_, session_.commandLine().mainWindowHandle, command->x, command->y);
        break;
    case ToolCommand::Kind::Unsaved:
        if (hooks_.markFirstUnsaved) hooks_.markFirstUnsaved();
        break;
    case ToolCommand::Kind::Start:
        ShowInFront(window_);
        if (hooks_.started) hooks_.started();
        break;
    case ToolCommand::Kind::DeleteFile:
        if (hooks_.removeFile) hooks_.removeFile(command->path);
        break;
    case ToolCommand::Kind::Close:
        closing_ = true;
        qApp->quit();
        break;
    default: break;
    }
}

}  // namespace lumibench
