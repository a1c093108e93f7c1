#pragma once
// Type C planes around the whole circle, and the symmetries a stored range
// of horizontal angles can state: the pieces the record transform turns,
// mirrors and folds back.

#include <string>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench::photometry {

struct CPlane {
    double angle = 0;  // degrees, 0 <= angle < 360
    std::vector<double> values;
};

// One plane; 0-90; 0-180; 90-270; 0-360; any other range.
enum class PlaneSymmetry { Rotational, Quadrant, Bilateral0, Bilateral90, Full, Other };

PlaneSymmetry StoredSymmetry(const PhotometricRecord& record);

// The record's planes expanded by its symmetry to 0 <= C < 360, values as
// stored (the candela multiplier not applied). A C360 plane that differs
// from C0 is dropped with a note.
std::vector<CPlane> FullCircle(const PhotometricRecord& record, std::vector<std::string>& notes);

// Angle in [0, 360), rounded to a millionth of a degree so that turned
// angles compare exactly.
double NormalisedAngle(double degrees);

// Whether the circle can be stored with `symmetry`: each plane's mirror image
// is a plane with the same values, and the range's end planes exist.
bool SymmetryHolds(const std::vector<CPlane>& circle, PlaneSymmetry symmetry);

// The planes `symmetry` stores, in ascending order; Full ends with C360 = C0.
std::vector<CPlane> FoldedPlanes(const std::vector<CPlane>& circle, PlaneSymmetry symmetry);

}  // namespace lumibench::photometry
