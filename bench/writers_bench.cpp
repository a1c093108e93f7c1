// Writing against reading: the largest loadable corpus file of each format is
// read once, then written in every format (the text alone, and the whole file
// written safely), next to reading that same file and reading what was
// written. Target: no writer slower than reading the file it writes.
//
// Run: build/normal/bin/writers_bench  (LUMIBENCH_CORPUS picks the corpus)

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "core/message_sink.h"
#include "core/path_text.h"
#include "formats/atomic_file.h"
#include "formats/load_dispatch.h"
#include "formats/photometric_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace lumibench;

struct Sample {
    std::string path;
    std::string extension;
    PhotometricRecord record;
};

fs::path Scratch() {
    const fs::path folder = fs::temp_directory_path() / ("lumibench-writers-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}

bool Read(std::string path, const std::string& extension, PhotometricRecord* record) {
    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, Scratch()};
    ReaderMessages messages;
    ReaderForExtension(extension)->reader(path, messages, true, context);
    if (record && !work.empty()) *record = work.front();
    return messages.empty();
}

// The largest file of the folder that loads as it is.
Sample Largest(const char* folder, const char* extension) {
    Sample best;
    const char* env = std::getenv("LUMIBENCH_CORPUS");
    const fs::path dir = fs::path(env ? env : LUMIBENCH_CORPUS_DEFAULT) / folder;
    std::uintmax_t bestSize = 0;
    if (!fs::is_directory(dir)) return best;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (UpperAscii(entry.path().extension().string()) != extension || entry.file_size() <= bestSize) continue;
        PhotometricRecord record;
        if (!Read(entry.path().string(), extension, &record)) continue;
        best = {entry.path().string(), extension, record};
        bestSize = entry.file_size();
    }
    return best;
}

const Sample& SampleOf(int which) {
    static const Sample ies = Largest("ies", ".IES");
    static const Sample ldt = Largest("ldt", ".LDT");
    return which == 0 ? ies : ldt;
}

void BM_Read(benchmark::State& state) {
    const Sample& sample = SampleOf(static_cast<int>(state.range(0)));
    if (sample.path.empty()) return state.SkipWithError("no corpus");
    for (auto _ : state) benchmark::DoNotOptimize(Read(sample.path, sample.extension, nullptr));
    state.SetLabel(fs::path(sample.path).filename().string());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(sample.path)));
}

void BM_Write(benchmark::State& state) {
    const Sample& sample = SampleOf(static_cast<int>(state.range(0)));
    if (sample.path.empty()) return state.SkipWithError("no corpus");
    const auto format = static_cast<WriteFormat>(state.range(1));
    const bool toDisk = state.range(2) != 0;
    const std::string target = (Scratch() / "out.txt").string();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const WrittenText text = WritePhotometricText(sample.record, format, "out.txt");
        if (toDisk) benchmark::DoNotOptimize(SaveFileSafely(target, text.text, true));
        bytes = text.text.size();
    }
    state.SetLabel(fs::path(sample.path).filename().string() + (toDisk ? " to disk" : " text"));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

// Reading what a writer wrote: the same bytes both ways, so that a format
// whose numbers need more digits (cd/klm from a candela table) is weighed
// against reading those digits, not the source file's shorter ones.
void BM_ReadWritten(benchmark::State& state) {
    const Sample& sample = SampleOf(static_cast<int>(state.range(0)));
    if (sample.path.empty()) return state.SkipWithError("no corpus");
    const auto format = static_cast<WriteFormat>(state.range(1));
    const std::string extension = format == WriteFormat::Eulumdat ? ".LDT" : format == WriteFormat::Tm14 ? ".CIB" : ".IES";
    const std::string path = (Scratch() / ("written" + extension)).string();
    const WrittenText text = WritePhotometricText(sample.record, format, "written" + extension);
    if (!text.ok() || !SaveFileSafely(path, text.text, true).empty()) return state.SkipWithError("not written");
    for (auto _ : state) benchmark::DoNotOptimize(Read(path, extension, nullptr));
    state.SetLabel(fs::path(sample.path).filename().string() + " as " + extension);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.text.size()));
}

// range(0): 0 the largest IES file, 1 the largest EULUMDAT file.
BENCHMARK(BM_Read)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadWritten)->ArgsProduct({{0, 1}, {0, 3, 4}})->Unit(benchmark::kMicrosecond);
// range(1): WriteFormat Ies2002 = 0, Eulumdat = 3, Tm14 = 4; range(2): 1 to disk.
BENCHMARK(BM_Write)
    ->ArgsProduct({{0, 1}, {0, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
