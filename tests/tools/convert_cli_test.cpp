// lumibench-convert as a user runs it: every bundled sample (each symmetry,
// absolute photometry, tilt, type B, TM14) into every format, the results
// checked by the host's readers and converted back with the flux kept.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "file_check.h"
#include "photometry/photometry.h"
#include "program_run.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

using ConvertRun = testing::ProgramRun;

ConvertRun Convert(const QStringList& arguments) {
    return testing::RunProgram(QString::fromStdString(testing::BuiltProgram("lumibench-convert")), arguments, 20000);
}

class ConvertCli : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("lumibench-convert-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "out");
    }
    void TearDown() override { fs::remove_all(folder_); }
    QString q(const fs::path& path) const { return QString::fromStdString(path.string()); }
    fs::path folder_;
};

double Flux(const PhotometricRecord& record) { return photometry::Summarise(record).luminaireFluxLm; }

TEST_F(ConvertCli, EverySampleIntoEveryFormatAndBack) {
    const fs::path samples = fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples";
    struct Row {
        const char* sample;
        const char* to;
        int status;
    };
    std::vector<Row> rows;
    for (const char* sample : {"downlight.ies", "downlight_isym1.ldt", "floodlight_type_b.ies", "linear_tilt_include.ies",
                               "street_light.cib", "street_light_absolute.ies", "street_light_isym0.ldt",
                               "wall_washer.ies", "wall_washer_isym2.ldt"}) {
        for (const char* to : {"ies2002", "ies2019", "ies1995", "ldt", "tm14", "tm33", "atla-json"}) {
            const bool typeB = std::string(sample).starts_with("floodlight");
            rows.push_back({sample, to, typeB && std::string(to) == "ldt" ? 1 : 0});
        }
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.sample) + " to " + row.to);
        const fs::path out = folder_ / "out" / (std::string(row.sample) + "-" + row.to);
        fs::create_directories(out);
        const ConvertRun run = Convert({"--to", row.to, "--out", q(out), q(samples / row.sample)});
        ASSERT_EQ(run.status, row.status) << run.out;
        if (row.status != 0) continue;
        ASSERT_EQ(std::distance(fs::directory_iterator(out), {}), 1);
        const fs::path written = *fs::directory_iterator(out);
        const FileCheckResult original = CheckFile((samples / row.sample).string(), false, folder_.string());
        const FileCheckResult converted = CheckFile(written.string(), false, folder_.string());
        ASSERT_TRUE(converted.ok()) << converted.messages.text();
        EXPECT_EQ(converted.record.VertAngles, original.record.VertAngles);
        // The luminaire's flux survives: in lumens where the format keeps the
        // lamp flux, as a fraction of it for TM14 (1000 lm per lamp).
        const double before = Flux(original.record);
        const double after = Flux(converted.record);
        if (std::string(row.to) == "tm14") {
            const auto lampBefore = photometry::LampFlux(original.record);
            const auto lampAfter = photometry::LampFlux(converted.record);
            ASSERT_TRUE(lampAfter);
            EXPECT_NEAR(after / *lampAfter, before / lampBefore.value_or(before), 1e-3);
        } else {
            EXPECT_NEAR(after, before, before * 1e-3);
        }
        // And back to the sample's own kind of file.
        const std::string own = fs::path(row.sample).extension() == ".ldt" ? "ldt"
                                : fs::path(row.sample).extension() == ".cib" ? "tm14"
                                                                             : "ies2002";
        const fs::path back = out / "back";
        fs::create_directories(back);
        ASSERT_EQ(Convert({"--to", QString::fromStdString(own), "--out", q(back), q(written)}).status, 0);
        const FileCheckResult again = CheckFile(fs::directory_iterator(back)->path().string(), false, folder_.string());
        ASSERT_TRUE(again.ok()) << again.messages.text();
        if (std::string(row.to) != "tm14" && own != "tm14") {
            EXPECT_NEAR(Flux(again.record), before, before * 1e-3);
        }
    }
}

TEST_F(ConvertCli, ExistingFilesNeedForceAndUsageErrorsExitTwo) {
    const fs::path sample = fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / "downlight.ies";
    const fs::path target = folder_ / "out" / "x.ldt";
    std::ofstream(target) << "earlier";
    ConvertRun run = Convert({"--to", "ldt", "--out", q(target), q(sample)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("File exists (--force replaces it)"), std::string::npos) << run.out;
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "earlier");
    EXPECT_EQ(Convert({"--to", "ldt", "--force", "--out", q(target), q(sample)}).status, 0);
    EXPECT_TRUE(CheckFile(target.string(), false, folder_.string()).ok());

    EXPECT_EQ(Convert({q(sample)}).status, 2);
    EXPECT_EQ(Convert({"--to", "xls", q(sample)}).status, 2);
    EXPECT_EQ(Convert({"--to", "ldt", q(folder_ / "missing.ies")}).status, 2);
    EXPECT_EQ(Convert({"--version"}).out, "lumibench-convert " LUMIBENCH_VERSION "\n");
}

