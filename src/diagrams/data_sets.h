#pragma once
// The data sets a diagram tool holds, and how the host's commands change
// them: the first one marked unsaved, a file's data sets dropped, refreshed
// data taken in place. Shared by the tools that overlay data sets.

#include <string>
#include <vector>

#include "diagrams/diagram_data.h"
#include "model/photometric_record.h"

namespace lumibench::diagrams {

struct DataSet {
    PhotometricRecord record;
    bool unsaved = false;
    bool shown = true;  // drawn in the overlays
};

enum class UnitChoice { Automatic, Candela, CandelaPerKilolumen };

// The name a data set goes by in legends and lists: the file's name without
// its folder, marked when the host said it is not saved.
std::string DataSetLabel(const DataSet& dataSet);

class DataSetList {
public:
    void setDataSets(const WorkRecordTable& records);
    const std::vector<DataSet>& dataSets() const { return dataSets_; }
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
    IntensityUnit unitFor(UnitChoice choice) const;
    // The shown data sets as diagram series in that unit.
    std::vector<Series> shownSeries(IntensityUnit unit) const;

protected:
    std::vector<DataSet> dataSets_;
};

}  // namespace lumibench::diagrams
