#include "photometry/indoor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <numbers>

namespace lumibench::photometry {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadian = kPi / 180.0;
constexpr double kMetresPerFoot = 0.3048;

// Zonal multipliers K = exp(-A RCR^B) for the nine downward 10-degree zones:
// the share of a zone's flux that reaches the floor cavity directly.
constexpr std::array<double, 9> kMultiplierA{0, 0.041, 0.070, 0.100, 0.136, 0.190, 0.315, 0.640, 2.100};
constexpr std::array<double, 9> kMultiplierB{0, 0.98, 1.05, 1.12, 1.16, 1.25, 1.25, 1.25, 0.80};

double Fraction(int percent) { return percent / 100.0; }

struct RoomFluxes {
    double floor = 0;       // total flux incident on the floor cavity plane
    double walls = 0;       // ... on the walls
    double wallsDirect = 0;
    double wallArea = 0;    // relative to the floor's
};

// Three uniform surfaces of a room (floor and ceiling of area 1, walls of
// area RCR/2.5) exchanging flux; `down` and `up` are the luminaire's downward
// and upward flux, `direct` the downward part that reaches the floor first.
RoomFluxes ExchangeFlux(double down, double up, double direct, double rcr, const Reflectances& r) {
    const double rc = Fraction(r.ceiling), rw = Fraction(r.walls), rf = Fraction(r.floor);
    RoomFluxes result;
    if (rcr <= 0) {
        result.floor = (down + rc * up) / (1 - rc * rf);
        return result;
    }
    const double x = rcr / 5;
    const double f = std::sqrt(1 + x * x) - x;  // floor to ceiling
    const double wallArea = rcr / 2.5;
    const double fwf = (1 - f) / wallArea;       // wall to floor (and to ceiling)
    const double fww = 1 - 2 * fwf;
    // Incident fluxes: F = Fd + rc C f + rw W fwf; C = U + rf F f + rw W fwf;
    // W = Wd + rf F (1 - f) + rc C (1 - f) + rw W fww.
    const double a[3][3] = {{1, -rc * f, -rw * fwf}, {-rf * f, 1, -rw * fwf}, {-rf * (1 - f), -rc * (1 - f), 1 - rw * fww}};
    const double b[3] = {direct, up, down - direct};
    auto det3 = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det3(a);
    auto solve = [&](int column) {
        double m[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) m[i][j] = j == column ? b[i] : a[i][j];
        }
        return det3(m) / d;
    };
    result.floor = solve(0);
    result.walls = solve(2);
    result.wallsDirect = down - direct;
    result.wallArea = wallArea;
    return result;
}

double DirectToFloor(const std::array<double, 18>& zones, double rcr) {
    double direct = 0;
    for (std::size_t n = 0; n < 9; ++n) {
        const double k = rcr <= 0 || kMultiplierA[n] == 0 ? 1.0 : std::exp(-kMultiplierA[n] * std::pow(rcr, kMultiplierB[n]));
        direct += k * zones[n];
    }
    return direct;
}

double MetresOf(const PhotometricRecord& record, double length) {
    return record.UnitsType == 1 ? length * kMetresPerFoot : length;
}

double PeakCandela(const IntensityDistribution& distribution) {
    double peak = 0;
    for (const auto& row : distribution.values()) {
        for (const double value : row) peak = std::max(peak, value);
    }
    return peak;
}

}  // namespace

std::array<double, 18> TenDegreeZoneFractions(const IntensityDistribution& distribution, double referenceFluxLm) {
    std::array<double, 18> zones{};
    if (!(referenceFluxLm > 0)) return zones;
    for (std::size_t n = 0; n < zones.size(); ++n) {
        zones[n] = ZoneFlux(distribution, 10.0 * n, 10.0 * (n + 1)) / referenceFluxLm;
    }
    return zones;
}

double CoefficientOfUtilisation(const std::array<double, 18>& zones, double rcr, const Reflectances& r) {
    double down = 0, up = 0;
    for (std::size_t n = 0; n < 9; ++n) down += zones[n];
    for (std::size_t n = 9; n < 18; ++n) up += zones[n];
    return ExchangeFlux(down, up, DirectToFloor(zones, rcr), rcr, r).floor;
}

