#pragma once
// The luminous opening as the signs of a record's width, length and height
// encode it, its area seen from any direction, and the average luminance that
// follows from the intensity there.
//
// Frame: length runs along the 0°-180° photometric axis (x), width along the
// 90°-270° axis (y), height up (z).

#include <optional>
#include <string>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench::diagrams {

enum class OpeningShape {
    Point,
    Rectangular,
    RectangularWithSides,
    Circular,
    Ellipse,
    VerticalCylinder,
    VerticalEllipsoidalCylinder,
    Sphere,
    EllipsoidalSpheroid,
    HorizontalCylinderAlong,              // axis along the 0°-180° axis
    HorizontalEllipsoidalCylinderAlong,
    HorizontalCylinderPerpendicular,      // axis along the 90°-270° axis
    HorizontalEllipsoidalCylinderPerpendicular,
    VerticalCircle,                       // facing the 0° direction
    VerticalEllipse,
    Undefined,                            // a sign pattern no edition defines
};

struct LuminousOpening {
    OpeningShape shape = OpeningShape::Undefined;
    // Sizes without their signs, in metres.
    double width = 0;
    double length = 0;
    double height = 0;
};

// Reads the signs (2019 edition). A negative width with zero length and
// height is the older editions' circle of that diameter; a record in feet
// (UnitsType 1) is converted to metres.
LuminousOpening OpeningOf(float width, float length, float height, int unitsType);
LuminousOpening OpeningOf(const PhotometricRecord& record);

// "Rectangular", "Vertical cylinder", ...
std::string OpeningShapeName(OpeningShape shape);

// Area in m² seen from the direction of C plane `cDeg` and gamma `gammaDeg`
// (type C angles; gamma 0 looks up at the opening from below). Flat shapes
// show one face; bodies show their silhouette.
double ProjectedArea(const LuminousOpening& opening, double cDeg, double gammaDeg);

// Average luminance (cd/m²) at the gammas luminance limits are usually given
// for, in the C0 and C90 planes; type C records only (empty otherwise).
// Empty values where the area is zero.
struct LuminanceRow {
    double gamma = 0;
    std::optional<double> c0;
    std::optional<double> c90;
};
std::vector<LuminanceRow> AverageLuminance(const PhotometricRecord& record);

}  // namespace lumibench::diagrams
