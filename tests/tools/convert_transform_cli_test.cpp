// lumibench-convert's changes to the data, run as a user runs them: a known
// peak turned and mirrored to where it must go, the lamp flux scaled, type B
// data refused with the reason, bad values as usage errors.

#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "analytic_records.h"
#include "file_check.h"
#include "photometry/photometry.h"
#include "program_run.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

testing::ProgramRun Convert(const QStringList& arguments) {
    return testing::RunProgram(QString::fromStdString(testing::BuiltProgram("lumibench-convert")), arguments, 20000);
}

class ConvertTransformCli : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("lumibench-convert-transform-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        // One bright direction, 1000 cd at C30, gamma 60, over 10 cd everywhere else.
        const PhotometricRecord peak = testing::AnalyticRecord(1, testing::Layout::Full, 5, [](double c, double g) {
            return std::abs(c - 30) < 0.01 && std::abs(g - 60) < 0.01 ? 1000.0 : 10.0;
        });
        std::ofstream(source(), std::ios::binary) << testing::IesText(peak);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path source() const { return folder_ / "peak.ies"; }
    QString q(const fs::path& path) const { return QString::fromStdString(path.string()); }
    // Converts the peak with `options` and reads the written file back.
    PhotometricRecord converted(QStringList options) {
        const fs::path out = folder_ / "out.ies";
        fs::remove(out);
        options << "--to" << "ies2002" << "--out" << q(out) << q(source());
        const testing::ProgramRun run = Convert(options);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        const FileCheckResult read = CheckFile(out.string(), false, folder_.string());
        EXPECT_TRUE(read.ok()) << read.messages.text();
        return read.record;
    }
    fs::path folder_;
};

TEST_F(ConvertTransformCli, APeakMovesWhereTheOptionsSay) {
    const struct {
        QStringList options;
        double c;
    } rows[] = {{{"--rotate", "90"}, 120},   {{"--rotate=270"}, 300},    {{"--rotate", "-90"}, 300},
                {{"--mirror", "c0"}, 330},   {{"--mirror=c90"}, 150},
                {{"--rotate", "90", "--mirror", "c0"}, 240}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.join(' ').toStdString());
        const photometry::Summary summary = photometry::Summarise(converted(row.options));
        EXPECT_DOUBLE_EQ(summary.maxIntensityCd, 1000);
        EXPECT_DOUBLE_EQ(summary.maxIntensityDirection.horizontal, row.c);
        EXPECT_DOUBLE_EQ(summary.maxIntensityDirection.vertical, 60);
    }
}

TEST_F(ConvertTransformCli, LampFluxScalesTheCandelaAndTypeBIsNotTurned) {
    const double flux = photometry::Summarise(CheckFile(source().string(), false, folder_.string()).record).luminaireFluxLm;
    const PhotometricRecord scaled = converted({"--scale-lumens", "2500"});
    EXPECT_FLOAT_EQ(scaled.LumensPerLamp * scaled.LampCount, 2500);
    EXPECT_NEAR(photometry::Summarise(scaled).luminaireFluxLm, 2.5 * flux, 1e-3 * flux);

    const fs::path typeB = fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / "floodlight_type_b.ies";
    const testing::ProgramRun run = Convert({"--rotate", "90", "--to", "ies2002", "--out", q(folder_ / "b.ies"), q(typeB)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("not changed: Turning and mirroring are defined for type C data (C planes about the "
                           "vertical axis); this data set is type B.\n"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(fs::exists(folder_ / "b.ies"));

    for (const QStringList& bad : {QStringList{"--mirror", "c45"}, QStringList{"--rotate", "ninety"},
                                   QStringList{"--scale-lumens", "-5"}, QStringList{"--units", "inches"},
                                   QStringList{"--rotate"}}) {
        EXPECT_EQ(Convert(QStringList{"--to", "ldt"} + bad + QStringList{q(source())}).status, 2) << bad.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace lumibench
