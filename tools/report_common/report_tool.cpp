#include "report_tool.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "report_pages.h"
#include "report_window.h"
#include "sdk/photometric_files.h"
#include "sdk/tool_session.h"
#include "sdk/tool_start.h"
#include "sdk/tool_window.h"

namespace lumibench::reports {
namespace {

// The host refreshes the slots on REFRESHDATA and answers REFRESHLOADEDCOUNT
// only after that: the answer says the slots are ready.
constexpr int kRefreshTimeoutMs = 4000;

ReportSettingsAccess AccessOf(ToolSession& session) {
    return {[&session](const std::string& section, const std::string& key) { return session.setting(section, key); },
            [&session](const std::string& section, const std::string& key, const std::string& value) {
                session.setSetting(section, key, value);
            }};
}

int Usage(const std::string& program, int status) {
    (status ? std::cerr : std::cout) << "usage: " << program << " --pdf OUT.pdf [--repair] FILE\n"
                                     << "       " << program << " --batch FOLDER [--repair] FILE...\n"
                                     << "       " << program << " --json [--repair] FILE...   the sheets' figures as a JSON array\n"
                                     << "Writes reports without a window; started by the host it shows them.\n"
                                     << "--repair reads a file with bad line ends through a _Repaired copy beside\n"
                                     << "it, as the host does; without it such a file is refused and nothing is written.\n";
    return status;
}

// --pdf and --batch: exit 0 when every report was written, 1 when a file did
// not load or a PDF could not be written, 2 on a usage error.
int RunWithoutWindow(int argc, char** argv, ReportKind kind) {
    const std::string program = ActNameOf(kind);
    const std::string mode = argv[1];
    // "--repair" may stand anywhere after the mode's own argument.
    FileLoadOptions loadOptions;
    loadOptions.repair = false;
    std::vector<char*> kept(argv, argv + argc);
    std::erase_if(kept, [&](char* arg) {
        const bool repair = std::strcmp(arg, "--repair") == 0 && arg != argv[1];
        loadOptions.repair = loadOptions.repair || repair;
        return repair;
    });
    argc = static_cast<int>(kept.size());
    argv = kept.data();
    if (mode == "--help" || mode == "-h") return Usage(program, 0);
    const bool json = mode == "--json";
    if (mode != "--pdf" && mode != "--batch" && !json) return Usage(program, 2);
    if (argc < (json ? 3 : 4)) return Usage(program, 2);
    if (mode == "--pdf" && argc != 4) return Usage(program, 2);
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    std::string error;
    auto session = ToolSession::OpenSettingsOnly(program, &error);
    if (!session) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }
    const ReportSettingsAccess settings = AccessOf(*session);
    const ReportUnits units =
        UnitsFromSettings(settings.read("Lumibench_PE", "InputUnits"), settings.read("Lumibench_PE", "OutputUnits"));
    const InputValues values = ReadInputs(kind, [&](const std::string& key) { return settings.read(program, key); });
    const ReportIdentity identity = IdentityFromSettings(settings.read);

    int status = 0;
    std::vector<std::string> taken;
    bool first = true;
    if (json) std::cout << "[";
    for (int i = json ? 2 : 3; i < argc; ++i) {
        const FileLoadResult loaded = LoadPhotometricFile(argv[i], loadOptions);
        if (!loaded.ok) {
            std::cerr << program << ": " << argv[i] << ": "
                      << (loaded.skipped ? std::string("not a photometric file") : loaded.message) << "\n";
            status = 1;
            continue;
        }
        PhotometricRecord record = loaded.record;
        record.Filename = argv[i];
        if (json) {
            std::cout << (first ? "\n" : ",\n") << ReportToJson(BuildReport(kind, record, values, units));
            first = false;
            continue;
        }
        const QString out = mode == "--pdf"
                                ? QString::fromLocal8Bit(argv[2])
                                : QDir(QString::fromLocal8Bit(argv[2]))
                                      .filePath(QString::fromStdString(BatchFileName(record.Filename, i - 3, taken)));
        QString why;
        if (!WriteReportPdf(out, BuildReport(kind, record, values, units), identity, &why)) {
            std::cerr << program << ": " << out.toStdString() << ": " << why.toStdString() << "\n";
            status = 1;
        } else {
            std::cout << out.toStdString() << "\n";
        }
    }
    if (json) std::cout << "]\n";
    return status;
}

}  // namespace

int RunReportTool(int argc, char** argv, ReportKind kind) {
    if (argc >= 2 && argv[1][0] == '-' && argv[1][1] == '-') return RunWithoutWindow(argc, argv, kind);

    QApplication app(argc, argv);
    std::string error;
    auto session = ToolSession::Start(argc, argv, ActNameOf(kind), &error);
    if (!session) {
        std::cerr << ActNameOf(kind) << ": " << error << "\n";
        Usage(ActNameOf(kind), 2);
        return 2;
    }
    ReportDataSets dataSets;
    dataSets.set(ReadHandedData(*session));
    ReportWindow window(kind, dataSets, AccessOf(*session), QString::fromStdString(session->windowTitle()));
    // The host finds its tools by window title from the start, before Start shows the window.
    window.winId();
    KeepAboveHost(window, session->commandLine().mainWindowHandle);

    bool handling = false;  // sendToHost runs the event loop while it waits
    bool awaitingRefresh = false;
    QTimer refreshTimeout;
    refreshTimeout.setSingleShot(true);
    QObject::connect(&refreshTimeout, &QTimer::timeout, [&] { awaitingRefresh = false; });
    const QString batchFolder = qEnvironmentVariable("LUMIBENCH_REPORT_BATCH_DIR");

    auto show = [&] {
        if (window.isVisible()) return;
        ShowInFront(window);
        if (!batchFolder.isEmpty()) QTimer::singleShot(0, &window, [&] { window.writeBatch(batchFolder, false); });
    };

    QTimer mailbox;
    QObject::connect(&mailbox, &QTimer::timeout, [&] {
        if (handling) return;
        const auto command = session->takeCommand();
        if (!command) return;
        handling = true;
        switch (command->kind) {
        case ToolCommand::Kind::MoveWin:
            MoveRelativeToHost(window, session->commandLine().mainWindowHandle, command->x, command->y);
            break;
        case ToolCommand::Kind::Start: show(); break;
        case ToolCommand::Kind::DataChanged:
            if (session->sendToHost("REFRESHDATA") && session->sendToHost("REFRESHLOADEDCOUNT")) {
                awaitingRefresh = true;
                refreshTimeout.start(kRefreshTimeoutMs);
            }
            break;
        case ToolCommand::Kind::LoadedCount:
            if (awaitingRefresh) {
                awaitingRefresh = false;
                WorkRecordTable records;
                if (session->readData(records, error) == 0 && dataSets.takeRefreshed(records) > 0) window.refresh();
            }
            break;
        case ToolCommand::Kind::DeleteFile:
            if (dataSets.removeFile(command->path) > 0) window.refresh();
            break;
        case ToolCommand::Kind::Close: app.quit(); break;
        case ToolCommand::Kind::Unsaved:
        case ToolCommand::Kind::Unknown: break;
        }
        handling = false;
    });
    mailbox.start(50);

    // Started by hand, or a Start that went astray: show the window anyway.
    QTimer::singleShot(3000, &window, show);

    // Closed by the user: tell the host first.
    QObject::connect(&app, &QApplication::lastWindowClosed, [&] {
        mailbox.stop();
        session->sendToHost("CLOSEREMOVE");
        app.quit();
    });
    app.setQuitOnLastWindowClosed(false);
    return app.exec();
}

}  // namespace lumibench::reports
