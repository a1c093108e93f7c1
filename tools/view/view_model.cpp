#include "view_model.h"

#include <QJsonArray>
#include <QString>

#include <algorithm>
#include <cctype>

namespace lumibench::view {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

}  // namespace

LengthUnit LengthUnitFromSetting(const std::string& inputUnits) {
    // The settings dialog writes "0" for feet and "2" for metres; any other
    // number it reads as metres too.
    std::string trimmed = inputUnits;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    if (trimmed.empty() || trimmed == "0") return {"ft", 1 / 0.3048};
    return {"m", 1};
}

std::string DataSetLabel(const ViewDataSet& dataSet) {
    const std::string& path = dataSet.record.Filename;
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) name = "(no file name)";
    if (dataSet.unsaved) name += " (unsaved)";
    return name;
}

void ViewModel::setDataSets(const WorkRecordTable& records) {
    dataSets_.clear();
    for (const auto& record : records) dataSets_.push_back({record, false, true});
}

void ViewModel::markFirstUnsaved() {
    if (!dataSets_.empty()) dataSets_.front().unsaved = true;
}

void ViewModel::setShown(std::size_t index, bool shown) {
    if (index < dataSets_.size()) dataSets_[index].shown = shown;
}

std::size_t ViewModel::removeFile(const std::string& path) {
    const auto before = dataSets_.size();
    std::erase_if(dataSets_, [&](const ViewDataSet& d) { return d.record.Filename == path; });
    return before - dataSets_.size();
}

std::size_t ViewModel::takeRefreshed(const WorkRecordTable& records) {
    std::size_t changed = 0;
    for (auto& dataSet : dataSets_) {
        for (const auto& record : records) {
            if (!SameIgnoringCase(record.Filename, dataSet.record.Filename)) continue;
            if (!(record == dataSet.record)) {
                const std::string keepName = dataSet.record.Filename;
                dataSet.record = record;
                dataSet.record.Filename = keepName;
                ++changed;
            }
            break;
        }
    }
    return changed;
}

diagrams::IntensityUnit ViewModel::unitFor(UnitChoice choice) const {
    if (choice == UnitChoice::Candela) return diagrams::IntensityUnit::Candela;
    if (choice == UnitChoice::CandelaPerKilolumen) return diagrams::IntensityUnit::CandelaPerKilolumen;
    std::vector<const PhotometricRecord*> shown;
    for (const auto& d : dataSets_) {
        if (d.shown) shown.push_back(&d.record);
    }
    return shown.size() > 1 && diagrams::FluxesDiffer(shown) ? diagrams::IntensityUnit::CandelaPerKilolumen
                                                              : diagrams::IntensityUnit::Candela;
}

std::vector<diagrams::Series> ViewModel::shownSeries(diagrams::IntensityUnit unit) const {
    std::vector<diagrams::Series> series;
    for (const auto& d : dataSets_) {
        if (d.shown) series.push_back(diagrams::MakeSeries(d.record, unit, DataSetLabel(d)));
    }
    return series;
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
