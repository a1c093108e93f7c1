#include "photometry/plane_symmetry.h"

#include <algorithm>
#include <cmath>

#include "photometry/photometry.h"

namespace lumibench::photometry {
namespace {

constexpr double kAngleTolerance = 1e-4;

bool Near(double a, double b) { return std::abs(a - b) < kAngleTolerance; }

// Values that are copies of each other compare equal; a last-digit
// difference from arithmetic still counts as the same value.
bool SameValues(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::abs(a[i] - b[i]) > 1e-9 * std::max({1.0, std::abs(a[i]), std::abs(b[i])})) return false;
    }
    return true;
}

const CPlane* PlaneAt(const std::vector<CPlane>& circle, double angle) {
    const double wanted = NormalisedAngle(angle);
    for (const CPlane& plane : circle) {
        if (Near(plane.angle, wanted) || Near(plane.angle + 360, wanted) || Near(plane.angle, wanted + 360)) {
            return &plane;
        }
    }
    return nullptr;
}

bool MirrorsAbout(const std::vector<CPlane>& circle, double axis) {
    return std::all_of(circle.begin(), circle.end(), [&](const CPlane& plane) {
        const CPlane* image = PlaneAt(circle, 2 * axis - plane.angle);
        return image && SameValues(image->values, plane.values);
    });
}

}  // namespace

double NormalisedAngle(double degrees) {
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0) angle += 360;
    angle = std::round(angle * 1e6) / 1e6;
    return angle >= 360 ? 0 : angle;
}

PlaneSymmetry StoredSymmetry(const PhotometricRecord& record) {
    const std::size_t count =
        std::min<std::size_t>(record.HorAngles.size(), std::max<int>(record.HorAngleCount, 0));
    if (count == 1) return PlaneSymmetry::Rotational;
    if (count == 0) return PlaneSymmetry::Other;
    const double first = record.HorAngles.front();
    const double last = record.HorAngles[count - 1];
    if (Near(first, 0) && Near(last, 90)) return PlaneSymmetry::Quadrant;
    if (Near(first, 0) && Near(last, 180)) return PlaneSymmetry::Bilateral0;
    if (Near(first, 90) && Near(last, 270)) return PlaneSymmetry::Bilateral90;
    if (Near(first, 0) && Near(last, 360)) return PlaneSymmetry::Full;
    return PlaneSymmetry::Other;
}

std::vector<CPlane> FullCircle(const PhotometricRecord& record, std::vector<std::string>& notes) {
    // The distribution expands the symmetry exactly as every figure reads it;
    // with a multiplier of 1 its values are the stored ones.
    PhotometricRecord plain = record;
    plain.CandelaMultiplier = 1;
    plain.PhotometricType = 1;
    const IntensityDistribution distribution(plain);
    const auto& angles = distribution.horizontalAngles();
    const auto& values = distribution.values();
    std::vector<CPlane> circle;
    for (std::size_t h = 0; h < angles.size(); ++h) {
        if (angles[h] < 360 - kAngleTolerance) circle.push_back({NormalisedAngle(angles[h]), values[h]});
    }
    if (!circle.empty() && Near(angles.back(), 360) && !SameValues(values.back(), circle.front().values)) {
        notes.push_back("The C360 plane differed from C0; C0 was kept for both.");
    }
    return circle;
}

bool SymmetryHolds(const std::vector<CPlane>& circle, PlaneSymmetry symmetry) {
    if (circle.empty()) return false;
    const bool about0 = MirrorsAbout(circle, 0);
    const bool about90 = MirrorsAbout(circle, 90);
    switch (symmetry) {
        case PlaneSymmetry::Rotational:
            return std::all_of(circle.begin(), circle.end(),
                               [&](const CPlane& plane) { return SameValues(plane.values, circle.front().values); });
        case PlaneSymmetry::Quadrant:
            return about0 && about90 && PlaneAt(circle, 0) && PlaneAt(circle, 90);
        case PlaneSymmetry::Bilateral0:
            return about0 && PlaneAt(circle, 0) && PlaneAt(circle, 180);
        case PlaneSymmetry::Bilateral90:
            return about90 && PlaneAt(circle, 90) && PlaneAt(circle, 270);
        case PlaneSymmetry::Full:
            return PlaneAt(circle, 0) != nullptr;
        case PlaneSymmetry::Other:
            return false;
    }
    return false;
}

std::vector<CPlane> FoldedPlanes(const std::vector<CPlane>& circle, PlaneSymmetry symmetry) {
    std::vector<CPlane> planes;
    auto keep = [&](double from, double to) {
        for (const CPlane& plane : circle) {
            if (plane.angle > from - kAngleTolerance && plane.angle < to + kAngleTolerance) planes.push_back(plane);
        }
    };
    switch (symmetry) {
        case PlaneSymmetry::Rotational:
            planes.push_back({0, circle.front().values});
            break;
        case PlaneSymmetry::Quadrant:
            keep(0, 90);
            break;
        case PlaneSymmetry::Bilateral0:
            keep(0, 180);
            break;
        case PlaneSymmetry::Bilateral90:
            keep(90, 270);
            break;
        case PlaneSymmetry::Full:
        case PlaneSymmetry::Other:
            planes = circle;
            planes.push_back({360, circle.front().values});
            break;
    }
    return planes;
}

}  // namespace lumibench::photometry
