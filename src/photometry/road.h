#pragma once
// Road lighting figures of a type C luminaire as IES data orient it: the C0
// plane points across the road to the street side (horizontal angles 270-90
// are the street side, 90-270 the house side) and C90 runs along the road.
// The IES lateral (I-V) and vertical (short, medium, long) classification, the
// luminaire classification (BUG) with the zone lumens it is built from,
// illuminance on a road grid, and a note when the data look turned.

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
    double halfMaxHouseMh = 0;      // farthest house-side reach (positive), which Type I limits too
};

// The street side as the sheets and the JSON state it.
inline constexpr const char* kStreetSideText = "street side: horizontal angles 270\u2013" "90, toward C0";

// Absent for types B and A and for a record without downward light.
std::optional<RoadClassification> ClassifyRoadDistribution(const IntensityDistribution& distribution);

// Zone lumens of the luminaire classification system: front (street side,
// C 270-90) and back (house side, C 90-270) split at gamma 30, 60, 80 and 90
// (low, mid, high, very high); uplight low 90-100 and high 100-180.
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

// Why and how far to turn data whose light goes to the house side: IES data
// whose maximum or larger share of downward flux lies there, or data from a
// format often measured with C0 along the curb (EULUMDAT, TM14) whose downward
// flux is not centred on C0. `rotationDeg` (90, 180 or 270) is the rotation
// I'(C) = I(C - rotation) that brings the light to the street side.
struct OrientationNote {
    int rotationDeg = 0;
    std::string text;
};
std::optional<OrientationNote> RoadOrientationNote(const IntensityDistribution& distribution, bool curbOrientedFormat);
// EULUMDAT and TM14 files, by the file name's extension (case ignored).
bool CurbOrientedFormat(const std::string& filename);

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

// Each luminaire's C0 points across the road, away from its own kerb: the
// near row's toward the far kerb, the far row's back toward the near one.
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

// The same field on an even grid from luminaire to luminaire and kerb to kerb,
// fine enough for smooth isolux lines (the figures keep the grid above).
RoadIlluminance RoadIlluminanceForDrawing(const IntensityDistribution& distribution, const RoadLayout& layout,
                                          int pointsAlong, int pointsAcross);

std::optional<RoadArrangement> ParseRoadArrangement(const std::string& name);
std::string RoadArrangementName(RoadArrangement arrangement);

}  // namespace lumibench::photometry
