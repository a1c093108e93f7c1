#pragma once
// What Tool_ViewPE shows, without widgets: the data sets it holds and how
// host commands change them, the unit of the diagrams, the length unit of the
// settings, and a plain description of its state for scripts and tests.

#include <QJsonObject>

#include <string>
#include <vector>

#include "diagrams/diagram_data.h"
#include "model/photometric_record.h"

namespace lumibench::view {

struct ViewDataSet {
    PhotometricRecord record;
    bool unsaved = false;
    bool shown = true;  // drawn in the overlays
};

enum class UnitChoice { Automatic, Candela, CandelaPerKilolumen };

struct LengthUnit {
    std::string label;     // "ft" or "m"
    double unitsPerMetre;  // 3.28084 or 1
};
// "InputUnits" of the host's settings: "0" (or nothing) feet, anything else metres.
LengthUnit LengthUnitFromSetting(const std::string& inputUnits);

// The name a data set goes by in legends and lists: the file's name without
// its folder, marked when the host said it is not saved.
std::string DataSetLabel(const ViewDataSet& dataSet);

class ViewModel {
public:
    void setDataSets(const WorkRecordTable& records);
    const std::vector<ViewDataSet>& dataSets() const { return dataSets_; }
    // "Unsaved": the first data set handed over is not saved in a file.
    void markFirstUnsaved();
    void setShown(std::size_t index, bool shown);

    // "DeleteFile,path": drops every data set of that file; returns how many.
    std::size_t removeFile(const std::string& path);
    // After "DataChanged" the host's refreshed slots: a data set whose file is
    // among them (case ignored, as the host matches) takes the new data and
    // keeps its place; the others stay as they were. Returns how many changed.
    std::size_t takeRefreshed(const WorkRecordTable& records);

    // Automatic: cd for one data set or equal fluxes, cd/klm when the shown
    // data sets' fluxes differ (a comparison in cd would mislead).
    diagrams::IntensityUnit unitFor(UnitChoice choice) const;
    // The shown data sets as diagram series in that unit.
    std::vector<diagrams::Series> shownSeries(diagrams::IntensityUnit unit) const;

    // {"datasets": [{"file", "label", "unsaved", "shown", "peakCandela"}],
    // "unit"} plus what the caller adds.
    QJsonObject describe(UnitChoice choice) const;

private:
    std::vector<ViewDataSet> dataSets_;
};

}  // namespace lumibench::view
