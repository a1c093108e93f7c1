#include "diagrams/polar_geometry.h"

#include <cmath>
#include <numbers>

namespace lumibench::diagrams {
namespace {
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
}

UnitPoint PolarToUnit(double signedAngleDeg, double value, double maxValue) {
    if (!(maxValue > 0) || !(value > 0)) return {};
    const double r = value / maxValue;
    const double a = signedAngleDeg * kRadiansPerDegree;
    return {r * std::sin(a), -r * std::cos(a)};
}

PolarValue UnitToPolar(UnitPoint point, double maxValue) {
    const double r = std::hypot(point.x, point.y);
    if (r == 0) return {0, 0};
    return {std::atan2(point.x, -point.y) / kRadiansPerDegree, r * maxValue};
}

std::vector<double> PolarSpokeAngles(double stepDeg) {
    std::vector<double> angles;
    if (!(stepDeg > 0)) return angles;
    const int n = static_cast<int>(std::floor(180 / stepDeg + 1e-9));
    for (int i = -n; i <= n; ++i) {
        const double a = i * stepDeg;
        if (a == -180) continue;  // the same spoke as +180
        angles.push_back(a);
    }
    return angles;
}

}  // namespace lumibench::diagrams
