// Thumbnail speed: every IES and EULUMDAT file of the corpus read, drawn and
// written as a 256-pixel PNG in this process, the slowest single file, and
// the whole program as a file manager starts it (a new process per file).
//
// Run: build/normal/bin/thumbnail_bench  (LUMIBENCH_CORPUS picks the corpus)
// ms_per_file is the mean over the corpus; worst_ms the slowest file's time.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "thumbnail_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kSize = 256;

struct Scratch {
    std::string folder;
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "lumibench-thumbnail-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) folder = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!folder.empty()) fs::remove_all(folder, ignored);
    }
};

std::vector<std::string> CorpusFiles() {
    const char* env = std::getenv("LUMIBENCH_CORPUS");
    const fs::path root = env && *env ? fs::path(env) : fs::path(LUMIBENCH_CORPUS_DEFAULT);
    std::vector<std::string> files;
    for (const char* kind : {"ies", "ldt"}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(root / kind, error)) {
            if (entry.is_regular_file()) files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void BM_ThumbnailCorpusInProcess(benchmark::State& state) {
    const std::vector<std::string> files = CorpusFiles();
    if (files.empty()) {
        state.SkipWithError("no corpus (set LUMIBENCH_CORPUS)");
        return;
    }
    Scratch scratch;
    const std::string output = scratch.folder + "/thumbnail.png";
    double worst = 0;
    int written = 0;
    for (auto _ : state) {
        written = 0;
        for (const std::string& file : files) {
            const auto start = std::chrono::steady_clock::now();
            written += lumibench::WriteThumbnail(file, output, kSize, scratch.folder).written;
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            worst = std::max(worst, took.count());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.size()));
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["written"] = written;
    state.counters["ms_per_file"] = benchmark::Counter(
        static_cast<double>(state.iterations() * files.size()) / 1000,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_ThumbnailCorpusInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);

// The program itself: start-up, dynamic linking and all, per file.
void BM_ThumbnailProgramPerFile(benchmark::State& state) {
    std::vector<std::string> files = CorpusFiles();
    if (files.empty()) {
        state.SkipWithError("no corpus (set LUMIBENCH_CORPUS)");
        return;
    }
    // The largest files: the worst case a folder holds.
    std::sort(files.begin(), files.end(),
              [](const std::string& a, const std::string& b) { return fs::file_size(a) > fs::file_size(b); });
    files.resize(std::min<std::size_t>(files.size(), 10));
    Scratch scratch;
    const std::string program = (fs::path(LUMIBENCH_BIN_DIR) / "lumibench-thumbnail").string();
    const std::string output = scratch.folder + "/thumbnail.png";
    const std::string size = std::to_string(kSize);
    std::size_t k = 0;
    for (auto _ : state) {
        const std::string& file = files[k++ % files.size()];
        std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("-s"),
                                const_cast<char*>(size.c_str()), const_cast<char*>(file.c_str()),
                                const_cast<char*>(output.c_str()), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start lumibench-thumbnail");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
}
BENCHMARK(BM_ThumbnailProgramPerFile)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
