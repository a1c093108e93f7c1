#include "view_model.h"

#include <QJsonArray>
#include <QString>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "photometry/photometry.h"

namespace lumibench::view {

LengthUnit LengthUnitFromSetting(const std::string& inputUnits) {
    // The settings dialog writes "0" for feet and "2" for metres; any other
    // number it reads as metres too.
    std::string trimmed = inputUnits;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    if (trimmed.empty() || trimmed == "0") return {"ft", 1 / 0.3048};
    return {"m", 1};
}

IlluminanceCone NadirIlluminance(const PhotometricRecord& record, const std::string& outputUnits) {
    std::string trimmed = outputUnits;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    const bool footcandles = trimmed.empty() || trimmed == "0";
    IlluminanceCone cone{footcandles ? "fc" : "lx", footcandles ? "ft" : "m", {}};
    const photometry::IntensityDistribution distribution(record);
    // Straight down is gamma 0 for type C and the axis (0, 0) for B and A, which
    // assumes a floodlight aimed down; both are (0, 0) in the record's angles.
    const double nadir = distribution.candela({0, 0});
    const photometry::Summary summary = photometry::Summarise(record, distribution);
    std::optional<double> beam;
    if (!summary.beamAngles.empty()) beam = summary.beamAngles.front().degrees;
    const std::vector<double> heights = footcandles ? std::vector<double>{5, 10, 15, 20, 25}
                                                    : std::vector<double>{1, 2, 3, 4, 5};
    for (double h : heights) {
        // Inverse square law: cd / ft² is footcandles, cd / m² is lux.
        ConeRow row{h, std::isfinite(nadir) ? nadir / (h * h) : 0, std::nullopt};
        if (beam && *beam > 0 && *beam < 180) row.beamDiameter = 2 * h * std::tan(*beam / 2 * std::numbers::pi / 180);
        cone.rows.push_back(row);
    }
    return cone;
}

QJsonObject ViewModel::describe(UnitChoice choice) const {
    QJsonArray list;
    for (const auto& d : dataSets_) {
        double peak = 0;
        for (const auto& row : d.record.Candela)
            for (double v : row) peak = std::max(peak, v * d.record.CandelaMultiplier);
        list.append(QJsonObject{{"file", QString::fromStdString(d.record.Filename)},
                                {"label", QString::fromStdString(DataSetLabel(d))},
                                {"unsaved", d.unsaved},
                                {"shown", d.shown},
                                {"peakCandela", peak}});
    }
    return QJsonObject{{"datasets", list}, {"unit", QString::fromStdString(diagrams::UnitLabel(unitFor(choice)))}};
}

}  // namespace lumibench::view
