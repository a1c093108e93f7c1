#include "view_model.h"

#include <QJsonArray>
#include <QString>

#include <algorithm>

namespace lumibench::view {

LengthUnit LengthUnitFromSetting(const std::string& inputUnits) {
    // The settings dialog writes "0" for feet and "2" for metres; any other
    // number it reads as metres too.
    std::string trimmed = inputUnits;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    if (trimmed.empty() || trimmed == "0") return {"ft", 1 / 0.3048};
    return {"m", 1};
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
