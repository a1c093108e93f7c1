#include "convert_editor.h"

#include <algorithm>
#include <filesystem>

#include "core/path_text.h"
#include "sdk/photometric_files.h"

namespace lumibench::convert_tool {

ConvertEditor::ConvertEditor(WorkRecordTable records) {
    for (PhotometricRecord& record : records) sets_.push_back({record, std::move(record), {}});
}

void ConvertEditor::select(std::size_t index) {
    if (index < sets_.size()) selected_ = index;
}

const PhotometricRecord& ConvertEditor::before() const {
    static const PhotometricRecord kNone;
    return sets_.empty() ? kNone : sets_[selected_].before;
}

const PhotometricRecord& ConvertEditor::current() const {
    static const PhotometricRecord kNone;
    return sets_.empty() ? kNone : sets_[selected_].current;
}

photometry::TransformOutcome ConvertEditor::apply(const photometry::RecordTransform& transform) {
    if (sets_.empty()) return {std::nullopt, "There is no data set to change.", {}};
    DataSet& set = sets_[selected_];
    photometry::TransformOutcome outcome = photometry::TransformRecord(set.current, transform);
    if (outcome.record) {
        set.undo.push_back(set.current);
        set.current = *outcome.record;
    }
    return outcome;
}

void ConvertEditor::undo() {
    if (!canUndo()) return;
    DataSet& set = sets_[selected_];
    set.current = std::move(set.undo.back());
    set.undo.pop_back();
}

void ConvertEditor::markSent() {
    if (!sets_.empty()) sets_[selected_].before = sets_[selected_].current;
}

PhotometricRecord ConvertEditor::asNewDataSet(const std::string& name) const {
    namespace fs = std::filesystem;
    PhotometricRecord record = current();
    fs::path path(name);
    const fs::path own(record.Filename);
    // Without a photometric extension the name keeps the data set's own, so
    // that Save writes it in the format it came in.
    const auto known = PhotometricFileExtensions();
    const std::string extension = UpperAscii(path.extension().string());
    if (std::none_of(known.begin(), known.end(), [&](const std::string& e) { return UpperAscii(e) == extension; })) {
        path += own.extension();
    }
    if (!path.has_parent_path() && own.has_parent_path()) path = own.parent_path() / path;
    record.Filename = path.string();
    return record;
}

void ConvertEditor::forget(const std::string& path) {
    for (std::size_t i = sets_.size(); i-- > 0;) {
        if (UpperAscii(sets_[i].before.Filename) == UpperAscii(path)) sets_.erase(sets_.begin() + static_cast<long>(i));
    }
    if (selected_ >= sets_.size()) selected_ = sets_.empty() ? 0 : sets_.size() - 1;
}

std::vector<std::string> ConvertEditor::names() const {
    std::vector<std::string> names;
    for (const DataSet& set : sets_) names.push_back(set.before.Filename);
    return names;
}

}  // namespace lumibench::convert_tool
