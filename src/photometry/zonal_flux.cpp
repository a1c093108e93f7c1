#include <algorithm>
#include <cmath>
#include <numbers>

#include "photometry/photometry.h"

namespace lumibench::photometry {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
// Cells that a zone boundary cuts are split this many times each way.
constexpr int kBoundarySplits = 8;

// Zone bounds midway between stored angles; the outer bounds are the first and
// last angles themselves.
std::vector<double> MidwayBounds(const std::vector<double>& angles) {
    std::vector<double> bounds;
    bounds.reserve(angles.size() + 1);
    bounds.push_back(angles.front());
    for (std::size_t i = 1; i < angles.size(); ++i) bounds.push_back((angles[i - 1] + angles[i]) / 2);
    bounds.push_back(angles.back());
    return bounds;
}

double TypeCZoneFlux(const IntensityDistribution& distribution, double from, double to) {
    const std::vector<double>& sums = distribution.wedgeSums();
    const std::vector<double> bounds = MidwayBounds(distribution.verticalAngles());
    double flux = 0;
    for (std::size_t j = 0; j < sums.size(); ++j) {
        const double low = std::max(bounds[j], from);
        const double high = std::min(bounds[j + 1], to);
        if (high > low) flux += sums[j] * (std::cos(low * kRadian) - std::cos(high * kRadian));
    }
    return flux;
}

// Types A and B as latitude/longitude grids: type B turns about a horizontal
// axis (latitude = H, longitude = V), type A about a vertical one (latitude =
// V, longitude = H). The luminaire's axis is latitude 0, longitude 0.
struct Cell {
    double lat0, lat1, lon0, lon1, candela;
};

template <typename Visit>
void ForEachCell(const IntensityDistribution& distribution, Visit&& visit) {
    const bool typeB = distribution.photometricType() == 2;
    const auto& horizontal = distribution.horizontalAngles();
    const auto& vertical = distribution.verticalAngles();
    const std::vector<double> hBounds = MidwayBounds(horizontal);
    const std::vector<double> vBounds = MidwayBounds(vertical);
    const auto& values = distribution.values();
    for (std::size_t h = 0; h < horizontal.size(); ++h) {
        for (std::size_t v = 0; v < vertical.size(); ++v) {
            const double candela = values[h][v];
            if (candela == 0) continue;
            Cell cell = typeB ? Cell{hBounds[h], hBounds[h + 1], vBounds[v], vBounds[v + 1], candela}
                              : Cell{vBounds[v], vBounds[v + 1], hBounds[h], hBounds[h + 1], candela};
            cell.lat0 = std::clamp(cell.lat0, -90.0, 90.0);
            cell.lat1 = std::clamp(cell.lat1, -90.0, 90.0);
            visit(cell);
        }
    }
}

double SolidAngle(double lat0, double lat1, double lon0, double lon1) {
    return (lon1 - lon0) * kRadian * (std::sin(lat1 * kRadian) - std::sin(lat0 * kRadian));
}

double AxisAngle(double lat, double lon) {
    const double c = std::cos(lat * kRadian) * std::cos(lon * kRadian);
    return std::acos(std::clamp(c, -1.0, 1.0)) / kRadian;
}

double AxisZoneFlux(const IntensityDistribution& distribution, double from, double to) {
    double flux = 0;
    ForEachCell(distribution, [&](const Cell& cell) {
        // The angle from the axis grows with |lat| and |lon| (up to 180), so
        // its extremes over the cell lie at the nearest and farthest corners.
        const double nearLat = std::clamp(0.0, cell.lat0, cell.lat1);
        const double nearLon = std::clamp(0.0, cell.lon0, cell.lon1);
        const double farLat = std::max(std::abs(cell.lat0), std::abs(cell.lat1));
        const double farLon = std::min(180.0, std::max(std::abs(cell.lon0), std::abs(cell.lon1)));
        const double least = AxisAngle(nearLat, nearLon);
        const double most = farLon > 90 ? std::max(AxisAngle(nearLat, farLon), AxisAngle(farLat, farLon))
                                        : AxisAngle(farLat, farLon);
        if (most <= from || least >= to) return;
        if (least >= from && most <= to) {
            flux += cell.candela * SolidAngle(cell.lat0, cell.lat1, cell.lon0, cell.lon1);
            return;
        }
        const double dLat = (cell.lat1 - cell.lat0) / kBoundarySplits;
        const double dLon = (cell.lon1 - cell.lon0) / kBoundarySplits;
        for (int a = 0; a < kBoundarySplits; ++a) {
            const double lat0 = cell.lat0 + a * dLat;
            for (int b = 0; b < kBoundarySplits; ++b) {
                const double lon0 = cell.lon0 + b * dLon;
                const double angle = AxisAngle(lat0 + dLat / 2, lon0 + dLon / 2);
                if (angle >= from && angle < to) {
                    flux += cell.candela * SolidAngle(lat0, lat0 + dLat, lon0, lon0 + dLon);
                }
            }
        }
    });
    return flux;
}

// Flux below (downward) or above the horizontal plane through the luminaire.
double AxisHemisphereFlux(const IntensityDistribution& distribution, bool downward) {
    const bool typeB = distribution.photometricType() == 2;
    double flux = 0;
    ForEachCell(distribution, [&](const Cell& cell) {
        if (typeB) {
            // Up is positive V, a longitude here; the cell splits along it.
            const double lon0 = downward ? std::max(cell.lon0, -180.0) : std::max(cell.lon0, 0.0);
            const double lon1 = downward ? std::min(cell.lon1, 0.0) : std::min(cell.lon1, 180.0);
            if (lon1 > lon0) flux += cell.candela * SolidAngle(cell.lat0, cell.lat1, lon0, lon1);
        } else {
            const double lat0 = downward ? cell.lat0 : std::max(cell.lat0, 0.0);
            const double lat1 = downward ? std::min(cell.lat1, 0.0) : cell.lat1;
            if (lat1 > lat0) flux += cell.candela * SolidAngle(lat0, lat1, cell.lon0, cell.lon1);
        }
    });
    return flux;
}

}  // namespace

