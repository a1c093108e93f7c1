// The photometry on the largest file of the corpus that loads: every figure
// of the summary together (target under 5 ms), its parts, and the application
// tables (CU and UGR targets under 50 ms each).
//
// Run: build/normal/bin/photometry_bench  (LUMIBENCH_CORPUS picks the corpus)

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "file_check.h"
#include "photometry/floodlight.h"
#include "photometry/indoor.h"
#include "photometry/photometry.h"
#include "photometry/road.h"

namespace {

namespace fs = std::filesystem;
using namespace lumibench;

struct LargestRecord {
    std::string path;
    PhotometricRecord record;
};

const LargestRecord& Largest() {
    static const LargestRecord largest = [] {
        const char* env = std::getenv("LUMIBENCH_CORPUS");
        const fs::path corpus = env && *env ? env : LUMIBENCH_CORPUS_DEFAULT;
        const fs::path scratch = fs::temp_directory_path() / "lumibench-photometry-bench";
        fs::create_directories(scratch);
        LargestRecord best;
        std::uintmax_t bestSize = 0;
        for (const char* folder : {"ies", "ldt"}) {
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(corpus / folder, ec)) {
                if (!entry.is_regular_file() || entry.file_size() <= bestSize) continue;
                // A repair writes beside the file it reads, so it reads a scratch copy:
                // the corpus stays as it is.
                const fs::path copy = scratch / entry.path().filename();
                std::error_code copied;
                fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing, copied);
                if (copied) continue;
                FileCheckResult result = CheckFile(copy.string(), true, scratch.string());
                if (!result.ok()) continue;
                bestSize = entry.file_size();
                best = {entry.path().string(), std::move(result.record)};
            }
        }
        if (bestSize == 0) throw std::runtime_error("no corpus file loads under " + corpus.string());
        return best;
    }();
    return largest;
}

void Label(benchmark::State& state) {
    const LargestRecord& largest = Largest();
    state.SetLabel(fs::path(largest.path).filename().string() + " (" + std::to_string(largest.record.HorAngleCount) +
                   " x " + std::to_string(largest.record.VertAngleCount) + ")");
}

void BM_SummariseLargest(benchmark::State& state) {
    const PhotometricRecord& record = Largest().record;
    for (auto _ : state) benchmark::DoNotOptimize(photometry::Summarise(record));
    Label(state);
}
BENCHMARK(BM_SummariseLargest)->Unit(benchmark::kMillisecond);

void BM_ExpandLargest(benchmark::State& state) {
    const PhotometricRecord& record = Largest().record;
    for (auto _ : state) benchmark::DoNotOptimize(photometry::IntensityDistribution(record));
    Label(state);
}
BENCHMARK(BM_ExpandLargest)->Unit(benchmark::kMillisecond);

void BM_TotalFluxLargest(benchmark::State& state) {
    const photometry::IntensityDistribution distribution(Largest().record);
    for (auto _ : state) benchmark::DoNotOptimize(photometry::TotalFlux(distribution));
    Label(state);
}
BENCHMARK(BM_TotalFluxLargest)->Unit(benchmark::kMillisecond);

void BM_CuTableLargest(benchmark::State& state) {
    const PhotometricRecord& record = Largest().record;
    const photometry::IntensityDistribution distribution(record);
    const double reference = photometry::LampFlux(record).value_or(photometry::TotalFlux(distribution));
    for (auto _ : state) benchmark::DoNotOptimize(photometry::CoefficientsOfUtilisation(distribution, reference));
    Label(state);
}
BENCHMARK(BM_CuTableLargest)->Unit(benchmark::kMillisecond);

void BM_UgrTableLargest(benchmark::State& state) {
    PhotometricRecord record = Largest().record;
    // The table needs a luminous opening; the file may not give one.
    if (record.Width == 0 && record.Length == 0) record.Width = record.Length = 0.6f;
    const photometry::IntensityDistribution distribution(record);
    for (auto _ : state) benchmark::DoNotOptimize(photometry::UgrTabular(distribution, record));
    Label(state);
}
BENCHMARK(BM_UgrTableLargest)->Unit(benchmark::kMillisecond);

void BM_RoadAndFloodlightLargest(benchmark::State& state) {
    const photometry::IntensityDistribution distribution(Largest().record);
    for (auto _ : state) {
        benchmark::DoNotOptimize(photometry::ClassifyRoadDistribution(distribution));
        benchmark::DoNotOptimize(photometry::RateBug(distribution));
        benchmark::DoNotOptimize(photometry::RoadGridIlluminance(distribution, {}));
        benchmark::DoNotOptimize(photometry::Floodlight(distribution, std::nullopt));
        benchmark::DoNotOptimize(photometry::TargetPlaneIlluminance(distribution, {}));
    }
    Label(state);
}
BENCHMARK(BM_RoadAndFloodlightLargest)->Unit(benchmark::kMillisecond);

}  // namespace
