// The exchange slots and the command channel under load: 25 slots of the
// corpus's largest readable file written and read back (on the SQLite store
// the tools share, and on the in-memory store to show our own share), and the
// latency from a tool writing a command to the host taking it.
//
// Run: build/normal/bench/exchange_bench  (LUMIBENCH_CORPUS picks the corpus)

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "platform/sqlite_settings_store.h"
#include "formats/load_dispatch.h"
#include "toolhost/command_channel.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/window_lookup.h"

namespace {

namespace fs = std::filesystem;
using namespace lumibench;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kSection = "Data Exchange";

fs::path ScratchFolder() {
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "lumibench-exchange-bench-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return made ? fs::path(made) : fs::temp_directory_path();
    }();
    return folder;
}

// A corpus IES file that loads cleanly (copied to scratch, so a repair never
// writes into the corpus), as the loaded table would hold it: the largest,
// or the one in the middle of the sizes.
enum class Pick { Largest, Median };

std::optional<PhotometricRecord> LoadRecord(Pick pick, std::string& chosen) {
    const char* env = std::getenv("LUMIBENCH_CORPUS");
    const fs::path root = fs::path(env && *env ? env : LUMIBENCH_CORPUS_DEFAULT) / "ies";
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return std::nullopt;
    std::vector<fs::directory_entry> files(fs::directory_iterator(root, ec), fs::directory_iterator());
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.file_size() > b.file_size(); });
    if (pick == Pick::Median) files.erase(files.begin(), files.begin() + static_cast<long>(files.size() / 2));
    for (const auto& file : files) {
        const auto choice = ReaderForExtension(file.path().extension().string());
        if (!choice) continue;
        const fs::path copy = ScratchFolder() / file.path().filename();
        fs::copy_file(file.path(), copy, fs::copy_options::overwrite_existing, ec);
        WorkRecordTable work;
        SilentMessageSink silent;
        ReaderContext context{work, silent, ScratchFolder()};
        ReaderMessages message;
        std::string path = copy.string();
        choice->reader(path, message, false, context);
        if (!message.empty() || work.empty()) continue;
        WorkRecordTable loaded;
        CopyPhotometricRecord(work, 0, loaded, 0, false);
        chosen = file.path().filename().string() + " (" + std::to_string(file.file_size()) + " bytes)";
        return loaded[0];
    }
    return std::nullopt;
}

const PhotometricRecord* CorpusRecord(Pick pick, std::string* name) {
    static std::string names[2];
    static const std::optional<PhotometricRecord> records[2] = {LoadRecord(Pick::Largest, names[0]),
                                                                LoadRecord(Pick::Median, names[1])};
    const int i = pick == Pick::Largest ? 0 : 1;
    if (name) *name = names[i];
    return records[i] ? &*records[i] : nullptr;
}

void WriteAndRead25(benchmark::State& state, SettingsStore& store, Pick pick) {
    std::string name;
    const PhotometricRecord* record = CorpusRecord(pick, &name);
    if (!record) {
        state.SkipWithError("no readable IES file in the corpus");
        return;
    }
    const WorkRecordTable work(kExchangeSlotCount, *record);
    SilentMessageSink silent;
    WorkRecordTable back;
    std::string error;
    for (auto _ : state) {
        WriteExchangeRecords(store, kSection, work, 1, kExchangeSlotCount, 1, silent);
        if (ReadExchangeRecords(store, kSection, back, error) != kExchangeRead || back.size() != work.size()) {
            state.SkipWithError(("read back failed: " + error).c_str());
            return;
        }
    }
    state.SetLabel(name + ", " + std::to_string(record->HorAngleCount) + "x" +
                   std::to_string(record->VertAngleCount) + " candela");
    state.counters["candela_values"] = static_cast<double>(record->HorAngleCount) * record->VertAngleCount * 25;
}

