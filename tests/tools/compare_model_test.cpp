// Compare's data sets as the host's commands change them: the reference
// follows its data set, the figures follow the reference.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "analytic_records.h"
#include "compare_model.h"
#include "core/run_outputs.h"

namespace lumibench::compare {
namespace {

PhotometricRecord Lambertian(const std::string& file, double scale) {
    PhotometricRecord r =
        testing::AnalyticRecord(1, testing::Layout::Rotational, 5, testing::CosinePower(1, 1000 * scale, 1));
    r.Filename = file;
    return r;
}

struct DropCase {
    const char* name;
    std::size_t referenceBefore;
    std::string dropped;
    std::size_t referenceAfter;  // index in what is left
    std::string referenceFile;
};
void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class CompareDrops : public ::testing::TestWithParam<DropCase> {};

TEST_P(CompareDrops, TheReferenceStaysOnItsDataSet) {
    const DropCase& c = GetParam();
    CompareModel model;
    model.setDataSets({Lambertian("/a.ies", 1), Lambertian("/b.ies", 2), Lambertian("/c.ies", 4)});
    model.setReference(c.referenceBefore);
    EXPECT_EQ(model.removeFile(c.dropped), 1u);
    ASSERT_EQ(model.dataSets().size(), 2u);
    EXPECT_EQ(model.reference(), c.referenceAfter);
    EXPECT_EQ(model.dataSets()[model.reference()].record.Filename, c.referenceFile);
    // The table is the one of what is left, against that reference.
    EXPECT_EQ(model.comparison().names.size(), 2u);
    EXPECT_EQ(model.comparison().reference, c.referenceAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareDrops,
                         ::testing::Values(DropCase{"OtherBefore", 2, "/a.ies", 1, "/c.ies"},
                                           DropCase{"OtherAfter", 0, "/c.ies", 0, "/a.ies"},
                                           DropCase{"ReferenceItself", 1, "/b.ies", 0, "/a.ies"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CompareModel, FiguresAndRatiosFollowTheReferenceAndTheUnit) {
    CompareModel model;
    model.setDataSets({Lambertian("/a.ies", 1), Lambertian("/b.ies", 2)});
    const auto flux = [&] { return *model.comparison().figures.front().differences[1 - model.reference()]; };
    EXPECT_NEAR(flux(), 100, 1e-6);
    model.setReference(1);
    EXPECT_NEAR(flux(), -50, 1e-6);
    EXPECT_NEAR(model.ratioGrid(0, diagrams::IntensityUnit::Candela).largest, 0.5, 1e-6);

    // A refreshed data set is compared anew; an unknown index gives no grid.
    PhotometricRecord brighter = Lambertian("/A.IES", 4);
    EXPECT_EQ(model.takeRefreshed({brighter}), 1u);
    EXPECT_NEAR(flux(), 100, 1e-6);
    EXPECT_FALSE(model.ratioGrid(7, diagrams::IntensityUnit::Candela).problem.empty());

    model.markFirstUnsaved();
    EXPECT_EQ(model.comparison().names[0], "a.ies (unsaved)");
    const QJsonObject state = model.describe(UnitChoice::Automatic);
    EXPECT_EQ(state.value("reference").toInt(), 1);
    EXPECT_EQ(state.value("unit").toString(), "cd");  // same lamp flux: the fluxes compare in candela
}

// An export never goes over a compared data set's own file, by any spelling.
TEST(CompareExport, NeverOverADataSetsFile) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("compare-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.ies") << "a";
    std::ofstream(folder / "table.csv") << "old";
    CompareModel model;
    model.setDataSets({Lambertian((folder / "a.ies").string(), 1), Lambertian("/unsaved data", 2)});
    EXPECT_EQ(model.exportRefusal((folder / "a.ies").string()), kTargetIsInput);
    EXPECT_EQ(model.exportRefusal((folder / "." / "a.ies").string()), kTargetIsInput);
    EXPECT_EQ(model.exportRefusal((folder / "table.csv").string()), "");  // the dialog asked
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lumibench::compare
