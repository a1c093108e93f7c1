#include "photometry/road.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numbers>

namespace lumibench::photometry {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
// The half-maximum trace is followed in steps this fine (degrees).
constexpr double kTracePlaneStep = 1.0;
constexpr double kTraceGammaStep = 0.25;
// Planes that differ by no more than this share at every gamma make a type V.
constexpr double kRoundTolerance = 0.05;

struct VerticalRange {
    const char* name;
    double from;  // mounting heights along the road
    double to;
};
constexpr std::array<VerticalRange, 5> kVerticalRanges{{{"very short", 0, 1.0},
                                                         {"short", 1.0, 2.25},
                                                         {"medium", 2.25, 3.75},
                                                         {"long", 3.75, 6.0},
                                                         {"very long", 6.0, 1e300}}};

bool Round(const IntensityDistribution& distribution) {
    const auto& values = distribution.values();
    if (values.size() <= 2) return true;  // one plane, expanded
    double peak = 0;
    for (const auto& row : values) {
        for (const double value : row) peak = std::max(peak, value);
    }
    for (std::size_t j = 0; j < distribution.verticalAngles().size(); ++j) {
        double low = values[0][j], high = values[0][j];
        for (const auto& row : values) {
            low = std::min(low, row[j]);
            high = std::max(high, row[j]);
        }
        if (high - low > kRoundTolerance * peak) return false;
    }
    return true;
}

// TM-15-11 limits in lumens for ratings 0 to 4; above the 4 column is 5.
int Rating(const std::vector<std::pair<double, std::array<double, 5>>>& zones) {
    int rating = 0;
    for (const auto& [lumens, limits] : zones) {
        int zoneRating = 5;
        for (int r = 0; r < 5; ++r) {
            if (lumens <= limits[static_cast<std::size_t>(r)]) {
                zoneRating = r;
                break;
            }
        }
        rating = std::max(rating, zoneRating);
    }
    return rating;
}

// A point of the road seen from the luminaire at gamma (degrees) in plane C:
// street side toward C0, along the road toward C90.
struct RoadPoint {
    double along;
    double across;
};
RoadPoint OnTheRoad(double c, double gamma) {
    const double reach = std::tan(gamma * kRadian);
    return {reach * std::sin(c * kRadian), reach * std::cos(c * kRadian)};
}

// Farthest reach across the road (mounting heights, away from the luminaire
// on the side the planes face) of the half-maximum trace in planes
// cFrom..cTo; only the part within `range` along the road counts, unless
// none of it lies there. -1 where the trace does not reach those planes.
double HalfMaxReach(const IntensityDistribution& distribution, double peak, double cFrom, double cTo,
                    const VerticalRange& range) {
    double inRange = -1;
    double all = -1;
    for (double c = cFrom; c <= cTo + 1e-9; c += kTracePlaneStep) {
        double outer = -1;
        for (double g = 0; g < 90; g += kTraceGammaStep) {
            if (distribution.candela({c, g}) >= peak / 2) outer = g;
        }
        if (outer < 0) continue;
        // Far from nadir a small step in gamma is a long way on the road:
        // close in on the crossing by halving.
        double inside = outer;
        double outside = std::min(outer + kTraceGammaStep, 89.999);
        for (int i = 0; i < 30 && distribution.candela({c, outside}) < peak / 2; ++i) {
            const double middle = (inside + outside) / 2;
            (distribution.candela({c, middle}) >= peak / 2 ? inside : outside) = middle;
        }
        const RoadPoint point = OnTheRoad(c, inside);
        const double along = std::abs(point.along);
        const double away = std::abs(point.across);
        all = std::max(all, away);
        if (along >= range.from && along < range.to) inRange = std::max(inRange, away);
    }
    return inRange >= 0 ? inRange : all;
}

}  // namespace

