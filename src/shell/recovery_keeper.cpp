#include "shell/recovery_keeper.h"

#include <algorithm>
#include <cstdio>

#include "platform/sqlite_settings_store.h"
#include "shell/recovery_file.h"

namespace lumibench {

RecoveryKeeper::RecoveryKeeper(std::filesystem::path file, std::string section)
    : file_(std::move(file)), section_(std::move(section)) {}

RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::keep(const LoadedFileTable& loaded) {
    WorkRecordTable unsaved;
    std::copy_if(loaded.begin(), loaded.end(), std::back_inserter(unsaved),
                 [](const PhotometricRecord& record) { return record.Saved == kFalse; });
    // The check marks do not travel; a change of them alone writes nothing.
    for (PhotometricRecord& record : unsaved) record.Checked = kFalse;
    if (kept_ ? *kept_ == unsaved : unsaved.empty()) return;
    std::string error;
    if (!store_) store_ = SqliteSettingsStore::Open(file_, &error);
    if (store_ && KeepUnsavedRecords(*store_, section_, unsaved, &error) >= 0) {
        kept_ = std::move(unsaved);
        return;
    }
    // Tried again at the next change; said once, as it would say the same.
    store_.reset();
    if (!failureReported_) {
        failureReported_ = true;
        std::fprintf(stderr, "lumibench: unsaved files cannot be kept in %s: %s\n", file_.c_str(), error.c_str());
    }
}

}  // namespace lumibench
