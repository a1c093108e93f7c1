#pragma once
// The polar diagram's geometry, as lighting catalogues draw it: the luminaire
// at the centre, nadir (0°) straight down, zenith (180°) straight up, one
// half-plane on the right and its opposite half-plane on the left. Angles are
// signed: positive on the right, negative on the left, so one curve runs from
// -180 over 0 to +180 without a jump.

#include <vector>

namespace lumibench::diagrams {

// A point of the unit frame: centre (0, 0), radius 1 = the scale's maximum,
// y pointing up (screen painters flip it).
struct UnitPoint {
    double x = 0;
    double y = 0;
};

// Where `value` at `signedAngleDeg` lands when `maxValue` sits on the unit
// circle. Values below zero are drawn at the centre.
UnitPoint PolarToUnit(double signedAngleDeg, double value, double maxValue);

// The inverse: signed angle (-180..180, 0 = nadir) and value of a unit point.
struct PolarValue {
    double signedAngleDeg = 0;
    double value = 0;
};
PolarValue UnitToPolar(UnitPoint point, double maxValue);

// The angles that get a spoke and a label: every `step` degrees from 0 to 180
// on both sides (0 and 180 once each).
std::vector<double> PolarSpokeAngles(double stepDeg);

}  // namespace lumibench::diagrams
