// Indoor figures against answers worked out here from first principles, not
// from the library's own steps: the direct share of a Lambertian source's
// flux on the floor of a square room (closed-form view factors), a UGR cell
// summed luminaire by luminaire with the CIE 117 formula and Guth's position
// index under the standard conditions (H = 2 m, spacing 0.25 H, background
// E_ind / pi from an exact three-surface room), the four-luminaire spacing
// criterion solved from its closed form, and the luminaire's length axis.

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

// View factor from a small horizontal area to a parallel rectangle a x b at
// height h with one corner straight above it.
double CornerViewFactor(double a, double b, double h) {
    const double x = a / h, y = b / h;
    return (x / std::sqrt(1 + x * x) * std::atan(y / std::sqrt(1 + x * x)) +
            y / std::sqrt(1 + y * y) * std::atan(x / std::sqrt(1 + y * y))) /
           (2 * kPi);
}

// Share of a downward Lambertian source's flux that lands on the floor w x d
// at depth h, the source at (x, y) above it.
double FloorShare(double x, double y, double w, double d, double h) {
    return CornerViewFactor(x, y, h) + CornerViewFactor(w - x, y, h) + CornerViewFactor(x, d - y, h) +
           CornerViewFactor(w - x, d - y, h);
}

// View factor between two directly opposed equal rectangles w x d, h apart.
double OpposedViewFactor(double w, double d, double h) {
    const double x = w / h, y = d / h;
    const double sum = std::log(std::sqrt((1 + x * x) * (1 + y * y) / (1 + x * x + y * y))) +
                       x * std::sqrt(1 + y * y) * std::atan(x / std::sqrt(1 + y * y)) +
                       y * std::sqrt(1 + x * x) * std::atan(y / std::sqrt(1 + x * x)) - x * std::atan(x) -
                       y * std::atan(y);
    return 2 * sum / (kPi * x * y);
}

TEST(CoefficientOfUtilisation, DirectShareOfALambertianSourceMatchesViewFactors) {
    // Black room (all reflectances 0): CU is the share of the flux that falls
    // on the floor directly. Sources spread evenly over the ceiling of a square
    // room of width w at height h: RCR = 5 h (w + w) / w^2 = 10 h / w.
    const IntensityDistribution lambertian(
        testing::AnalyticRecord(1, Layout::Rotational, 1, testing::CosinePower(1, 1000, 1)));
    const std::array<double, 18> zones = TenDegreeZoneFractions(lambertian, kPi * 1000);
    for (const double rcr : {1.0, 2.5, 5.0, 8.0}) {
        SCOPED_TRACE(rcr);
        const double h = 1, w = 10 * h / rcr;
        constexpr int kSteps = 60;
        double share = 0;
        for (int i = 0; i < kSteps; ++i) {
            for (int j = 0; j < kSteps; ++j) share += FloorShare((i + 0.5) * w / kSteps, (j + 0.5) * w / kSteps, w, w, h);
        }
        share /= kSteps * kSteps;
        // The zonal multipliers fit exact geometry to within about two points
        // (they were worked out for rooms of other proportions).
        EXPECT_NEAR(CoefficientOfUtilisation(zones, rcr, {0, 0, 0}), share, 0.025);
    }
}

// Guth's position index as CIE 117 gives it, from the source's offsets T
// (across the line of sight), H (above it) and R (along it).
double PositionIndexByHand(double t, double h, double r) {
    const double tau = std::atan(std::abs(t) / h) / kRadian;        // from the vertical plane of the line of sight
    const double sigma = std::atan(std::hypot(t, h) / r) / kRadian;  // off the line of sight
    return std::exp((35.2 - 0.31889 * tau - 1.22 * std::exp(-2 * tau / 9)) * 1e-3 * sigma +
                    (21 + 0.26667 * tau - 0.002963 * tau * tau) * 1e-5 * sigma * sigma);
}