std::optional<RoadClassification> ClassifyRoadDistribution(const IntensityDistribution& distribution) {
    if (distribution.photometricType() != 1 || distribution.values().empty()) return std::nullopt;
    const auto& planes = distribution.horizontalAngles();
    const auto& gammas = distribution.verticalAngles();
    const auto& values = distribution.values();
    double peak = 0;
    Direction at;
    for (std::size_t k = 0; k < planes.size(); ++k) {
        for (std::size_t j = 0; j < gammas.size(); ++j) {
            if (gammas[j] < 90 && values[k][j] > peak) {
                peak = values[k][j];
                at = {planes[k], gammas[j]};
            }
        }
    }
    if (peak <= 0) return std::nullopt;
    RoadClassification result;
    const RoadPoint maximum = OnTheRoad(at.horizontal, at.vertical);
    result.maxCandelaAlongMh = maximum.along;
    result.maxCandelaAcrossMh = maximum.across;
    const double along = std::abs(result.maxCandelaAlongMh);
    const VerticalRange* range = &kVerticalRanges.back();
    for (const VerticalRange& r : kVerticalRanges) {
        if (along >= r.from && along < r.to) {
            range = &r;
            break;
        }
    }
    result.vertical = range->name;

    // The half-maximum trace: its street-side reach sets the type, and Type I
    // keeps its house side within 1.0 mounting height as well.
    result.halfMaxAcrossMh = std::max(HalfMaxReach(distribution, peak, -90, 90, *range), 0.0);
    result.halfMaxHouseMh = std::max(HalfMaxReach(distribution, peak, 90, 270, *range), 0.0);
    constexpr double kTypeIReach = 1.0;
    constexpr double kTypeIIReach = 1.75;
    constexpr double kTypeIIIReach = 2.75;
    if (Round(distribution)) {
        result.lateral = "V";
    } else if (result.halfMaxAcrossMh <= kTypeIReach && result.halfMaxHouseMh <= kTypeIReach) {
        result.lateral = "I";
    } else if (result.halfMaxAcrossMh <= kTypeIIReach) {
        result.lateral = "II";
    } else if (result.halfMaxAcrossMh <= kTypeIIIReach) {
        result.lateral = "III";
    } else {
        result.lateral = "IV";
    }
    return result;
}

std::string BugRating::text() const {
    return "B" + std::to_string(backlight) + "-U" + std::to_string(uplight) + "-G" + std::to_string(glare);
}

std::optional<BugRating> RateBug(const IntensityDistribution& distribution) {
    if (distribution.photometricType() != 1 || distribution.values().empty()) return std::nullopt;
    BugRating rating;
    BugZones& z = rating.zones;
    auto sector = [&](double c0, double c1, double g0, double g1) { return SectorFlux(distribution, c0, c1, g0, g1); };
    // Front: the street side, C 270 round through 0 to 90; back: C 90-270.
    z.FL = sector(270, 450, 0, 30);
    z.FM = sector(270, 450, 30, 60);
    z.FH = sector(270, 450, 60, 80);
    z.FVH = sector(270, 450, 80, 90);
    z.BL = sector(90, 270, 0, 30);
    z.BM = sector(90, 270, 30, 60);
    z.BH = sector(90, 270, 60, 80);
    z.BVH = sector(90, 270, 80, 90);
    z.UL = ZoneFlux(distribution, 90, 100);
    z.UH = ZoneFlux(distribution, 100, 180);
    rating.backlight = Rating({{z.BH, {110, 500, 1000, 2500, 5000}},
                               {z.BM, {220, 1000, 2500, 5000, 8500}},
                               {z.BL, {110, 500, 1000, 2500, 5000}},
                               {z.BVH, {10, 75, 150, 500, 1000}}});
    rating.uplight = Rating({{z.UH, {0, 10, 50, 500, 1000}}, {z.UL, {0, 10, 50, 500, 1000}}});
    rating.glare = Rating({{z.FVH, {10, 100, 225, 350, 500}},
                           {z.BVH, {10, 100, 225, 350, 500}},
                           {z.FH, {660, 1800, 5000, 7500, 12000}},
                           {z.BH, {110, 500, 1000, 2500, 5000}}});
    return rating;
}

