// Start-up to a shown main window with 25 real files named on the command
// line: settings, exchange section, catalogue, toolbar and menus, welcome
// page, the 25 loads, and the first layout and paint.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/sqlite_settings_store.h"
#include "shell/command_line.h"
#include "shell/frm_lumibench.h"
#include "shell/loaded_files.h"
#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"

namespace fs = std::filesystem;

namespace lumibench {
namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "startup_bench";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static QApplication application(argc, argv);
    return application;
}

fs::path Corpus() {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    return corpus ? fs::path(corpus) : fs::path(LUMIBENCH_CORPUS_DEFAULT);
}

// 25 corpus IES files with CR LF line ends that load cleanly, copied into
// `folder` so that nothing is ever written beside the corpus.
std::vector<std::string> TwentyFiveFiles(const fs::path& folder) {
    std::vector<std::string> files;
    std::ifstream inventory(Corpus() / "INVENTORY.tsv");
    std::string line;
    MemorySettingsStore store;
    SilentMessageSink silent;
    HostSession probe(store, silent);
    while (files.size() < kMaxLoadedFiles && std::getline(inventory, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');) {
            fields.push_back(field);
        }
        if (fields.size() < 10 || fields[1] != "ies" || fields[9] != "CRLF") {
            continue;
        }
        const fs::path target = folder / fs::path(fields[0]).filename();
        fs::copy_file(Corpus() / fields[0], target, fs::copy_options::overwrite_existing);
        if (LoadPhotometricFile(probe, target.string())) {
            files.push_back(target.string());
        }
    }
    return files;
}

void BM_StartupWith25Files(benchmark::State& state) {
    Application();
    const fs::path folder = fs::temp_directory_path() / ("lumibench-startup-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::vector<std::string> files = TwentyFiveFiles(folder);
    if (files.size() < kMaxLoadedFiles) {
        state.SkipWithError("fewer than 25 loadable corpus files");
        return;
    }
    const std::string commandLine = JoinArguments(files);
    auto store = SqliteSettingsStore::Open(folder / "settings.sqlite3");
    SilentMessageSink messages;
    std::size_t listed = 0;
    for (auto _ : state) {
        InstanceLock lock(folder / "locks");
        class Locks : public InstanceLocks {
        public:
            explicit Locks(InstanceLock& l) : l_(l) {}
            bool holdFirstInstance() override { return l_.tryAcquire("instance"); }
            bool holdSection(int n) override { return l_.tryAcquire("section-" + std::to_string(n)); }
            InstanceLock& l_;
        } locks(lock);
        HostSession session(*store, messages);
        PrepareHostSession(session, locks, {folder / "program", folder / "data"});
        // What the program runs: catalogue, toolbar and menus, welcome page.
        auto window = StartLumibench(session, StandardShellExtensions(), commandLine);
        QApplication::processEvents();  // laid out and painted
        listed = session.loaded.size();
        state.PauseTiming();
        window->close();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["files"] = static_cast<double>(listed);
    fs::remove_all(folder);
}
BENCHMARK(BM_StartupWith25Files)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace lumibench