TEST(Ugr, PositionIndexFollowsGuthsFormula) {
    // Straight ahead p = 1; high above the line of sight glares less than as
    // far to the side (tau 0 versus 90 degrees at the same sigma).
    for (const auto& [t, h, r] : {std::array<double, 3>{0.5, 2, 3}, {2, 0.5, 3}, {1, 1, 1}, {3, 2, 0.5}, {0, 2, 4}}) {
        EXPECT_NEAR(GuthPositionIndex(t, h, r), PositionIndexByHand(t, h, r), 1e-9) << t << " " << h << " " << r;
    }
    EXPECT_GT(PositionIndexByHand(0.01, 2, 2), PositionIndexByHand(2, 0.01, 2));
}

TEST(Ugr, CellSummedByHandUnderTheStandardConditions) {
    // A Lambertian disc (1000 cd at nadir, 0.3 m across) is equally bright
    // from every side: L = I0 / A and w = A cos(gamma) / d^2.
    PhotometricRecord record = testing::AnalyticRecord(1, Layout::Rotational, 1, testing::CosinePower(1, 1000, 1));
    record.Width = record.Length = -0.3f;
    const double area = kPi * 0.15 * 0.15;
    const double i0 = 1000;
    const auto table = UgrTabular(IntensityDistribution(record), record);
    ASSERT_TRUE(table);
    constexpr double kH = 2;        // luminaires above the eye
    constexpr double kStep = 0.5;   // 0.25 H
    for (const std::size_t room : {0u, 3u, 13u}) {  // 2H x 2H, 2H x 6H, 8H x 6H
        const double w = table->rooms[room].x * kH, d = table->rooms[room].y * kH;
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(d));
        double glare = 0, direct = 0;
        int count = 0;
        for (double t = kStep / 2 - w / 2; t < w / 2; t += kStep) {
            for (double r = kStep / 2; r < d; r += kStep) {
                const double d2 = t * t + r * r + kH * kH;
                const double cosGamma = kH / std::sqrt(d2);
                const double p = PositionIndexByHand(t, kH, r);
                glare += (i0 / area) * (i0 / area) * (area * cosGamma / d2) / (p * p);
                direct += FloorShare(t + w / 2, r, w, d, kH);
                ++count;
            }
        }
        // Background: indirect illuminance on the walls of the room between the
        // luminaires' plane and the eye's, floor and ceiling cavities as planes.
        const double flux = count * kPi * i0;
        const double toFloor = flux * direct / count, toWalls = flux - toFloor;
        const double fcf = OpposedViewFactor(w, d, kH), floorArea = w * d, wallArea = 2 * kH * (w + d);
        const double fwf = floorArea * (1 - fcf) / wallArea;  // wall to floor, and to ceiling
        for (std::size_t column = 0; column < table->columns.size(); ++column) {
            const Reflectances& ref = table->columns[column];
            const double rc = ref.ceiling / 100.0, rw = ref.walls / 100.0, rf = ref.floor / 100.0;
            // Incident flux on floor, ceiling and walls, solved by repeated bounces.
            double floorIn = toFloor, ceilingIn = 0, wallsIn = toWalls;
            for (int bounce = 0; bounce < 500; ++bounce) {
                const double f = toFloor + rc * ceilingIn * fcf + rw * wallsIn * fwf;
                const double c = rf * floorIn * fcf + rw * wallsIn * fwf;
                const double wl = toWalls + (rf * floorIn + rc * ceilingIn) * (1 - fcf) + rw * wallsIn * (1 - 2 * fwf);
                floorIn = f, ceilingIn = c, wallsIn = wl;
            }
            const double background = (wallsIn - toWalls) / wallArea / kPi;
            const double ugr = 8 * std::log10(0.25 / background * glare);
            EXPECT_NEAR(table->crosswise[room][column], ugr, 0.3) << ref.ceiling << "/" << ref.walls;
            EXPECT_NEAR(table->endwise[room][column], ugr, 0.3) << ref.ceiling << "/" << ref.walls;
        }
    }
}

