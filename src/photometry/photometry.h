#pragma once
// Photometric calculations on the record model: intensity in any direction,
// luminous flux by zonal integration, and the figures a datasheet prints.
// Plain C++ and the record model only, so tools, the command-line programs
// and the benchmarks share one implementation.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench::photometry {

// Angles of a direction as the record's photometric type names them:
// type C: horizontal = C plane, vertical = gamma (0 = nadir);
// type B and A: horizontal = H, vertical = V (0 = the luminaire's axis).
struct Direction {
    double horizontal = 0;
    double vertical = 0;
};

// The record's candela table with its horizontal symmetry expanded to the full
// range of its type, values in candela (candela x CandelaMultiplier), and
// linear interpolation in both angles between the stored ones.
class IntensityDistribution {
public:
    explicit IntensityDistribution(const PhotometricRecord& record);

    int photometricType() const { return type_; }
    // Candela in a direction; outside the measured vertical range the value is 0.
    double candela(Direction direction) const;
    // The expanded grid: horizontal angles covering the whole range of the
    // type (type C: 0..360 inclusive), the stored vertical angles, and
    // values[h][v] in candela.
    const std::vector<double>& horizontalAngles() const { return horizontal_; }
    const std::vector<double>& verticalAngles() const { return vertical_; }
    const std::vector<std::vector<double>>& values() const { return values_; }
    // Type C: for each vertical angle, the sum over planes of candela x the
    // plane's wedge (radians, bounds midway between planes); the zonal flux
    // of every zone comes from these.
    const std::vector<double>& wedgeSums() const { return wedgeSums_; }

private:
    int type_ = 1;
    std::vector<double> horizontal_;
    std::vector<double> vertical_;
    std::vector<std::vector<double>> values_;
    std::vector<double> wedgeSums_;
};

struct ZonalLumens {
    double from = 0;  // degrees of gamma (type C) or of the zone's polar angle
    double to = 0;
    double lm = 0;
    std::optional<double> percentLamp;  // absent for absolute photometry
    double percentLuminaire = 0;
};

// Beam (50 %) or field (10 %) angle of one plane pair, as a full angle.
struct SpreadAngle {
    std::string plane;  // "C0-C180", "C90-C270", or "horizontal", "vertical"
    std::optional<double> degrees;  // absent where the intensity never falls that low
};

struct Summary {
    double luminaireFluxLm = 0;
    std::optional<double> lampFluxLm;  // LampCount x LumensPerLamp; absent for absolute photometry
    double downwardFluxLm = 0;
    double upwardFluxLm = 0;
    std::optional<double> lorPercent;
    std::optional<double> dlorPercent;
    std::optional<double> ulorPercent;
    double maxIntensityCd = 0;
    Direction maxIntensityDirection;
    std::vector<SpreadAngle> beamAngles;
    std::vector<SpreadAngle> fieldAngles;
    std::vector<ZonalLumens> zonalLumens;
    // N1..N3: flux in the 41.4, 60 and 75.5 degree cones as % of the downward
    // flux; N4: downward flux as % of the luminaire flux; N5: LOR in % (100
    // for absolute photometry, where the luminaire is its own reference).
    // Types B and A take the cones about the luminaire's axis.
    std::array<double, 5> cieFluxCode{};
    // Luminaire lumens / input watts; absent without input watts.
    std::optional<double> efficacyLmPerW;
};

// One rule for the ballast factor: every figure (flux, LOR, zonal lumens, CU,
// UGR, BUG, illuminance, efficacy) is that of the data as measured; the
// factor is shown beside them and multiplies none.
inline constexpr bool kBallastFactorApplied = false;

// Luminous flux in lumens emitted between two vertical angles (type C: gamma
// from..to; type B/A: the zone between the two polar angles about the axis).
// Each stored value stands for the cell whose bounds lie midway between its
// angle and the neighbouring ones, in both angles; a zone boundary that cuts a
// cell takes the share of the cell's solid angle that lies inside.
double ZoneFlux(const IntensityDistribution& distribution, double from, double to);
// Several zones at once, {from, to} each: one pass over the record for types B and A.
std::vector<double> ZoneFluxes(const IntensityDistribution& distribution,
                               const std::vector<std::array<double, 2>>& zones);
// Flux below and above the horizontal plane through the luminaire (type C:
// gamma 0-90 and 90-180; type B: V below and above 0; type A: V likewise).
double DownwardFlux(const IntensityDistribution& distribution);
double UpwardFlux(const IntensityDistribution& distribution);
double TotalFlux(const IntensityDistribution& distribution);
// Flux of the cells (bounds midway, as ZoneFlux) whose stored intensity is at
// least `candela`: the lumens inside an isocandela contour.
double FluxAtOrAbove(const IntensityDistribution& distribution, double candela);
// Type C: flux between planes cFrom..cTo (degrees, taken round the circle, so
// 270..450 is the half centred on C0) and gamma gammaFrom..gammaTo; plane
// wedges and gamma zones are split where the bounds cut them. 0 for types B and A.
double SectorFlux(const IntensityDistribution& distribution, double cFrom, double cTo, double gammaFrom,
                  double gammaTo);

// The planes a spread is measured in: a type C plane pair through both poles
// (C0-C180, C90-C270, or any pair given by its first plane), or for types B
// and A the horizontal (V = 0) and vertical (H = 0) planes through the axis.
struct SpreadPlane {
    enum Kind { CPair, Horizontal, Vertical } kind = CPair;
    double firstPlane = 0;  // CPair only; the pair is firstPlane and firstPlane + 180
};

// Edges of the spread about the plane's maximum, in degrees along the plane
// (type C: gamma in the first plane, 360 - gamma in the second).
struct Spread {
    double fullAngle = 0;
    double first = 0;   // edge on the side of decreasing angle
    double second = 0;  // edge on the side of increasing angle
    double peakCd = 0;
    double peakAngle = 0;
};

// Full angle within which the plane's intensity stays at or above `fraction`
// of the plane's maximum, each edge found by linear interpolation walking out
// from the maximum; absent where it never falls that low (within 180 degrees
// each way) or the plane is dark.
std::optional<Spread> PlaneSpread(const IntensityDistribution& distribution, SpreadPlane plane, double fraction);

// The IES zones of the zonal lumen summary, in degrees.
inline constexpr std::array<std::array<double, 2>, 9> kIesZones{{
    {0, 30}, {0, 40}, {0, 60}, {0, 90}, {90, 120}, {90, 130}, {90, 150}, {90, 180}, {0, 180}}};
// Half-angles of the cones that hold pi/2, pi and 3pi/2 sr of the lower
// hemisphere, from which the first three numbers of the CIE flux code come.
inline constexpr std::array<double, 3> kCieFluxCodeCones{41.4096221092709, 60.0, 75.5224878140701};

// Lamp flux of relative photometry (LampCount x LumensPerLamp); absent for
// absolute photometry and where either number is not positive.
std::optional<double> LampFlux(const PhotometricRecord& record);

Summary Summarise(const PhotometricRecord& record);
Summary Summarise(const PhotometricRecord& record, const IntensityDistribution& distribution);

}  // namespace lumibench::photometry
