#pragma once
// What the Convert tool edits, without a window: the data sets it was handed,
// each one's changes so far (undone one at a time until the window closes),
// and the data set to send back under its own name or a new one.

#include <string>
#include <vector>

#include "model/photometric_record.h"
#include "photometry/record_transform.h"

namespace lumibench::convert_tool {

class ConvertEditor {
public:
    explicit ConvertEditor(WorkRecordTable records);

    std::size_t count() const { return sets_.size(); }
    std::size_t selected() const { return selected_; }
    void select(std::size_t index);

    // The selected data set as it was last handed over or sent back, and as it is now.
    const PhotometricRecord& before() const;
    const PhotometricRecord& current() const;
    bool hasChanges() const { return !sets_.empty() && before() != current(); }
    bool canUndo() const { return !sets_.empty() && !sets_[selected_].undo.empty(); }

    // Changes the selected data set; the outcome says why when it was refused.
    photometry::TransformOutcome apply(const photometry::RecordTransform& transform);
    void undo();

    // The host took the current data set under its own name: it becomes the new "before".
    void markSent();
    // The current data set under `name`: a bare name goes into the folder of
    // the data set's file and gets its extension.
    PhotometricRecord asNewDataSet(const std::string& name) const;

    // The host closed that file.
    void forget(const std::string& path);
    std::vector<std::string> names() const;

private:
    struct DataSet {
        PhotometricRecord before;
        PhotometricRecord current;
        std::vector<PhotometricRecord> undo;
    };
    std::vector<DataSet> sets_;
    std::size_t selected_ = 0;
};

}  // namespace lumibench::convert_tool
