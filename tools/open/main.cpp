// Tool_Open: chooses photometric files, shows how each one checks, and hands
// the ones that load to the host as new saved data.
//
// LUMIBENCH_OPEN_FILES, when set, holds paths (one a line) that the tool
// opens and sends at Start as if the user had chosen them, for scripts.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <deque>

#include "open_logic.h"
#include "open_window.h"
#include "sdk/tool_session.h"
#include "sdk/tool_window.h"

using lumibench::ToolCommand;
using namespace lumibench::open;

namespace {

constexpr const char* kActName = "Tool_Open";
constexpr const char* kSection = "Tool_Open";
// The host answers within its next poll (100 ms) unless a message box of its
// own is up; five seconds leaves room for a busy host.
constexpr int kAnswerTimeoutMs = 5000;

// The host through the SDK session. Commands other than the awaited answer
// that arrive meanwhile are kept for the mailbox handler.
class SessionLink : public HostLink {
public:
    explicit SessionLink(lumibench::ToolSession& session) : session_(session) {}
    int write(const lumibench::WorkRecordTable& records) override { return session_.writeData(records); }
    bool send(std::string_view verb) override { return session_.sendToHost(verb); }
    std::optional<int> awaitLoadedCount() override {
        // The mailbox timer keeps out of the way meanwhile (see `waiting`).
        waiting = true;
        QElapsedTimer clock;
        clock.start();
        std::optional<int> count;
        while (!count && clock.elapsed() < kAnswerTimeoutMs) {
            if (auto command = session_.takeCommand()) {
                if (command->kind == ToolCommand::Kind::LoadedCount) count = command->loadedCount;
                else pending.push_back(*command);
            }
            if (!count) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        waiting = false;
        return count;
    }
    std::deque<ToolCommand> pending;
    bool waiting = false;

private:
    lumibench::ToolSession& session_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string error;
    auto session = lumibench::ToolSession::Start(argc, argv, kActName, &error);
    if (!session) {
        qWarning("%s", error.c_str());
        return 2;
    }
    SessionLink link(*session);
    OpenWindow::Settings settings{
        [&](const std::string& key) { return session->setting(kSection, key); },
        [&](const std::string& key, const std::string& value) { session->setSetting(kSection, key, value); }};
    OpenWindow window(link, settings, QString::fromStdString(session->windowTitle()));
    window.winId();  // the host looks for the title from the start
    lumibench::KeepAboveHost(window, session->commandLine().mainWindowHandle);

    bool started = false;
    auto start = [&] {
        if (started) return;
        started = true;
        lumibench::ShowInFront(window);
        const QString scripted = qEnvironmentVariable("LUMIBENCH_OPEN_FILES");
        if (scripted.isEmpty()) {
            window.chooseFiles();
            return;
        }
        std::vector<std::string> paths;
        for (const QString& line : scripted.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) paths.push_back(line.toStdString());
        window.addFiles(paths);
        window.sendReady();
    };

    bool handling = false;
    QTimer mailbox;
    QObject::connect(&mailbox, &QTimer::timeout, [&] {
        if (handling || link.waiting) return;
        std::optional<ToolCommand> command;
        if (!link.pending.empty()) {
            command = link.pending.front();
            link.pending.pop_front();
        } else {
            command = session->takeCommand();
        }
        if (!command) return;
        handling = true;
        switch (command->kind) {
        case ToolCommand::Kind::MoveWin:
            lumibench::MoveRelativeToHost(window, session->commandLine().mainWindowHandle, command->x, command->y);
            break;
        case ToolCommand::Kind::Start: start(); break;
        case ToolCommand::Kind::Close: app.quit(); break;
        default: break;
        }
        handling = false;
    });
    mailbox.start(50);
    QTimer::singleShot(3000, &window, start);  // started by hand: no Start will come

    QObject::connect(&app, &QApplication::lastWindowClosed, [&] {
        mailbox.stop();
        session->sendToHost("CLOSEREMOVE");
        app.quit();
    });
    app.setQuitOnLastWindowClosed(false);
    return app.exec();
}
