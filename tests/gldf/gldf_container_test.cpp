// GLDF containers: the corpus's broken containers refused with their
// messages, a container's photometry equal to its inner file read on its
// own, and the faults the corpus lacks in containers written here.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "container_writer.h"
#include "core/message_sink.h"
#include "core/path_text.h"
#include "formats/checked_load.h"
#include "formats/gldf/gldf_container.h"
#include "formats/gldf/gldf_messages.h"
#include "formats/gldf/gldf_reader.h"
#include "formats/text/line_delimiters.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::ContainerMember;
using testing::ProductXml;
using testing::TempFolder;
using testing::WriteContainer;

fs::path Corpus() {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    return corpus ? fs::path(corpus) : fs::path();
}

#define REQUIRE_CORPUS()                                                          \
    if (Corpus().empty() || !fs::is_directory(Corpus())) GTEST_SKIP() << "no corpus"

std::string CorpusBytes(const std::string& relative) { return testing::ReadBytes((Corpus() / relative).string()); }

bool HasNote(const GldfReading& reading, const std::string& note) {
    return std::find(reading.notes.begin(), reading.notes.end(), note) != reading.notes.end();
}

TEST(GldfCorpus, BrokenContainersAreRefusedWithTheirMessages) {
    REQUIRE_CORPUS();
    struct Row {
        std::string file;
        std::string message;  // the whole failure text
    };
    const std::vector<Row> rows = {
        {"gldf-net__GldfWithMissingProduct.gldf",
         "The container holds no product.xml, so it describes no product; nothing was loaded.\r\n"},
        {"gldf-net__GldfWithMissingFiles.gldf",
         "ldc/file.ldt: The product names \"ldc/file.ldt\" (file \"eulumdat\") but the container lacks it.\r\n"
         "The product names \"geo/file.l3d\" (file \"l3d\") but the container lacks it.\r\n"},
        {"gldf-net__GldfWithNoFiles.gldf",
         "https://example.org/eulumdat.ldt: This photometry is given only by a web address "
         "(https://example.org/eulumdat.ldt); nothing is fetched, so it was not loaded.\r\n"},
        {"gldf-net__GldfWithInvalidRoot.gldf",
         "https://example.org/eulumdat.ldt: The photometry's file \"eulumdat\" has the content type "
         "\"invalid\", which is no photometry type (ldc/eulumdat, ldc/ies, ldc/iesxml).\r\n"},
    };
    for (const Row& row : rows) {
        const std::string path = (Corpus() / "malformed" / "gldf" / row.file).string();
        const FileCheckResult result = CheckFile(path, false, "/nonexistent");
        EXPECT_FALSE(result.ok()) << row.file;
        // The message of the photometry first, then what else the product names but the container lacks.
        EXPECT_TRUE(result.messages.text().starts_with(row.message)) << row.file << "\n" << result.messages.text();
    }
}

TEST(GldfCorpus, FilesNoProductRefersToAreWarnedAbout) {
    REQUIRE_CORPUS();
    const GldfReading reading =
        ReadGldfFile((Corpus() / "malformed" / "gldf" / "gldf-net__GldfWithOrphanedFiles.gldf").string(), false);
    EXPECT_TRUE(HasNote(reading, gldf_text::Unreferenced("document/orphan.txt")));
    for (const char* named : {"ldc/file.ldt", "ldc/file.ies", "geo/file.m3d", "sensor/file.ldt", "other/file.doc"}) {
        EXPECT_FALSE(HasNote(reading, gldf_text::Unreferenced(named))) << named;
    }
    // Its one emitter uses an empty file: the EULUMDAT reader says so.
    ASSERT_EQ(reading.dataSets.size(), 1u);
    EXPECT_EQ(reading.dataSets[0].member, "ldc/file.ldt");
    EXPECT_FALSE(reading.dataSets[0].ok());
}

