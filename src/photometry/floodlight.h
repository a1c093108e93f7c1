#pragma once
// Floodlight figures: beam (50 %) and field (10 %) spreads in the horizontal and
// vertical planes, the NEMA beam type of each, the lumens inside the beam and
// the field, and the illuminance a floodlight casts on a target plane.

#include <optional>
#include <vector>

#include "photometry/photometry.h"

namespace lumibench::photometry {

// NEMA beam type of a spread measured at 10 % of the maximum intensity:
// 1 (10 to under 18 degrees), 2 (18-29), 3 (29-46), 4 (46-70), 5 (70-100),
// 6 (100-130), 7 (130 and wider); 0 below 10 degrees.
int NemaType(double fieldSpreadDegrees);

struct FloodlightFigures {
    // Type B and A: the horizontal (V = 0) and vertical (H = 0) planes; type C:
    // the C0-C180 pair stands for horizontal and the C90-C270 pair for vertical.
    std::optional<Spread> horizontalBeam, horizontalField, verticalBeam, verticalField;
    int nemaHorizontal = 0;  // 0 where the field spread is unknown
    int nemaVertical = 0;
    double beamLumens = 0;   // flux of the directions at or above 50 % of the maximum
    double fieldLumens = 0;  // ... at or above 10 %
    std::optional<double> beamEfficiencyPercent;   // beam lumens / lamp lumens; absent for absolute photometry
    std::optional<double> fieldEfficiencyPercent;
};

FloodlightFigures Floodlight(const IntensityDistribution& distribution, std::optional<double> lampFluxLm);

// A target plane square to the line from the floodlight to its centre, at
// `distance`; the floodlight's axis is turned from that line by `aimHorizontal`
// (to the right) and `aimVertical` (up), in degrees. Illuminance is in lux for
// lengths in metres, footcandles for feet.
struct TargetPlane {
    double distance = 10;
    double aimHorizontal = 0;
    double aimVertical = 0;
    double halfWidth = 5;   // the plane spans -halfWidth..halfWidth to the right
    double halfHeight = 5;  // and -halfHeight..halfHeight upwards
    int columns = 11;       // grid points across, both edges included
    int rows = 11;
};

struct TargetIlluminance {
    std::vector<double> x;                   // column positions on the plane
    std::vector<double> y;                   // row positions
    std::vector<std::vector<double>> values; // values[row][column]
    double centre = 0;
    double average = 0;
    double minimum = 0;
    double maximum = 0;
};

// Direction, in the distribution's own angles, of a point given in the
// floodlight's frame: `forward` along its axis, `right` and `up` across it.
// Type C: gamma from the axis, C0 towards right, C90 towards up.
Direction DirectionOfPoint(int photometricType, double forward, double right, double up);

TargetIlluminance TargetPlaneIlluminance(const IntensityDistribution& distribution, const TargetPlane& plane);

}  // namespace lumibench::photometry
