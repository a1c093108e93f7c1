// TM-33 XML and ATLA JSON reading, in bytes per second: documents our writers
// make from a full type C grid (every 5 degrees of C, every degree of gamma,
// and every degree of both), and the largest TM-33 file of the corpus.
// Target: TM-33 XML read at 100 MB/s or more.
//
// Run: build/normal/bin/tm33_reader_bench  (LUMIBENCH_CORPUS picks the corpus)

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/tm33/tm33_reader.h"
#include "formats/tm33/tm33_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace lumibench;

// A smooth batwing-like distribution on a C-plane grid with steps in degrees.
PhotometricRecord Grid(float cStep, float gammaStep) {
    PhotometricRecord r;
    r.LampCount = 1;
    r.LumensPerLamp = 10000;
    r.CandelaMultiplier = 1;
    r.PhotometricType = 1;
    r.UnitsType = 2;
    r.BallastFactor = 1;
    r.InputWatts = 80;
    r.Keywords = {"[TEST] bench", "[MANUFAC] bench"};
    for (float c = 0; c <= 360.0f; c += cStep) r.HorAngles.push_back(c);
    for (float g = 0; g <= 180.0f; g += gammaStep) r.VertAngles.push_back(g);
    for (float c : r.HorAngles) {
        std::vector<double>& plane = r.Candela.emplace_back();
        for (float g : r.VertAngles) {
            const double rad = g * 3.14159265358979 / 180.0;
            plane.push_back(std::round(1000.0 * (0.6 + 0.4 * std::sin(rad)) * std::max(0.0, std::cos(rad)) *
                                       (1.0 + 0.1 * std::sin(rad) * std::cos(c * 3.14159265358979 / 90.0)) * 1000.0) / 1000.0);
        }
    }
    r.HorAngleCount = static_cast<std::int16_t>(r.HorAngles.size());
    r.VertAngleCount = static_cast<std::int16_t>(r.VertAngles.size());
    return r;
}

void ReadXml(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        WorkRecordTable work;
        ReaderMessages message;
        ReadTm33XmlBytes(text, work, message);
        if (!message.empty()) state.SkipWithError(message.text().c_str());
        benchmark::DoNotOptimize(work);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_Tm33XmlRead_Grid(benchmark::State& state) {
    static const std::string five = WriteTm33Text(Grid(5, 1)).text;
    static const std::string one = WriteTm33Text(Grid(1, 1)).text;
    ReadXml(state, state.range(0) == 5 ? five : one);
}
BENCHMARK(BM_Tm33XmlRead_Grid)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_AtlaJsonRead_Grid(benchmark::State& state) {
    static const std::string text = WriteAtlaJsonText(Grid(5, 1)).text;
    for (auto _ : state) {
        WorkRecordTable work;
        ReaderMessages message;
        ReadAtlaJsonBytes(text, work, message);
        benchmark::DoNotOptimize(work);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_AtlaJsonRead_Grid)->Unit(benchmark::kMillisecond);

void BM_Tm33XmlRead_LargestCorpusFile(benchmark::State& state) {
    const char* env = std::getenv("LUMIBENCH_CORPUS");
    const fs::path folder = fs::path(env ? env : LUMIBENCH_CORPUS_DEFAULT) / "tm33";
    fs::path largest;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".xml" && (largest.empty() || entry.file_size() > fs::file_size(largest))) {
            largest = entry.path();
        }
    }
    if (largest.empty()) {
        state.SkipWithError("no TM-33 corpus");
        return;
    }
    std::ifstream in(largest, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    ReadXml(state, text.str());
}
BENCHMARK(BM_Tm33XmlRead_LargestCorpusFile)->Unit(benchmark::kMicrosecond);

}  // namespace
