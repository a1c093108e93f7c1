// Every EULUMDAT file of the corpus goes through the reader; the ones that load
// must hold what the IES rules accept, since the record is handed on as IES data.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/message_sink.h"
#include "core/path_text.h"
#include "formats/eulumdat/eulumdat_reader.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

bool StrictlyAscending(const std::vector<float>& angles) {
    return std::adjacent_find(angles.begin(), angles.end(),
                              [](float a, float b) { return !(b > a); }) == angles.end();
}

// Counts that agree with the lists and the candela table.
bool Consistent(const PhotometricRecord& r) {
    if (r.VertAngles.size() != static_cast<std::size_t>(r.VertAngleCount) ||
        r.HorAngles.size() != static_cast<std::size_t>(r.HorAngleCount) ||
        r.Candela.size() != r.HorAngles.size()) {
        return false;
    }
    return std::all_of(r.Candela.begin(), r.Candela.end(),
                       [&](const auto& plane) { return plane.size() == r.VertAngles.size(); });
}

// What the IES reader would refuse in this record, as short notes.
std::string IesRuleBreaks(const PhotometricRecord& r) {
    std::ostringstream out;
    if (r.PhotometricType != 1) out << " type " << r.PhotometricType << ";";
    if (!Consistent(r)) return out.str() + " counts do not match;";
    if (r.VertAngles.empty() || r.HorAngles.empty()) return out.str() + " no angles;";
    if (!StrictlyAscending(r.VertAngles)) out << " vertical not ascending;";
    if (!StrictlyAscending(r.HorAngles)) out << " horizontal not ascending;";
    const float v1 = r.VertAngles.front(), vn = r.VertAngles.back();
    const float h1 = r.HorAngles.front(), hn = r.HorAngles.back();
    if (v1 != 0 && v1 != 90) out << " first vertical " << v1 << ";";
    if (vn != 90 && vn != 180) out << " last vertical " << vn << ";";
    if (h1 != 0 && h1 != 90) out << " first horizontal " << h1 << ";";
    if (h1 == 90 && hn != 270) out << " last horizontal " << hn << " after 90;";
    if (h1 == 0 && hn != 0 && hn != 90 && hn != 180 && hn != 360) {
        out << " last horizontal " << hn << ";";
    }
    for (const auto& plane : r.Candela) {
        if (std::any_of(plane.begin(), plane.end(), [](double v) { return v < 0; })) {
            out << " negative candela;";
            break;
        }
    }
    return out.str();
}

TEST(EulumdatCorpus, LoadedFilesHoldValidIesData) {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    if (corpus == nullptr || !fs::is_directory(corpus)) GTEST_SKIP() << "no corpus";
    const fs::path scratch = fs::temp_directory_path() / ("eulumdat_corpus_" + std::to_string(::getpid()));
    fs::create_directories(scratch);

    int loaded = 0, refused = 0;
    std::vector<std::string> breaks;
    for (const char* folder : {"ldt", "malformed/ldt"}) {
        const fs::path dir = fs::path(corpus) / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string extension = UpperAscii(entry.path().extension().string());
            if (extension != ".LDT" && extension != ".EXL") continue;
            // Work on a copy: a repaired copy must not land in the corpus.
            const fs::path copy = scratch / entry.path().filename();
            fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
            std::string path = copy.string();
            WorkRecordTable work;
            SilentMessageSink sink;
            ReaderMessages message;
            ReaderContext context{work, sink, scratch};
            LoadEulumdatFile(path, message, false, context);
            if (!message.empty()) {
                std::cout << "refused " << entry.path().filename().string() << ": "
                          << message.located().front().text << "\n";
                ++refused;
                continue;
            }
            ++loaded;
            const std::string problems = IesRuleBreaks(work.at(0));
            if (!problems.empty()) breaks.push_back(entry.path().filename().string() + ":" + problems);
        }
    }
    fs::remove_all(scratch);
    std::cout << "loaded " << loaded << ", refused " << refused << "\n";
    EXPECT_GT(loaded, 0);
    std::string all;
    for (const auto& line : breaks) all += line + "\n";
    EXPECT_TRUE(breaks.empty()) << all;
}

// Files cut short anywhere, or with a byte changed, are refused with a message or
// load as consistent records; never a crash (this runs under the sanitizers too).
// The format's checks do not cover the order of the angles, so a changed digit
// may still load: only the record's shape is asserted here.
TEST(EulumdatCorpus, DamagedFilesAreRefusedCleanly) {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    if (corpus == nullptr) GTEST_SKIP() << "no corpus";
    const fs::path dir = fs::path(corpus) / "ldt";
    if (!fs::is_directory(dir)) GTEST_SKIP() << "no corpus";
    const fs::path scratch = fs::temp_directory_path() / ("eulumdat_damaged_" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (UpperAscii(entry.path().extension().string()) == ".LDT") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    if (files.size() > 12) files.resize(12);
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t step = std::max<std::size_t>(1, bytes.size() / 40);
        for (std::size_t cut = 0; cut < bytes.size(); cut += step) {
            for (int variant = 0; variant < 2; ++variant) {
                std::string damaged = bytes;
                if (variant == 0) {
                    damaged.resize(cut);
                } else {
                    damaged[cut] = "-9x,."[cut % 5];
                }
                const fs::path copy = scratch / "damaged.ldt";
                std::ofstream(copy, std::ios::binary | std::ios::trunc) << damaged;
                std::string path = copy.string();
                WorkRecordTable work;
                SilentMessageSink sink;
                ReaderMessages message;
                ReaderContext context{work, sink, scratch};
                LoadEulumdatFile(path, message, false, context);
                if (message.empty()) {
                    EXPECT_TRUE(Consistent(work.at(0)))
                        << file.filename() << " damaged at " << cut << " variant " << variant;
                }
            }
        }
    }
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace lumibench