TEST(SpacingCriterion, FourLuminairesSolvedFromTheirClosedForm) {
    // I0 cos(gamma) at height 1 gives E = I0 / (1 + s^2)^2 at offset s. Centre
    // of the square: four at s / sqrt 2; below one: itself, two at s, one at s sqrt 2.
    auto e = [](double s) { return 1 / ((1 + s * s) * (1 + s * s)); };
    auto margin = [&](double s) { return 4 * e(s / std::sqrt(2.0)) - 1 - 2 * e(s) - e(s * std::sqrt(2.0)); };
    double inside = 0.5, outside = 3;
    for (int i = 0; i < 60; ++i) (margin((inside + outside) / 2) >= 0 ? inside : outside) = (inside + outside) / 2;
    const SpacingCriterion sc =
        SpacingCriteria(IntensityDistribution(testing::AnalyticRecord(1, Layout::Full, 0.5, testing::CosinePower(1, 1000, 1))));
    ASSERT_TRUE(sc.diagonal);
    EXPECT_NEAR(*sc.diagonal, inside, 0.01);
    EXPECT_GT(*sc.diagonal, *sc.plane0);  // the four share the work: they may stand wider
}

TEST(LengthAxis, FollowsTheSourceFormatAndTurnsWithTheData) {
    // Wider across C0 than along C90, and a long narrow opening along C0.
    auto oval = [](double turn) {
        return [turn](double c, double g) {
            const double spread = 1 + 0.6 * std::pow(std::cos((c - turn) * kRadian), 2);
            return g >= 90 ? 0.0 : 1000 * std::pow(std::cos(g * kRadian), 2 / spread);
        };
    };
    PhotometricRecord record = testing::AnalyticRecord(1, Layout::Full, 5, oval(0));
    record.Length = 1.2f;
    record.Width = 0.1f;
    record.Height = 0.05f;
    record.Filename = "/data/linear.ies";
    EXPECT_EQ(LengthAxisOf(record), LengthAxis::C0C180);
    // The same luminaire as European data: turned a quarter, its length along C90.
    PhotometricRecord european = testing::AnalyticRecord(1, Layout::Full, 5, oval(90));
    european.Length = record.Length;
    european.Width = record.Width;
    european.Height = record.Height;
    european.Filename = "/data/linear.LDT";
    EXPECT_EQ(LengthAxisOf(european), LengthAxis::C90C270);
    european.Filename = "x.cib";
    EXPECT_EQ(LengthAxisOf(european), LengthAxis::C90C270);
    // Seen along its length the opening shows its end, across it its side.
    EXPECT_NEAR(ProjectedArea(record, {0, 90}, LengthAxis::C0C180), 0.1 * 0.05, 1e-6);
    EXPECT_NEAR(ProjectedArea(record, {0, 90}, LengthAxis::C90C270), 1.2 * 0.05, 1e-6);
    const auto ies = UgrTabular(IntensityDistribution(record), record);
    const auto ldt = UgrTabular(IntensityDistribution(european), european);
    ASSERT_TRUE(ies && ldt);
    double largestGap = 0;
    for (std::size_t i = 0; i < ies->rooms.size(); ++i) {
        for (std::size_t j = 0; j < ies->columns.size(); ++j) {
            EXPECT_NEAR(ies->crosswise[i][j], ldt->crosswise[i][j], 1e-6);
            EXPECT_NEAR(ies->endwise[i][j], ldt->endwise[i][j], 1e-6);
            largestGap = std::max(largestGap, std::abs(ies->crosswise[i][j] - ies->endwise[i][j]));
        }
    }
    EXPECT_GT(largestGap, 0.5);  // the two columns do differ for this luminaire
}

}  // namespace
}  // namespace lumibench::photometry
