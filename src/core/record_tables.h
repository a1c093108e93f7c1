#pragma once
// Operations on the loaded-file table and the work table.

#include "core/message_sink.h"
#include "model/photometric_record.h"

namespace lumibench {

// Copies the fields that travel through the exchange (not the keyword values,
// the file date, the maximum or Checked) from src[srcIndex] to dst[dstIndex],
// growing dst with fresh records when dstIndex lies past its end. With
// applyMultiplier each candela value is multiplied by the destination's
// multiplier and rounded to 3 decimals.
void CopyPhotometricRecord(const RecordTable& src, std::size_t srcIndex, RecordTable& dst,
                           std::size_t dstIndex, bool applyMultiplier);

// Rounds half up (towards +infinity) to `decimals` places, through the value's
// 15-significant-digit text so that 2.0005 behaves as written, not as stored.
double RoundTo(double value, int decimals);

inline constexpr const char* kAddDataTitle = "Add Data";
inline constexpr const char* kAddDataLimitText =
    "You have loaded the maximum allowable number of photometric files. If you wish to load "
    "additional photometric files, please delete files from the loaded files list.";

// Merges every work record into the loaded table: a record whose file name and
// extension (folder ignored, case ignored) is already loaded replaces that entry
// in place; others are appended while fewer than kMaxLoadedFiles are loaded.
// Returns true when at least one entry was replaced.
bool AddData(const WorkRecordTable& work, LoadedFileTable& loaded, MessageSink& messages);

// Empties `work` and fills it with the checked records of `loaded`, in list order.
void CollectCheckedRecords(const LoadedFileTable& loaded, WorkRecordTable& work);

// The check boxes of the loaded files list, seen without any widget.
class CheckStateSource {
public:
    virtual ~CheckStateSource() = default;
    virtual std::size_t lineCount() const = 0;
    virtual bool isChecked(std::size_t line) const = 0;  // 0-based
};

// Copies each list line's check state into the record of the same number.
void StoreCheckStates(LoadedFileTable& loaded, const CheckStateSource& list);

}  // namespace lumibench