CuTable CoefficientsOfUtilisation(const IntensityDistribution& distribution, double referenceFluxLm) {
    CuTable table;
    for (const int ceiling : {80, 70, 50, 30, 10}) {
        const std::vector<int> walls = ceiling >= 70 ? std::vector<int>{70, 50, 30, 10} : std::vector<int>{50, 30, 10};
        for (const int wall : walls) table.columns.push_back({ceiling, wall, 20});
    }
    table.columns.push_back({0, 0, 20});
    const std::array<double, 18> zones = TenDegreeZoneFractions(distribution, referenceFluxLm);
    for (int rcr = 0; rcr <= 10; ++rcr) {
        table.roomCavityRatios.push_back(rcr);
        std::vector<double> row;
        for (const Reflectances& r : table.columns) row.push_back(CoefficientOfUtilisation(zones, rcr, r));
        table.cu.push_back(std::move(row));
    }
    return table;
}

double GuthPositionIndex(double lateral, double height, double forward) {
    if (forward <= 0) return std::numeric_limits<double>::infinity();  // behind the observer: no glare
    const double tau = std::atan2(std::abs(lateral), std::abs(height)) / kRadian;
    const double sigma = std::atan2(std::hypot(lateral, height), forward) / kRadian;
    const double lnP = (35.2 - 0.31889 * tau - 1.22 * std::exp(-2 * tau / 9)) * 1e-3 * sigma +
                       (21 + 0.26667 * tau - 0.002963 * tau * tau) * 1e-5 * sigma * sigma;
    return std::exp(lnP);
}

std::optional<double> UnifiedGlareRating(const std::vector<GlareSource>& sources, double backgroundLuminance) {
    if (!(backgroundLuminance > 0)) return std::nullopt;
    double sum = 0;
    for (const GlareSource& s : sources) {
        if (!(s.projectedArea > 0) || !(s.distance > 0) || !std::isfinite(s.positionIndex)) continue;
        // L^2 w = (I / A)^2 (A / r^2) = I^2 / (A r^2)
        sum += s.candela * s.candela / (s.projectedArea * s.distance * s.distance * s.positionIndex * s.positionIndex);
    }
    if (sum <= 0) return std::nullopt;
    return 8 * std::log10(0.25 / backgroundLuminance * sum);
}

LengthAxis LengthAxisOf(const PhotometricRecord& record) {
    const std::string& name = record.Filename;
    const auto dot = name.find_last_of('.');
    const auto slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return LengthAxis::C0C180;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* cie : {"LDT", "EXL", "CIB", "TML", "C1S", "CC"}) {
        if (extension == cie) return LengthAxis::C90C270;
    }
    return LengthAxis::C0C180;
}

std::string LengthAxisName(LengthAxis axis) {
    return axis == LengthAxis::C0C180 ? "C0\u2013C180" : "C90\u2013C270";
}

double ProjectedArea(const PhotometricRecord& record, Direction direction, LengthAxis axis) {
    // Seen in the frame of the length axis: a length along C90 is a length
    // along C0 of data turned by a quarter.
    if (axis == LengthAxis::C90C270) direction.horizontal -= 90;
    const double width = MetresOf(record, std::abs(record.Width));
    const double length = MetresOf(record, std::abs(record.Length));
    const double height = MetresOf(record, std::abs(record.Height));
    const bool round = record.Width < 0 || record.Length < 0;
    const double gamma = direction.vertical * kRadian;
    const double c = direction.horizontal * kRadian;
    const double bottom = (round ? kPi / 4 : 1.0) * width * length;
    // A box shows its width x height face to views along C0 (its length) and
    // its length x height face to views along C90; a round opening shows its
    // side as wide as the ellipse across the view.
    const double side = round ? height * std::hypot(width * std::cos(c), length * std::sin(c))
                              : height * (width * std::abs(std::cos(c)) + length * std::abs(std::sin(c)));
    return bottom * std::abs(std::cos(gamma)) + side * std::abs(std::sin(gamma));
}

