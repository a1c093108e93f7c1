// Data sets side by side: differences, CSV text and the intensity ratio map,
// on analytic records whose right answers follow from how they were made.

#include <gtest/gtest.h>

#include "analytic_records.h"
#include "photometry/comparison.h"

namespace lumibench::photometry {
namespace {

using testing::Layout;

struct RecordCase {
    const char* name;
    int type;
    Layout layout;
    double power;  // of the cosine distribution about the axis
};
void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name; }

PhotometricRecord Make(const RecordCase& c) {
    PhotometricRecord record = testing::AnalyticRecord(c.type, c.layout, 5, testing::CosinePower(c.type, 1000, c.power));
    record.InputWatts = 40;
    return record;
}

const ComparedFigure& Figure(const Comparison& comparison, const std::string& name) {
    for (const auto& f : comparison.figures)
        if (f.name == name) return f;
    throw std::runtime_error("no figure " + name);
}

class ComparedRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ComparedRecords, IdenticalDataSetsDifferInNothing) {
    const PhotometricRecord record = Make(GetParam());
    const Comparison c = CompareSummaries({{"a", Summarise(record)}, {"b", Summarise(record)}}, 1);
    ASSERT_GT(c.figures.size(), 8u);
    for (const auto& f : c.figures) {
        ASSERT_EQ(f.values.size(), 2u) << f.name;
        EXPECT_EQ(f.values[0].has_value(), f.values[1].has_value()) << f.name;
        for (const auto& d : f.differences)
            if (d) {
                EXPECT_NEAR(*d, 0, 1e-9) << f.name;
            }
    }
    EXPECT_TRUE(Figure(c, "Luminaire flux").differences[0].has_value());
    const IntensityDistribution d(record);
    const RatioGrid grid = IntensityRatioGrid(d, 1, d, 1);
    ASSERT_TRUE(grid.problem.empty()) << grid.problem;
    EXPECT_NEAR(grid.smallest, 1, 1e-9);
    EXPECT_NEAR(grid.largest, 1, 1e-9);
}

