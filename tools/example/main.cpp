// Tool_Example: lists the data sets it was given and can hand them back to
// the host as new, unsaved data.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "sdk/tool_session.h"
#include "sdk/tool_window.h"

using lumibench::ToolCommand;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, "Tool_Example", &error);
    if (!session) {
        qWarning("%s", error.c_str());
        return 2;
    }

    // Read the data sets first: the host rewrites the slots for the next tool soon.
    lumibench::WorkRecordTable records;
    if (session->commandLine().takesData) session->readData(records, error);

    QWidget window;
    window.setWindowTitle(QString::fromStdString(session->windowTitle()));
    auto* layout = new QVBoxLayout(&window);
    QString names;
    for (const auto& record : records) names += QString::fromStdString(record.Filename) + "\n";
    auto* label = new QLabel(names.isEmpty() ? QStringLiteral("No data") : names);
    auto* sendBack = new QPushButton(QStringLiteral("Send back"));
    layout->addWidget(label);
    layout->addWidget(sendBack);
    // The window manager keeps the window above the host's (none when started by hand).
    lumibench::KeepAboveHost(window, session->commandLine().mainWindowHandle);

    QObject::connect(sendBack, &QPushButton::clicked, [&] {
        if (session->writeData(records) < 0) return;  // the store refused: send nothing
        session->sendToHost("SENDNEWDATA*");  // "*": not saved in a file
    });

    QTimer mailbox;
    QObject::connect(&mailbox, &QTimer::timeout, [&] {
        const auto command = session->takeCommand();
        if (!command) return;
        switch (command->kind) {
        case ToolCommand::Kind::MoveWin:
            // MoveWin is relative to the host's main window, which only the X
            // server can place on the screen; without one, the numbers are all
            // there is.
            if (!session->moveWindow(window.winId(), command->x, command->y)) window.move(command->x, command->y);
            break;
        case ToolCommand::Kind::Start: lumibench::ShowInFront(window); break;
        case ToolCommand::Kind::Close: app.quit(); break;
        case ToolCommand::Kind::DeleteFile: label->setText(label->text() + "\nclosed: " + QString::fromStdString(command->path)); break;
        default: break;
        }
    });
    mailbox.start(50);

    // Closing the window ourselves: tell the host first.
    QObject::connect(&app, &QApplication::lastWindowClosed, [&] {
        session->sendToHost("CLOSEREMOVE");
        app.quit();
    });
    window.show();  // the host looks for this title from the start
    return app.exec();
}
