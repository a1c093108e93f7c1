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
#include "formats/tm33/tm33_writer.h"

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

// A record read back from TM-33 or ATLA JSON against the one written: all of
// it, apart from where it was read from.
std::string DifferingFields(const PhotometricRecord& a, const PhotometricRecord& b) {
    std::string out;
#define LUMIBENCH_FIELD(name) \
    if (!(a.name == b.name)) out += " " #name;
    LUMIBENCH_FIELD(Keywords) LUMIBENCH_FIELD(OtherKeywordText) LUMIBENCH_FIELD(TestKeyword)
    LUMIBENCH_FIELD(DateKeyword) LUMIBENCH_FIELD(ManufacKeyword) LUMIBENCH_FIELD(LumcatKeyword)
    LUMIBENCH_FIELD(LuminaireKeyword) LUMIBENCH_FIELD(LampcatKeyword) LUMIBENCH_FIELD(LampKeyword)
    LUMIBENCH_FIELD(BallastKeyword) LUMIBENCH_FIELD(TiltIncl) LUMIBENCH_FIELD(LampGeometry)
    LUMIBENCH_FIELD(TiltPairCount) LUMIBENCH_FIELD(TiltAngles) LUMIBENCH_FIELD(TiltFactors)
    LUMIBENCH_FIELD(LampCount) LUMIBENCH_FIELD(LumensPerLamp) LUMIBENCH_FIELD(CandelaMultiplier)
    LUMIBENCH_FIELD(VertAngleCount) LUMIBENCH_FIELD(HorAngleCount) LUMIBENCH_FIELD(PhotometricType)
    LUMIBENCH_FIELD(UnitsType) LUMIBENCH_FIELD(Width) LUMIBENCH_FIELD(Length) LUMIBENCH_FIELD(Height)
    LUMIBENCH_FIELD(BallastFactor) LUMIBENCH_FIELD(InputWatts) LUMIBENCH_FIELD(VertAngles)
    LUMIBENCH_FIELD(HorAngles) LUMIBENCH_FIELD(Candela) LUMIBENCH_FIELD(MaxCandela)
    LUMIBENCH_FIELD(MaxCandelaVertAngle) LUMIBENCH_FIELD(MaxCandelaHorAngle) LUMIBENCH_FIELD(OptionalData)
    LUMIBENCH_FIELD(PictureFilename) LUMIBENCH_FIELD(Saved) LUMIBENCH_FIELD(Checked)
#undef LUMIBENCH_FIELD
    return out;
}

void ExpectSameRecord(PhotometricRecord back, const PhotometricRecord& record, bool json) {
    back.Filename = record.Filename;
    back.FileDateText = record.FileDateText;
    // Data kept from a document travel in its own notation only.
    if (record.OptionalData.starts_with(json ? "<" : "{")) back.OptionalData = record.OptionalData;
    EXPECT_EQ(DifferingFields(back, record), "");
}

// Every corpus file through TM-33-23 XML and through ATLA JSON comes back whole
// (so IES -> TM-33 -> IES writes the same IES file), and TM-33 documents go
// through IES and back to TM-33 with every photometric value and header text.
TEST(WritersCorpus, Tm33RoundTripsKeepEveryValue) {
    const std::vector<Loaded> files = LoadableCorpusFiles();
    if (files.empty()) GTEST_SKIP() << "no corpus";
    int documents = 0;
    for (const Loaded& file : files) {
        SCOPED_TRACE(file.name);
        const PhotometricRecord& r = file.record;
        for (const char* extension : {".xml", ".json"}) {
            const WrittenText written = std::string(extension) == ".xml" ? WriteTm33Text(r) : WriteAtlaJsonText(r);
            ASSERT_TRUE(written.ok()) << written.error;
            const ReadBack back = ReadText(written.text, extension);
            ASSERT_EQ(back.message, "") << extension;
            ExpectSameRecord(back.record, r, std::string(extension) == ".json");
            EXPECT_TRUE(WriteIesText(back.record, EditionOf(back.record)).text == WriteIesText(r, EditionOf(r)).text);
        }
        const std::string extension = UpperAscii(fs::path(file.name).extension().string());
        if (extension != ".XML" && extension != ".JSON") continue;
        ++documents;
        std::string error;
        const ReadBack ies = Through(r, false, error);
        ASSERT_EQ(ies.message, "");
        const ReadBack again = ReadText(WriteTm33Text(ies.record).text, ".xml");
        ASSERT_EQ(again.message, "");
        const PhotometricRecord& t = again.record;
        EXPECT_EQ(t.HorAngles, r.HorAngles);
        EXPECT_EQ(t.VertAngles, r.VertAngles);
        EXPECT_EQ(t.Candela, r.Candela);
        EXPECT_EQ(t.CandelaMultiplier, r.CandelaMultiplier);
        EXPECT_EQ(t.PhotometricType, r.PhotometricType);
        EXPECT_EQ(t.LampCount, r.LampCount);
        EXPECT_EQ(t.LumensPerLamp, r.LumensPerLamp);
        EXPECT_EQ(t.InputWatts, r.InputWatts);
        EXPECT_EQ(t.BallastFactor, r.BallastFactor);
        EXPECT_EQ(t.UnitsType, r.UnitsType);
        EXPECT_EQ(t.Width, r.Width);
        EXPECT_EQ(t.Length, r.Length);
        EXPECT_EQ(t.Height, r.Height);
        for (auto field : {&PhotometricRecord::TestKeyword, &PhotometricRecord::ManufacKeyword,
                           &PhotometricRecord::LumcatKeyword, &PhotometricRecord::LuminaireKeyword,
                           &PhotometricRecord::LampKeyword}) {
            EXPECT_EQ(t.*field, r.*field);
        }
    }
    std::cout << files.size() << " files through TM-33 and ATLA JSON, " << documents << " TM-33 documents through IES\n";
}

}  // namespace
}  // namespace lumibench
