// Tool_ViewPE: polar, cartesian and isocandela diagrams, the luminous opening
// and the tables of up to 25 data sets the host hands over.
//
// LUMIBENCH_VIEW_STATE, when set, names a file that receives a JSON
// description of what the window shows after every change (the data sets,
// the unit, the diagram on screen, whether the window is visible), so that
// scripts and tests can follow the tool without looking at pixels.

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimer>

#include "sdk/tool_session.h"
#include "sdk/tool_window.h"
#include "view_model.h"
#include "view_window.h"

using lumibench::ToolCommand;
using namespace lumibench::view;

namespace {

constexpr const char* kActName = "Tool_ViewPE";
// The host refreshes the slots for us on REFRESHDATA and answers
// REFRESHLOADEDCOUNT only after that: the answer says the slots are ready.
constexpr int kRefreshTimeoutMs = 4000;

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, kActName, &error);
    if (!session) {
        qWarning("%s", error.c_str());
        return 2;
    }

    // The host rewrites the slots for the next tool soon: read them first.
    ViewModel model;
    if (session->commandLine().takesData) {
        lumibench::WorkRecordTable records;
        session->readData(records, error);
        model.setDataSets(records);
    }

    ViewWindow window(model, LengthUnitFromSetting(session->setting("Lumibench_PE", "InputUnits")),
                      QString::fromStdString(session->windowTitle()));
    // The host finds its tools by window title from the start, before Start
    // shows the window.
    window.winId();

    const QString statePath = qEnvironmentVariable("LUMIBENCH_VIEW_STATE");
    auto writeState = [&] {
        if (statePath.isEmpty()) return;
        QJsonObject state = model.describe(window.unitChoice());
        state.insert("visible", window.isVisible());
        state.insert("diagram", window.currentDiagramName());
        QSaveFile file(statePath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(state).toJson());
            file.commit();
        }
    };
    QObject::connect(&window, &ViewWindow::changed, writeState);

    bool handling = false;  // sendToHost runs the event loop while it waits
    bool awaitingRefresh = false;
    QTimer refreshTimeout;
    refreshTimeout.setSingleShot(true);
    QObject::connect(&refreshTimeout, &QTimer::timeout, [&] { awaitingRefresh = false; });

    QTimer mailbox;
    QObject::connect(&mailbox, &QTimer::timeout, [&] {
        if (handling) return;
        const auto command = session->takeCommand();
        if (!command) return;
        handling = true;
        switch (command->kind) {
        case ToolCommand::Kind::MoveWin:
            lumibench::MoveRelativeToHost(window, session->commandLine().mainWindowHandle, command->x, command->y);
            break;
        case ToolCommand::Kind::Unsaved:
            model.markFirstUnsaved();
            window.refresh();
            break;
        case ToolCommand::Kind::Start:
            window.show();
            window.raise();
            writeState();
            break;
        case ToolCommand::Kind::DataChanged:
            if (session->sendToHost("REFRESHDATA") && session->sendToHost("REFRESHLOADEDCOUNT")) {
                awaitingRefresh = true;
                refreshTimeout.start(kRefreshTimeoutMs);
            }
            break;
        case ToolCommand::Kind::LoadedCount:
            if (awaitingRefresh) {
                awaitingRefresh = false;
                lumibench::WorkRecordTable records;
                if (session->readData(records, error) == 0 && model.takeRefreshed(records) > 0) window.refresh();
            }
            break;
        case ToolCommand::Kind::DeleteFile:
            if (model.removeFile(command->path) > 0) window.refresh();
            break;
        case ToolCommand::Kind::Close: app.quit(); break;
        case ToolCommand::Kind::Unknown: break;
        }
        handling = false;
    });
    mailbox.start(50);

    // Started by hand, or a Start that went astray: show the window anyway.
    QTimer::singleShot(3000, &window, [&] {
        if (!window.isVisible()) {
            window.show();
            writeState();
        }
    });

    // Closed by the user: tell the host first.
    QObject::connect(&app, &QApplication::lastWindowClosed, [&] {
        mailbox.stop();
        session->sendToHost("CLOSEREMOVE");
        app.quit();
    });
    app.setQuitOnLastWindowClosed(false);
    writeState();
    return app.exec();
}