double FluxAtOrAbove(const IntensityDistribution& distribution, double candela) {
    if (distribution.values().empty()) return 0.0;
    if (distribution.photometricType() != 1) {
        double flux = 0;
        ForEachCell(distribution, [&](const Cell& cell) {
            if (cell.candela >= candela) flux += cell.candela * SolidAngle(cell.lat0, cell.lat1, cell.lon0, cell.lon1);
        });
        return flux;
    }
    const auto& planes = distribution.horizontalAngles();
    const auto& values = distribution.values();
    const std::vector<double> bounds = MidwayBounds(distribution.verticalAngles());
    const std::size_t count = planes.size() - 1;  // the 360 plane repeats the 0 plane
    double flux = 0;
    for (std::size_t k = 0; k < std::max<std::size_t>(count, 1); ++k) {
        double wedge = 2 * std::numbers::pi;
        if (count > 1) {
            const double before = k == 0 ? planes[count - 1] - 360 : planes[k - 1];
            wedge = (planes[k + 1] - before) / 2 * kRadian;
        }
        for (std::size_t j = 0; j < values[k].size(); ++j) {
            if (values[k][j] < candela) continue;
            flux += values[k][j] * wedge * (std::cos(bounds[j] * kRadian) - std::cos(bounds[j + 1] * kRadian));
        }
    }
    return flux;
}

double SectorFlux(const IntensityDistribution& distribution, double cFrom, double cTo, double gammaFrom,
                  double gammaTo) {
    if (distribution.values().empty() || distribution.photometricType() != 1) return 0.0;
    if (cTo <= cFrom || gammaTo <= gammaFrom) return 0.0;
    const auto& planes = distribution.horizontalAngles();
    const auto& values = distribution.values();
    const std::vector<double> bounds = MidwayBounds(distribution.verticalAngles());
    const std::size_t count = planes.size() - 1;  // the 360 plane repeats the 0 plane
    // Share of the sector's azimuth range that a wedge lo..hi covers, in radians.
    auto overlap = [&](double lo, double hi) {
        double total = 0;
        for (const double shift : {-720.0, -360.0, 0.0, 360.0, 720.0}) {
            const double a = std::max(lo + shift, cFrom);
            const double b = std::min(hi + shift, cTo);
            if (b > a) total += b - a;
        }
        return total * kRadian;
    };
    double flux = 0;
    for (std::size_t k = 0; k < std::max<std::size_t>(count, 1); ++k) {
        double wedge = count > 1 ? 0.0 : overlap(0, 360);
        if (count > 1) {
            const double before = k == 0 ? planes[count - 1] - 360 : planes[k - 1];
            wedge = overlap((before + planes[k]) / 2, (planes[k] + planes[k + 1]) / 2);
        }
        if (wedge == 0) continue;
        for (std::size_t j = 0; j < values[k].size(); ++j) {
            const double low = std::max(bounds[j], gammaFrom);
            const double high = std::min(bounds[j + 1], gammaTo);
            if (high > low) flux += values[k][j] * wedge * (std::cos(low * kRadian) - std::cos(high * kRadian));
        }
    }
    return flux;
}

double ZoneFlux(const IntensityDistribution& distribution, double from, double to) {
    if (distribution.values().empty() || to <= from) return 0.0;
    if (distribution.photometricType() == 1) return TypeCZoneFlux(distribution, from, to);
    return AxisZoneFlux(distribution, from, to);
}

double DownwardFlux(const IntensityDistribution& distribution) {
    if (distribution.values().empty()) return 0.0;
    if (distribution.photometricType() == 1) return TypeCZoneFlux(distribution, 0, 90);
    return AxisHemisphereFlux(distribution, true);
}

double UpwardFlux(const IntensityDistribution& distribution) {
    if (distribution.values().empty()) return 0.0;
    if (distribution.photometricType() == 1) return TypeCZoneFlux(distribution, 90, 180);
    return AxisHemisphereFlux(distribution, false);
}

double TotalFlux(const IntensityDistribution& distribution) {
    if (distribution.values().empty()) return 0.0;
    if (distribution.photometricType() == 1) return TypeCZoneFlux(distribution, 0, 180);
    return AxisHemisphereFlux(distribution, true) + AxisHemisphereFlux(distribution, false);
}

}  // namespace lumibench::photometry
