// Symmetry expansion, interpolation and the summary's figures on records whose
// answers follow from the distribution's formula.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analytic_records.h"
#include "photometry/photometry.h"

namespace lumibench::photometry {
namespace {

using testing::Layout;
constexpr double kPi = std::numbers::pi;
constexpr double kRadian = kPi / 180;

struct SymmetryCase {
    int type;
    Layout layout;
    double firstVertical;
    testing::Distribution candela;  // has the symmetry the layout states
};

double Sin(double degrees) { return std::sin(degrees * kRadian); }
double Cos(double degrees) { return std::cos(degrees * kRadian); }

class SymmetryExpansion : public ::testing::TestWithParam<SymmetryCase> {};

TEST_P(SymmetryExpansion, EveryDirectionMatchesTheFormula) {
    const SymmetryCase& c = GetParam();
    const PhotometricRecord record = testing::AnalyticRecord(c.type, c.layout, 10, c.candela, c.firstVertical);
    const IntensityDistribution distribution(record);
    const double hFirst = c.type == 1 ? 0 : -90;
    const double hLast = c.type == 1 ? 360 : 90;
    const double vFirst = c.type == 1 ? 0 : -90;
    const double vLast = c.type == 1 ? 180 : 90;
    for (double h = hFirst; h <= hLast; h += 10) {
        for (double v = vFirst; v <= vLast; v += 10) {
            ASSERT_NEAR(distribution.candela({h, v}), c.candela(h, v), 1e-9) << "at " << h << ", " << v;
        }
    }
    EXPECT_EQ(distribution.horizontalAngles().front(), hFirst);
    EXPECT_EQ(distribution.horizontalAngles().back(), hLast);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SymmetryExpansion,
    ::testing::Values(SymmetryCase{1, Layout::Rotational, 0, [](double, double g) { return 100 + 50 * Sin(g); }},
                      SymmetryCase{1, Layout::Quadrant, 0,
                                   [](double c, double g) { return 100 + 50 * Cos(2 * c) * Sin(g); }},
                      SymmetryCase{1, Layout::Bilateral0, 0, [](double c, double g) { return 100 + 50 * Cos(c) * Sin(g); }},
                      SymmetryCase{1, Layout::Bilateral90, 0, [](double c, double g) { return 100 + 50 * Sin(c) * Sin(g); }},
                      SymmetryCase{1, Layout::Full, 0, [](double c, double g) { return 100 + 50 * Cos(c - 30) * Sin(g); }},
                      SymmetryCase{2, Layout::BLateral, -90, [](double h, double v) { return 100 + h * h / 100 + v; }},
                      SymmetryCase{2, Layout::BFull, 0, [](double h, double v) { return 100 + h + v * v / 100; }},
                      SymmetryCase{3, Layout::BLateral, 0, [](double h, double v) { return 100 + h * h / 100 + v * v / 50; }}),
    [](const auto& row) { return "Type" + std::to_string(row.param.type) + testing::LayoutName(row.param.layout); });

TEST(Interpolation, IsBilinearBetweenStoredAnglesAndDarkOutsideTheMeasuredRange) {
    // A field linear in both angles is reproduced exactly between the stored ones.
    const auto linear = [](double c, double g) { return c + 2 * g; };
    const IntensityDistribution full(testing::AnalyticRecord(1, Layout::Full, 10, linear));
    EXPECT_NEAR(full.candela({12.5, 33.3}), 12.5 + 66.6, 1e-9);
    EXPECT_NEAR(full.candela({355, 175}), 355 + 350, 1e-9);
    // Gamma beyond 180 continues over the pole into the opposite plane.
    EXPECT_NEAR(full.candela({10, 190}), 190 + 340, 1e-9);

    PhotometricRecord half = testing::AnalyticRecord(1, Layout::Rotational, 10, testing::Isotropic(5));
    half.VertAngles.resize(10);  // 0..90 only
    half.Candela[0].resize(10);
    half.VertAngleCount = 10;
    half.CandelaMultiplier = 2;
    const IntensityDistribution lower(half);
    EXPECT_DOUBLE_EQ(lower.candela({123, 45}), 10);
    EXPECT_DOUBLE_EQ(lower.candela({123, 95}), 0);
    EXPECT_NEAR(TotalFlux(lower), 2 * kPi * 10, 1e-9);
    EXPECT_NEAR(UpwardFlux(lower), 0, 1e-12);
}

class LambertianSummary : public ::testing::TestWithParam<int> {};

TEST_P(LambertianSummary, ZonesAndFluxCodeFollowSinSquared) {
    // Flux of I0 cos(a) within a of its axis is pi I0 sin^2(a), whatever the
    // axis: nadir for type C, the aiming axis for types B and A (where the
    // axis is horizontal, so half the light goes down).
    const int type = GetParam();
    PhotometricRecord record = testing::AnalyticRecord(type, type == 1 ? Layout::Quadrant : Layout::BFull, 2.5,
                                                       testing::CosinePower(type, 1000, 1));
    record.LampCount = 2;
    record.LumensPerLamp = 2000;
    record.InputWatts = 40;
    record.BallastFactor = 0.9f;
    const Summary summary = Summarise(record);
    const double total = kPi * 1000;
    EXPECT_NEAR(summary.luminaireFluxLm, total, total * 0.001);
    EXPECT_NEAR(*summary.lampFluxLm, 4000, 1e-9);
    EXPECT_NEAR(*summary.lorPercent, 100 * total / 4000, 0.1);
    EXPECT_NEAR(*summary.dlorPercent, *summary.lorPercent / (type == 1 ? 1 : 2), 0.05);
    EXPECT_NEAR(*summary.dlorPercent + *summary.ulorPercent, *summary.lorPercent, 1e-9);
    // The ballast factor multiplies no figure, efficacy included.
    EXPECT_NEAR(*summary.efficacyLmPerW, total / 40, total * 0.001 / 40);
    ASSERT_EQ(summary.zonalLumens.size(), 9u);
    for (const ZonalLumens& zone : summary.zonalLumens) {
        SCOPED_TRACE(std::to_string(zone.from) + "-" + std::to_string(zone.to));
        const double to = std::min(zone.to, 90.0);
        const double from = std::min(zone.from, 90.0);
        const double expected = total * (std::pow(Sin(to), 2) - std::pow(Sin(from), 2));
        EXPECT_NEAR(zone.lm, expected, 0.003 * total);
        EXPECT_NEAR(*zone.percentLamp, 100 * zone.lm / 4000, 1e-9);
        EXPECT_NEAR(zone.percentLuminaire, 100 * zone.lm / summary.luminaireFluxLm, 1e-9);
    }
    EXPECT_NEAR(summary.cieFluxCode[0], 43.75, 0.3);
    EXPECT_NEAR(summary.cieFluxCode[1], 75, 0.3);
    EXPECT_NEAR(summary.cieFluxCode[2], 93.75, 0.3);
    EXPECT_NEAR(summary.cieFluxCode[3], 100, 0.01);
    EXPECT_NEAR(summary.cieFluxCode[4], *summary.lorPercent, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Types, LambertianSummary, ::testing::Values(1, 2, 3));

TEST(SummaryFigures, IsotropicAbsolutePhotometryHasNoLampFigures) {
    // Cones of an isotropic source hold flux in proportion to 1 - cos(a).
    PhotometricRecord record = testing::AnalyticRecord(1, Layout::Full, 5, testing::Isotropic(100));
    record.LumensPerLamp = -1;
    const Summary summary = Summarise(record);
    EXPECT_FALSE(summary.lampFluxLm);
    EXPECT_FALSE(summary.lorPercent);
    EXPECT_FALSE(summary.dlorPercent);
    EXPECT_FALSE(summary.efficacyLmPerW);
    EXPECT_FALSE(summary.zonalLumens[0].percentLamp);
    EXPECT_NEAR(summary.downwardFluxLm, 2 * kPi * 100, 0.2);
    EXPECT_NEAR(summary.upwardFluxLm, 2 * kPi * 100, 0.2);
    EXPECT_NEAR(summary.cieFluxCode[0], 25, 0.2);
    EXPECT_NEAR(summary.cieFluxCode[1], 50, 0.2);
    EXPECT_NEAR(summary.cieFluxCode[2], 75, 0.2);
    EXPECT_NEAR(summary.cieFluxCode[3], 50, 0.01);
    EXPECT_EQ(summary.cieFluxCode[4], 100);
    // An even source has no beam: the intensity never falls to half.
    EXPECT_FALSE(summary.beamAngles[0].degrees);
    EXPECT_FALSE(summary.fieldAngles[1].degrees);
}

TEST(SummaryFigures, MaximumAndItsDirection) {
    const PhotometricRecord record =
        testing::AnalyticRecord(1, Layout::Full, 10, [](double c, double g) { return 100 + 50 * Cos(c - 30) * Sin(g); });
    const Summary summary = Summarise(record);
    EXPECT_DOUBLE_EQ(summary.maxIntensityCd, 150);
    EXPECT_EQ(summary.maxIntensityDirection.horizontal, 30);
    EXPECT_EQ(summary.maxIntensityDirection.vertical, 90);
}

TEST(SummaryFigures, BrokenRecordsGiveZerosInsteadOfCrashing) {
    PhotometricRecord empty;
    EXPECT_EQ(Summarise(empty).luminaireFluxLm, 0);

    PhotometricRecord ragged = testing::AnalyticRecord(1, Layout::Quadrant, 10, testing::Isotropic(1));
    ragged.Candela[3].resize(2);   // a row shorter than the vertical angles
    ragged.HorAngleCount = 40;      // more than stored
    ragged.VertAngleCount = -5;     // nonsense
    const Summary summary = Summarise(ragged);
    EXPECT_EQ(summary.luminaireFluxLm, 0);
    EXPECT_FALSE(summary.beamAngles.empty());
}

}  // namespace
}  // namespace lumibench::photometry
