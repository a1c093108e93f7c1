// Diagram geometry without a screen: nice ticks, the polar mapping, contour
// lines on analytic fields and the luminous opening's shapes and areas.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "diagrams/contour.h"
#include "diagrams/luminous_opening.h"
#include "diagrams/polar_geometry.h"
#include "diagrams/scale.h"

namespace lumibench::diagrams {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(NiceTicks, CoverTheRangeWithRoundSteps) {
    struct Row {
        double lo, hi;
        int maxIntervals;
        double step, first, last;
    };
    const Row rows[] = {
        {0, 1, 5, 0.2, 0, 1},
        {0, 937, 5, 200, 0, 1000},
        {0, 1000, 5, 200, 0, 1000},    // an exact end is not pushed a step further
        {0, 2400, 5, 500, 0, 2500},
        {0, 0.13, 5, 0.05, 0, 0.15},
        {-37, 81, 6, 25, -50, 100},
        {0, 12500, 4, 5000, 0, 15000},  // 2500 would need five intervals
        {5, 5, 5, 1, 5, 10},           // an empty range still gets a scale
        {0, 0, 5, 0.2, 0, 1},
        {3, -3, 3, 5, -5, 5},          // reversed ends; 2 and 2.5 would need four intervals
    };
    for (const Row& r : rows) {
        const Ticks t = NiceTicks(r.lo, r.hi, r.maxIntervals);
        SCOPED_TRACE(testing::Message() << r.lo << ".." << r.hi);
        EXPECT_DOUBLE_EQ(t.step, r.step);
        EXPECT_NEAR(t.first, r.first, 1e-9);
        EXPECT_NEAR(t.last, r.last, 1e-9);
        EXPECT_LE(t.values.size(), static_cast<std::size_t>(r.maxIntervals) + 1);
        EXPECT_NEAR(t.values.front(), t.first, 1e-9);
        EXPECT_NEAR(t.values.back(), t.last, 1e-9);
    }
}

TEST(NiceTicks, LabelsCarryTheDecimalsTheStepNeeds) {
    struct Row {
        double value, step;
        const char* text;
    };
    const Row rows[] = {{0.25, 0.05, "0.25"}, {1500, 500, "1500"}, {2.5, 2.5, "2.5"}, {0.1 + 0.2, 0.1, "0.3"},
                        {-0.0, 1, "0"},      {1e-7, 0.2, "0"},     {12.5, 2.5, "12.5"}};
    for (const Row& r : rows) EXPECT_EQ(TickLabel(r.value, r.step), r.text) << r.value;
    EXPECT_EQ(FormatNumber(1234.5678, 2), "1234.57");
    EXPECT_EQ(FormatNumber(std::nan(""), 2), "-");
}

TEST(PolarMapping, NadirDownZenithUpPlanesLeftAndRight) {
    struct Row {
        double angle, value, max, x, y;
    };
    const Row rows[] = {
        {0, 100, 100, 0, -1},          // nadir, straight down
        {90, 100, 100, 1, 0},          // right half-plane, horizontal
        {-90, 50, 100, -0.5, 0},       // left half-plane
        {180, 100, 200, 0, 0.5},       // zenith
        {-180, 100, 200, 0, 0.5},
        {60, 100, 100, std::sqrt(3) / 2, -0.5},
        {30, -5, 100, 0, 0},           // negative values sit at the centre
        {30, 5, 0, 0, 0},              // no scale, no radius
    };
    for (const Row& r : rows) {
        const UnitPoint p = PolarToUnit(r.angle, r.value, r.max);
        EXPECT_NEAR(p.x, r.x, 1e-12) << r.angle;
        EXPECT_NEAR(p.y, r.y, 1e-12) << r.angle;
        if (r.value > 0 && r.max > 0 && std::abs(r.angle) < 180) {
            const PolarValue back = UnitToPolar(p, r.max);
            EXPECT_NEAR(back.signedAngleDeg, r.angle, 1e-9);
            EXPECT_NEAR(back.value, r.value, 1e-9);
        }
    }
    const std::vector<double> spokes = PolarSpokeAngles(30);
    EXPECT_EQ(spokes, (std::vector<double>{-150, -120, -90, -60, -30, 0, 30, 60, 90, 120, 150, 180}));
}

// f = x² + y² on an uneven grid: every contour point lies on the circle of
// radius sqrt(level) within the error of linear interpolation across a cell.
TEST(Contours, CirclesOfARadialField) {
    std::vector<double> xs, ys;
    for (double v = -10; v <= 10.001; v += 0.5) xs.push_back(v);
    for (double v = -10; v <= 10.001; v += (std::abs(v) < 4 ? 0.25 : 1)) ys.push_back(v);
    std::vector<std::vector<double>> values(xs.size(), std::vector<double>(ys.size()));
    for (std::size_t i = 0; i < xs.size(); ++i)
        for (std::size_t j = 0; j < ys.size(); ++j) values[i][j] = xs[i] * xs[i] + ys[j] * ys[j];

    for (double radius : {2.0, 5.0, 8.3}) {
        const auto lines = ContourLines(xs, ys, values, radius * radius);
        ASSERT_EQ(lines.size(), 1u) << radius;  // one line, joined across every cell
        const Polyline& line = lines.front();
        EXPECT_GT(line.size(), 20u);
        EXPECT_DOUBLE_EQ(line.front().x, line.back().x);  // closed
        EXPECT_DOUBLE_EQ(line.front().y, line.back().y);
        double enclosed = 0;
        for (std::size_t k = 0; k < line.size(); ++k) {
            EXPECT_NEAR(std::hypot(line[k].x, line[k].y), radius, 0.06) << radius;
            if (k + 1 < line.size()) enclosed += line[k].x * line[k + 1].y - line[k + 1].x * line[k].y;
        }
        EXPECT_NEAR(std::abs(enclosed) / 2, kPi * radius * radius, 0.02 * kPi * radius * radius);
    }
    EXPECT_TRUE(ContourLines(xs, ys, values, 500).empty());   // above the field
    EXPECT_TRUE(ContourLines(xs, ys, values, -1).empty());    // below it
}

TEST(Contours, OpenLinesSaddlesAndBadInput) {
    // f = x on a 3 x 3 grid: the level 0.5 is one straight open line.
    const std::vector<double> g{0, 1, 2};
    std::vector<std::vector<double>> ramp{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    const auto lines = ContourLines(g, g, ramp, 0.5);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 3u);
    for (const auto& p : lines[0]) EXPECT_DOUBLE_EQ(p.x, 0.5);

    // A saddle cell gives two separate pieces, never crossing lines.
    const std::vector<double> s{0, 1};
    EXPECT_EQ(ContourLines(s, s, {{1, 0}, {0, 1}}, 0.5).size(), 2u);
    EXPECT_EQ(ContourLines(s, s, {{1, 0}, {0, 1}}, 0.4).size(), 2u);

    // Short rows, NaN corners and too few angles leave cells out without a fault.
    EXPECT_TRUE(ContourLines(s, s, {{1}, {0, 1}}, 0.5).empty());
    EXPECT_TRUE(ContourLines(s, s, {{std::nan(""), 0}, {0, 1}}, 0.5).empty());
    EXPECT_TRUE(ContourLines({0}, s, {{1, 0}}, 0.5).empty());
    EXPECT_TRUE(ContourLines(s, s, {}, 0.5).empty());
}

TEST(LuminousOpening, SignsGiveTheShape) {
    using S = OpeningShape;
    struct Row {
        float w, l, h;
        S shape;
    };
    const Row rows[] = {
        {0, 0, 0, S::Point},
        {0.5f, 1.2f, 0, S::Rectangular},
        {0.5f, 1.2f, 0.1f, S::RectangularWithSides},
        {-0.3f, -0.3f, 0, S::Circular},
        {-0.3f, -0.5f, 0, S::Ellipse},
        {-0.3f, -0.3f, 0.2f, S::VerticalCylinder},
        {-0.3f, -0.4f, 0.2f, S::VerticalEllipsoidalCylinder},
        {-0.2f, -0.2f, -0.2f, S::Sphere},
        {-0.2f, -0.3f, -0.2f, S::EllipsoidalSpheroid},
        {-0.1f, 1.2f, -0.1f, S::HorizontalCylinderAlong},
        {-0.1f, 1.2f, -0.2f, S::HorizontalEllipsoidalCylinderAlong},
        {1.2f, -0.1f, -0.1f, S::HorizontalCylinderPerpendicular},
        {1.2f, -0.1f, -0.3f, S::HorizontalEllipsoidalCylinderPerpendicular},
        {-0.3f, 0, -0.3f, S::VerticalCircle},
        {-0.3f, 0, -0.2f, S::VerticalEllipse},
        {-0.4f, 0, 0, S::Circular},  // the older editions' round opening
        {0.5f, -1.2f, 0, S::Undefined},
        {0.5f, 0, 0, S::Undefined},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(OpeningOf(r.w, r.l, r.h, 2).shape, r.shape) << r.w << " " << r.l << " " << r.h;
    }
    const LuminousOpening feet = OpeningOf(-1, 0, 0, 1);
    EXPECT_DOUBLE_EQ(feet.width, 0.3048);
    EXPECT_DOUBLE_EQ(feet.length, 0.3048);
}

// Areas that geometry gives in closed form.
TEST(LuminousOpening, ProjectedAreas) {
    struct Row {
        float w, l, h;
        double c, gamma, area;
    };
    const double r = 0.1;
    const Row rows[] = {
        {0.5f, 1.2f, 0, 0, 0, 0.6},                          // flat, from below
        {0.5f, 1.2f, 0, 33, 60, 0.3},                        // cos 60°
        {0.5f, 1.2f, 0.1f, 0, 90, 0.05},                     // the 0.5 x 0.1 side facing 0°
        {0.5f, 1.2f, 0.1f, 90, 90, 0.12},                    // the 1.2 x 0.1 side facing 90°
        {-0.2f, -0.2f, -0.2f, 17, 71, kPi * r * r},          // a sphere looks the same from everywhere
        {-0.2f, -0.2f, 0.5f, 40, 90, 0.2 * 0.5},             // vertical cylinder from the side
        {-0.2f, -0.2f, 0.5f, 40, 0, kPi * r * r},            // and from below
        {-0.2f, 1.0f, -0.2f, 90, 90, 1.0 * 0.2},             // horizontal cylinder, broadside
        {-0.2f, 1.0f, -0.2f, 0, 90, kPi * r * r},            // and end on
        {-0.2f, 1.0f, -0.2f, 0, 0, 1.0 * 0.2},               // and from below
        {-0.3f, 0, -0.3f, 0, 90, kPi * 0.15 * 0.15},          // vertical circle, face on
        {-0.3f, 0, -0.3f, 90, 90, 0},                        // and edge on
        {0, 0, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        EXPECT_NEAR(ProjectedArea(OpeningOf(row.w, row.l, row.h, 2), row.c, row.gamma), row.area, 1e-6)
            << row.w << " " << row.l << " " << row.h << " @ C" << row.c << " g" << row.gamma;
    }
}

}  // namespace
}  // namespace lumibench::diagrams
