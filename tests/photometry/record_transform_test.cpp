// The record transform against answers known without it: where a single
// bright direction must land, flux that a turn or mirror cannot change,
// Lambertian and isotropic flux, and the symmetry each layout must end in.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analytic_records.h"
#include "photometry/photometry.h"
#include "photometry/record_transform.h"

namespace lumibench::photometry {
namespace {

using testing::AnalyticRecord;
using testing::Layout;

constexpr double kRadian = std::numbers::pi / 180.0;

PhotometricRecord Transformed(const PhotometricRecord& record, const RecordTransform& transform) {
    const TransformOutcome outcome = TransformRecord(record, transform);
    EXPECT_TRUE(outcome.record) << outcome.refusal;
    return outcome.record.value_or(record);
}

// Transforms of one step each; combined ones set further fields.
RecordTransform Turn(double degrees) {
    RecordTransform transform;
    transform.rotateDegrees = degrees;
    return transform;
}
RecordTransform Mirror(MirrorPlane plane) {
    RecordTransform transform;
    transform.mirror = plane;
    return transform;
}
RecordTransform Lumens(double lumens, PhotometryKind kind = PhotometryKind::Keep) {
    RecordTransform transform;
    transform.lampLumens = lumens;
    transform.photometry = kind;
    return transform;
}
RecordTransform Kind(PhotometryKind kind) {
    RecordTransform transform;
    transform.photometry = kind;
    return transform;
}
RecordTransform Units(LengthUnit unit) {
    RecordTransform transform;
    transform.units = unit;
    return transform;
}

double Flux(const PhotometricRecord& record) { return TotalFlux(IntensityDistribution(record)); }

// A road-like throw toward C70 below the horizontal: no symmetry at all.
double Asymmetric(double c, double gamma) {
    return gamma >= 90 ? 0 : 500 * std::cos(gamma * kRadian) * (1 + 0.8 * std::cos((c - 70) * kRadian));
}

TEST(RecordTransform, ASinglePeakMovesWhereItMust) {
    // One bright direction at C30, gamma 60 in a full table of 5 degree steps.
    const PhotometricRecord record = AnalyticRecord(1, Layout::Full, 5, [](double c, double gamma) {
        return std::abs(c - 30) < 0.01 && std::abs(gamma - 60) < 0.01 ? 1000.0 : 10.0;
    });
    struct Row {
        RecordTransform transform;
        double peakAt;
    };
    const Row rows[] = {
        {Turn(90), 120}, {Turn(270), 300}, {Turn(-90), 300}, {Turn(180), 210}, {Turn(335), 5}, {Turn(450), 120},
        {Mirror(MirrorPlane::C0C180), 330}, {Mirror(MirrorPlane::C90C270), 150},
        // Turned first, then mirrored: C30 -> C120 -> C240.
        {[] {
             RecordTransform both = Turn(90);
             both.mirror = MirrorPlane::C0C180;
             return both;
         }(),
         240},
    };
    for (const Row& row : rows) {
        const IntensityDistribution turned(Transformed(record, row.transform));
        SCOPED_TRACE(row.peakAt);
        EXPECT_DOUBLE_EQ(turned.candela({row.peakAt, 60}), 1000);
        EXPECT_DOUBLE_EQ(turned.candela({30, 60}), row.peakAt == 30 ? 1000 : 10);
    }
}

TEST(RecordTransform, TurnsAndMirrorsKeepTheFlux) {
    for (Layout layout : {Layout::Full, Layout::Bilateral0, Layout::Bilateral90, Layout::Quadrant}) {
        // Folded into each layout's range, the distribution is what that layout states.
        const PhotometricRecord record = AnalyticRecord(1, layout, 5, [layout](double c, double gamma) {
            if (layout == Layout::Bilateral0) return Asymmetric(std::abs(c > 180 ? 360 - c : c), gamma);
            if (layout == Layout::Quadrant) return Asymmetric(c * 0.5, gamma);
            return Asymmetric(c, gamma);
        });
        const double flux = Flux(record);
        for (const RecordTransform& transform : {Turn(90), Turn(180), Turn(270), Turn(45), Turn(-15),
                                                 Mirror(MirrorPlane::C0C180), Mirror(MirrorPlane::C90C270)}) {
            EXPECT_NEAR(Flux(Transformed(record, transform)), flux, 1e-9 * flux)
                << testing::LayoutName(layout) << " " << transform.rotateDegrees;
        }
        // Off the grid, C0 is interpolated: the flux stays within the grid's own error.
        EXPECT_NEAR(Flux(Transformed(record, Turn(37))), flux, 0.005 * flux) << testing::LayoutName(layout);
    }
}

TEST(RecordTransform, FourQuarterTurnsGiveBackTheSameRecord) {
    const std::pair<Layout, testing::Distribution> rows[] = {
        {Layout::Rotational, [](double, double g) { return 100 + g; }},
        {Layout::Quadrant, [](double c, double g) { return (100 + 50 * std::cos(2 * c * kRadian)) * (1 + g / 180); }},
        {Layout::Bilateral0, [](double c, double g) { return (100 + 40 * std::cos(c * kRadian)) * (1 + g / 180); }},
        {Layout::Bilateral90, [](double c, double g) { return (100 + 40 * std::sin(c * kRadian)) * (1 + g / 180); }},
        {Layout::Full, [](double c, double g) { return Asymmetric(c, g); }},
    };
    for (const auto& [layout, candela] : rows) {
        PhotometricRecord record = AnalyticRecord(1, layout, 7.5, candela);
        record.Width = 0.2f;
        record.Length = 0.6f;
        PhotometricRecord turned = record;
        for (int i = 0; i < 4; ++i) turned = Transformed(turned, Turn(90));
        EXPECT_EQ(turned, record) << testing::LayoutName(layout);
        // Mirrored twice about the same plane is the same record too.
        EXPECT_EQ(Transformed(Transformed(record, Mirror(MirrorPlane::C90C270)), Mirror(MirrorPlane::C90C270)), record)
            << testing::LayoutName(layout);
    }
}

TEST(RecordTransform, ABrokenSymmetryExpandsToTheSmallestThatHolds) {
    auto bilateral0 = [](double c, double g) { return (100 + 40 * std::cos(c * kRadian)) * (1 + g / 180); };
    auto quadrant = [](double c, double g) { return (100 + 50 * std::cos(2 * c * kRadian)) * (1 + g / 180); };
    struct Row {
        Layout layout;
        testing::Distribution candela;
        RecordTransform transform;
        const char* before;
        const char* after;
    };
    const Row rows[] = {
        {Layout::Bilateral0, bilateral0, Turn(90), "0-180", "90-270"},
        {Layout::Bilateral0, bilateral0, Turn(180), "0-180", "0-180"},
        {Layout::Bilateral0, bilateral0, Turn(30), "0-180", "0-360"},
        {Layout::Bilateral0, bilateral0, Mirror(MirrorPlane::C90C270), "0-180", "0-180"},
        {Layout::Quadrant, quadrant, Turn(90), "0-90", "0-90"},
        {Layout::Quadrant, quadrant, Turn(45), "0-90", "0-360"},
        {Layout::Rotational, testing::Isotropic(50), Turn(33), "rotational", "rotational"},
        // Stored in full though symmetric: the layout it had still holds and is kept.
        {Layout::Full, bilateral0, Turn(90), "0-360", "0-360"},
    };
    for (const Row& row : rows) {
        const PhotometricRecord record = AnalyticRecord(1, row.layout, 5, row.candela);
        ASSERT_EQ(SymmetryName(record), row.before);
        const PhotometricRecord result = Transformed(record, row.transform);
        EXPECT_EQ(SymmetryName(result), row.after) << row.before << " by " << row.transform.rotateDegrees;
        // Every direction carries what the source has at its preimage.
        const IntensityDistribution source(record);
        const IntensityDistribution target(result);
        for (double c = 0; c < 360; c += 15) {
            double from = row.transform.mirror == MirrorPlane::C90C270 ? 180 - c : c - row.transform.rotateDegrees;
            from = std::fmod(from + 720, 360);
            EXPECT_NEAR(target.candela({c, 40}), source.candela({from, 40}), 1e-9) << c;
        }
    }
}

TEST(RecordTransform, TypeBTakesOnlyWhatIsDefinedForIt) {
    const PhotometricRecord record = AnalyticRecord(2, Layout::BFull, 5, testing::CosinePower(2, 1000, 4));
    for (const RecordTransform& transform : {Turn(90), Mirror(MirrorPlane::C0C180)}) {
        const TransformOutcome outcome = TransformRecord(record, transform);
        EXPECT_FALSE(outcome.record);
        EXPECT_EQ(outcome.refusal,
                  "Turning and mirroring are defined for type C data (C planes about the vertical axis); this data "
                  "set is type B.");
    }
    RecordTransform scaleAndFeet = Lumens(4000);
    scaleAndFeet.units = LengthUnit::Feet;
    const PhotometricRecord scaled = Transformed(record, scaleAndFeet);
    EXPECT_NEAR(Flux(scaled), 4 * Flux(record), 1e-9 * Flux(scaled));
    EXPECT_EQ(scaled.UnitsType, 1);
}

TEST(RecordTransform, LampFluxAndAbsolutePhotometry) {
    // Lambertian, 1000 cd at nadir: pi x 1000 lm (within the 5 degree grid's error).
    PhotometricRecord record = AnalyticRecord(1, Layout::Rotational, 5, testing::CosinePower(1, 1000, 1));
    record.LampCount = 2;
    record.LumensPerLamp = 2500;

    const PhotometricRecord scaled = Transformed(record, Lumens(10000));
    EXPECT_FLOAT_EQ(scaled.LumensPerLamp, 5000);
    EXPECT_DOUBLE_EQ(scaled.Candela[0][0], 2000);

    const PhotometricRecord absolute = Transformed(record, Kind(PhotometryKind::Absolute));
    EXPECT_EQ(absolute.LumensPerLamp, -1);
    EXPECT_EQ(absolute.Candela, record.Candela);
    EXPECT_EQ(TransformRecord(absolute, Lumens(500)).refusal,
              "Absolute photometry has no lamp flux to scale: make it relative first.");

    // Back to relative, the lamps give the luminaire flux: LOR 100 %.
    const TransformOutcome relative = TransformRecord(absolute, Kind(PhotometryKind::Relative));
    ASSERT_TRUE(relative.record);
    EXPECT_NEAR(relative.record->LampCount * relative.record->LumensPerLamp, std::numbers::pi * 1000, 0.005 * 3141.6);
    EXPECT_EQ(relative.notes.size(), 1u);
    // Relative first, then scaled: the order the steps run in.
    const PhotometricRecord both =
        Transformed(absolute, Lumens(2 * std::numbers::pi * 1000, PhotometryKind::Relative));
    EXPECT_NEAR(both.Candela[0][0], 2000, 10);

    EXPECT_EQ(TransformRecord(record, Lumens(0)).refusal,
              "The lamp flux to scale to must be a positive number of lumens.");
}

TEST(RecordTransform, DimensionsFollowUnitsAndQuarterTurns) {
    PhotometricRecord record = AnalyticRecord(1, Layout::Full, 15, Asymmetric);
    record.UnitsType = 1;
    record.Width = 1;
    record.Length = 4;
    record.Height = 0.5f;
    const PhotometricRecord metres = Transformed(record, Units(LengthUnit::Metres));
    EXPECT_EQ(metres.UnitsType, 2);
    EXPECT_FLOAT_EQ(metres.Width, 0.3048f);
    EXPECT_FLOAT_EQ(metres.Length, 1.2192f);
    EXPECT_FLOAT_EQ(metres.Height, 0.1524f);
    EXPECT_FLOAT_EQ(Transformed(metres, Units(LengthUnit::Feet)).Length, 4);

    // The length lies along C0-C180: a quarter turn puts it along C90-C270.
    const PhotometricRecord turned = Transformed(record, Turn(270));
    EXPECT_EQ(turned.Width, 4);
    EXPECT_EQ(turned.Length, 1);
    const TransformOutcome odd = TransformRecord(record, Turn(20));
    ASSERT_TRUE(odd.record);
    EXPECT_EQ(odd.record->Width, 1);
    ASSERT_EQ(odd.notes.size(), 2u);
    EXPECT_EQ(odd.notes[0], "No measured plane turns onto C0: C0 and C360 are interpolated between C350 and C5.");
    EXPECT_EQ(odd.notes[1], "The luminous opening keeps its width and length: a turn of 20° is not a quarter turn.");

    record.UnitsType = 0;
    EXPECT_EQ(TransformRecord(record, Units(LengthUnit::Metres)).refusal,
              "The data set's dimensions have no unit (feet or metres) to convert from.");
}

TEST(RecordTransform, EulumdatPlaneHeightsTurnWithTheirPlanes) {
    PhotometricRecord record = AnalyticRecord(1, Layout::Full, 15, Asymmetric);
    record.Height = 0.01f;
    record.Keywords = {"[_EULUM_C0_LUM] 10", "[_EULUM_C90_LUM] 20", "[_EULUM_C180_LUM] 30", "[_EULUM_C270_LUM] 40"};
    const PhotometricRecord turned = Transformed(record, Turn(90));
    EXPECT_EQ(turned.Keywords, (std::vector<std::string>{"[_EULUM_C0_LUM] 40", "[_EULUM_C90_LUM] 10",
                                                        "[_EULUM_C180_LUM] 20", "[_EULUM_C270_LUM] 30"}));
    EXPECT_FLOAT_EQ(turned.Height, 0.04f);
    const PhotometricRecord mirrored = Transformed(record, Mirror(MirrorPlane::C90C270));
    EXPECT_EQ(mirrored.Keywords[0], "[_EULUM_C0_LUM] 30");
    EXPECT_EQ(mirrored.Keywords[1], "[_EULUM_C90_LUM] 20");
}

}  // namespace
}  // namespace lumibench::photometry
