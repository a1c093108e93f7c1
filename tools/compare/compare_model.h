#pragma once
// What Tool_ComparePE compares, without widgets: the data sets and their
// reference, the figures table with differences, the intensity ratio grids,
// and a plain description of its state for scripts and tests.

#include <QJsonObject>

#include <cstddef>
#include <string>
#include <vector>

#include "diagrams/data_sets.h"
#include "photometry/comparison.h"

namespace lumibench::compare {

using diagrams::DataSetLabel;
using diagrams::UnitChoice;

// The data set list with a reference among it. The reference follows its data
// set when others are dropped; when it is dropped itself, the first one
// takes over.
class CompareModel : public diagrams::DataSetList {
public:
    void setDataSets(const WorkRecordTable& records);
    std::size_t removeFile(const std::string& path);
    std::size_t takeRefreshed(const WorkRecordTable& records);
    void markFirstUnsaved();

    std::size_t reference() const { return reference_; }
    void setReference(std::size_t index);

    // Every data set's figures against the reference's.
    const photometry::Comparison& comparison() const { return comparison_; }
    // Data set `index` over the reference, in the unit both are drawn in.
    photometry::RatioGrid ratioGrid(std::size_t index, diagrams::IntensityUnit unit) const;

    // {"datasets": [{"file", "label", "unsaved", "shown", "reference"}],
    // "reference", "unit", "figures": [{"name", "unit", "values", "differences"}]}.
    QJsonObject describe(UnitChoice choice) const;

    // Why an export may not go to `path` (the file system's bytes): it is a
    // compared data set's own file. Empty when it may; the file dialog has
    // asked before replacing any other file.
    std::string exportRefusal(const std::string& path) const;

private:
    void summarise();
    void compareAgain();

    std::size_t reference_ = 0;
    std::vector<photometry::Summary> summaries_;
    photometry::Comparison comparison_;
};

}  // namespace lumibench::compare