namespace {

// Illuminance at the points (xs[i], ys[j]) between two luminaires of the
// first row, from every luminaire within five mounting heights along the road.
RoadIlluminance IlluminanceAt(const IntensityDistribution& distribution, const RoadLayout& layout,
                              const std::vector<double>& xs, const std::vector<double>& ys) {
    RoadIlluminance result;
    const double height = layout.mountingHeight;
    const double spacing = layout.spacing;
    result.pointsAlong = static_cast<int>(xs.size());
    result.pointsAcross = static_cast<int>(ys.size());
    struct Luminaire {
        double x, y;
        bool facingFar;  // on the far side: its C0 points back across the road to the near kerb
    };
    std::vector<Luminaire> row;
    const double reach = 5 * height;
    const int beyond = static_cast<int>(std::ceil(reach / spacing)) + 1;
    const double near = layout.overhang;
    const double far = layout.roadWidth - layout.overhang;
    for (int k = -beyond; k <= beyond + 1; ++k) {
        const double x = k * spacing;
        switch (layout.arrangement) {
            case RoadArrangement::SingleSided: row.push_back({x, near, false}); break;
            case RoadArrangement::Opposite:
                row.push_back({x, near, false});
                row.push_back({x, far, true});
                break;
            case RoadArrangement::Staggered:
                row.push_back({x, near, false});
                row.push_back({x + spacing / 2, far, true});
                break;
            case RoadArrangement::Central:
                row.push_back({x, layout.roadWidth / 2, false});
                row.push_back({x, layout.roadWidth / 2, true});
                break;
        }
    }

    double sum = 0;
    for (const double x : xs) {
        for (const double y : ys) {
            double e = 0;
            for (const Luminaire& l : row) {
                if (std::abs(x - l.x) > reach) continue;
                double dx = x - l.x;
                double dy = y - l.y;
                if (l.facingFar) {
                    dx = -dx;
                    dy = -dy;
                }
                const double r2 = dx * dx + dy * dy + height * height;
                // C0 across the road (+y), C90 a quarter turn counterclockwise
                // seen from above, which is back along the road (-x).
                double c = std::atan2(-dx, dy) / kRadian;
                if (c < 0) c += 360;
                const double gamma = std::atan2(std::sqrt(dx * dx + dy * dy), height) / kRadian;
                // E = I cos^3(gamma) / h^2 = I h / r^3
                e += distribution.candela({c, gamma}) * height / (r2 * std::sqrt(r2));
            }
            result.points.push_back({x, y, e});
            sum += e;
        }
    }
    if (result.points.empty()) return result;
    result.average = sum / static_cast<double>(result.points.size());
    const auto [low, high] = std::minmax_element(result.points.begin(), result.points.end(),
                                                 [](const auto& a, const auto& b) { return a.illuminance < b.illuminance; });
    result.minimum = low->illuminance;
    result.maximum = high->illuminance;
    result.overallUniformity = result.average > 0 ? result.minimum / result.average : 0;
    return result;
}

}  // namespace

RoadIlluminance RoadGridIlluminance(const IntensityDistribution& distribution, const RoadLayout& layout) {
    RoadIlluminance result;
    const double height = layout.mountingHeight;
    const double spacing = layout.spacing;
    const int lanes = std::max(layout.lanes, 1);
    if (!(height > 0) || !(spacing > 0) || !(layout.roadWidth > 0) || !(layout.metresPerUnit > 0)) return result;

    constexpr double kShortSpacingMetres = 30;
    constexpr double kLongestStepMetres = 3;
    // Beyond these a layout is not a road: refuse it rather than loop for ever.
    constexpr double kMostPointsAlong = 10000;
    constexpr double kMostLuminairesEachWay = 10000;
    constexpr int kMostLanes = 100;
    const double spacingMetres = spacing * layout.metresPerUnit;
    const double pointsAlong = spacingMetres <= kShortSpacingMetres ? 10 : std::ceil(spacingMetres / kLongestStepMetres - 1e-9);
    if (pointsAlong > kMostPointsAlong || 5 * height / spacing > kMostLuminairesEachWay || lanes > kMostLanes ||
        !std::isfinite(layout.roadWidth) || !std::isfinite(layout.overhang)) {
        return result;
    }
    const int along = static_cast<int>(pointsAlong);
    constexpr int kPointsPerLane = 3;
    const double step = spacing / along;
    const double laneWidth = layout.roadWidth / lanes;
    const double across = laneWidth / kPointsPerLane;

    std::vector<double> xs, ys;
    for (int i = 0; i < along; ++i) xs.push_back(step / 2 + i * step);
    for (int j = 0; j < lanes * kPointsPerLane; ++j) ys.push_back(across / 2 + j * across);
    return IlluminanceAt(distribution, layout, xs, ys);
}

RoadIlluminance RoadIlluminanceForDrawing(const IntensityDistribution& distribution, const RoadLayout& layout,
                                          int pointsAlong, int pointsAcross) {
    const RoadIlluminance standard = RoadGridIlluminance(distribution, layout);
    if (standard.points.empty() || pointsAlong < 2 || pointsAcross < 2) return standard;
    std::vector<double> xs, ys;
    for (int i = 0; i < pointsAlong; ++i) xs.push_back(layout.spacing * i / (pointsAlong - 1));
    for (int j = 0; j < pointsAcross; ++j) ys.push_back(layout.roadWidth * j / (pointsAcross - 1));
    return IlluminanceAt(distribution, layout, xs, ys);
}

