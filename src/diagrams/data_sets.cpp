#include "diagrams/data_sets.h"

#include <algorithm>
#include <cctype>

namespace lumibench::diagrams {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

}  // namespace

std::string DataSetLabel(const DataSet& dataSet) {
    const std::string& path = dataSet.record.Filename;
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) name = "(no file name)";
    if (dataSet.unsaved) name += " (unsaved)";
    return name;
}

void DataSetList::setDataSets(const WorkRecordTable& records) {
    dataSets_.clear();
    for (const auto& record : records) dataSets_.push_back({record, false, true});
}

void DataSetList::markFirstUnsaved() {
    if (!dataSets_.empty()) dataSets_.front().unsaved = true;
}

void DataSetList::setShown(std::size_t index, bool shown) {
    if (index < dataSets_.size()) dataSets_[index].shown = shown;
}

std::size_t DataSetList::removeFile(const std::string& path) {
    const auto before = dataSets_.size();
    std::erase_if(dataSets_, [&](const DataSet& d) { return d.record.Filename == path; });
    return before - dataSets_.size();
}

std::size_t DataSetList::takeRefreshed(const WorkRecordTable& records) {
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

IntensityUnit DataSetList::unitFor(UnitChoice choice) const {
    if (choice == UnitChoice::Candela) return IntensityUnit::Candela;
    if (choice == UnitChoice::CandelaPerKilolumen) return IntensityUnit::CandelaPerKilolumen;
    std::vector<const PhotometricRecord*> shown;
    for (const auto& d : dataSets_) {
        if (d.shown) shown.push_back(&d.record);
    }
    return shown.size() > 1 && FluxesDiffer(shown) ? IntensityUnit::CandelaPerKilolumen
                                                              : IntensityUnit::Candela;
}

std::vector<Series> DataSetList::shownSeries(IntensityUnit unit) const {
    std::vector<Series> series;
    for (const auto& d : dataSets_) {
        if (d.shown) series.push_back(MakeSeries(d.record, unit, DataSetLabel(d)));
    }
    return series;
}

}  // namespace lumibench::diagrams
