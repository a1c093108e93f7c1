#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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
    // A band's upper bound is the next one's lower: its cosine is kept.
    double previousHigh = std::numeric_limits<double>::quiet_NaN();
    double previousHighCos = 0;
    for (std::size_t j = 0; j < sums.size(); ++j) {
        const double low = std::max(bounds[j], from);
        const double high = std::min(bounds[j + 1], to);
        if (!(high > low)) continue;
        const double lowCos = low == previousHigh ? previousHighCos : std::cos(low * kRadian);
        previousHigh = high;
        previousHighCos = std::cos(high * kRadian);
        flux += sums[j] * (lowCos - previousHighCos);
    }
    return flux;
}

// Types A and B as latitude/longitude grids: type B turns about a horizontal
// axis (latitude = H, longitude = V), type A about a vertical one (latitude =
// V, longitude = H). The luminaire's axis is latitude 0, longitude 0.
using Splits = std::array<double, kBoundarySplits>;

struct Cell {
    double lat0, lat1, lon0, lon1, candela;
    double solidAngle;
    double cosNearLat, cosFarLat, cosNearLon, cosFarLon;  // of the bounds nearest and farthest from 0
    // The cell split kBoundarySplits times each way: cosines of the parts'
    // middles and the parts' solid angles (one latitude band each).
    const Splits* subLatCos;
    const Splits* subLonCos;
    const Splits* subSolidAngle;
};

double SolidAngle(double lat0, double lat1, double lon0, double lon1) {
    return (lon1 - lon0) * kRadian * (std::sin(lat1 * kRadian) - std::sin(lat0 * kRadian));
}

// The trigonometry of every row and column once, not once per cell.
struct Span {
    double low, high, cosNear, cosFar;
    Splits subCos;   // cosines of the middles of its parts
    Splits subBand;  // sin(high) - sin(low) of each part, for latitudes
};

std::vector<Span> Spans(const std::vector<double>& bounds, double limit) {
    std::vector<Span> spans;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        Span span;
        span.low = std::clamp(bounds[i], -limit, limit);
        span.high = std::clamp(bounds[i + 1], -limit, limit);
        const double near = std::clamp(0.0, span.low, span.high);
        const double far = std::min(180.0, std::max(std::abs(span.low), std::abs(span.high)));
        span.cosNear = std::cos(near * kRadian);
        span.cosFar = std::cos(far * kRadian);
        const double part = (span.high - span.low) / kBoundarySplits;
        for (int k = 0; k < kBoundarySplits; ++k) {
            const double from = span.low + k * part;
            span.subCos[k] = std::cos((from + part / 2) * kRadian);
            span.subBand[k] = std::sin((from + part) * kRadian) - std::sin(from * kRadian);
        }
        spans.push_back(span);
    }
    return spans;
}

template <typename Visit>
void ForEachCell(const IntensityDistribution& distribution, Visit&& visit) {
    const bool typeB = distribution.photometricType() == 2;
    const auto& values = distribution.values();
    const std::vector<Span> hSpans = Spans(MidwayBounds(distribution.horizontalAngles()), typeB ? 90.0 : 360.0);
    const std::vector<Span> vSpans = Spans(MidwayBounds(distribution.verticalAngles()), typeB ? 360.0 : 90.0);
    const std::vector<Span>& latSpans = typeB ? hSpans : vSpans;
    std::vector<double> band;  // sin(lat1) - sin(lat0)
    for (const Span& lat : latSpans) band.push_back(std::sin(lat.high * kRadian) - std::sin(lat.low * kRadian));
    for (std::size_t h = 0; h < hSpans.size(); ++h) {
        for (std::size_t v = 0; v < vSpans.size(); ++v) {
            const double candela = values[h][v];
            if (candela == 0) continue;
            const Span& lat = typeB ? hSpans[h] : vSpans[v];
            const Span& lon = typeB ? vSpans[v] : hSpans[h];
            const double width = (lon.high - lon.low) * kRadian;
            visit(Cell{lat.low, lat.high, lon.low, lon.high, candela, width * band[typeB ? h : v], lat.cosNear,
                       lat.cosFar, lon.cosNear, lon.cosFar, &lat.subCos, &lon.subCos, &lat.subBand});
        }
    }
}

// Every zone in one pass over the cells. A zone holds the directions whose
// angle from the axis lies in [from, to), that is whose cosine cos(lat) cos(lon)
// lies in (cos to, cos from]; cosines spare the arc cosines.
std::vector<double> AxisZoneFluxes(const IntensityDistribution& distribution,
                                   const std::vector<std::array<double, 2>>& zones) {
    std::vector<double> flux(zones.size(), 0.0);
    std::vector<double> cosFrom, cosTo;
    for (const auto& [from, to] : zones) {
        cosFrom.push_back(std::cos(std::clamp(from, 0.0, 180.0) * kRadian));
        cosTo.push_back(std::cos(std::clamp(to, 0.0, 180.0) * kRadian));
    }
    ForEachCell(distribution, [&](const Cell& cell) {
        // cos(lat) cos(lon) is largest at the corner nearest the axis; it is
        // smallest at the farthest corner, or where lon passes 90 at the
        // latitude nearest the equator.
        const double largest = cell.cosNearLat * cell.cosNearLon;
        const double smallest =
            cell.cosFarLon >= 0 ? cell.cosFarLat * cell.cosFarLon : cell.cosNearLat * cell.cosFarLon;
        const double whole = cell.candela * cell.solidAngle;
        for (std::size_t z = 0; z < zones.size(); ++z) {
            if (smallest >= cosFrom[z] || largest <= cosTo[z]) continue;  // wholly outside
            if (largest <= cosFrom[z] && smallest >= cosTo[z]) {
                flux[z] += whole;
                continue;
            }
            // Cut by the zone's edge: the parts whose middles lie inside count.
            const double partWidth = (cell.lon1 - cell.lon0) / kBoundarySplits * kRadian;
            for (int a = 0; a < kBoundarySplits; ++a) {
                int inside = 0;
                for (int b = 0; b < kBoundarySplits; ++b) {
                    const double c = (*cell.subLatCos)[a] * (*cell.subLonCos)[b];
                    inside += c <= cosFrom[z] && c > cosTo[z];
                }
                flux[z] += cell.candela * inside * partWidth * (*cell.subSolidAngle)[a];
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
            if (lon1 > lon0) flux += cell.candela * cell.solidAngle * (lon1 - lon0) / (cell.lon1 - cell.lon0);
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
            if (cell.candela >= candela) flux += cell.candela * cell.solidAngle;
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
    return ZoneFluxes(distribution, {{from, to}}).front();
}

std::vector<double> ZoneFluxes(const IntensityDistribution& distribution,
                               const std::vector<std::array<double, 2>>& zones) {
    std::vector<double> flux(zones.size(), 0.0);
    if (distribution.values().empty()) return flux;
    if (distribution.photometricType() != 1) {
        std::vector<std::array<double, 2>> open;
        for (const auto& zone : zones) open.push_back(zone[1] > zone[0] ? zone : std::array<double, 2>{0, 0});
        return AxisZoneFluxes(distribution, open);
    }
    for (std::size_t z = 0; z < zones.size(); ++z) {
        if (zones[z][1] > zones[z][0]) flux[z] = TypeCZoneFlux(distribution, zones[z][0], zones[z][1]);
    }
    return flux;
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
    double flux = 0;
    ForEachCell(distribution, [&](const Cell& cell) { flux += cell.candela * cell.solidAngle; });
    return flux;
}

}  // namespace lumibench::photometry