std::optional<OrientationNote> RoadOrientationNote(const IntensityDistribution& distribution, bool curbOrientedFormat) {
    if (distribution.photometricType() != 1 || distribution.values().empty()) return std::nullopt;
    const double street = SectorFlux(distribution, 270, 450, 0, 90);
    const double house = SectorFlux(distribution, 90, 270, 0, 90);
    const double toward90 = SectorFlux(distribution, 0, 180, 0, 90);
    const double toward270 = SectorFlux(distribution, 180, 360, 0, 90);
    const double down = street + house;
    if (!(down > 0)) return std::nullopt;
    // Where the downward light leans, from the balance of the four half spaces;
    // a balance within this share of the downward flux leans nowhere.
    constexpr double kLean = 0.05;
    auto quarterTurnToStreet = [](double azimuthDeg) {
        // The rotation that brings `azimuthDeg` to C0, to the nearest quarter turn.
        const int quarters = static_cast<int>(std::lround(-azimuthDeg / 90.0));
        return ((quarters % 4) + 4) % 4 * 90;
    };
    const double leanX = street - house, leanY = toward90 - toward270;
    const bool leans = std::hypot(leanX, leanY) > kLean * down;
    const int fluxRotation = leans ? quarterTurnToStreet(std::atan2(leanY, leanX) / kRadian) : 0;

    const auto classes = ClassifyRoadDistribution(distribution);
    // A maximum thrown along the road may sit a hair either side of it: on the
    // house side means more than a tenth of a mounting height behind the kerb line.
    constexpr double kBehindKerbMh = 0.1;
    const bool maximumOnHouseSide = classes && classes->maxCandelaAcrossMh < -kBehindKerbMh && !Round(distribution);
    const bool fluxOnHouseSide = house > street * (1 + kLean);
    // The rotation: where the downward light leans, or where the maximum lies
    // when the light leans nowhere (or already toward C0).
    const int maximumRotation =
        classes ? quarterTurnToStreet(std::atan2(classes->maxCandelaAlongMh, classes->maxCandelaAcrossMh) / kRadian) : 0;
    OrientationNote note;
    std::string reason;
    if (fluxOnHouseSide || maximumOnHouseSide) {
        note.rotationDeg = fluxRotation != 0 ? fluxRotation : maximumRotation != 0 ? maximumRotation : 180;
        reason = fluxOnHouseSide
                     ? "The larger share of the downward flux lies on the house side (horizontal angles 90\u2013" "270)"
                     : "The maximum intensity lies on the house side (horizontal angles 90\u2013" "270)";
    } else if (curbOrientedFormat && fluxRotation != 0) {
        note.rotationDeg = fluxRotation;
        reason = "EULUMDAT and TM14 data are often measured with C0 along the curb, and this data set's downward "
                 "light is not centred on C0";
    } else {
        return std::nullopt;
    }
    note.text = reason + ": rotation by " + std::to_string(note.rotationDeg) +
                " degrees (Convert tool) brings it to the street side, toward C0. Road figures here take the data as "
                "they stand.";
    return note;
}

bool CurbOrientedFormat(const std::string& filename) {
    const auto slash = filename.find_last_of('/');
    const auto dot = filename.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = filename.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* curb : {"LDT", "EXL", "CIB", "TML", "C1S", "CC"}) {
        if (extension == curb) return true;
    }
    return false;
}

std::optional<RoadArrangement> ParseRoadArrangement(const std::string& name) {
    if (name == "single") return RoadArrangement::SingleSided;
    if (name == "opposite") return RoadArrangement::Opposite;
    if (name == "staggered") return RoadArrangement::Staggered;
    if (name == "central") return RoadArrangement::Central;
    return std::nullopt;
}

std::string RoadArrangementName(RoadArrangement arrangement) {
    switch (arrangement) {
        case RoadArrangement::SingleSided: return "single";
        case RoadArrangement::Opposite: return "opposite";
        case RoadArrangement::Staggered: return "staggered";
        case RoadArrangement::Central: return "central";
    }
    return "single";
}

}  // namespace lumibench::photometry
