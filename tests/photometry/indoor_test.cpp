// Indoor figures against cases whose answers follow without the method's own
// tables: the flux balance of the room, a room without walls (RCR 0), light
// that falls straight down, the UGR formula on one source, the scaling of UGR
// with flux and luminous area, the spacing criterion of a Lambertian source
// solved from its closed form, and the even luminance of a Lambertian disc.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analytic_records.h"
#include "photometry/indoor.h"

namespace lumibench::photometry {
namespace {

using testing::Layout;
constexpr double kPi = std::numbers::pi;
constexpr double kRadian = kPi / 180;

TEST(CoefficientOfUtilisation, RoomWithoutWallsAndStraightDownLight) {
    // An isotropic source: half its flux each way, 1000 lm lamp.
    std::array<double, 18> zones{};
    for (std::size_t n = 0; n < 18; ++n) zones[n] = 0.5 * (std::cos(10.0 * n * kRadian) - std::cos(10.0 * (n + 1) * kRadian));
    for (const Reflectances& r : {Reflectances{80, 50, 20}, Reflectances{70, 30, 10}, Reflectances{0, 0, 0}}) {
        // RCR 0: floor and ceiling face each other alone: (down + rc up) / (1 - rc rf).
        const double rc = r.ceiling / 100.0, rf = r.floor / 100.0;
        EXPECT_NEAR(CoefficientOfUtilisation(zones, 0, r), (0.5 + rc * 0.5) / (1 - rc * rf), 1e-12);
    }
    // Light within 10 degrees of nadir reaches the floor in any room.
    std::array<double, 18> pencil{};
    pencil[0] = 0.8;
    for (const double rcr : {0.0, 1.0, 5.0, 10.0}) {
        EXPECT_NEAR(CoefficientOfUtilisation(pencil, rcr, {0, 0, 0}), 0.8, 1e-12) << rcr;
    }
    // Nothing reflects, nothing is lost: CU is the direct share and falls with RCR.
    double previous = 2;
    for (int rcr = 0; rcr <= 10; ++rcr) {
        const double cu = CoefficientOfUtilisation(zones, rcr, {0, 0, 0});
        EXPECT_LT(cu, previous + 1e-12);
        EXPECT_LE(cu, 0.5 + 1e-12);
        previous = cu;
    }
}

TEST(CoefficientOfUtilisation, TableFollowsReflectancesAndRoomShape) {
    PhotometricRecord record = testing::AnalyticRecord(1, Layout::Rotational, 5, testing::CosinePower(1, 1000, 1));
    const IntensityDistribution distribution(record);
    const CuTable table = CoefficientsOfUtilisation(distribution, 4000);
    ASSERT_EQ(table.cu.size(), 11u);
    ASSERT_EQ(table.columns.size(), 18u);
    EXPECT_EQ(table.columns.front().ceiling, 80);
    EXPECT_EQ(table.columns.front().walls, 70);
    EXPECT_EQ(table.columns.back().ceiling, 0);
    // RCR 0 with a downlight: the lamp share that goes down, raised by the
    // floor-ceiling exchange: (pi 1000 / 4000) / (1 - 0.8 x 0.2).
    EXPECT_NEAR(table.cu[0][0], kPi * 1000 / 4000 / (1 - 0.16), 0.002);
    for (std::size_t i = 1; i < table.cu.size(); ++i) {
        for (std::size_t j = 0; j < table.columns.size(); ++j) EXPECT_LT(table.cu[i][j], table.cu[i - 1][j]);
        EXPECT_GT(table.cu[i][0], table.cu[i][1]);  // lighter walls, more light on the floor
    }
}

TEST(Ugr, OneSourceOnTheLineOfSight) {
    // L = 1000 cd / 0.1 m^2 = 10000 cd/m^2, w = 0.1 / 25 sr, Lb = 20 cd/m^2:
    // UGR = 8 log10(0.25 / 20 x 10000^2 x 0.004) = 8 log10(5000) = 29.59.
    const auto ugr = UnifiedGlareRating({{1000, 0.1, 5, 1}}, 20);
    ASSERT_TRUE(ugr);
    EXPECT_NEAR(*ugr, 8 * std::log10(5000.0), 1e-9);
    EXPECT_FALSE(UnifiedGlareRating({}, 20));
    EXPECT_FALSE(UnifiedGlareRating({{1000, 0.1, 5, 1}}, 0));
    EXPECT_DOUBLE_EQ(GuthPositionIndex(0, 0, 3), 1.0);
    EXPECT_GT(GuthPositionIndex(1, 2, 3), GuthPositionIndex(0.5, 1, 3));  // farther from the line of sight, less glare
}

TEST(Ugr, TableScalesWithFluxAndAreaAndIsSymmetricForRoundLuminaires) {
    PhotometricRecord record = testing::AnalyticRecord(1, Layout::Quadrant, 5, testing::CosinePower(1, 1000, 1.5));
    record.Width = -0.3f;  // a round opening 0.3 m across
    record.Length = -0.3f;
    const auto table = UgrTabular(IntensityDistribution(record), record);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->rooms.size(), 19u);
    ASSERT_EQ(table->columns.size(), 5u);