std::optional<UgrTable> UgrTabular(const IntensityDistribution& distribution, const PhotometricRecord& record) {
    return UgrTabular(distribution, record, LengthAxisOf(record));
}

std::optional<UgrTable> UgrTabular(const IntensityDistribution& distribution, const PhotometricRecord& record,
                                   LengthAxis axis) {
    if (distribution.photometricType() != 1 || PeakCandela(distribution) <= 0) return std::nullopt;
    if (ProjectedArea(record, {0, 0}, axis) <= 0 && ProjectedArea(record, {0, 90}, axis) <= 0) return std::nullopt;
    const bool lengthAlongC0 = axis == LengthAxis::C0C180;
    constexpr double kHeight = 2.0;   // luminaire plane above the eye, m
    constexpr double kSpacing = 0.25;  // in units of H
    UgrTable table;
    for (const double x : {2.0, 4.0}) {
        for (const double y : {2.0, 3.0, 4.0, 6.0, 8.0, 12.0}) table.rooms.push_back({x, y});
    }
    for (const double y : {4.0, 6.0, 8.0, 12.0}) table.rooms.push_back({8, y});
    for (const double y : {4.0, 6.0, 8.0}) table.rooms.push_back({12, y});
    table.columns = {{70, 50, 20}, {70, 30, 20}, {50, 50, 20}, {50, 30, 20}, {30, 30, 20}};

    const double luminaireFlux = TotalFlux(distribution);
    const double down = DownwardFlux(distribution);
    const double up = UpwardFlux(distribution);
    const std::array<double, 18> zones = TenDegreeZoneFractions(distribution, luminaireFlux);

    for (const UgrRoom& room : table.rooms) {
        const double width = room.x * kHeight;
        const double depth = room.y * kHeight;
        const int across = static_cast<int>(std::lround(room.x / kSpacing));
        const int along = static_cast<int>(std::lround(room.y / kSpacing));
        const double step = kSpacing * kHeight;
        // Glare sum of every luminaire for both orientations.
        double crosswise = 0, endwise = 0;
        for (int i = 0; i < across; ++i) {
            const double t = step / 2 + i * step - width / 2;
            for (int j = 0; j < along; ++j) {
                const double r = step / 2 + j * step;
                const double p = GuthPositionIndex(t, kHeight, r);
                const double d2 = t * t + r * r + kHeight * kHeight;
                const double gamma = std::atan2(std::hypot(t, r), kHeight) / kRadian;
                // Towards the observer from the luminaire: (-t, -r) on the floor plan.
                // Crosswise the length lies across the line of sight: with the
                // length along C0, C0 runs along t and C90 along r; endwise, or
                // with the length along C90, the other way round.
                for (const bool cross : {true, false}) {
                    const bool c0AlongT = cross == lengthAlongC0;
                    double c = (c0AlongT ? std::atan2(-r, -t) : std::atan2(-t, -r)) / kRadian;
                    if (c < 0) c += 360;
                    const Direction direction{c, gamma};
                    const double area = ProjectedArea(record, direction, axis);
                    if (area <= 0) continue;
                    const double candela = distribution.candela(direction);
                    (cross ? crosswise : endwise) += candela * candela / (area * d2 * p * p);
                }
            }
        }
        const double count = static_cast<double>(across) * along;
        const double rcr = 5 * kHeight * (width + depth) / (width * depth);
        std::vector<double> crossRow, endRow;
        for (const Reflectances& reflectances : table.columns) {
            const RoomFluxes fluxes = ExchangeFlux(down * count, up * count,
                                                   DirectToFloor(zones, rcr) * luminaireFlux * count, rcr, reflectances);
            // The eye sees the walls' reflected light: indirect illuminance on the walls.
            const double wallArea = fluxes.wallArea * width * depth;
            const double indirect = wallArea > 0 ? (fluxes.walls - fluxes.wallsDirect) / wallArea : 0;
            const double background = indirect / kPi;
            auto rating = [&](double sum) {
                return background > 0 && sum > 0 ? 8 * std::log10(0.25 / background * sum) : 0.0;
            };
            crossRow.push_back(rating(crosswise));
            endRow.push_back(rating(endwise));
        }
        table.crosswise.push_back(std::move(crossRow));
        table.endwise.push_back(std::move(endRow));
    }
    return table;
}

