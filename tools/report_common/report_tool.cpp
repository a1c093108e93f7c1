#include "report_tool.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

#include "core/run_outputs.h"
#include "core/terminal_text.h"
#include "platform/sqlite_settings_store.h"
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
    (status ? std::cerr : std::cout) << "usage: " << program << " --pdf OUT.pdf [--force] [--repair] FILE\n"
                                     << "       " << program << " --batch FOLDER [--force] [--repair] FILE...\n"
                                     << "       " << program << " --json [--repair] FILE...   the sheets' figures as a JSON array\n"
                                     << "Writes reports without a window; started by the host it shows them.\n"
                                     << "--repair reads a file with bad line ends through a _Repaired copy beside\n"
                                     << "it, as the host does; without it such a file is refused and nothing is written.\n"
                                     << "--force replaces an existing PDF; a PDF never replaces a FILE of the run\n"
                                     << "nor a PDF the run wrote before (that report is refused, the others are written).\n";
    return status;
}

// The settings the sheets use, or the defaults (said once on standard error)
// when the store cannot be opened: a report needs no store to be drawn.
struct WindowlessSettings {
    std::unique_ptr<ToolSession> session;
    ReportSettingsAccess access;
};

WindowlessSettings OpenWindowlessSettings(const std::string& program) {
    WindowlessSettings settings;
    std::string error;
    settings.session = ToolSession::OpenSettingsOnly(program, &error);
    if (settings.session) {
        settings.access = AccessOf(*settings.session);
        return settings;
    }
    std::cerr << program << ": settings store " << DefaultSettingsPath().string() << " could not be read ("
              << error << "); the reports use the default settings\n";
    settings.access = {[](const std::string&, const std::string&) { return std::string(); },
                       [](const std::string&, const std::string&, const std::string&) {}};
    return settings;
}

// "FOLDER/NAME" kept as bytes, so a name that is not UTF-8 survives.
std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// --pdf and --batch: exit 0 when every report was written, 1 when a file did
// not load or a PDF could not (or may not) be written, 2 on a usage error.
int RunWithoutWindow(int argc, char** argv, ReportKind kind) {
    const std::string program = ActNameOf(kind);
    const std::string mode = argv[1];
    // "--repair" and "--force" may stand anywhere after the mode's own argument.
    FileLoadOptions loadOptions;
    loadOptions.repair = false;
    bool force = false;
    std::vector<char*> kept(argv, argv + argc);
    std::erase_if(kept, [&](char* arg) {
        if (arg == argv[1] || arg == argv[0]) return false;
        const bool repair = std::strcmp(arg, "--repair") == 0;
        const bool forced = std::strcmp(arg, "--force") == 0;
        loadOptions.repair = loadOptions.repair || repair;
        force = force || forced;
        return repair || forced;
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
    const WindowlessSettings store = OpenWindowlessSettings(program);
    const ReportSettingsAccess& settings = store.access;
    const ReportUnits units =
        UnitsFromSettings(settings.read("Lumibench_PE", "InputUnits"), settings.read("Lumibench_PE", "OutputUnits"));
    const InputValues values = ReadInputs(kind, [&](const std::string& key) { return settings.read(program, key); });
    const ReportIdentity identity = IdentityFromSettings(settings.read);

    const int firstFile = json ? 2 : 3;
    // Every FILE is known before the first PDF is written.
    RunOutputs outputs(force);
    for (int i = firstFile; i < argc; ++i) outputs.addInput(argv[i]);
    int status = 0;
    std::vector<std::string> taken;
    bool first = true;
    if (json) std::cout << "[";
    for (int i = firstFile; i < argc; ++i) {
        for (const FileLoadResult& loaded : LoadPhotometricDataSets(argv[i], loadOptions)) {
            if (loaded.container.empty() && loaded.path != argv[i]) outputs.addInput(loaded.path);
            if (!loaded.ok) {
                std::cerr << program << ": " << (loaded.member.empty() ? std::string(argv[i]) : loaded.record.Filename)
                          << ": " << (loaded.skipped ? std::string("not a photometric file") : TerminalEntry(loaded.message))
                          << "\n";
                status = 1;
                continue;
            }
            PhotometricRecord record = loaded.record;
            // A container's data set keeps its own name: "<container> – <variant>".
            if (loaded.container.empty()) record.Filename = argv[i];
            if (json) {
                std::cout << (first ? "\n" : ",\n") << ReportToJson(BuildReport(kind, record, values, units));
                first = false;
                continue;
            }
            const std::string out =
                mode == "--pdf" ? std::string(argv[2]) : InFolder(argv[2], BatchFileName(record.Filename, i - 3, taken));
            if (const std::string why = outputs.refusal(out); !why.empty()) {
                std::cerr << program << ": not written: " << out << ": " << why << "\n";
                status = 1;
                continue;
            }
            QString why;
            if (!WriteReportPdf(out, BuildReport(kind, record, values, units), identity, &why)) {
                std::cerr << program << ": " << out << ": " << why.toStdString() << "\n";
                status = 1;
            } else {
                outputs.addOutput(out, argv[i]);
                std::cout << out << "\n";
            }
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
