#include "shell/recovery_file.h"

#include <algorithm>
#include <set>

#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "platform/sqlite_settings_store.h"

namespace lumibench {
namespace {

// Where records offered to nobody wait for the next start.
constexpr const char* kUnansweredSection = "Unanswered";

// The sections that hold at least one slot.
std::set<std::string> SectionsOf(SqliteSettingsStore& store) {
    std::set<std::string> sections;
    for (const SettingsEntry& entry : store.list(kExchangeApp)) {
        if (!entry.value.empty()) sections.insert(entry.section);
    }
    return sections;
}

}  // namespace

std::filesystem::path RecoveryFilePath(const std::filesystem::path& userDataFolder) {
    return userDataFolder / kRecoveryFileName;
}

int WriteRecoveryFile(const std::filesystem::path& file, const std::string& section,
                      const LoadedFileTable& loaded, std::string* error) {
    WorkRecordTable unsaved;
    std::copy_if(loaded.begin(), loaded.end(), std::back_inserter(unsaved),
                 [](const PhotometricRecord& record) { return record.Saved == kFalse; });
    if (unsaved.empty()) return 0;
    auto store = SqliteSettingsStore::Open(file, error);
    if (!store) return -1;
    // A host without an exchange section of its own still keeps its records.
    const std::string name = section.empty() ? "Recovery" : section;
    SilentMessageSink silent;
    SettingsBatch batch(*store);
    const int written = WriteExchangeRecords(*store, name, unsaved, 1, static_cast<int>(unsaved.size()), 1, silent);
    if (!batch.end()) {
        if (error) *error = store->lastError();
        return -1;
    }
    return written;
}

WorkRecordTable TakeRecoveredRecords(const std::filesystem::path& file) {
    WorkRecordTable taken;
    std::error_code missing;
    if (!std::filesystem::exists(file, missing)) return taken;
    auto store = SqliteSettingsStore::Open(file);
    if (!store) return taken;
    SettingsBatch batch(*store);
    for (const std::string& section : SectionsOf(*store)) {
        WorkRecordTable records;
        std::string errorText;
        // A slot that does not read (a file damaged outside the program) ends
        // that section's records; the ones read before it are still offered.
        ReadExchangeRecords(*store, section, records, errorText);
        for (PhotometricRecord& record : records) {
            if (record.Filename.empty()) continue;
            record.Saved = kFalse;
            taken.push_back(std::move(record));
        }
        ClearExchangeRecords(*store, section);
    }
    batch.end();
    return taken;
}

std::size_t OfferRecoveredRecords(const std::filesystem::path& file, LoadedFileTable& loaded,
                                  MessageSink& messages, const bool& unattended) {
    WorkRecordTable records = TakeRecoveredRecords(file);
    if (records.empty()) return 0;
    const std::string question =
        kRecoveryQuestionStart + std::to_string(records.size()) + kRecoveryQuestionEnd;
    const MessageAnswer answer =
        messages.show({kRecoveryTitle, question, MessageIcon::Question, MessageButtons::YesNo, true});
    if (unattended) {
        WriteRecoveryFile(file, kUnansweredSection, records);
        return 0;
    }
    if (answer != MessageAnswer::Yes) return 0;
    const std::size_t before = loaded.size();
    AddData(records, loaded, messages);
    for (PhotometricRecord& record : loaded) {
        if (record.Saved == kFalse) record.Checked = kTrue;
    }
    return loaded.size() - before;
}

}  // namespace lumibench
