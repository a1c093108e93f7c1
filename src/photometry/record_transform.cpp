#include "photometry/record_transform.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <sstream>

#include "photometry/photometry.h"
#include "photometry/plane_symmetry.h"

namespace lumibench::photometry {
namespace {

constexpr double kMetresPerFoot = 0.3048;

std::string Number(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

bool QuarterTurns(double degrees, int& turns) {
    const double quarters = NormalisedAngle(degrees) / 90.0;
    turns = static_cast<int>(std::lround(quarters));
    return std::abs(quarters - turns) < 1e-9;
}

// The luminous heights a EULUMDAT file gives for C0, C90, C180 and C270 stay
// with their planes; `moveTo(i)` is where the plane C(90 i) goes.
void MoveEulumdatHeights(PhotometricRecord& record, const std::function<int(int)>& moveTo) {
    static constexpr std::array<std::string_view, 4> kTags = {"[_EULUM_C0_LUM] ", "[_EULUM_C90_LUM] ",
                                                               "[_EULUM_C180_LUM] ", "[_EULUM_C270_LUM] "};
    std::array<std::string*, 4> lines{};
    for (std::string& line : record.Keywords) {
        for (std::size_t i = 0; i < kTags.size(); ++i) {
            if (line.starts_with(kTags[i])) lines[i] = &line;
        }
    }
    if (std::find(lines.begin(), lines.end(), nullptr) != lines.end()) return;
    std::array<std::string, 4> heights;
    for (int i = 0; i < 4; ++i) heights[moveTo(i)] = lines[i]->substr(kTags[i].size());
    for (int i = 0; i < 4; ++i) *lines[i] = std::string(kTags[i]) + heights[i];
    double millimetres = 0;
    const std::string& c0 = heights[0];
    const std::size_t start = c0.find_first_not_of(' ');
    if (start != std::string::npos &&
        std::from_chars(c0.data() + start, c0.data() + c0.size(), millimetres).ec == std::errc()) {
        const double metres = millimetres / 1000.0;
        record.Height = static_cast<float>(record.UnitsType == 1 ? metres / kMetresPerFoot : metres);
    }
}

// Moves every plane to `map(angle)` and stores the result with the record's
// own symmetry where it still holds, else with the most compact that does.
std::optional<std::string> MovePlanes(PhotometricRecord& record, const std::function<double(double)>& map,
                                      std::vector<std::string>& notes) {
    if (record.PhotometricType != 1) {
        return "Turning and mirroring are defined for type C data (C planes about the vertical axis); this data "
               "set is type " +
               std::string(record.PhotometricType == 2 ? "B" : "A") + ".";
    }
    // One plane stands for every direction: nothing to move.
    if (StoredSymmetry(record) == PlaneSymmetry::Rotational) return std::nullopt;
    std::vector<CPlane> circle = FullCircle(record, notes);
    if (circle.empty()) return "The data set has no candela table to turn.";
    for (CPlane& plane : circle) plane.angle = NormalisedAngle(map(plane.angle));
    std::sort(circle.begin(), circle.end(), [](const CPlane& a, const CPlane& b) { return a.angle < b.angle; });
    if (circle.front().angle > 0) {
        // No measured plane lands on C0, which every layout needs: it is
        // interpolated across the seam, as the figures read between planes.
        const CPlane& low = circle.front();
        const CPlane& high = circle.back();
        const double t = (360 - high.angle) / (low.angle + 360 - high.angle);
        CPlane seam{0, high.values};
        for (std::size_t i = 0; i < seam.values.size(); ++i) seam.values[i] += (low.values[i] - high.values[i]) * t;
        notes.push_back("No measured plane turns onto C0: C0 and C360 are interpolated between C" +
                        Number(high.angle) + " and C" + Number(low.angle) + ".");
        circle.insert(circle.begin(), std::move(seam));
    }
    PlaneSymmetry symmetry = StoredSymmetry(record);
    if (!SymmetryHolds(circle, symmetry)) {
        for (PlaneSymmetry candidate : {PlaneSymmetry::Rotational, PlaneSymmetry::Quadrant, PlaneSymmetry::Bilateral0,
                                        PlaneSymmetry::Bilateral90, PlaneSymmetry::Full}) {
            if (SymmetryHolds(circle, candidate)) {
                symmetry = candidate;
                break;
            }
        }
    }
    const std::vector<CPlane> planes = FoldedPlanes(circle, symmetry);
    record.HorAngles.clear();
    record.Candela.clear();
    for (const CPlane& plane : planes) {
        record.HorAngles.push_back(static_cast<float>(plane.angle));
        record.Candela.push_back(plane.values);
    }
    record.HorAngleCount = static_cast<std::int16_t>(planes.size());
    const std::size_t verticalCount = planes.front().values.size();
    record.VertAngles.resize(verticalCount);
    record.VertAngleCount = static_cast<std::int16_t>(verticalCount);
    record.MaxCandelaHorAngle = static_cast<float>(NormalisedAngle(map(record.MaxCandelaHorAngle)));
    return std::nullopt;
}

std::optional<std::string> Rotate(PhotometricRecord& record, double degrees, std::vector<std::string>& notes) {
    if (!std::isfinite(degrees)) return "The angle to turn by must be a number of degrees.";
    if (auto refusal = MovePlanes(record, [degrees](double c) { return c + degrees; }, notes)) return refusal;
    int turns = 0;
    if (QuarterTurns(degrees, turns)) {
        // The opening turns with the light: its length lies along C0-C180.
        if (turns % 2 == 1) std::swap(record.Width, record.Length);
        MoveEulumdatHeights(record, [turns](int i) { return (i + turns) % 4; });
    } else if (record.Width != record.Length) {
        notes.push_back("The luminous opening keeps its width and length: a turn of " + Number(degrees) +
                        "° is not a quarter turn.");
    }
    return std::nullopt;
}

std::optional<std::string> Mirror(PhotometricRecord& record, MirrorPlane plane, std::vector<std::string>& notes) {
    const double axis = plane == MirrorPlane::C0C180 ? 0 : 90;
    if (auto refusal = MovePlanes(record, [axis](double c) { return 2 * axis - c; }, notes)) return refusal;
    const int shift = plane == MirrorPlane::C0C180 ? 4 : 2;
    MoveEulumdatHeights(record, [shift](int i) { return (shift - i + 4) % 4; });
    return std::nullopt;
}

std::optional<std::string> MakeRelative(PhotometricRecord& record, std::vector<std::string>& notes) {
    if (record.LumensPerLamp != -1) return std::nullopt;
    const double flux = TotalFlux(IntensityDistribution(record));
    if (!(flux > 0)) return "The data set emits no light, so it has no flux to take as the lamp flux.";
    if (record.LampCount < 1) record.LampCount = 1;
    record.LumensPerLamp = static_cast<float>(flux / record.LampCount);
    notes.push_back("The lamp flux is taken as the luminaire flux, " + Number(std::round(flux)) +
                    " lm (light output ratio 100 %).");
    return std::nullopt;
}

std::optional<std::string> ScaleToLampFlux(PhotometricRecord& record, double lumens) {
    if (!(lumens > 0) || !std::isfinite(lumens)) return "The lamp flux to scale to must be a positive number of lumens.";
    if (record.LumensPerLamp == -1) return "Absolute photometry has no lamp flux to scale: make it relative first.";
    const std::optional<double> lampFlux = LampFlux(record);
    if (!lampFlux) return "The data set gives no lamp flux (lamps × lumens per lamp) to scale from.";
    const double factor = lumens / *lampFlux;
    for (auto& plane : record.Candela) {
        for (double& value : plane) value *= factor;
    }
    record.MaxCandela *= factor;
    record.LumensPerLamp = static_cast<float>(lumens / record.LampCount);
    return std::nullopt;
}

std::optional<std::string> ChangeUnits(PhotometricRecord& record, LengthUnit unit) {
    if (record.UnitsType != 1 && record.UnitsType != 2) {
        return "The data set's dimensions have no unit (feet or metres) to convert from.";
    }
    const std::int16_t target = unit == LengthUnit::Feet ? 1 : 2;
    if (record.UnitsType == target) return std::nullopt;
    const double factor = target == 2 ? kMetresPerFoot : 1 / kMetresPerFoot;
    for (float* length : {&record.Width, &record.Length, &record.Height}) {
        *length = static_cast<float>(*length * factor);
    }
    record.UnitsType = target;
    return std::nullopt;
}

}  // namespace

bool RecordTransform::turnsOrMirrors() const {
    // NaN stays NaN, which is not 0: a bad angle is refused, not skipped.
    return mirror != MirrorPlane::None || NormalisedAngle(rotateDegrees) != 0;
}

TransformOutcome TransformRecord(const PhotometricRecord& record, const RecordTransform& transform) {
    TransformOutcome outcome;
    PhotometricRecord result = record;
    std::optional<std::string> refusal;
    auto step = [&](auto&& run) {
        if (!refusal) refusal = run();
    };
    if (transform.photometry == PhotometryKind::Relative) step([&] { return MakeRelative(result, outcome.notes); });
    if (transform.lampLumens) step([&] { return ScaleToLampFlux(result, *transform.lampLumens); });
    if (transform.photometry == PhotometryKind::Absolute) {
        step([&]() -> std::optional<std::string> {
            result.LumensPerLamp = -1;  // the candela stay those of the luminaire as measured
            return std::nullopt;
        });
    }
    if (NormalisedAngle(transform.rotateDegrees) != 0) {
        step([&] { return Rotate(result, transform.rotateDegrees, outcome.notes); });
    }
    if (transform.mirror != MirrorPlane::None) step([&] { return Mirror(result, transform.mirror, outcome.notes); });
    if (transform.units != LengthUnit::Keep) step([&] { return ChangeUnits(result, transform.units); });
    if (refusal) {
        outcome.refusal = *refusal;
        outcome.notes.clear();
    } else {
        outcome.record = std::move(result);
    }
    return outcome;
}

std::string SymmetryName(const PhotometricRecord& record) {
    if (record.PhotometricType == 2) return "type B";
    if (record.PhotometricType == 3) return "type A";
    switch (StoredSymmetry(record)) {
        case PlaneSymmetry::Rotational: return "rotational";
        case PlaneSymmetry::Quadrant: return "0-90";
        case PlaneSymmetry::Bilateral0: return "0-180";
        case PlaneSymmetry::Bilateral90: return "90-270";
        case PlaneSymmetry::Full: return "0-360";
        case PlaneSymmetry::Other: break;
    }
    return "as measured";
}

}  // namespace lumibench::photometry
