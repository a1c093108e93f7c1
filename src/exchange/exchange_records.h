#pragma once
// The exchange slots: up to 25 data sets as text values in one section of the
// shared settings store, the layout that host and tools both read and write.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "platform/settings_store.h"

namespace lumibench {

// ReadExchangeRecords results. Any other value is the code of an unexpected
// failure (kSubscriptOutOfRange, kOverflow).
inline constexpr std::int16_t kExchangeRead = 0;
inline constexpr std::int16_t kExchangeEmpty = -1;
inline constexpr std::int16_t kExchangeParseProblem = 1;
// A list shorter than its count, or a negative count.
inline constexpr std::int16_t kSubscriptOutOfRange = 9;
inline constexpr const char* kSubscriptOutOfRangeText = "Subscript out of range";
// A count beyond the 16-bit range, or a number beyond the 32-bit float range.
inline constexpr std::int16_t kOverflow = 6;
inline constexpr const char* kOverflowText = "Overflow";

inline constexpr const char* kProblemTiltData = "Problem parsing tilt data";
inline constexpr const char* kProblemOtherData = "Problem parsing other data";
inline constexpr const char* kProblemVertAngles = "Problem parsing vertical angles";
inline constexpr const char* kProblemHorAngles = "Problem parsing horizontal angles";

inline constexpr const char* kLoadDataTitle = "Load Data";
// Followed by the slot limit in signed form and ")." .
inline constexpr const char* kLoadDataLimitText =
    "You have reached the maximum number of files allowed to load at one time (";

// The key of one slot value: field name followed by the slot number ("Candela12").
std::string SlotKey(std::string_view fieldName, int slot);

// Writes the empty text to all eleven values of slots 1 to 25 of `section`.
void ClearExchangeRecords(SettingsStore& store, std::string_view section);

// WriteExchangeRecords' result when the store did not take the batch: the
// slots are as they were, and the user was told why.
inline constexpr std::int16_t kExchangeWriteFailed = -1;
inline constexpr const char* kExchangeWriteFailedTitle = "Data Exchange";
// Followed by the store's path, ": ", the database's reason and ".".
inline constexpr const char* kExchangeWriteFailedText =
    "The data sets could not be written to the settings store ";

// Clears every slot, then writes records firstRecord, firstRecord + 1, ...
// (numbered from 1) into slots firstSlot to lastSlot, all in one batch that
// other processes see whole or not at all. A slot past the last record gets
// an empty "Filename". Reaching slot 26 with a record left shows the "Load
// Data" message and stops. Returns the number of slots written with a data
// set, or kExchangeWriteFailed when the store refused the batch (a message
// with the store's path and the database's reason has then been shown).
// `emptyAlongside`, when given, is a key of the section emptied in the same
// batch (the mailbox of the command that asked for the slots). With
// `onlyWhileEmpty` the batch writes nothing and returns kExchangeSlotsBusy
// while that key holds a text: a tool's command there still needs the
// slots it wrote.
inline constexpr std::int16_t kExchangeSlotsBusy = -2;
std::int16_t WriteExchangeRecords(SettingsStore& store, std::string_view section,
                                  const WorkRecordTable& work, int firstSlot, int lastSlot,
                                  int firstRecord, MessageSink& messages,
                                  std::string_view emptyAlongside = {},
                                  std::string_view onlyWhileEmpty = {});

// Empties `work` and reads every slot whose "Filename" is not empty into it, in
// slot order, all from one state of the store (never a mixture of two
// writers' slots). Counts are checked against the values present before
// anything is sized by them. Returns kExchangeRead, kExchangeEmpty, kExchangeParseProblem
// (with one of the four "Problem parsing" texts in errorText) or a failure
// code with its description, a blank and the label of the value being read
// ("Subscript out of range (Candela)"). On failure the records read so far,
// the failing one partly filled, stay in `work`.
std::int16_t ReadExchangeRecords(SettingsStore& store, std::string_view section,
                                 WorkRecordTable& work, std::string& errorText);

// The eleven values of one record as written to a slot, in write order; the
// optional ones (KeywordData, TiltData) are left out when not written.
struct SlotValue {
    std::string_view fieldName;
    std::string value;
};
std::vector<SlotValue> FormatSlotValues(const PhotometricRecord& record);

}  // namespace lumibench
