// Floodlight figures against cos^n beams about the axis, whose spreads
// (2 arccos(f^(1/n))), cone lumens (2 pi I0 (1 - cos^(n+1) a) / (n + 1)) and
// plane illuminance (I(theta) cos(theta) / r^2) are known in closed form.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analytic_records.h"
#include "photometry/floodlight.h"

namespace lumibench::photometry {
namespace {

using testing::Layout;
constexpr double kPi = std::numbers::pi;
constexpr double kRadian = kPi / 180;

TEST(NemaType, BoundariesOfTheSevenTypes) {
    struct Row {
        double spread;
        int type;
    };
    for (const Row& row : {Row{9.9, 0}, Row{10, 1}, Row{17.9, 1}, Row{18, 2}, Row{28.9, 2}, Row{29, 3}, Row{46, 4},
                           Row{69.9, 4}, Row{70, 5}, Row{100, 6}, Row{129.9, 6}, Row{130, 7}, Row{179, 7}}) {
        EXPECT_EQ(NemaType(row.spread), row.type) << row.spread;
    }
}

struct BeamCase {
    int type;
    Layout layout;
    double power;
};

class FloodlightBeams : public ::testing::TestWithParam<BeamCase> {};

TEST_P(FloodlightBeams, SpreadsTypesAndConeLumens) {
    const BeamCase c = GetParam();
    PhotometricRecord record = testing::AnalyticRecord(c.type, c.layout, 1, testing::CosinePower(c.type, 1000, c.power));
    const IntensityDistribution distribution(record);
    const FloodlightFigures figures = Floodlight(distribution, 20000.0);
    const double n = c.power;
    const double beam = 2 * std::acos(std::pow(0.5, 1 / n)) / kRadian;
    const double field = 2 * std::acos(std::pow(0.1, 1 / n)) / kRadian;
    ASSERT_TRUE(figures.horizontalBeam && figures.verticalBeam && figures.horizontalField && figures.verticalField);
    EXPECT_NEAR(figures.horizontalBeam->fullAngle, beam, 0.1);
    EXPECT_NEAR(figures.verticalBeam->fullAngle, beam, 0.1);
    EXPECT_NEAR(figures.horizontalField->fullAngle, field, 0.1);
    EXPECT_NEAR(figures.verticalField->fullAngle, field, 0.1);
    EXPECT_EQ(figures.nemaHorizontal, NemaType(field));
    EXPECT_EQ(figures.nemaVertical, NemaType(field));
    auto cone = [&](double half) { return 2 * kPi * 1000 * (1 - std::pow(std::cos(half * kRadian), n + 1)) / (n + 1); };
    // Whole cells inside the contour: the edge cells make the difference.
    EXPECT_NEAR(figures.beamLumens, cone(beam / 2), 0.03 * cone(beam / 2));
    EXPECT_NEAR(figures.fieldLumens, cone(field / 2), 0.03 * cone(field / 2));
    EXPECT_NEAR(*figures.beamEfficiencyPercent, 100 * figures.beamLumens / 20000, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(CosinePowers, FloodlightBeams,
                         ::testing::Values(BeamCase{2, Layout::BFull, 20}, BeamCase{2, Layout::BLateral, 60},
                                           BeamCase{3, Layout::BFull, 8}, BeamCase{1, Layout::Rotational, 30},
                                           BeamCase{1, Layout::Quadrant, 4}),
                         [](const auto& row) {
                             return "Type" + std::to_string(row.param.type) + testing::LayoutName(row.param.layout) +
                                    "Cos" + std::to_string(static_cast<int>(row.param.power));
                         });

TEST(TargetPlane, IlluminanceIsIntensityTimesCosineOverDistanceSquared) {
    for (const int type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        const Layout layout = type == 1 ? Layout::Full : Layout::BFull;
        const auto candela = testing::CosinePower(type, 5000, 6);
        const IntensityDistribution distribution(testing::AnalyticRecord(type, layout, 1, candela));
        TargetPlane plane;
        plane.distance = 20;
        plane.halfWidth = 8;
        plane.halfHeight = 4;
        plane.columns = 5;
        plane.rows = 3;
        const TargetIlluminance straight = TargetPlaneIlluminance(distribution, plane);
        EXPECT_NEAR(straight.centre, 5000 / 400.0, 1e-9);
        ASSERT_EQ(straight.values.size(), 3u);
        ASSERT_EQ(straight.values[0].size(), 5u);
        // Corner (8, 4): theta from the axis, E = I0 cos^6(theta) cos(theta) / r^2.
        const double r2 = 400 + 64 + 16;
        const double cosine = 20 / std::sqrt(r2);
        EXPECT_NEAR(straight.values[2][4], 5000 * std::pow(cosine, 7) / r2, 0.01 * straight.values[2][4]);
        EXPECT_DOUBLE_EQ(straight.maximum, straight.centre);

        // Aimed 10 degrees to the right, the plane's centre lies 10 degrees off
        // the axis and the brightest column moves to the right.
        plane.aimHorizontal = 10;
        const TargetIlluminance aimed = TargetPlaneIlluminance(distribution, plane);
        EXPECT_NEAR(aimed.centre, 5000 * std::pow(std::cos(10 * kRadian), 6) / 400, 0.01 * aimed.centre);
        EXPECT_GT(aimed.values[1][4], aimed.values[1][0]);
    }
}

}  // namespace
}  // namespace lumibench::photometry