// The same, with every round writing values other than the last round's:
// the store rewrites every page instead of finding most of them unchanged.
void BM_Write25ChangedSlotsAndReadBack_Sqlite(benchmark::State& state) {
    const auto store = SqliteSettingsStore::Open(ScratchFolder() / "changed.sqlite3");
    std::string name;
    const PhotometricRecord* record = CorpusRecord(Pick::Largest, &name);
    if (!store || !record) {
        state.SkipWithError("no settings store or no readable IES file in the corpus");
        return;
    }
    // The same values in another order: the same number texts, other bytes.
    PhotometricRecord reordered = *record;
    for (auto& row : reordered.Candela) std::reverse(row.begin(), row.end());
    const WorkRecordTable works[2] = {WorkRecordTable(kExchangeSlotCount, *record),
                                      WorkRecordTable(kExchangeSlotCount, reordered)};
    SilentMessageSink silent;
    WorkRecordTable back;
    std::string error;
    int round = 0;
    for (auto _ : state) {
        WriteExchangeRecords(*store, kSection, works[++round % 2], 1, kExchangeSlotCount, 1, silent);
        if (ReadExchangeRecords(*store, kSection, back, error) != kExchangeRead) {
            state.SkipWithError(("read back failed: " + error).c_str());
            return;
        }
    }
    state.SetLabel(name);
}
BENCHMARK(BM_Write25ChangedSlotsAndReadBack_Sqlite)->Unit(benchmark::kMillisecond);

void BM_Write25SlotsAndReadBack_Sqlite(benchmark::State& state) {
    const auto store = SqliteSettingsStore::Open(ScratchFolder() / "slots.sqlite3");
    if (!store) {
        state.SkipWithError("cannot open the settings store");
        return;
    }
    WriteAndRead25(state, *store, static_cast<Pick>(state.range(0)));
}
BENCHMARK(BM_Write25SlotsAndReadBack_Sqlite)->Arg(0)->Arg(1)->ArgName("median")->Unit(benchmark::kMillisecond);

void BM_Write25SlotsAndReadBack_Memory(benchmark::State& state) {
    MemorySettingsStore store;
    WriteAndRead25(state, store, static_cast<Pick>(state.range(0)));
}
BENCHMARK(BM_Write25SlotsAndReadBack_Memory)->Arg(0)->Arg(1)->ArgName("median")->Unit(benchmark::kMillisecond);

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "exchange_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class NullHost : public ChannelHost {
public:
    void refreshLoadedFilesList() override {}
    void showEuropeanDataHint() override {}
    void closeAllTools() override {}
};

struct ChannelRig {
    std::unique_ptr<SqliteSettingsStore> hostStore;
    std::unique_ptr<SqliteSettingsStore> toolStore;  // a second connection, as a tool holds
    LoadedFileTable loaded;
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows{tools};
    SilentMessageSink messages;
    NullHost host;
    std::unique_ptr<CommandChannel> channel;

    explicit ChannelRig(const char* file) {
        Application();
        hostStore = SqliteSettingsStore::Open(ScratchFolder() / file);
        toolStore = SqliteSettingsStore::Open(ScratchFolder() / file);
        if (!hostStore || !toolStore) return;
        channel = std::make_unique<CommandChannel>(
            ChannelServices{*hostStore, std::string(kSection), loaded, work, tools, windows, messages, host});
    }
};

// From the tool's write to the host's take, with the write at a random moment
// of the 100 ms poll: the poll bounds it, the rest is our own cost.
void BM_CommandLatency(benchmark::State& state) {
    ChannelRig rig("latency.sqlite3");
    if (!rig.channel) {
        state.SkipWithError("cannot open the settings store");
        return;
    }
    rig.channel->start();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> phase(0, 99);
    double worst = 0;
    long long count = 0;
    for (auto _ : state) {
        const auto idle = Clock::now() + std::chrono::milliseconds(phase(random));
        while (Clock::now() < idle) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const std::string command = "CLOSEREMOVE,Tool_Bench," + std::to_string(++count);
        const auto written = Clock::now();
        rig.toolStore->write(kExchangeApp, kSection, kHostKey, command);
        while (rig.channel->lastCommand() != command) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - written).count();
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    rig.channel->stop();
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_CommandLatency)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

// One poll that finds a command: read the host key, empty it, handle it.
void BM_PollThatTakesACommand(benchmark::State& state) {
    ChannelRig rig("poll.sqlite3");
    if (!rig.channel) {
        state.SkipWithError("cannot open the settings store");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        rig.toolStore->write(kExchangeApp, kSection, kHostKey, "CLOSEREMOVE,Tool_Bench,1");
        state.ResumeTiming();
        rig.channel->pollHostKey();
    }
}
BENCHMARK(BM_PollThatTakesACommand)->Unit(benchmark::kMicrosecond);

// A poll that finds nothing: the cost paid ten times a second all day.
void BM_IdlePoll(benchmark::State& state) {
    ChannelRig rig("idle.sqlite3");
    if (!rig.channel) {
        state.SkipWithError("cannot open the settings store");
        return;
    }
    for (auto _ : state) rig.channel->pollHostKey();
}
BENCHMARK(BM_IdlePoll)->Unit(benchmark::kMicrosecond);

}  // namespace
