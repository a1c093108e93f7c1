// Thumbnail speed: every IES and EULUMDAT file of the corpus read, drawn and
// written as a 256-pixel PNG in this process, the slowest single file, and
// the whole program as a file manager starts it (a new process per file, its
// own CPU time).
//
// Run: build/normal/bin/thumbnail_bench  (LUMIBENCH_CORPUS picks the corpus)
// cpu_ms_per_file is the mean over the corpus, worst_cpu_ms the slowest file;
// the program's figure is its CPU time per run.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
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

// CPU time of this process: what one core spends, whatever else runs.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

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
    double worst = 0, total = 0;
    int written = 0;
    for (auto _ : state) {
        written = 0;
        for (const std::string& file : files) {
            const double start = CpuMilliseconds();
            written += lumibench::WriteThumbnail(file, output, kSize, scratch.folder).written;
            const double took = CpuMilliseconds() - start;
            worst = std::max(worst, took);
            total += took;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.size()));
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["written"] = written;
    state.counters["cpu_ms_per_file"] = total / static_cast<double>(state.iterations() * files.size());
    state.counters["worst_cpu_ms"] = worst;
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
    // Refused files say why on the standard error; not here.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    std::size_t k = 0;
    for (auto _ : state) {
        const std::string& file = files[k++ % files.size()];
        std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("-s"),
                                const_cast<char*>(size.c_str()), const_cast<char*>(file.c_str()),
                                const_cast<char*>(output.c_str()), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), &quiet, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start lumibench-thumbnail");
            return;
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        // The child's own CPU time: what one core spends, whatever else runs.
        state.SetIterationTime(static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    }
}
BENCHMARK(BM_ThumbnailProgramPerFile)->Unit(benchmark::kMillisecond)->Iterations(30)->UseManualTime();

}  // namespace