    PhotometricRecord brighter = record;
    brighter.CandelaMultiplier = 2;  // L^2 doubles twice, the background once: + 8 log10 2
    PhotometricRecord larger = record;
    larger.Width = larger.Length = -0.3f * std::sqrt(2.0f);  // twice the area: L^2 w halves
    const auto twice = UgrTabular(IntensityDistribution(brighter), brighter);
    const auto wide = UgrTabular(IntensityDistribution(larger), larger);
    for (std::size_t i = 0; i < table->rooms.size(); ++i) {
        for (std::size_t j = 0; j < table->columns.size(); ++j) {
            EXPECT_NEAR(table->crosswise[i][j], table->endwise[i][j], 1e-9);
            EXPECT_NEAR(twice->crosswise[i][j], table->crosswise[i][j] + 8 * std::log10(2.0), 1e-6);
            EXPECT_NEAR(wide->crosswise[i][j], table->crosswise[i][j] - 8 * std::log10(2.0), 1e-3);
        }
        // Darker walls give a darker background and more glare.
        EXPECT_GT(table->crosswise[i][1], table->crosswise[i][0]);
    }
    PhotometricRecord noArea = record;
    noArea.Width = noArea.Length = noArea.Height = 0;
    EXPECT_FALSE(UgrTabular(IntensityDistribution(noArea), noArea));
}

TEST(SpacingCriterion, LambertianSolvedFromItsClosedForm) {
    // E under I0 cos at height 1, offset s: I0 cos^4(atan s). The criterion solves
    // 2 cos^4(atan(s/2)) = 1 + cos^4(atan s).
    auto margin = [](double s) {
        auto c4 = [](double t) { return 1 / ((1 + t * t) * (1 + t * t)); };
        return 2 * c4(s / 2) - 1 - c4(s);
    };
    double inside = 0.5, outside = 2;
    for (int i = 0; i < 60; ++i) (margin((inside + outside) / 2) >= 0 ? inside : outside) = (inside + outside) / 2;
    const SpacingCriterion sc =
        SpacingCriteria(IntensityDistribution(testing::AnalyticRecord(1, Layout::Full, 0.5, testing::CosinePower(1, 1000, 1))));
    ASSERT_TRUE(sc.plane0 && sc.plane90);
    EXPECT_NEAR(*sc.plane0, inside, 0.01);
    EXPECT_NEAR(*sc.plane90, inside, 0.01);

    // Wider across C0 than along C90: the C0 row may stand farther apart.
    const auto oval = [](double c, double g) {
        const double spread = 1 + 0.6 * std::pow(std::cos(c * kRadian), 2);
        return g >= 90 ? 0.0 : 1000 * std::pow(std::cos(g * kRadian), 2 / spread);
    };
    const SpacingCriterion wide = SpacingCriteria(IntensityDistribution(testing::AnalyticRecord(1, Layout::Full, 1, oval)));
    ASSERT_TRUE(wide.plane0 && wide.plane90);
    EXPECT_GT(*wide.plane0, *wide.plane90);
}

TEST(LuminanceTable, LambertianDiscIsEvenlyBright) {
    PhotometricRecord record = testing::AnalyticRecord(1, Layout::Rotational, 5, testing::CosinePower(1, 1000, 1));
    record.Width = record.Length = -0.5f;  // a disc 0.5 m across: 0.19635 m^2
    const auto table = AverageLuminances(IntensityDistribution(record), record);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->values.size(), 5u);
    for (const auto& row : table->values) {
        for (const double luminance : row) EXPECT_NEAR(luminance, 1000 / (kPi * 0.0625), 1e-6);
    }
    record.UnitsType = 1;  // the same numbers in feet: a smaller area in m^2
    const auto feet = AverageLuminances(IntensityDistribution(record), record);
    EXPECT_NEAR(feet->values[0][0], 1000 / (kPi * 0.0625 * 0.3048 * 0.3048), 1e-3);
}

}  // namespace
}  // namespace lumibench::photometry
