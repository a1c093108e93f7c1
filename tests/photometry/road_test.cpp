// Road figures against distributions drawn on the road itself: an elliptical
// Gaussian spot whose maximum and half-maximum trace lie where its formula
// puts them (IES lateral and vertical types), isotropic and one-sided sources
// whose zone lumens are I x solid angle (BUG), and the road grid's point rules
// and mirror symmetries.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analytic_records.h"
#include "photometry/road.h"

namespace lumibench::photometry {
namespace {

using testing::Layout;
constexpr double kPi = std::numbers::pi;
constexpr double kRadian = kPi / 180;

// Intensity whose footprint on the road (in mounting heights: x along, y
// across to the street side) is a Gaussian spot centred on (±x0, y0). IES
// data put the street side toward C0 and the road along C90-C270; `turn`
// turns the data by that many degrees (I'(C) = I(C - turn)).
testing::Distribution Spot(double x0, double y0, double sx, double sy, double turn = 0) {
    return [=](double c, double g) {
        if (g >= 89.9) return 0.0;
        const double r = std::tan(g * kRadian);
        const double x = std::abs(r * std::sin((c - turn) * kRadian));
        const double y = r * std::cos((c - turn) * kRadian);
        return 10000 * std::exp(-std::pow((x - x0) / sx, 2) - std::pow((y - y0) / sy, 2));
    };
}

struct ClassCase {
    double x0, y0, sy;
    const char* vertical;
    const char* lateral;
};

class RoadClasses : public ::testing::TestWithParam<ClassCase> {};

TEST_P(RoadClasses, MaximumAndHalfMaximumTracePlaceTheTypes) {
    const ClassCase c = GetParam();
    const IntensityDistribution distribution(testing::AnalyticRecord(1, Layout::Bilateral0, 1, Spot(c.x0, c.y0, 0.5, c.sy)));
    const auto result = ClassifyRoadDistribution(distribution);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->vertical, c.vertical);
    EXPECT_EQ(result->lateral, c.lateral);
    // The half-maximum of exp(-(y/s)^2) lies s sqrt(ln 2) from its centre; far
    // out, a degree of gamma in the file spans half a mounting height of road.
    const double halfWidth = c.sy * std::sqrt(std::log(2.0));
    EXPECT_NEAR(result->halfMaxAcrossMh, std::max(c.y0 + halfWidth, 0.0), 0.1);
    EXPECT_NEAR(result->halfMaxHouseMh, std::max(halfWidth - c.y0, 0.0), 0.1);
    EXPECT_NEAR(std::abs(result->maxCandelaAlongMh), c.x0, 0.1);
    EXPECT_NEAR(result->maxCandelaAcrossMh, c.y0, 0.25);  // the stored grid point nearest the spot
}

INSTANTIATE_TEST_SUITE_P(Spots, RoadClasses,
                         ::testing::Values(ClassCase{1.5, 0.5, 0.4, "short", "I"},
                                           ClassCase{3.0, 0.8, 0.6, "medium", "II"},
                                           ClassCase{3.0, 1.6, 0.6, "medium", "III"},
                                           // Reach 2.5: Type III up to 2.75, Type IV beyond.
                                           ClassCase{3.0, 2.0, 0.6, "medium", "III"},
                                           ClassCase{3.0, 2.4, 0.6, "medium", "IV"},
                                           ClassCase{4.5, 2.5, 0.6, "long", "IV"},
                                           // Street reach 0.17 but house reach 1.17: not Type I.
                                           ClassCase{1.5, -0.5, 0.8, "short", "II"}));

TEST(RoadClasses, StreetSideIsTowardC0) {
    // The same spot turned a quarter: its light goes along the road, toward C90.
    const auto along = ClassifyRoadDistribution(
        IntensityDistribution(testing::AnalyticRecord(1, Layout::Full, 1, Spot(1.5, 2.4, 0.5, 0.6, 90))));
    ASSERT_TRUE(along);
    EXPECT_NEAR(along->maxCandelaAlongMh, 2.4, 0.1);
    EXPECT_NEAR(std::abs(along->maxCandelaAcrossMh), 1.5, 0.1);
}

TEST(RoadClasses, RoundDistributionIsTypeV) {
    const IntensityDistribution round(testing::AnalyticRecord(1, Layout::Rotational, 1, testing::CosinePower(1, 1000, 1)));
    EXPECT_EQ(ClassifyRoadDistribution(round)->lateral, "V");
    const IntensityDistribution flood(testing::AnalyticRecord(2, Layout::BFull, 5, testing::Isotropic(1)));
    EXPECT_FALSE(ClassifyRoadDistribution(flood));
}

TEST(RoadOrientation, TurnedDataNameTheRotationThatBringsThemToTheStreetSide) {
    struct Row {
        double turn;     // where the street-side spot was turned to
        bool curbFormat;  // EULUMDAT or TM14
        int rotation;    // 0: no note
    };
    // A curb-oriented data set throws toward C90: rotation by 270 brings it
    // to C0; IES data thrown to the house side need 180; data toward C0 are right.
    for (const Row& row : {Row{90, true, 270}, Row{270, true, 90}, Row{180, false, 180}, Row{180, true, 180},
                           Row{0, false, 0}, Row{0, true, 0}, Row{90, false, 0},
                           // Light leaning along the road with a maximum behind the kerb line: the lean decides.
                           Row{270, false, 90}}) {
        SCOPED_TRACE(row.turn);
        const IntensityDistribution distribution(
            testing::AnalyticRecord(1, Layout::Full, 2.5, Spot(1.5, 1.6, 0.5, 0.6, row.turn)));
        const auto note = RoadOrientationNote(distribution, row.curbFormat);
        EXPECT_EQ(note ? note->rotationDeg : 0, row.rotation);
        if (note) {
            EXPECT_NE(note->text.find("rotation by " + std::to_string(row.rotation) + " degrees"), std::string::npos);
        }
    }
    // A round distribution has no street side to find.
    const IntensityDistribution round(testing::AnalyticRecord(1, Layout::Rotational, 5, testing::CosinePower(1, 1000, 1)));
    EXPECT_FALSE(RoadOrientationNote(round, true));
    EXPECT_TRUE(CurbOrientedFormat("/data/a.b/Street.LDT"));
    EXPECT_TRUE(CurbOrientedFormat("x.cib"));
    EXPECT_FALSE(CurbOrientedFormat("x.ies"));
    EXPECT_FALSE(CurbOrientedFormat("dir.ldt/file"));
}

TEST(Bug, ZoneLumensAreIntensityTimesSolidAngleAndRatingsFollowTheLimits) {
    // Isotropic I over a half-space of azimuth: I pi (cos a - cos b) per zone.
    auto zone = [](double candela, double from, double to, double azimuth) {
        return candela * azimuth * (std::cos(from * kRadian) - std::cos(to * kRadian));
    };
    struct Row {
        double candela;
        bool streetSideOnly;
        const char* rating;
    };
    // 3 cd round: BL = 3 pi (1 - cos 30) = 1.26 lm, BVH = 3 pi cos 80 = 1.64,
    // UL = 3 2 pi (cos 90 - cos 100) = 3.27, UH = 3 2 pi (1 + cos 100) = 15.6 (U2).
    // 400 cos(C) cos(gamma) on the front (C 270-90) alone: FVH = 400 (1 - sin^2 80) = 12.1 (G1),
    // FH = 400 (sin^2 80 - sin^2 60) = 87.9, back and up dark.
    // 400 cd round: BVH = 218 (B3 through BVH over 150; G2 through 225), UH = 400 2 pi 1.17 = 2950 (U5).
    for (const Row& row : {Row{3, false, "B0-U2-G0"}, Row{400, true, "B0-U0-G1"}, Row{400, false, "B3-U5-G2"}}) {
        SCOPED_TRACE(row.candela);
        const double candela = row.candela;
        const bool front = row.streetSideOnly;
        const auto distribution = IntensityDistribution(testing::AnalyticRecord(
            1, Layout::Full, 2.5, [=](double c, double g) { if (!front) return candela;
                const double street = std::cos(c * kRadian);
                return g < 90 && street > 0 ? candela * street * std::cos(g * kRadian) : 0.0; }));
        const auto bug = RateBug(distribution);
        ASSERT_TRUE(bug);
        if (!front) {
            EXPECT_NEAR(bug->zones.BL, zone(candela, 0, 30, kPi), 0.01 * zone(candela, 0, 30, kPi));
            EXPECT_NEAR(bug->zones.FM, zone(candela, 30, 60, kPi), 0.01 * zone(candela, 30, 60, kPi));
            EXPECT_NEAR(bug->zones.BVH, zone(candela, 80, 90, kPi), 0.01 * zone(candela, 80, 90, kPi));
            EXPECT_NEAR(bug->zones.UL, zone(candela, 90, 100, 2 * kPi), 0.01 * zone(candela, 90, 100, 2 * kPi));
            EXPECT_NEAR(bug->zones.UH, zone(candela, 100, 180, 2 * kPi), 0.01 * zone(candela, 100, 180, 2 * kPi));
        } else {
            const double fvh = candela * (1 - std::pow(std::sin(80 * kRadian), 2));
            EXPECT_NEAR(bug->zones.FVH, fvh, 0.02 * fvh);
            EXPECT_NEAR(bug->zones.BH + bug->zones.BM + bug->zones.UH, 0, 1e-9);
        }
        EXPECT_EQ(bug->text(), row.rating);
    }
}

TEST(RoadGrid, PointsFollowTheStandardRules) {
    const IntensityDistribution distribution(testing::AnalyticRecord(1, Layout::Rotational, 5, testing::Isotropic(1000)));
    struct Row {
        double spacing;
        double metresPerUnit;
        int along;
    };
    for (const Row& row : {Row{30, 1, 10}, Row{40, 1, 14}, Row{24, 1, 10}, Row{100, 0.3048, 11}}) {
        RoadLayout layout;
        layout.spacing = row.spacing;
        layout.metresPerUnit = row.metresPerUnit;
        layout.lanes = 2;
        layout.roadWidth = 7.5;
        const RoadIlluminance result = RoadGridIlluminance(distribution, layout);
        EXPECT_EQ(result.pointsAlong, row.along) << row.spacing;
        EXPECT_EQ(result.pointsAcross, 6);
        ASSERT_EQ(result.points.size(), static_cast<std::size_t>(row.along * 6));
        EXPECT_DOUBLE_EQ(result.points[0].along, row.spacing / row.along / 2);
        EXPECT_DOUBLE_EQ(result.points[0].across, 7.5 / 6 / 2);
        EXPECT_NEAR(result.overallUniformity, result.minimum / result.average, 1e-12);
    }
    // Layouts no road has are refused, not looped over.
    for (const RoadLayout& absurd : {RoadLayout{10, 1e300, 7, 2, 0, RoadArrangement::SingleSided, 1},
                                     RoadLayout{1e12, 0.001, 7, 2, 0, RoadArrangement::Opposite, 1},
                                     RoadLayout{10, 30, 7, 100000, 0, RoadArrangement::SingleSided, 1}}) {
        EXPECT_TRUE(RoadGridIlluminance(distribution, absurd).points.empty());
    }
}

TEST(RoadGrid, IlluminanceLawAndMirrorSymmetries) {
    // Street side only (C 270-90): a luminaire lights its own side of its kerb line.
    const auto oneSided = [](double c, double g) { return (c < 90 || c > 270) || g == 0 ? 800.0 : 0.0; };
    const IntensityDistribution distribution(testing::AnalyticRecord(1, Layout::Full, 1, oneSided));
    RoadLayout layout;
    layout.mountingHeight = 8;
    layout.spacing = 200;  // one luminaire within five mounting heights of the first points
    layout.roadWidth = 6;
    layout.lanes = 1;
    const RoadIlluminance single = RoadGridIlluminance(distribution, layout);
    // The first point: 200/67/2 along, 1 across; E = I h / r^3.
    const RoadGridPoint& p = single.points[0];
    const double r2 = p.along * p.along + p.across * p.across + 64;
    EXPECT_NEAR(p.illuminance, 800 * 8 / (r2 * std::sqrt(r2)), 1e-9);

    // Mirrored rows light the centre line twice as much as one row does.
    layout.spacing = 30;
    const RoadIlluminance one = RoadGridIlluminance(distribution, layout);
    layout.arrangement = RoadArrangement::Opposite;
    const RoadIlluminance both = RoadGridIlluminance(distribution, layout);
    for (std::size_t i = 1; i < one.points.size(); i += 3) {  // the middle of three points is the centre line
        EXPECT_NEAR(both.points[i].illuminance, 2 * one.points[i].illuminance, 1e-9);
    }
    EXPECT_NEAR(both.average, 2 * one.average, 1e-9);
    layout.arrangement = RoadArrangement::Staggered;
    const RoadIlluminance staggered = RoadGridIlluminance(distribution, layout);
    EXPECT_NEAR(staggered.average, both.average, 1e-6 * both.average);
}

// The drawing grid covers kerb to kerb and luminaire to luminaire, and where
// its points meet the standard grid's it gives the same illuminance.
TEST(RoadGrid, TheDrawingGridRunsThroughTheStandardPoints) {
    const auto oneSided = [](double c, double g) { return (c < 90 || c > 270) || g == 0 ? 800.0 : 0.0; };
    const IntensityDistribution distribution(testing::AnalyticRecord(1, Layout::Full, 1, oneSided));
    RoadLayout layout;  // 30 apart, 7 wide, two lanes: points every 3 along and 7/6 across
    const RoadIlluminance standard = RoadGridIlluminance(distribution, layout);
    const RoadIlluminance drawn = RoadIlluminanceForDrawing(distribution, layout, 21, 13);
    ASSERT_EQ(drawn.points.size(), 21u * 13u);
    EXPECT_DOUBLE_EQ(drawn.points.front().across, 0);
    EXPECT_DOUBLE_EQ(drawn.points.back().across, layout.roadWidth);
    EXPECT_DOUBLE_EQ(drawn.points.back().along, layout.spacing);
    // Odd indices of the drawing grid (1.5 along, 7/12 across apart) are the standard points.
    for (int i = 0; i < standard.pointsAlong; ++i) {
        for (int j = 0; j < standard.pointsAcross; ++j) {
            const RoadGridPoint& a = standard.points[static_cast<std::size_t>(i * standard.pointsAcross + j)];
            const RoadGridPoint& b = drawn.points[static_cast<std::size_t>((2 * i + 1) * 13 + (2 * j + 1))];
            EXPECT_NEAR(b.along, a.along, 1e-9);
            EXPECT_NEAR(b.across, a.across, 1e-9);
            EXPECT_NEAR(b.illuminance, a.illuminance, 1e-9 * a.illuminance + 1e-12);
        }
    }
}

}  // namespace
}  // namespace lumibench::photometry
