// Every corpus file that loads is written and read back: in its own format the
// angles, the lamp data and every intensity come back; IES -> EULUMDAT -> IES
// and EULUMDAT -> IES -> EULUMDAT keep the distribution and the flux within 0.1 %.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/path_text.h"
#include "photometry/photometry.h"
#include "read_back.h"
#include "formats/eulumdat/eulumdat_writer.h"
#include "formats/ies/ies_writer.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::ReadBack;
using testing::ReadText;

struct Loaded {
    std::string name;
    bool eulumdat = false;
    PhotometricRecord record;
};

std::vector<Loaded> LoadableCorpusFiles() {
    std::vector<Loaded> files;
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    if (corpus == nullptr || !fs::is_directory(corpus)) return files;
    const fs::path scratch = testing::ScratchFolder() / "corpus";
    fs::create_directories(scratch);
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string extension = UpperAscii(entry.path().extension().string());
        const auto choice = ReaderForExtension(extension);
        if (!entry.is_regular_file() || !choice) continue;
        // A copy: a repaired copy must not land in the corpus.
        const fs::path copy = scratch / entry.path().filename();
        fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
        std::string path = copy.string();
        WorkRecordTable work;
        SilentMessageSink sink;
        ReaderContext context{work, sink, scratch};
        ReaderMessages messages;
        choice->reader(path, messages, false, context);
        if (!messages.empty() || work.empty()) continue;
        files.push_back({fs::relative(entry.path(), corpus).string(), extension == ".LDT" || extension == ".EXL",
                         work.front()});
    }
    return files;
}

// Candela of `b` in every direction of `a`'s grid, against `a`'s, relative to
// `a`'s largest value; the largest difference, and where it lies.
struct Difference {
    double relative = 0;
    std::string where;
};
std::ostream& operator<<(std::ostream& out, const Difference& d) { return out << d.relative << d.where; }
bool operator<=(const Difference& d, double limit) { return d.relative <= limit; }

Difference LargestDifference(const PhotometricRecord& a, const PhotometricRecord& b) {
    const photometry::IntensityDistribution other(b);
    double largest = 0, peak = 0;
    std::string where;
    for (std::size_t i = 0; i < a.HorAngles.size(); ++i) {
        // C360 is C0 again; files whose two planes disagree there have no one answer.
        if (a.PhotometricType == 1 && a.HorAngles[i] >= 360) continue;
        for (std::size_t j = 0; j < a.VertAngles.size(); ++j) {
            const double value = testing::Absolute(a, i, j);
            const double there = other.candela({a.HorAngles[i], a.VertAngles[j]});
            peak = std::max(peak, std::fabs(value));
            if (std::fabs(value - there) > largest) {
                largest = std::fabs(value - there);
                where = " at H" + std::to_string(a.HorAngles[i]) + " V" + std::to_string(a.VertAngles[j]) + ": " +
                        std::to_string(value) + " against " + std::to_string(there);
            }
        }
    }
    return {peak > 0 ? largest / peak : largest, where};
}

double RelativeFluxChange(const PhotometricRecord& a, const PhotometricRecord& b) {
    const double before = photometry::Summarise(a).luminaireFluxLm;
    const double after = photometry::Summarise(b).luminaireFluxLm;
    return before > 0 ? std::fabs(after - before) / before : std::fabs(after);
}

ReadBack Through(const PhotometricRecord& record, bool eulumdat, std::string& error) {
    const WrittenText written =
        eulumdat ? WriteEulumdatText(record, "corpus.ldt") : WriteIesText(record, EditionOf(record));
    error = written.error;
    if (!written.ok()) return {};
    return ReadText(written.text, eulumdat ? ".ldt" : ".ies");
}

TEST(WritersCorpus, RoundTripsKeepEveryValue) {
    const std::vector<Loaded> files = LoadableCorpusFiles();
    if (files.empty()) GTEST_SKIP() << "no corpus";
    int crossed = 0;
    for (const Loaded& file : files) {
        SCOPED_TRACE(file.name);
        const PhotometricRecord& r = file.record;
        std::string error;
        // Its own format.
        const ReadBack same = Through(r, file.eulumdat, error);
        ASSERT_EQ(error, "");
        ASSERT_EQ(same.message, "");
        const PhotometricRecord& s = same.record;
        EXPECT_EQ(s.VertAngles, r.VertAngles);
        // EULUMDAT may fold planes that the data shows to be mirror images.
        if (!file.eulumdat || s.HorAngleCount == r.HorAngleCount) {
            EXPECT_EQ(s.HorAngles, r.HorAngles);
            // The same table, value for value.
            bool equal = s.Candela.size() == r.Candela.size();
            for (std::size_t i = 0; equal && i < r.Candela.size(); ++i) {
                for (std::size_t j = 0; equal && j < r.VertAngles.size(); ++j) {
                    equal = testing::SameSingle(testing::Absolute(s, i, j), testing::Absolute(r, i, j));
                }
            }
            EXPECT_TRUE(equal);
        }
        EXPECT_EQ(s.LampCount, r.LampCount);
        EXPECT_FLOAT_EQ(s.LumensPerLamp, r.LumensPerLamp);
        EXPECT_EQ(s.InputWatts, r.InputWatts);
        EXPECT_EQ(s.PhotometricType, r.PhotometricType);
        EXPECT_EQ(s.Width, r.Width);
        EXPECT_EQ(s.Length, r.Length);
        EXPECT_EQ(s.Height, r.Height);
        EXPECT_EQ(s.TiltIncl, r.TiltIncl);
        EXPECT_EQ(s.TiltFactors, r.TiltFactors);
        EXPECT_LE(LargestDifference(r, s), 1e-6);
        EXPECT_LE(LargestDifference(s, r), 1e-6);

        // Across to the other format and back.
        if (r.PhotometricType != 1) continue;
        const ReadBack across = Through(r, !file.eulumdat, error);
        ASSERT_EQ(error, "");
        ASSERT_EQ(across.message, "");
        const ReadBack back = Through(across.record, file.eulumdat, error);
        ASSERT_EQ(error, "");
        ASSERT_EQ(back.message, "");
        EXPECT_EQ(back.record.VertAngles, r.VertAngles);
        EXPECT_LE(LargestDifference(r, back.record), 1e-3);
        EXPECT_LE(RelativeFluxChange(r, back.record), 1e-3);
        EXPECT_LE(RelativeFluxChange(r, across.record), 1e-3);
        ++crossed;
    }
    std::cout << files.size() << " files written and read back, " << crossed << " across formats\n";
}

}  // namespace
}  // namespace lumibench
