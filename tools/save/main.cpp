// Tool_SaveEXPE: saves the checked data sets to photometric files and tells
// the host, so that its unsaved marks clear and its names follow.

#include <QApplication>
#include <QTimer>

#include "save_window.h"
#include "sdk/tool_session.h"
#include "sdk/tool_window.h"

using lumibench::ToolCommand;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, "Tool_SaveEXPE", &error);
    if (!session) {
        qWarning("%s", error.c_str());
        return 2;
    }
    // The slots first: the host rewrites them for the next tool soon.
    lumibench::WorkRecordTable records;
    if (session->commandLine().takesData) session->readData(records, error);

    lumibench::save_tool::SaveWindow window(*session, std::move(records));
    bool closing = false;
    QTimer mailbox;
    QObject::connect(&mailbox, &QTimer::timeout, [&] {
        const auto command = session->takeCommand();
        if (!command) return;
        switch (command->kind) {
        case ToolCommand::Kind::MoveWin:
            lumibench::MoveRelativeToHost(window, session->commandLine().mainWindowHandle, command->x, command->y);
            break;
        case ToolCommand::Kind::Unsaved: window.markFirstUnsaved(); break;
        case ToolCommand::Kind::Start:
            window.show();
            window.raise();
            window.dialogs().runClicks();
            break;
        case ToolCommand::Kind::DeleteFile: window.forget(command->path); break;
        case ToolCommand::Kind::Close:
            closing = true;
            app.quit();
            break;
        default: break;
        }
    });
    mailbox.start(50);
    QObject::connect(&app, &QApplication::lastWindowClosed, [&] {
        if (!closing) session->sendToHost("CLOSEREMOVE");
        app.quit();
    });
    window.show();  // the host looks for this title from the start
    return app.exec();
}