// Each pair: a corpus container's member and the same bytes kept as a file.
TEST(GldfCorpus, PhotometryEqualsItsInnerFileReadOnItsOwn) {
    REQUIRE_CORPUS();
    struct Row {
        std::string container, member, file;
    };
    const std::vector<Row> rows = {
        {"gldf-rs__Philips SP542P 0.9 DEMO.gldf", "ldc/SP542P SRD L1480 U3 1 xLED66S_940 OC.ldt",
         "ldt/gldf-examples__SP542P SRD L1480 U3 1 xLED66S_940 OC.ldt"},
        {"gldf-rs__Freestand_Belviso-2l3d.gldf", "ldc/TX054019.ldt", "ldt/gldf-rs__TX054019.ldt"},
        {"gldf-rs__Freestand_Belviso-2l3d.gldf", "ldc/TX050453.ldt", "ldt/gldf-rs__TX050453.ldt"},
        {"gldf-rs__SLV - Tria 2.gldf", "ldc/middle.ldt", "ldt/gldf-examples__middle.ldt"},
        {"gldf-rs__rzb___311619_002_5_8630.gldf", "ldc/10684.ldt", "ldt/gldf-rs__10684.ldt"},
        {"gldf-rs__test.gldf", "ldc/diffuse.ldt", "ldt/gldf-rs__diffuse.ldt"},
    };
    for (const Row& row : rows) {
        const GldfReading reading = ReadGldfFile((Corpus() / "gldf" / row.container).string(), false);
        const auto set = std::find_if(reading.dataSets.begin(), reading.dataSets.end(),
                                      [&row](const GldfDataSet& s) { return s.member == row.member; });
        ASSERT_NE(set, reading.dataSets.end()) << row.container << " " << row.member;
        ASSERT_TRUE(set->ok()) << set->messages.text();
        const FileCheckResult alone = CheckFile((Corpus() / row.file).string(), false, "/nonexistent");
        ASSERT_TRUE(alone.ok()) << row.file;
        // The container's texts follow the file's own keywords; the name and date are the container's.
        PhotometricRecord inner = set->record;
        ASSERT_GE(inner.Keywords.size(), alone.record.Keywords.size());
        inner.Keywords.resize(alone.record.Keywords.size());
        EXPECT_TRUE(set->record.OtherKeywordText.starts_with(alone.record.OtherKeywordText));
        inner.OtherKeywordText = alone.record.OtherKeywordText;
        inner.Filename = alone.record.Filename;
        inner.FileDateText = alone.record.FileDateText;
        EXPECT_TRUE(inner == alone.record) << row.container << " " << row.member;
    }
}

TEST(GldfCorpus, EveryDataSetOfTheHostsLoadIsOneRecord) {
    REQUIRE_CORPUS();
    std::string path = (Corpus() / "gldf" / "gldf-rs__SLV - Tria 2.gldf").string();
    WorkRecordTable work;
    RecordingMessageSink sink;
    ReaderMessages message;
    ReaderContext context{work, sink, "/nonexistent"};
    LoadGldfFile(path, message, false, context);
    EXPECT_TRUE(message.empty()) << message.text();
    ASSERT_EQ(work.size(), 3u);
    EXPECT_EQ(FileNameOf(work[1].Filename), "gldf-rs__SLV - Tria 2.gldf \u2013 middle");
    // Its product names a geometry and a sensor file it holds, and all three photometries.
    EXPECT_TRUE(sink.shown.empty()) << (sink.shown.empty() ? "" : sink.shown.front().text);
}

class CraftedContainer : public ::testing::Test {
protected:
    std::string write(const std::vector<ContainerMember>& members) {
        const std::string path = folder_.path("crafted.gldf");
        WriteContainer(path, members);
        return path;
    }
    TempFolder folder_;
};

TEST_F(CraftedContainer, WholeContainerFaultsLoadNothing) {
    struct Row {
        std::vector<ContainerMember> members;
        std::string message;
        int line;
    };
    const std::vector<Row> rows = {
        {{{"product.xml", "<?xml version=\"1.0\"?>\n<Product/>\n"}},
         "product.xml has the root element <Product> where a GLDF product has <Root>; nothing was loaded.", 2},
        {{{"product.xml", "<?xml version=\"1.0\"?>\n<Root>\n<Header></Root>\n"}},
         "product.xml is not well-formed XML (line 3): Opening and ending tag mismatch: Header line 3 and Root", 3},
        {{{"product.xml", ProductXml({})}}, std::string(gldf_text::kNoPhotometry), 0},
    };
    for (const Row& row : rows) {
        const GldfReading reading = ReadGldfFile(write(row.members), false);
        ASSERT_EQ(reading.failure.located().size(), 1u) << row.message;
        EXPECT_EQ(reading.failure.located()[0].text, row.message);
        EXPECT_EQ(reading.failure.located()[0].line, row.line) << row.message;
    }
    const std::string notZip = folder_.write("plain.gldf", "IESNA:LM-63-2002\r\n");
    EXPECT_TRUE(ReadGldfFile(notZip, false).failure.text().starts_with(
        "Not a GLDF container: the file is not a readable zip archive ("));
}

