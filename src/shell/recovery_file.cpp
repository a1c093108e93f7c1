#include "shell/recovery_file.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <set>

#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "exchange/host_process.h"
#include "platform/instance_lock.h"
#include "platform/sqlite_settings_store.h"

namespace lumibench {
namespace {

constexpr std::string_view kHostSectionPrefix = "Host ";

// The sections that hold at least one slot.
std::set<std::string> SectionsOf(SqliteSettingsStore& store) {
    std::set<std::string> sections;
    for (const SettingsEntry& entry : store.list(kExchangeApp)) {
        if (!entry.value.empty()) sections.insert(entry.section);
    }
    return sections;
}

bool ParseWhole(std::string_view text, auto& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::filesystem::path RecoveryFilePath(const std::filesystem::path& userDataFolder) {
    return userDataFolder / kRecoveryFileName;
}

std::string RecoverySectionFor(std::int64_t pid, std::uint64_t startTicks) {
    return std::string(kHostSectionPrefix) + std::to_string(pid) + " " + std::to_string(startTicks);
}

std::string OwnRecoverySection() {
    const std::int64_t pid = ::getpid();
    return RecoverySectionFor(pid, ProcessStartTicks(pid).value_or(0));
}

bool RecoveryOwnerGone(const std::string& section) {
    // Sections of any other name were written by hosts that are gone (an
    // older host wrote them under its exchange section at its end).
    if (!section.starts_with(kHostSectionPrefix)) return true;
    const std::string_view rest = std::string_view(section).substr(kHostSectionPrefix.size());
    const std::size_t blank = rest.find(' ');
    std::int64_t pid = 0;
    std::uint64_t ticks = 0;
    if (blank == std::string_view::npos || !ParseWhole(rest.substr(0, blank), pid) ||
        !ParseWhole(rest.substr(blank + 1), ticks)) {
        return true;
    }
    return !ProcessAlive(pid, ticks);
}

int KeepUnsavedRecords(SettingsStore& store, const std::string& section, const LoadedFileTable& loaded,
                       std::string* error) {
    WorkRecordTable unsaved;
    std::copy_if(loaded.begin(), loaded.end(), std::back_inserter(unsaved),
                 [](const PhotometricRecord& record) { return record.Saved == kFalse; });
    SilentMessageSink silent;
    // WriteExchangeRecords clears the section first and writes in one batch.
    const int written =
        WriteExchangeRecords(store, section, unsaved, 1, static_cast<int>(unsaved.size()), 1, silent);
    if (written < 0) {
        if (error) *error = store.lastFailure();
        return -1;
    }
    return written;
}

int WriteRecoveryFile(const std::filesystem::path& file, const std::string& section,
                      const LoadedFileTable& loaded, std::string* error) {
    std::error_code missing;
    const bool anyUnsaved = std::any_of(loaded.begin(), loaded.end(),
                                        [](const PhotometricRecord& record) { return record.Saved == kFalse; });
    if (!anyUnsaved && !std::filesystem::exists(file, missing)) return 0;
    auto store = SqliteSettingsStore::Open(file, error);
    if (!store) return -1;
    return KeepUnsavedRecords(*store, section, loaded, error);
}

RecoveredRecords ReadRecoveredRecords(const std::filesystem::path& file) {
    RecoveredRecords found;
    std::error_code missing;
    if (!std::filesystem::exists(file, missing)) return found;
    auto store = SqliteSettingsStore::Open(file);
    if (!store) return found;
    SettingsReadScope snapshot(*store);
    for (const std::string& section : SectionsOf(*store)) {
        if (!RecoveryOwnerGone(section)) continue;
        WorkRecordTable records;
        std::string errorText;
        // A slot that does not read (a file damaged outside the program) ends
        // that section's records; the ones read before it are still offered.
        ReadExchangeRecords(*store, section, records, errorText);
        for (PhotometricRecord& record : records) {
            if (record.Filename.empty()) continue;
            record.Saved = kFalse;
            found.records.push_back(std::move(record));
        }
        found.sections.push_back(section);
    }
    return found;
}

bool RemoveRecoveredSections(const std::filesystem::path& file, const std::vector<std::string>& sections) {
    if (sections.empty()) return true;
    auto store = SqliteSettingsStore::Open(file);
    if (!store) return false;
    SettingsBatch batch(*store);
    for (const std::string& section : sections) ClearExchangeRecords(*store, section);
    return batch.end();
}

WorkRecordTable TakeRecoveredRecords(const std::filesystem::path& file) {
    RecoveredRecords found = ReadRecoveredRecords(file);
    RemoveRecoveredSections(file, found.sections);
    return std::move(found.records);
}

std::size_t OfferRecoveredRecords(const std::filesystem::path& file, LoadedFileTable& loaded,
                                  MessageSink& messages, const bool& unattended,
                                  const std::function<void(const LoadedFileTable&)>& keep) {
    std::error_code missing;
    if (!std::filesystem::exists(file, missing)) return 0;
    // Held while the question is up, and by nobody once this process ends.
    InstanceLock questionLock(file.parent_path());
    if (!questionLock.tryAcquire(kRecoveryQuestionLock)) return 0;
    RecoveredRecords found = ReadRecoveredRecords(file);
    if (found.records.empty()) return 0;
    const std::string question =
        kRecoveryQuestionStart + std::to_string(found.records.size()) + kRecoveryQuestionEnd;
    const MessageAnswer answer =
        messages.show({kRecoveryTitle, question, MessageIcon::Question, MessageButtons::YesNo, true});
    if (unattended) return 0;
    const std::size_t before = loaded.size();
    if (answer == MessageAnswer::Yes) {
        AddData(found.records, loaded, messages);
        for (PhotometricRecord& record : loaded) {
            if (record.Saved == kFalse) record.Checked = kTrue;
        }
    }
    if (keep) keep(loaded);
    RemoveRecoveredSections(file, found.sections);
    return loaded.size() - before;
}

}  // namespace lumibench
