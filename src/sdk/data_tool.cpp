#include "sdk/data_tool.h"

#include <QApplication>
#include <QWidget>

#include "sdk/tool_session.h"
#include "sdk/tool_window.h"

namespace lumibench {
namespace {

// The host refreshes the slots for us on REFRESHDATA and answers
// REFRESHLOADEDCOUNT only after that: the answer says the slots are ready.
constexpr int kRefreshTimeoutMs = 4000;
constexpr int kMailboxMs = 50;
// Started by hand, or a Start that went astray: show the window anyway.
constexpr int kShowAnywayMs = 3000;

}  // namespace

DataToolDriver::DataToolDriver(ToolSession& session, QWidget& window, DataToolHooks hooks)
    : session_(session), window_(window), hooks_(std::move(hooks)) {
    KeepAboveHost(window_, session_.commandLine().mainWindowHandle);
    refreshTimeout_.setSingleShot(true);
    connect(&refreshTimeout_, &QTimer::timeout, this, [this] { awaitingRefresh_ = false; });
    connect(&mailbox_, &QTimer::timeout, this, [this] { poll(); });
    mailbox_.start(kMailboxMs);

    QTimer::singleShot(kShowAnywayMs, &window_, [this] {
        if (!window_.isVisible()) {
            window_.show();
            if (hooks_.shown) hooks_.shown();
        }
    });
    // Closed by the user: tell the host first.
    connect(qApp, &QApplication::lastWindowClosed, this, [this] {
        mailbox_.stop();
        session_.sendToHost("CLOSEREMOVE");
        qApp->quit();
    });
    qApp->setQuitOnLastWindowClosed(false);
}

void DataToolDriver::poll() {
    if (handling_) return;
    const auto command = session_.takeCommand();
    if (!command) return;
    handling_ = true;
    auto changed = [this] {
        if (hooks_.dataChanged) hooks_.dataChanged();
    };
    switch (command->kind) {
    case ToolCommand::Kind::MoveWin:
        MoveRelativeToHost(window_, session_.commandLine().mainWindowHandle, command->x, command->y);
        break;
    case ToolCommand::Kind::Unsaved:
        if (hooks_.markFirstUnsaved) hooks_.markFirstUnsaved();
        changed();
        break;
    case ToolCommand::Kind::Start:
        ShowInFront(window_);
        if (hooks_.shown) hooks_.shown();
        break;
    case ToolCommand::Kind::DataChanged:
        if (session_.sendToHost("REFRESHDATA") && session_.sendToHost("REFRESHLOADEDCOUNT")) {
            awaitingRefresh_ = true;
            refreshTimeout_.start(kRefreshTimeoutMs);
        }
        break;
    case ToolCommand::Kind::LoadedCount:
        if (awaitingRefresh_) {
            awaitingRefresh_ = false;
            WorkRecordTable records;
            std::string error;
            if (session_.readData(records, error) == 0 && hooks_.takeRefreshed && hooks_.takeRefreshed(records)) {
                changed();
            }
        }
        break;
    case ToolCommand::Kind::DeleteFile:
        if (hooks_.removeFile && hooks_.removeFile(command->path)) changed();
        break;
    case ToolCommand::Kind::Close: qApp->quit(); break;
    case ToolCommand::Kind::Unknown: break;
    }
    handling_ = false;
}

}  // namespace lumibench
