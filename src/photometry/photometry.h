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

private:
    int type_ = 1;
    std::vector<double> horizontal_;
    std::vector<double> vertical_;
    std::vector<std::vector<double>> values_;
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
    std::array<double, 5> cieFluxCode{};  // N1..N5
    std::optional<double> efficacyLmPerW;  // absent without input watts
};

// Luminous flux in lumens emitted between two vertical angles (type C: gamma
// from..to; type B/A: the zone between the two polar angles about the axis).
double ZoneFlux(const IntensityDistribution& distribution, double from, double to);

Summary Summarise(const PhotometricRecord& record);

}  // namespace lumibench::photometry
