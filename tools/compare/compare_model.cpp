#include "compare_model.h"

#include <QJsonArray>
#include <QString>

#include "core/run_outputs.h"

namespace lumibench::compare {
namespace {

QJsonValue Optional(const std::optional<double>& v) { return v ? QJsonValue(*v) : QJsonValue(); }

}  // namespace

void CompareModel::setDataSets(const WorkRecordTable& records) {
    DataSetList::setDataSets(records);
    reference_ = 0;
    summarise();
}

std::size_t CompareModel::removeFile(const std::string& path) {
    const std::string referenceFile = dataSets_.empty() ? std::string() : dataSets_[reference_].record.Filename;
    const std::size_t removed = DataSetList::removeFile(path);
    if (removed == 0) return 0;
    reference_ = 0;
    for (std::size_t i = 0; i < dataSets_.size(); ++i) {
        if (dataSets_[i].record.Filename == referenceFile) {
            reference_ = i;
            break;
        }
    }
    summarise();
    return removed;
}

std::size_t CompareModel::takeRefreshed(const WorkRecordTable& records) {
    const std::size_t changed = DataSetList::takeRefreshed(records);
    if (changed > 0) summarise();
    return changed;
}

void CompareModel::markFirstUnsaved() {
    DataSetList::markFirstUnsaved();
    compareAgain();  // the label changes
}

void CompareModel::setReference(std::size_t index) {
    if (index >= dataSets_.size() || index == reference_) return;
    reference_ = index;
    compareAgain();
}

void CompareModel::summarise() {
    summaries_.clear();
    for (const auto& d : dataSets_) summaries_.push_back(photometry::Summarise(d.record));
    compareAgain();
}

void CompareModel::compareAgain() {
    std::vector<photometry::NamedSummary> named;
    for (std::size_t i = 0; i < dataSets_.size(); ++i) named.push_back({DataSetLabel(dataSets_[i]), summaries_[i]});
    comparison_ = photometry::CompareSummaries(named, reference_);
}

photometry::RatioGrid CompareModel::ratioGrid(std::size_t index, diagrams::IntensityUnit unit) const {
    if (index >= dataSets_.size() || reference_ >= dataSets_.size()) {
        photometry::RatioGrid none;
        none.problem = "No data set to compare.";
        return none;
    }
    const auto set = diagrams::MakeSeries(dataSets_[index].record, unit, {});
    const auto reference = diagrams::MakeSeries(dataSets_[reference_].record, unit, {});
    return photometry::IntensityRatioGrid(*set.distribution, set.factor, *reference.distribution, reference.factor);
}

QJsonObject CompareModel::describe(UnitChoice choice) const {
    QJsonArray list;
    for (std::size_t i = 0; i < dataSets_.size(); ++i) {
        const auto& d = dataSets_[i];
        list.append(QJsonObject{{"file", QString::fromStdString(d.record.Filename)},
                                {"label", QString::fromStdString(DataSetLabel(d))},
                                {"unsaved", d.unsaved},
                                {"shown", d.shown},
                                {"reference", i == reference_}});
    }
    QJsonArray figures;
    for (const auto& f : comparison_.figures) {
        QJsonArray values, differences;
        for (const auto& v : f.values) values.append(Optional(v));
        for (const auto& v : f.differences) differences.append(Optional(v));
        figures.append(QJsonObject{{"name", QString::fromStdString(f.name)},
                                   {"unit", QString::fromStdString(f.unit)},
                                   {"differenceUnit", QString::fromStdString(photometry::DifferenceUnit(f.difference))},
                                   {"values", values},
                                   {"differences", differences}});
    }
    return QJsonObject{{"datasets", list},
                       {"reference", dataSets_.empty() ? QJsonValue() : QJsonValue(static_cast<int>(reference_))},
                       {"unit", QString::fromStdString(diagrams::UnitLabel(unitFor(choice)))},
                       {"figures", figures}};
}

std::string CompareModel::exportRefusal(const std::string& path) const {
    RunOutputs outputs(true);
    for (const auto& set : dataSets()) outputs.addInput(set.record.Filename);
    return outputs.refusal(path);
}

}  // namespace lumibench::compare