SpacingCriterion SpacingCriteria(const IntensityDistribution& distribution) {
    SpacingCriterion result;
    if (distribution.photometricType() != 1) return result;
    auto illuminance = [&](double plane, double offset) {
        // From a luminaire at height 1, on the floor `offset` away in `plane`.
        const double gamma = std::atan(offset);
        const double cosine = std::cos(gamma);
        return distribution.candela({plane, gamma / kRadian}) * cosine * cosine * cosine;
    };
    auto margin = [&](double plane, double s) {
        const double opposite = plane + 180;
        const double midway = illuminance(plane, s / 2) + illuminance(opposite, s / 2);
        const double below = illuminance(plane, 0) + illuminance(opposite, s);
        return midway - below;
    };
    auto criterion = [&](double plane) -> std::optional<double> {
        if (illuminance(plane, 0) <= 0) return std::nullopt;
        constexpr double kStep = 0.01;
        constexpr double kWidest = 4.0;
        for (double s = kStep; s <= kWidest; s += kStep) {
            if (margin(plane, s) < 0) {
                double inside = s - kStep, outside = s;
                for (int i = 0; i < 40; ++i) {
                    const double middle = (inside + outside) / 2;
                    (margin(plane, middle) >= 0 ? inside : outside) = middle;
                }
                return inside;
            }
        }
        return std::nullopt;
    };
    result.plane0 = criterion(0);
    result.plane90 = criterion(90);
    // The square's corners at (0,0), (s,0), (0,s), (s,s), C0 along x and C90
    // along y: the centre lies s/sqrt 2 away from each in planes 45, 135, 225
    // and 315; the point below the first lies s away in planes 180 and 270 and
    // s sqrt 2 away in plane 225.
    // Close to 0 both sides tend to the same four times the nadir value, and
    // straight-line interpolation between the stored gammas can tip the
    // balance there: the centre falls short only when it lacks this share.
    constexpr double kShortfall = 1e-3;
    auto squareMargin = [&](double s) {
        const double half = s / std::sqrt(2.0);
        const double centre = illuminance(45, half) + illuminance(135, half) + illuminance(225, half) +
                              illuminance(315, half);
        const double below = illuminance(0, 0) + illuminance(180, s) + illuminance(270, s) +
                             illuminance(225, s * std::sqrt(2.0));
        return centre - below * (1 - kShortfall);
    };
    if (illuminance(0, 0) > 0) {
        constexpr double kStep = 0.01;
        constexpr double kWidest = 4.0;
        for (double s = kStep; s <= kWidest; s += kStep) {
            if (squareMargin(s) < 0) {
                double inside = s - kStep, outside = s;
                for (int i = 0; i < 40; ++i) {
                    const double middle = (inside + outside) / 2;
                    (squareMargin(middle) >= 0 ? inside : outside) = middle;
                }
                result.diagonal = inside;
                break;
            }
        }
    }
    return result;
}

std::optional<LuminanceTable> AverageLuminances(const IntensityDistribution& distribution,
                                                const PhotometricRecord& record) {
    return AverageLuminances(distribution, record, LengthAxisOf(record));
}

std::optional<LuminanceTable> AverageLuminances(const IntensityDistribution& distribution,
                                                const PhotometricRecord& record, LengthAxis axis) {
    if (distribution.photometricType() != 1) return std::nullopt;
    LuminanceTable table;
    table.gammas = {45, 55, 65, 75, 85};
    table.planes = {0, 45, 90};
    for (const double gamma : table.gammas) {
        std::vector<double> row;
        for (const double plane : table.planes) {
            const double area = ProjectedArea(record, {plane, gamma}, axis);
            if (area <= 0) return std::nullopt;
            row.push_back(distribution.candela({plane, gamma}) / area);
        }
        table.values.push_back(std::move(row));
    }
    return table;
}

}  // namespace lumibench::photometry
