// Tool_TemplatePE: makes new data sets from parametric luminaire models and
// sends them to the host as unsaved new data.

#include <QApplication>
#include <QTimer>

#include "sdk/tool_session.h"
#include "sdk/tool_window.h"
#include "template_window.h"

using lumibench::ToolCommand;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, "Tool_TemplatePE", &error);
    if (!session) {
        qWarning("%s", error.c_str());
        return 2;
    }
    // Global System Settings: "InputUnits" 0 feet (the default), 2 metres.
    const bool feet = session->setting("Lumibench_PE", "InputUnits", "0") != "2";

    lumibench::template_tool::TemplateWindow window(*session, feet);
    bool closing = false;
    QTimer mailbox;
    QObject::connect(&mailbox, &QTimer::timeout, [&] {
        const auto command = session->takeCommand();
        if (!command) return;
        switch (command->kind) {
        case ToolCommand::Kind::MoveWin:
            lumibench::MoveRelativeToHost(window, session->commandLine().mainWindowHandle, command->x, command->y);
            break;
        case ToolCommand::Kind::Start:
            window.show();
            window.raise();
            window.dialogs().runClicks();
            break;
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
    window.show();
    return app.exec();
}