// --force replaces earlier output, but never the file being read nor a file
// this run has already written from another input.
TEST_F(ConvertCli, ForceNeverReplacesTheSourceOrThisRunsOwnOutput) {
    const fs::path samples = fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples";
    const fs::path source = folder_ / "same.ies";
    fs::copy_file(samples / "downlight.ies", source);
    fs::create_directories(folder_ / "in");
    fs::copy_file(samples / "wall_washer.ies", folder_ / "in" / "same.ies");
    const auto bytes = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string original = bytes(source);

    ConvertRun run = Convert({"--to", "ies2002", "--force", q(source)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("is a file this run reads"), std::string::npos) << run.out;
    EXPECT_EQ(bytes(source), original);

    run = Convert({"--to", "ldt", "--force", "--out", q(folder_ / "out"), q(source), q(folder_ / "in" / "same.ies")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("was written from " + source.string() + " in this run"), std::string::npos) << run.out;
    const FileCheckResult kept = CheckFile((folder_ / "out" / "same.ldt").string(), false, folder_.string());
    ASSERT_TRUE(kept.ok());
    EXPECT_NEAR(Flux(kept.record), Flux(CheckFile(source.string(), false, folder_.string()).record), 1.0);
}

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every input of the run is protected from --force, whatever the order of
// the files, also a source read through its repaired copy and an input that
// a repaired copy would land on.
TEST_F(ConvertCli, ForceNeverReplacesAnyInputOfTheRun) {
    const fs::path samples = fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples";
    const fs::path in = folder_ / "in";
    fs::create_directories(in);
    fs::copy_file(samples / "street_light_absolute.ies", in / "x.ies");
    fs::copy_file(samples / "street_light_isym0.ldt", in / "x.ldt");
    const std::string ies = Bytes(in / "x.ies"), ldt = Bytes(in / "x.ldt");
    ConvertRun run = Convert({"--to", "ies2002", "--force", q(in)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("not written: " + (in / "x.ies").string() + ": it is a file this run reads"),
              std::string::npos) << run.out;
    EXPECT_EQ(Bytes(in / "x.ies"), ies);
    run = Convert({"--to", "ldt", "--force", q(in)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Bytes(in / "x.ldt"), ldt);

    // Line ends that need the "_Repaired" copy: the source itself stays.
    std::string lf = Bytes(samples / "downlight.ies");
    std::erase(lf, '\r');
    std::ofstream(folder_ / "lf.ies", std::ios::binary) << lf;
    run = Convert({"--to", "ies2002", "--repair", "--force", q(folder_ / "lf.ies")});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_EQ(Bytes(folder_ / "lf.ies"), lf);
    // ... and a file of the run where the copy would go is not overwritten by it.
    fs::copy_file(samples / "wall_washer.ies", folder_ / "lf_Repaired.ies", fs::copy_options::overwrite_existing);
    const std::string washer = Bytes(folder_ / "lf_Repaired.ies");
    run = Convert({"--to", "ldt", "--repair", "--out", q(folder_ / "out"), q(folder_ / "lf.ies"),
                   q(folder_ / "lf_Repaired.ies")});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("no repaired copy written: " + (folder_ / "lf_Repaired.ies").string() +
                           ": it is a file this run reads"), std::string::npos) << run.out;
    EXPECT_EQ(Bytes(folder_ / "lf_Repaired.ies"), washer);
    EXPECT_TRUE(fs::exists(folder_ / "out" / "lf_Repaired.ldt"));
}

// Under a file-size limit the program reports the failed write and goes on;
// it is not ended silently by SIGXFSZ, and no temporary is left.
TEST_F(ConvertCli, FileSizeLimitIsReportedNotFatal) {
    if (!fs::exists("/usr/bin/prlimit")) GTEST_SKIP() << "prlimit is not installed";
    const fs::path sample = fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / "wall_washer.ies";
    const ConvertRun run = testing::RunProgram(
        "/usr/bin/prlimit", {"--fsize=500", QString::fromStdString(testing::BuiltProgram("lumibench-convert")), "--to",
                             "ies2002", "--out", q(folder_ / "out"), q(sample)},
        20000);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("not written: " + (folder_ / "out" / "wall_washer.ies").string() + ": File too large"),
              std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_empty(folder_ / "out"));
}

}  // namespace
}  // namespace lumibench
