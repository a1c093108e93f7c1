// Throughput of the IES load path over the IES corpus: the text read for the
// exponential check, the line-end check, the whole reader, the largest file
// alone, and a plain scan of the same bytes as the floor to compare with.
//
// Run: build/normal/bin/ies_reader_bench  (LUMIBENCH_CORPUS picks the corpus)

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "core/path_text.h"
#include "formats/ies/ies_reader.h"
#include "formats/text/line_delimiters.h"
#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace {

namespace fs = std::filesystem;
using namespace lumibench;

struct BenchFile {
    std::string original;  // as it sits in the corpus
    std::string readable;  // CR LF throughout: the original, or its repaired copy
    std::int64_t bytes = 0;
    bool loads = false;  // the reader accepts it with an empty message
};

bool LoadOne(const std::string& readable);

// The corpus files, with badly delimited ones repaired once into a scratch
// folder so that the reader benchmark parses every file in full.
class IesCorpus {
public:
    static IesCorpus& get() {
        static IesCorpus corpus;
        return corpus;
    }
    const std::vector<BenchFile>& files() const { return files_; }
    const BenchFile& largest() const { return largest_; }
    // The largest file stops early when it fails; this one is read to its end.
    const BenchFile& largestLoaded() const { return largestLoaded_; }
    std::int64_t totalBytes() const { return totalBytes_; }

    ~IesCorpus() {
        std::error_code ignored;
        if (!scratch_.empty()) fs::remove_all(scratch_, ignored);
    }

private:
    IesCorpus() {
        const char* env = std::getenv("LUMIBENCH_CORPUS");
        const fs::path root = fs::path(env && *env ? env : LUMIBENCH_CORPUS_DEFAULT) / "ies";
        std::error_code ec;
        if (!fs::is_directory(root, ec)) return;
        std::string pattern = (fs::temp_directory_path() / "lumibench-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        scratch_ = pattern;

        std::vector<fs::path> paths;
        for (const auto& entry : fs::directory_iterator(root)) {
            if (entry.is_regular_file() &&
                UpperAscii(SplitPath(entry.path().filename().string()).extension) == ".IES") {
                paths.push_back(entry.path());
            }
        }
        std::sort(paths.begin(), paths.end());
        SilentMessageSink sink;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            BenchFile file;
            file.original = paths[i].string();
            file.bytes = static_cast<std::int64_t>(fs::file_size(paths[i]));
            const fs::path copy = scratch_ / (std::to_string(i) + ".ies");
            fs::copy_file(paths[i], copy);
            file.readable = copy.string();
            std::string message;
            if (!CheckLineDelimiters(file.readable, message, /*noRepair=*/false, sink)) continue;
            file.loads = LoadOne(file.readable);
            totalBytes_ += file.bytes;
            if (file.bytes > largest_.bytes) largest_ = file;
            if (file.loads && file.bytes > largestLoaded_.bytes) largestLoaded_ = file;
            files_.push_back(std::move(file));
        }
    }

    fs::path scratch_;
    std::vector<BenchFile> files_;
    BenchFile largest_;
    BenchFile largestLoaded_;
    std::int64_t totalBytes_ = 0;
};

bool Ready(benchmark::State& state) {
    if (!IesCorpus::get().files().empty()) return true;
    state.SkipWithError("no IES corpus (set LUMIBENCH_CORPUS)");
    return false;
}

void Report(benchmark::State& state, std::int64_t bytesPerRound, std::int64_t filesPerRound) {
    state.SetBytesProcessed(state.iterations() * bytesPerRound);
    state.counters["files/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * filesPerRound), benchmark::Counter::kIsRate);
}

bool LoadOne(const std::string& readable) {
    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, {}};
    ReaderMessages message;
    std::string path = readable;
    LoadIesFile(path, message, /*noRepair=*/true, context);
    benchmark::DoNotOptimize(work);
    return message.empty();
}

// Counting line feeds over bytes fetched with one read call: what merely
// touching the bytes costs.
std::int64_t PlainScan(const std::string& path, std::string& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat info {};
    ::fstat(fd, &info);
    buffer.resize(static_cast<std::size_t>(info.st_size));
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    return got <= 0 ? 0 : std::count(buffer.data(), buffer.data() + got, '\n');
}

void BM_ReadFileText(benchmark::State& state) {
    if (!Ready(state)) return;
    const auto& corpus = IesCorpus::get();
    for (auto _ : state) {
        for (const BenchFile& file : corpus.files()) {
            benchmark::DoNotOptimize(ReadFileText(file.original, /*fromTilt=*/true));
        }
    }
    Report(state, corpus.totalBytes(), static_cast<std::int64_t>(corpus.files().size()));
}

// On the files as published: sound files pass at their first CR LF, badly
// delimited ones are scanned to the end and refused (noRepair writes nothing).
void BM_CheckLineDelimiters(benchmark::State& state) {
    if (!Ready(state)) return;
    const auto& corpus = IesCorpus::get();
    SilentMessageSink sink;
    for (auto _ : state) {
        for (const BenchFile& file : corpus.files()) {
            std::string path = file.original;
            std::string message;
            benchmark::DoNotOptimize(CheckLineDelimiters(path, message, /*noRepair=*/true, sink));
        }
    }
    Report(state, corpus.totalBytes(), static_cast<std::int64_t>(corpus.files().size()));
}

// The whole reader (its own text read and line-end check included).
void BM_LoadIesFile(benchmark::State& state) {
    if (!Ready(state)) return;
    const auto& corpus = IesCorpus::get();
    for (auto _ : state) {
        for (const BenchFile& file : corpus.files()) LoadOne(file.readable);
    }
    Report(state, corpus.totalBytes(), static_cast<std::int64_t>(corpus.files().size()));
}

void BM_LoadIesFile_Largest(benchmark::State& state) {
    if (!Ready(state)) return;
    const BenchFile& file = IesCorpus::get().largest();
    for (auto _ : state) LoadOne(file.readable);
    state.SetLabel(fs::path(file.original).filename().string());
    Report(state, file.bytes, 1);
}

void BM_LoadIesFile_LargestLoaded(benchmark::State& state) {
    if (!Ready(state)) return;
    const BenchFile& file = IesCorpus::get().largestLoaded();
    for (auto _ : state) LoadOne(file.readable);
    state.SetLabel(fs::path(file.original).filename().string());
    Report(state, file.bytes, 1);
}

void BM_PlainScan(benchmark::State& state) {
    if (!Ready(state)) return;
    const auto& corpus = IesCorpus::get();
    std::string buffer;
    for (auto _ : state) {
        for (const BenchFile& file : corpus.files()) {
            benchmark::DoNotOptimize(PlainScan(file.readable, buffer));
        }
    }
    Report(state, corpus.totalBytes(), static_cast<std::int64_t>(corpus.files().size()));
}

void BM_PlainScan_LargestLoaded(benchmark::State& state) {
    if (!Ready(state)) return;
    const BenchFile& file = IesCorpus::get().largestLoaded();
    std::string buffer;
    for (auto _ : state) benchmark::DoNotOptimize(PlainScan(file.readable, buffer));
    Report(state, file.bytes, 1);
}

BENCHMARK(BM_ReadFileText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckLineDelimiters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadIesFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadIesFile_Largest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadIesFile_LargestLoaded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan_LargestLoaded)->Unit(benchmark::kMillisecond);

}  // namespace
