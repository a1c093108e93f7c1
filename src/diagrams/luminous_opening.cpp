#include "diagrams/luminous_opening.h"

#include <cmath>
#include <numbers>

#include "photometry/photometry.h"

namespace lumibench::diagrams {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMetresPerFoot = 0.3048;

bool Same(double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(std::abs(a), std::abs(b)); }

int Sign(float v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// The silhouette width of an ellipse with semi-axes a (along p) and b (along q)
// seen along the in-plane direction (dp, dq), times the direction's length.
double EllipseShadow(double a, double b, double dp, double dq) {
    return 2 * std::sqrt(a * a * dq * dq + b * b * dp * dp);
}

}  // namespace

LuminousOpening OpeningOf(float width, float length, float height, int unitsType) {
    const double scale = unitsType == 1 ? kMetresPerFoot : 1.0;
    LuminousOpening o;
    o.width = std::abs(width) * scale;
    o.length = std::abs(length) * scale;
    o.height = std::abs(height) * scale;
    const int w = Sign(width), l = Sign(length), h = Sign(height);
    using S = OpeningShape;
    if (w == 0 && l == 0 && h == 0) o.shape = S::Point;
    else if (w > 0 && l > 0 && h == 0) o.shape = S::Rectangular;
    else if (w > 0 && l > 0 && h > 0) o.shape = S::RectangularWithSides;
    else if (w < 0 && l < 0 && h == 0) o.shape = Same(width, length) ? S::Circular : S::Ellipse;
    else if (w < 0 && l < 0 && h > 0) o.shape = Same(width, length) ? S::VerticalCylinder : S::VerticalEllipsoidalCylinder;
    else if (w < 0 && l < 0 && h < 0)
        o.shape = Same(width, length) && Same(length, height) ? S::Sphere : S::EllipsoidalSpheroid;
    else if (w < 0 && l > 0 && h < 0)
        o.shape = Same(width, height) ? S::HorizontalCylinderAlong : S::HorizontalEllipsoidalCylinderAlong;
    else if (w > 0 && l < 0 && h < 0)
        o.shape = Same(length, height) ? S::HorizontalCylinderPerpendicular : S::HorizontalEllipsoidalCylinderPerpendicular;
    else if (w < 0 && l == 0 && h < 0) o.shape = Same(width, height) ? S::VerticalCircle : S::VerticalEllipse;
    else if (w < 0 && l == 0 && h == 0) {
        // Older editions: a round opening gives its diameter as a negative width.
        o.shape = S::Circular;
        o.length = o.width;
    } else o.shape = S::Undefined;
    return o;
}

LuminousOpening OpeningOf(const PhotometricRecord& record) {
    return OpeningOf(record.Width, record.Length, record.Height, record.UnitsType);
}

std::string OpeningShapeName(OpeningShape shape) {
    switch (shape) {
    case OpeningShape::Point: return "Point";
    case OpeningShape::Rectangular: return "Rectangular";
    case OpeningShape::RectangularWithSides: return "Rectangular with luminous sides";
    case OpeningShape::Circular: return "Circular";
    case OpeningShape::Ellipse: return "Ellipse";
    case OpeningShape::VerticalCylinder: return "Vertical cylinder";
    case OpeningShape::VerticalEllipsoidalCylinder: return "Vertical ellipsoidal cylinder";
    case OpeningShape::Sphere: return "Sphere";
    case OpeningShape::EllipsoidalSpheroid: return "Ellipsoidal spheroid";
    case OpeningShape::HorizontalCylinderAlong: return "Horizontal cylinder along the 0-180 axis";
    case OpeningShape::HorizontalEllipsoidalCylinderAlong: return "Horizontal ellipsoidal cylinder along the 0-180 axis";
    case OpeningShape::HorizontalCylinderPerpendicular: return "Horizontal cylinder along the 90-270 axis";
    case OpeningShape::HorizontalEllipsoidalCylinderPerpendicular: return "Horizontal ellipsoidal cylinder along the 90-270 axis";
    case OpeningShape::VerticalCircle: return "Vertical circle facing 0°";
    case OpeningShape::VerticalEllipse: return "Vertical ellipse facing 0°";
    case OpeningShape::Undefined: break;
    }
    return "Undefined";
}

double ProjectedArea(const LuminousOpening& o, double cDeg, double gammaDeg) {
    const double c = cDeg * kPi / 180, g = gammaDeg * kPi / 180;
    // Unit vector from the opening towards the observer.
    const double ux = std::sin(g) * std::cos(c), uy = std::sin(g) * std::sin(c), uz = -std::cos(g);
    const double ax = std::abs(ux), ay = std::abs(uy), az = std::abs(uz);
    const double a = o.length / 2, b = o.width / 2, h = o.height / 2;
    using S = OpeningShape;
    switch (o.shape) {
    case S::Rectangular: return o.length * o.width * az;
    case S::RectangularWithSides:
        return o.length * o.width * az + o.width * o.height * ax + o.length * o.height * ay;
    case S::Circular:
    case S::Ellipse: return kPi * a * b * az;
    case S::VerticalCylinder:
    case S::VerticalEllipsoidalCylinder: return kPi * a * b * az + o.height * EllipseShadow(a, b, ux, uy);
    case S::Sphere:
    case S::EllipsoidalSpheroid:
        return kPi * std::sqrt(std::pow(b * h * ux, 2) + std::pow(a * h * uy, 2) + std::pow(a * b * uz, 2));
    case S::HorizontalCylinderAlong:
    case S::HorizontalEllipsoidalCylinderAlong: return kPi * b * h * ax + o.length * EllipseShadow(b, h, uy, uz);
    case S::HorizontalCylinderPerpendicular:
    case S::HorizontalEllipsoidalCylinderPerpendicular: return kPi * a * h * ay + o.width * EllipseShadow(a, h, ux, uz);
    case S::VerticalCircle:
    case S::VerticalEllipse: return kPi * b * h * ax;
    case S::Point:
    case S::Undefined: break;
    }
    return 0;
}

std::vector<LuminanceRow> AverageLuminance(const PhotometricRecord& record) {
    const LuminousOpening opening = OpeningOf(record);
    const photometry::IntensityDistribution distribution(record);
    std::vector<LuminanceRow> rows;
    // Gamma angles mean something only for a luminaire measured hanging down.
    if (distribution.photometricType() != 1) return rows;
    for (double gamma : {0.0, 45.0, 55.0, 65.0, 75.0, 85.0}) {
        LuminanceRow row{gamma, {}, {}};
        for (double plane : {0.0, 90.0}) {
            const double area = ProjectedArea(opening, plane, gamma);
            if (!(area > 0)) continue;
            const double value = distribution.candela({plane, gamma}) / area;
            (plane == 0 ? row.c0 : row.c90) = value;
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace lumibench::diagrams
