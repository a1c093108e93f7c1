#include "photometry/floodlight.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace lumibench::photometry {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
constexpr double kBeamFraction = 0.5;
constexpr double kFieldFraction = 0.1;

using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vector Cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

int NemaType(double spread) {
    constexpr std::array<double, 7> kLowerBounds{10, 18, 29, 46, 70, 100, 130};
    int type = 0;
    for (std::size_t i = 0; i < kLowerBounds.size(); ++i) {
        if (spread >= kLowerBounds[i]) type = static_cast<int>(i) + 1;
    }
    return type;
}

FloodlightFigures Floodlight(const IntensityDistribution& distribution, std::optional<double> lampFluxLm) {
    FloodlightFigures figures;
    const bool typeC = distribution.photometricType() == 1;
    const SpreadPlane horizontal = typeC ? SpreadPlane{SpreadPlane::CPair, 0} : SpreadPlane{SpreadPlane::Horizontal, 0};
    const SpreadPlane vertical = typeC ? SpreadPlane{SpreadPlane::CPair, 90} : SpreadPlane{SpreadPlane::Vertical, 0};
    figures.horizontalBeam = PlaneSpread(distribution, horizontal, kBeamFraction);
    figures.horizontalField = PlaneSpread(distribution, horizontal, kFieldFraction);
    figures.verticalBeam = PlaneSpread(distribution, vertical, kBeamFraction);
    figures.verticalField = PlaneSpread(distribution, vertical, kFieldFraction);
    if (figures.horizontalField) figures.nemaHorizontal = NemaType(figures.horizontalField->fullAngle);
    if (figures.verticalField) figures.nemaVertical = NemaType(figures.verticalField->fullAngle);

    double peak = 0;
    for (const auto& row : distribution.values()) {
        for (const double value : row) peak = std::max(peak, value);
    }
    if (peak > 0) {
        figures.beamLumens = FluxAtOrAbove(distribution, peak * kBeamFraction);
        figures.fieldLumens = FluxAtOrAbove(distribution, peak * kFieldFraction);
    }
    if (lampFluxLm && *lampFluxLm > 0) {
        figures.beamEfficiencyPercent = 100 * figures.beamLumens / *lampFluxLm;
        figures.fieldEfficiencyPercent = 100 * figures.fieldLumens / *lampFluxLm;
    }
    return figures;
}

Direction DirectionOfPoint(int photometricType, double forward, double right, double up) {
    const double length = std::sqrt(forward * forward + right * right + up * up);
    if (length == 0) return {};
    if (photometricType == 2) {
        // Type B turns its planes about the horizontal axis through the luminaire.
        return {std::asin(std::clamp(right / length, -1.0, 1.0)) / kRadian, std::atan2(up, forward) / kRadian};
    }
    if (photometricType == 3) {
        return {std::atan2(right, forward) / kRadian, std::asin(std::clamp(up / length, -1.0, 1.0)) / kRadian};
    }
    double c = std::atan2(up, right) / kRadian;
    if (c < 0) c += 360;
    return {c, std::acos(std::clamp(forward / length, -1.0, 1.0)) / kRadian};
}

TargetIlluminance TargetPlaneIlluminance(const IntensityDistribution& distribution, const TargetPlane& plane) {
    TargetIlluminance result;
    constexpr int kMostPointsEachWay = 1000;
    const int columns = std::clamp(plane.columns, 1, kMostPointsEachWay);
    const int rows = std::clamp(plane.rows, 1, kMostPointsEachWay);
    if (!(plane.distance > 0) || !std::isfinite(plane.distance)) return result;
    auto along = [](double half, int count, int i) { return count == 1 ? 0.0 : -half + 2 * half * i / (count - 1); };
    for (int i = 0; i < columns; ++i) result.x.push_back(along(plane.halfWidth, columns, i));
    for (int j = 0; j < rows; ++j) result.y.push_back(along(plane.halfHeight, rows, j));

    // The floodlight's frame in the plane's: x towards the plane, y to the right, z up.
    const double h = plane.aimHorizontal * kRadian;
    const double v = plane.aimVertical * kRadian;
    const Vector forward{std::cos(v) * std::cos(h), std::cos(v) * std::sin(h), std::sin(v)};
    const Vector right{-std::sin(h), std::cos(h), 0};
    const Vector up = Cross(forward, right);

    auto illuminance = [&](double x, double y) {
        const Vector point{plane.distance, x, y};
        const double squared = Dot(point, point);
        const Direction direction =
            DirectionOfPoint(distribution.photometricType(), Dot(point, forward), Dot(point, right), Dot(point, up));
        // The plane's normal is the line to its centre: cos(incidence) = distance / r.
        return distribution.candela(direction) * plane.distance / (squared * std::sqrt(squared));
    };

    double sum = 0;
    bool first = true;
    for (const double y : result.y) {
        std::vector<double> row;
        for (const double x : result.x) {
            const double e = illuminance(x, y);
            row.push_back(e);
            sum += e;
            result.minimum = first ? e : std::min(result.minimum, e);
            result.maximum = first ? e : std::max(result.maximum, e);
            first = false;
        }
        result.values.push_back(std::move(row));
    }
    result.average = sum / (columns * rows);
    result.centre = illuminance(0, 0);
    return result;
}

}  // namespace lumibench::photometry
