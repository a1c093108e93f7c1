#pragma once
// Records written from analytic light distributions, in every layout of
// horizontal angles a file may use, for tests that know the right answer.

#include <functional>
#include <string>

#include "model/photometric_record.h"

namespace lumibench::testing {

// The stored horizontal range, which is how a record states its symmetry.
enum class Layout {
    Rotational,     // type C, one plane
    Quadrant,       // type C, 0-90
    Bilateral0,     // type C, 0-180
    Bilateral90,    // type C, 90-270
    Full,           // type C, 0-360
    BLateral,       // type B or A, H 0..90
    BFull,          // type B or A, H -90..90
};

std::string LayoutName(Layout layout);

// Candela at (horizontal, vertical) in the record's own angles.
using Distribution = std::function<double(double horizontal, double vertical)>;

// Type C: gamma 0..180 at `step`; types B and A: V -90..90 (or `firstVertical`..90).
PhotometricRecord AnalyticRecord(int photometricType, Layout layout, double step, const Distribution& candela,
                                 double firstVertical = -90, double lastVertical = 90);

// Angle in degrees between a direction and the luminaire's axis (type C:
// the nadir; types B and A: H = 0, V = 0).
double AxisAngle(int photometricType, double horizontal, double vertical);

// Distributions about the axis.
Distribution Isotropic(double candela);
Distribution CosinePower(int photometricType, double peak, double power);  // power 1 = Lambertian

}  // namespace lumibench::testing

namespace lumibench::testing {

// The record as an LM-63-2002 file (CR LF line ends, plain decimals), so
// programs can be run on it.
std::string IesText(const PhotometricRecord& record);

}  // namespace lumibench::testing
