#pragma once
// Road lighting figures of a type C luminaire whose C0 plane runs along the
// road and whose C90 plane points across it, towards the street side: the IES
// lateral (I-V) and vertical (short, medium, long) classification, the BUG
// rating with the zone lumens it is built from, and illuminance on a road grid.

#include <optional>
#include <string>
#include <vector>

#include "photometry/photometry.h"

namespace lumibench::photometry {

struct RoadClassification {
    std::string lateral;   // "I", "II", "III", "IV" or "V"
    std::string vertical;  // "short", "medium", "long", or "very short" / "very long" outside those ranges
    double maxCandelaAlongMh = 0;   // the maximum's point on the road, in mounting heights along it
    double maxCandelaAcrossMh = 0;  // ... and across it (street side positive)
    double halfMaxAcrossMh = 0;     // farthest street-side reach of the half-maximum trace
};

// Absent for types B and A and for a record without downward light.
std::optional<RoadClassification> ClassifyRoadDistribution(const IntensityDistribution& distribution);

// Zone lumens of the luminaire classification system: front (street side,
// C 0-180) and back (C 180-360) split at gamma 30, 60, 80 and 90 (low, mid,
// high, very high); uplight low 90-100 and high 100-180.
struct BugZones {
    double FL = 0, FM = 0, FH = 0, FVH = 0;
    double BL = 0, BM = 0, BH = 0, BVH = 0;
    double UL = 0, UH = 0;
};

struct BugRating {
    int backlight = 0;
    int uplight = 0;
    int glare = 0;
    BugZones zones;
    std::string text() const;  // "B1-U0-G2"
};

std::optional<BugRating> RateBug(const IntensityDistribution& distribution);

enum class RoadArrangement { SingleSided, Opposite, Staggered, Central };

// Lengths in one unit (metres give lux, feet footcandles).
struct RoadLayout {
    double mountingHeight = 10;
    double spacing = 30;
    double roadWidth = 7;
    int lanes = 2;
    double overhang = 0;  // luminaire reach into the road from its kerb
    RoadArrangement arrangement = RoadArrangement::SingleSided;
    double metresPerUnit = 1;  // 0.3048 for feet: the grid's step rules are in metres
};

struct RoadGridPoint {
    double along = 0;   // from a luminaire, along the road
    double across = 0;  // from the near kerb
    double illuminance = 0;
};

struct RoadIlluminance {
    std::vector<RoadGridPoint> points;
    int pointsAlong = 0;
    int pointsAcross = 0;
    double average = 0;
    double minimum = 0;
    double maximum = 0;
    double overallUniformity = 0;  // minimum / average
};

// The field between two luminaires of one row, with the calculation points of
// the road-lighting standards: along the road spacing / N apart (N = 10 up to
// 30 m, else the least N with spacing / N at most 3 m), the first half a step
// from the luminaire; across, three per lane, half a step from the lane edges.
// Luminaires within five mounting heights of a point along the road count.
RoadIlluminance RoadGridIlluminance(const IntensityDistribution& distribution, const RoadLayout& layout);

std::optional<RoadArrangement> ParseRoadArrangement(const std::string& name);
std::string RoadArrangementName(RoadArrangement arrangement);

}  // namespace lumibench::photometry