TEST_P(ComparedRecords, ScaledDataSetDiffersByItsFactor) {
    const PhotometricRecord record = Make(GetParam());
    for (double k : {0.5, 2.0, 3.7}) {
        PhotometricRecord scaled = record;
        scaled.CandelaMultiplier *= k;
        const Comparison c = CompareSummaries({{"ref", Summarise(record)}, {"scaled", Summarise(scaled)}}, 0);
        for (const char* name : {"Luminaire flux", "Maximum intensity", "Efficacy"}) {
            EXPECT_NEAR(*Figure(c, name).differences[1], (k - 1) * 100, 1e-3) << name << " k=" << k;
        }
        // The lamps are the same, so the output ratio grows by the same factor.
        const auto& lor = Figure(c, "LOR");
        EXPECT_NEAR(*lor.differences[1], *lor.values[0] * (k - 1), 1e-3) << "k=" << k;
        EXPECT_NEAR(*Figure(c, "Maximum at vertical angle").differences[1], 0, 1e-9);
        for (const auto& f : c.figures) {
            if (f.name.starts_with("Beam angle") || f.name.starts_with("Field angle")) {
                EXPECT_NEAR(f.differences[1].value_or(0), 0, 1e-6) << f.name;
            }
            if (f.name.starts_with("Zonal lumens") && f.differences[1]) {
                EXPECT_NEAR(*f.differences[1], (k - 1) * 100, 1e-3) << f.name;
            }
        }
        const RatioGrid grid = IntensityRatioGrid(IntensityDistribution(scaled), 1, IntensityDistribution(record), 1);
        ASSERT_TRUE(grid.problem.empty()) << grid.problem;
        EXPECT_NEAR(grid.smallest, k, 1e-6);
        EXPECT_NEAR(grid.largest, k, 1e-6);
        // In cd/klm of their own fluxes the two are the same distribution.
        const double flux = Summarise(record).luminaireFluxLm;
        const RatioGrid relative = IntensityRatioGrid(IntensityDistribution(scaled), 1000 / (flux * k),
                                                      IntensityDistribution(record), 1000 / flux);
        EXPECT_NEAR(relative.smallest, 1, 1e-6);
        EXPECT_NEAR(relative.largest, 1, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComparedRecords,
                         ::testing::Values(RecordCase{"RotationalLambertian", 1, Layout::Rotational, 1},
                                           RecordCase{"QuadrantNarrow", 1, Layout::Quadrant, 8},
                                           RecordCase{"FullWide", 1, Layout::Full, 0.5},
                                           RecordCase{"TypeBLateral", 2, Layout::BLateral, 4},
                                           RecordCase{"TypeAFull", 3, Layout::BFull, 2}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ComparisonGrid, CoversOnlyTheAnglesBothMeasuredAndRefusesMixedTypes) {
    const auto lambert = testing::CosinePower(1, 1000, 1);
    const IntensityDistribution full(testing::AnalyticRecord(1, Layout::Full, 5, lambert));
    // The lower hemisphere only, as a downlight's file often is.
    PhotometricRecord downward = testing::AnalyticRecord(1, Layout::Full, 5, lambert);
    downward.VertAngles.resize(19);
    for (auto& row : downward.Candela) row.resize(19);
    downward.VertAngleCount = 19;
    const IntensityDistribution lower(downward);
    const RatioGrid grid = IntensityRatioGrid(full, 1, lower, 1);
    EXPECT_EQ(grid.horizontal.front(), 0);
    EXPECT_EQ(grid.horizontal.back(), 360);
    EXPECT_EQ(grid.vertical.back(), 90);
    // Lambertian light is gone at 90 degrees: no ratio out of the dark.
    EXPECT_FALSE(grid.ratio[0].back().has_value());

    const IntensityDistribution typeB(testing::AnalyticRecord(2, Layout::BFull, 5, testing::CosinePower(2, 1000, 1)));
    const RatioGrid mixed = IntensityRatioGrid(typeB, 1, full, 1);
    EXPECT_FALSE(mixed.problem.empty());
    EXPECT_TRUE(mixed.ratio.empty());
}

TEST(ComparisonFigures, HorizontalDirectionsDifferTheShortWayRound) {
    Summary a, b;
    a.maxIntensityDirection = {350, 10};
    b.maxIntensityDirection = {10, 30};
    const Comparison c = CompareSummaries({{"a", a}, {"b", b}}, 0);
    EXPECT_NEAR(*Figure(c, "Maximum at horizontal angle").differences[1], 20, 1e-9);
    EXPECT_NEAR(*Figure(c, "Maximum at vertical angle").differences[1], 20, 1e-9);
    // A reference without the figure gives no difference rather than a wrong one.
    EXPECT_FALSE(Figure(c, "Lamp flux").differences[1].has_value());
    EXPECT_FALSE(Figure(c, "Luminaire flux").differences[1].has_value());  // 0 lm reference
}

struct CsvCase {
    std::string text;
    std::string field;
};
void PrintTo(const CsvCase& c, std::ostream* out) { *out << c.text; }

class CsvFields : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvFields, QuotedWhereTheyMustBe) { EXPECT_EQ(CsvText(GetParam().text), GetParam().field); }

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvFields,
    ::testing::Values(CsvCase{"plain.ies", "plain.ies"}, CsvCase{"a,b.ies", "\"a,b.ies\""},
                      CsvCase{"say \"hi\".ldt", "\"say \"\"hi\"\".ldt\""}, CsvCase{"two\nlines", "\"two\nlines\""},
                      CsvCase{"=HYPERLINK(1)", "'=HYPERLINK(1)"}, CsvCase{"-x,y", "\"'-x,y\""}, CsvCase{"", ""},
                      CsvCase{"\t=1+1", "'\t=1+1"}, CsvCase{"\r=1+1", "\"'\r=1+1\""}));

TEST(ComparisonCsv, OneRowPerFigureWithEveryColumn) {
    const PhotometricRecord record = Make({"", 1, Layout::Rotational, 1});
    PhotometricRecord doubled = record;
    doubled.CandelaMultiplier *= 2;
    const Comparison c =
        CompareSummaries({{"hall, north.ies", Summarise(record)}, {"b.ies", Summarise(doubled)}}, 0);
    const std::string csv = ComparisonCsv(c);
    const std::string header = "Figure,Unit,\"hall, north.ies\",b.ies,\"b.ies vs hall, north.ies\",Difference unit\r\n";
    ASSERT_EQ(csv.substr(0, header.size()), header);
    EXPECT_NE(csv.find("\r\nLuminaire flux,lm,"), std::string::npos);
    EXPECT_NE(csv.find(",100.00,%\r\n"), std::string::npos);  // flux doubled
    // Every line has the header's number of fields once quoted commas are left aside.
    std::size_t lines = 0, fields = 1;
    bool quoted = false;
    for (char ch : csv) {
        if (ch == '"') quoted = !quoted;
        if (quoted) continue;
        if (ch == ',') ++fields;
        if (ch == '\n') {
            EXPECT_EQ(fields, 6u) << "line " << lines;
            fields = 1;
            ++lines;
        }
    }
    EXPECT_EQ(lines, c.figures.size() + 1);
}

}  // namespace
}  // namespace lumibench::photometry
