#pragma once
// Indoor figures of a type C luminaire: coefficients of utilisation by the
// zonal cavity method, the UGR table by the CIE tabular method, the spacing
// criterion in both principal planes and the average luminance table.
//
// The luminous opening comes from the record: Length along the luminaire's
// length axis, Width across it, Height its vertical side; a negative width or
// length means a round (elliptical) opening. Lengths in feet (UnitsType 1) are
// turned to metres, so luminances are in cd/m^2.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "photometry/photometry.h"

namespace lumibench::photometry {

// The axis the record's Length lies along. LM-63 measures the luminous
// opening's length along the 0-180 degree plane and its width along 90-270;
// EULUMDAT and TM14 follow the CIE C-plane convention, in which C0-C180 is the
// transverse plane of a linear luminaire and its length lies along C90-C270.
enum class LengthAxis { C0C180, C90C270 };
LengthAxis LengthAxisOf(const PhotometricRecord& record);  // by the file name's extension
std::string LengthAxisName(LengthAxis axis);                // "C0\u2013C180", "C90\u2013C270"

// Effective reflectances of ceiling cavity, walls and floor cavity, in percent.
struct Reflectances {
    int ceiling = 80;
    int walls = 50;
    int floor = 20;
};

// Flux fractions of the reference flux in the eighteen 10-degree zones from
// nadir; the reference is the lamp flux, or the luminaire flux for absolute
// photometry.
std::array<double, 18> TenDegreeZoneFractions(const IntensityDistribution& distribution, double referenceFluxLm);

// Zonal cavity method for one room: zonal multipliers exp(-A RCR^B) give the
// direct ratio, then ceiling, walls and floor exchange flux as three uniform
// surfaces. The floor-to-ceiling form factor is that of a long room with the
// same room cavity ratio, sqrt(1 + (RCR/5)^2) - RCR/5.
double CoefficientOfUtilisation(const std::array<double, 18>& zones, double roomCavityRatio, const Reflectances& r);

struct CuTable {
    std::vector<int> roomCavityRatios;     // 0..10
    std::vector<Reflectances> columns;     // the standard ceiling/wall pairs, floor 20
    std::vector<std::vector<double>> cu;   // cu[rcr][column], a fraction
};

CuTable CoefficientsOfUtilisation(const IntensityDistribution& distribution, double referenceFluxLm);

// One glare source as the observer sees it.
struct GlareSource {
    double candela = 0;         // towards the observer
    double projectedArea = 0;   // m^2, seen from the observer
    double distance = 0;        // m
    double positionIndex = 1;   // Guth
};

// Guth position index of a source `lateral` to the side, `height` above the
// eye and `forward` along the line of sight (any one length unit).
double GuthPositionIndex(double lateral, double height, double forward);

// UGR = 8 log10(0.25 / Lb x sum(L^2 w / p^2)); nullopt without sources or background.
std::optional<double> UnifiedGlareRating(const std::vector<GlareSource>& sources, double backgroundLuminance);

struct UgrRoom {
    double x = 2;  // across the line of sight, in units of H
    double y = 2;  // along it
};

struct UgrTable {
    std::vector<UgrRoom> rooms;                // the nineteen standard rooms
    std::vector<Reflectances> columns;         // 70/50/20, 70/30/20, 50/50/20, 50/30/20, 30/30/20
    std::vector<std::vector<double>> crosswise;  // [room][column]: luminaire length (C0) across the line of sight
    std::vector<std::vector<double>> endwise;    // ... along it
};

// Rooms X by Y in units of H = 2 m (luminaires above the eye), luminaires
// 0.25 H apart, the observer seated at the middle of a wall looking along Y.
// Crosswise and endwise follow the luminaire's length axis (by default the
// one the record's format gives). Absent without a luminous area or light.
std::optional<UgrTable> UgrTabular(const IntensityDistribution& distribution, const PhotometricRecord& record);
std::optional<UgrTable> UgrTabular(const IntensityDistribution& distribution, const PhotometricRecord& record,
                                   LengthAxis axis);

// The spacing-to-mounting-height ratio up to which two luminaires light the
// point midway between them at least as much as the point below one of them;
// absent where they always do (within 4) or no light falls below.
struct SpacingCriterion {
    std::optional<double> plane0;   // luminaires in a row along C0-C180
    std::optional<double> plane90;  // along C90-C270
    // Four luminaires on the corners of a square with sides along C0 and C90:
    // the side up to which the centre gets at least as much as the point
    // below one of them (from all four).
    std::optional<double> diagonal;
};
SpacingCriterion SpacingCriteria(const IntensityDistribution& distribution);

// Projected area (m^2) of the luminous opening seen from direction (C, gamma).
double ProjectedArea(const PhotometricRecord& record, Direction direction, LengthAxis axis = LengthAxis::C0C180);

struct LuminanceTable {
    std::vector<double> gammas;  // 45, 55, 65, 75, 85
    std::vector<double> planes;  // 0, 45, 90
    std::vector<std::vector<double>> values;  // cd/m^2, [gamma][plane]
};
std::optional<LuminanceTable> AverageLuminances(const IntensityDistribution& distribution,
                                                const PhotometricRecord& record);
std::optional<LuminanceTable> AverageLuminances(const IntensityDistribution& distribution,
                                                const PhotometricRecord& record, LengthAxis axis);

}  // namespace lumibench::photometry
