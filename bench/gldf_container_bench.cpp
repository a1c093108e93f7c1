// Loading a GLDF container with 50 photometries as the host does (zip
// directory, product.xml, 50 EULUMDAT members read in memory). Aim: under
// 20 ms a container.
//
// Run: build/normal/bin/gldf_container_bench  (LUMIBENCH_CORPUS picks the corpus)
// The container is written once into a scratch folder from the corpus's
// EULUMDAT files; the time is per whole container.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "formats/eulumdat/eulumdat_reader.h"
#include "formats/text/line_delimiters.h"
#include "formats/text/text_decoding.h"
#include "formats/gldf/gldf_reader.h"

namespace {

namespace fs = std::filesystem;
using namespace lumibench;

constexpr std::size_t kPhotometries = 50;

fs::path CorpusFolder() {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    return corpus ? fs::path(corpus) : fs::path(LUMIBENCH_CORPUS_DEFAULT);
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Corpus EULUMDAT files that load (line ends made CR LF, as makers ship
// them), repeated as needed, as ldc/NN.ldt of one product whose emitters
// each use one; empty when the corpus has none.
std::string WriteContainer(const fs::path& scratch) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(CorpusFolder() / "ldt")) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> loadable;
    for (const fs::path& file : files) {
        std::string bytes = Bytes(file);
        std::string repaired;
        if (RepairLineDelimiters(bytes, repaired)) bytes = std::move(repaired);
        PhotometricRecord record;
        ReaderMessages message;
        ReadEulumdatText(DecodeFileText(bytes), record, message);
        if (message.empty()) loadable.push_back(std::move(bytes));
    }
    if (loadable.empty()) return {};
    std::vector<std::string> members;
    for (std::size_t i = 0; i < kPhotometries; ++i) members.push_back(loadable[i % loadable.size()]);

    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root><Header><Manufacturer>Bench</Manufacturer>"
                      "</Header><GeneralDefinitions><Files>";
    std::string photometries, emitters, variants;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string n = std::to_string(i);
        xml += "<File id=\"f" + n + "\" contentType=\"ldc/eulumdat\" type=\"localFileName\">" + n + ".ldt</File>";
        photometries += "<Photometry id=\"p" + n + "\"><PhotometryFileReference fileId=\"f" + n + "\"/></Photometry>";
        emitters += "<Emitter id=\"e" + n + "\"><ChangeableLightEmitter><PhotometryReference photometryId=\"p" + n +
                    "\"/></ChangeableLightEmitter></Emitter>";
        variants += "<Variant id=\"v" + n + "\"><Name><Locale language=\"en\">Variant " + n +
                    "</Locale></Name><Geometry><EmitterReference emitterId=\"e" + n + "\"/></Geometry></Variant>";
    }
    xml += "</Files><Photometries>" + photometries + "</Photometries><Emitters>" + emitters +
           "</Emitters></GeneralDefinitions><ProductDefinitions><ProductMetaData><Name><Locale language=\"en\">Bench"
           "</Locale></Name></ProductMetaData><Variants>" + variants + "</Variants></ProductDefinitions></Root>\n";

    const std::string path = (scratch / "fifty.gldf").string();
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) return {};
    zip_file_add(archive, "product.xml", zip_source_buffer(archive, xml.data(), xml.size(), 0), 0);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string name = "ldc/" + std::to_string(i) + ".ldt";
        zip_file_add(archive, name.c_str(), zip_source_buffer(archive, members[i].data(), members[i].size(), 0), 0);
    }
    return zip_close(archive) == 0 ? path : std::string();
}

void BM_GldfContainerWithFiftyPhotometries(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / ("lumibench-gldf-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const std::string container = WriteContainer(scratch);
    if (container.empty()) {
        state.SkipWithError("the corpus has no loadable EULUMDAT file");
        fs::remove_all(scratch);
        return;
    }
    SilentMessageSink sink;
    std::size_t loaded = 0;
    for (auto _ : state) {
        std::string path = container;
        WorkRecordTable work;
        ReaderMessages message;
        ReaderContext context{work, sink, scratch};
        LoadGldfFile(path, message, false, context);
        loaded = work.size();
        benchmark::DoNotOptimize(work.data());
    }
    state.counters["data_sets"] = static_cast<double>(loaded);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(container)));
    fs::remove_all(scratch);
}
BENCHMARK(BM_GldfContainerWithFiftyPhotometries)->Unit(benchmark::kMillisecond);

}  // namespace
