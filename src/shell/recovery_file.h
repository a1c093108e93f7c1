#pragma once
// Records that were never saved in a file outlive a host that is ended by the
// system (logout, kill, a closed terminal): they are kept in a recovery file
// in the per-user data folder and offered back at the next start.
//
// The file is a settings store of its own holding one group of exchange
// slots per host that wrote it (the section is that host's exchange section),
// so it keeps exactly what a tool would hand back, byte for byte.

#include <filesystem>
#include <string>

#include "core/message_sink.h"
#include "model/photometric_record.h"

namespace lumibench {

inline constexpr const char* kRecoveryFileName = "recovery.sqlite3";
inline constexpr const char* kRecoveryTitle = "LumibenchPE";
// Followed by the number of files and kRecoveryQuestionEnd.
inline constexpr const char* kRecoveryQuestionStart =
    "Lumibench was ended by the system while files in its loaded files list were not saved. "
    "Unsaved files kept: ";
inline constexpr const char* kRecoveryQuestionEnd =
    ". Do you want them back in the loaded files list?";

std::filesystem::path RecoveryFilePath(const std::filesystem::path& userDataFolder);

// Writes the records of `loaded` whose Saved is false under `section` (any
// earlier ones of that section are replaced). Returns the number kept, or -1
// when the file could not be written, with the reason in `error`.
int WriteRecoveryFile(const std::filesystem::path& file, const std::string& section,
                      const LoadedFileTable& loaded, std::string* error = nullptr);

// Takes every record kept in the file, whoever wrote it, and empties the file
// in the same step, so that two hosts starting together never both offer
// them. The records come back with Saved false.
WorkRecordTable TakeRecoveredRecords(const std::filesystem::path& file);

// At start-up: when the file holds records, asks whether to load them; on
// Yes they join `loaded` as unsaved, checked files. Returns the number added.
// When `unattended` is true once the question is answered (the answer came
// from no user), the records go back into the file for the next start.
std::size_t OfferRecoveredRecords(const std::filesystem::path& file, LoadedFileTable& loaded,
                                  MessageSink& messages, const bool& unattended);

}  // namespace lumibench
