// Reader speed on the largest loadable IES and EULUMDAT files of the corpus,
// warm (repeated loads in this process) and fresh (one load in a new process,
// its own CPU time), beside a plain scan of the same bytes.
//
// Run: build/normal/bin/reader_speed_bench  (LUMIBENCH_CORPUS picks the corpus)
// MB/s = bytes_per_second; the fresh figures use the child's CPU time.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/path_text.h"
#include "formats/checked_load.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace lumibench;

struct Largest {
    std::string name;      // as in the corpus
    std::string readable;  // the file itself, or its repaired copy in a scratch folder
    std::int64_t bytes = 0;
};

// Largest file of each kind that loads (after the line-end repair, in scratch).
class Corpus {
public:
    static Corpus& get() {
        static Corpus corpus;
        return corpus;
    }
    const Largest& ies() const { return ies_; }
    const Largest& ldt() const { return ldt_; }
    ~Corpus() {
        std::error_code ignored;
        if (!scratch_.empty()) fs::remove_all(scratch_, ignored);
    }

private:
    Corpus() {
        const char* env = std::getenv("LUMIBENCH_CORPUS");
        const fs::path root = env && *env ? fs::path(env) : fs::path(LUMIBENCH_CORPUS_DEFAULT);
        std::string pattern = (fs::temp_directory_path() / "lumibench-speed-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        scratch_ = pattern;
        find(root / "ies", ".IES", ies_);
        find(root / "ldt", ".LDT", ldt_);
    }
    void find(const fs::path& folder, const std::string& extension, Largest& out) {
        std::error_code ec;
        std::vector<std::pair<std::uintmax_t, fs::path>> files;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            if (entry.is_regular_file() && UpperAscii(SplitPath(entry.path().string()).extension) == extension) {
                files.emplace_back(entry.file_size(), entry.path());
            }
        }
        std::sort(files.rbegin(), files.rend());
        for (const auto& [size, path] : files) {
            const fs::path copy = scratch_ / path.filename();
            fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
            const FileCheckResult result = CheckFile(copy.string(), true, scratch_.string());
            if (!result.ok()) continue;
            out = {path.filename().string(), result.path, static_cast<std::int64_t>(size)};
            return;
        }
    }

    fs::path scratch_;
    Largest ies_;
    Largest ldt_;
};

const Largest& Pick(int kind) { return kind == 0 ? Corpus::get().ies() : Corpus::get().ldt(); }

void BM_Warm(benchmark::State& state) {
    const Largest& file = Pick(static_cast<int>(state.range(0)));
    if (file.bytes == 0) return state.SkipWithError("no loadable file (set LUMIBENCH_CORPUS)");
    for (auto _ : state) benchmark::DoNotOptimize(CheckFile(file.readable, false, "/nonexistent"));
    state.SetBytesProcessed(state.iterations() * file.bytes);
    state.SetLabel(file.name);
}

// One load in a new process; the time is the child's own CPU time for the load.
void BM_Fresh(benchmark::State& state) {
    const Largest& file = Pick(static_cast<int>(state.range(0)));
    if (file.bytes == 0) return state.SkipWithError("no loadable file (set LUMIBENCH_CORPUS)");
    const std::string helper = (fs::read_symlink("/proc/self/exe").parent_path() / "reader_load_once").string();
    for (auto _ : state) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) return state.SkipWithError("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(file.readable.c_str()), nullptr};
        pid_t child = 0;
        const int spawned = posix_spawn(&child, helper.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        char buffer[64] = {};
        const ssize_t got = spawned == 0 ? ::read(pipeEnds[0], buffer, sizeof buffer - 1) : -1;
        ::close(pipeEnds[0]);
        if (spawned == 0) ::waitpid(child, nullptr, 0);
        long long nanoseconds = 0;
        const char* const stop = buffer + std::max<ssize_t>(got, 0);
        const auto [next, error] = std::from_chars(buffer, stop, nanoseconds);
        const bool ok = got > 0 && error == std::errc() && stop - next >= 2 && next[1] == '1';
        if (!ok) {
            return state.SkipWithError("the helper did not load the file");
        }
        state.SetIterationTime(static_cast<double>(nanoseconds) / 1e9);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
    state.SetLabel(file.name);
}

// Reading the same bytes and counting line feeds: what touching them costs.
void BM_PlainScan(benchmark::State& state) {
    const Largest& file = Pick(static_cast<int>(state.range(0)));
    if (file.bytes == 0) return state.SkipWithError("no loadable file (set LUMIBENCH_CORPUS)");
    std::string buffer(static_cast<std::size_t>(file.bytes) + 1, '\0');
    for (auto _ : state) {
        const int fd = ::open(file.readable.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        benchmark::DoNotOptimize(std::count(buffer.data(), buffer.data() + std::max<ssize_t>(got, 0), '\n'));
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
    state.SetLabel(file.name);
}

// Argument 0: IES, 1: EULUMDAT.
BENCHMARK(BM_Warm)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fresh)->Arg(0)->Arg(1)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
