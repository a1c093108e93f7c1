#pragma once
// Records that were never saved in a file outlive a host that ends without
// asking (logout, kill -9, a crash, the kernel's out-of-memory kill): every
// running host keeps its unsaved records in a recovery file in the per-user
// data folder as they change, and the next start offers them back.
//
// The file is a settings store of its own holding one group of exchange
// slots per host (the section names the host's process, see
// RecoverySectionFor), so it keeps exactly what a tool would hand back, byte
// for byte, and a starting host can tell a running host's records from those
// of one that has ended.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "platform/settings_store.h"

namespace lumibench {

inline constexpr const char* kRecoveryFileName = "recovery.sqlite3";
inline constexpr const char* kRecoveryTitle = "LumibenchPE";
// Followed by the number of files and kRecoveryQuestionEnd.
inline constexpr const char* kRecoveryQuestionStart =
    "Lumibench was ended by the system while files in its loaded files list were not saved. "
    "Unsaved files kept: ";
inline constexpr const char* kRecoveryQuestionEnd =
    ". Do you want them back in the loaded files list?";
// The lock (beside the recovery file) of the host whose question is up:
// another host starting meanwhile does not offer the same records.
inline constexpr const char* kRecoveryQuestionLock = "recovery-question";

std::filesystem::path RecoveryFilePath(const std::filesystem::path& userDataFolder);

// The section of the host process `pid` that started at `startTicks`
// ("Host 4242 987654"): unique among the hosts that ever ran on the machine
// since boot, and alive exactly as long as that process.
std::string RecoverySectionFor(std::int64_t pid, std::uint64_t startTicks);
// This process's section.
std::string OwnRecoverySection();
// False only for the section of a host process that still runs.
bool RecoveryOwnerGone(const std::string& section);

// Makes the records kept under `section` the records of `loaded` whose Saved
// is false, in one transaction: none when none is unsaved. Returns the number
// kept, or -1 when the store refused, with the reason in `error`.
int KeepUnsavedRecords(SettingsStore& store, const std::string& section, const LoadedFileTable& loaded,
                       std::string* error = nullptr);
// The same on the file; a missing file is created only when there is a record to keep.
int WriteRecoveryFile(const std::filesystem::path& file, const std::string& section,
                      const LoadedFileTable& loaded, std::string* error = nullptr);

// The records kept by hosts that have ended, and the sections they came from.
// They come back with Saved false. Nothing is removed.
struct RecoveredRecords {
    WorkRecordTable records;
    std::vector<std::string> sections;
};
RecoveredRecords ReadRecoveredRecords(const std::filesystem::path& file);
// Empties `sections` in one transaction.
bool RemoveRecoveredSections(const std::filesystem::path& file, const std::vector<std::string>& sections);

// Reads and removes every record of hosts that have ended.
WorkRecordTable TakeRecoveredRecords(const std::filesystem::path& file);

// At start-up: when hosts that ended kept records, asks whether to load them;
// on Yes they join `loaded` as unsaved, checked files. Returns the number
// added. The records stay in the file until the question is answered, so a
// host killed while it asks loses nothing; when `unattended` is true once it
// is answered (the answer came from no user) they stay for the next start.
// `keep`, when given, runs with the new list before the offered records are
// removed: the host keeps its own copy first, so no moment holds neither.
std::size_t OfferRecoveredRecords(const std::filesystem::path& file, LoadedFileTable& loaded,
                                  MessageSink& messages, const bool& unattended,
                                  const std::function<void(const LoadedFileTable&)>& keep = {});

}  // namespace lumibench
