#pragma once
// Keeps the host's unsaved records in the recovery file as they change, so
// that a host killed at any moment leaves them for the next start.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "model/photometric_record.h"

namespace lumibench {

class SqliteSettingsStore;

class RecoveryKeeper {
public:
    // `section`: this host's own (OwnRecoverySection()).
    RecoveryKeeper(std::filesystem::path file, std::string section);
    ~RecoveryKeeper();
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // Makes the kept records the unsaved ones of `loaded` (none after a
    // deliberate exit). Writes only when they changed since the last call; a
    // failure is reported on the error output once.
    void keep(const LoadedFileTable& loaded);

private:
    std::filesystem::path file_;
    std::string section_;
    std::unique_ptr<SqliteSettingsStore> store_;
    std::optional<WorkRecordTable> kept_;  // what the file holds for us, once known
    bool failureReported_ = false;
};

}  // namespace lumibench