TEST_F(CraftedContainer, OnePhotometrysFaultKeepsTheOthers) {
    REQUIRE_CORPUS();
    const std::string ldt = CorpusBytes("ldt/gldf-rs__diffuse.ldt");
    const std::string path = write({
        {"product.xml", ProductXml({{"good", "ldc/eulumdat", "localFileName", "good.ldt"},
                                    {"locked", "ldc/eulumdat", "localFileName", "locked.ldt"},
                                    {"bomb", "ldc/eulumdat", "localFileName", "bomb.ldt"},
                                    {"escape", "ldc/eulumdat", "localFileName", "../../etc/passwd"},
                                    {"gone", "ldc/eulumdat", "localFileName", "gone.ldt"}})},
        {"ldc/good.ldt", ldt},
        {"ldc/locked.ldt", ldt, true},
        {"ldc/bomb.ldt", std::string(4 * 1024 * 1024, '0')},
    });
    const GldfReading reading = ReadGldfFile(path, false);
    ASSERT_TRUE(reading.failure.empty()) << reading.failure.text();
    ASSERT_EQ(reading.dataSets.size(), 5u);
    EXPECT_TRUE(reading.dataSets[0].ok());
    const std::vector<std::string> expected = {
        "", gldf_text::EncryptedMember("ldc/locked.ldt"), gldf_text::InflationTooLarge("ldc/bomb.ldt"),
        gldf_text::UnsafeName("../../etc/passwd"), gldf_text::MissingMember("ldc/gone.ldt", "gone")};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        ASSERT_EQ(reading.dataSets[i].messages.located().size(), 1u) << i;
        EXPECT_EQ(reading.dataSets[i].messages.located()[0].text, expected[i]);
    }

    // The host loads the one that reads and says in one notice what kept the others out.
    std::string hostPath = path;
    WorkRecordTable work;
    RecordingMessageSink sink;
    ReaderMessages message;
    ReaderContext context{work, sink, folder_.path("data")};
    LoadGldfFile(hostPath, message, false, context);
    EXPECT_TRUE(message.empty());
    ASSERT_EQ(work.size(), 1u);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_TRUE(sink.shown[0].text.starts_with(std::string(gldf_text::kPartlyLoaded) + "\r\n"));
    EXPECT_NE(sink.shown[0].text.find("ldc/bomb.ldt: " + gldf_text::InflationTooLarge("ldc/bomb.ldt")),
              std::string::npos);
}

TEST_F(CraftedContainer, BadLineEndsAreRepairedInMemoryOrRefused) {
    REQUIRE_CORPUS();
    std::string lfOnly = CorpusBytes("ldt/gldf-rs__diffuse.ldt");
    std::erase(lfOnly, '\r');
    const std::string path = write({{"product.xml", ProductXml({{"f", "ldc/eulumdat", "localFileName", "lf.ldt"}})},
                                    {"ldc/lf.ldt", lfOnly}});
    const GldfReading repaired = ReadGldfFile(path, false);
    ASSERT_EQ(repaired.dataSets.size(), 1u);
    EXPECT_TRUE(repaired.dataSets[0].ok()) << repaired.dataSets[0].messages.text();
    EXPECT_TRUE(HasNote(repaired, gldf_text::RepairedInMemory("ldc/lf.ldt")));
    EXPECT_FALSE(fs::exists(folder_.path("crafted_Repaired.gldf")));

    const GldfReading refused = ReadGldfFile(path, /*noRepair=*/true);
    ASSERT_EQ(refused.dataSets.size(), 1u);
    EXPECT_EQ(refused.dataSets[0].messages.located()[0].text, kBadDelimiterMessage);
}

TEST_F(CraftedContainer, IesPhotometryEqualsTheFileReadOnItsOwn) {
    REQUIRE_CORPUS();
    const std::string iesFile = (Corpus() / "ies" / "photompy__filegen_accredited.ies").string();
    const std::string path = write({{"product.xml", ProductXml({{"i", "ldc/ies", "localFileName", "t.ies"}})},
                                    {"ldc/t.ies", testing::ReadBytes(iesFile)}});
    const std::vector<FileCheckResult> sets = CheckDataSets(path, false, folder_.path("data"));
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_TRUE(sets[0].ok()) << sets[0].messages.text();
    EXPECT_EQ(sets[0].container, path);
    EXPECT_EQ(sets[0].member, "ldc/t.ies");
    const FileCheckResult alone = CheckFile(iesFile, false, folder_.path("data"));
    ASSERT_TRUE(alone.ok());
    PhotometricRecord inner = sets[0].record;
    inner.Keywords.resize(alone.record.Keywords.size());
    inner.OtherKeywordText = alone.record.OtherKeywordText;
    inner.Filename = alone.record.Filename;
    EXPECT_TRUE(inner == alone.record);
}

}  // namespace
}  // namespace lumibench
