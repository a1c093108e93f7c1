#pragma once
// The per-user settings store on one SQLite file, shared by the host and its
// tool processes. WAL mode lets readers run beside one writer; every write is
// its own transaction, so a value is either wholly there or not at all, even
// when the writing process is killed. A batch makes its writes one
// transaction in the same way.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lumibench {

struct SettingsEntry {
    std::string app;
    std::string section;
    std::string key;
    std::string value;

    bool operator==(const SettingsEntry&) const = default;
};

// How long opening may wait for another process that holds the store.
struct SettingsOpenOptions {
    // Past this the open fails with the database's own reason ("database is locked").
    std::chrono::milliseconds giveUpAfter{20000};
    // `waiting` is called again and again while the open waits, from this
    // long on (a program shows a notice and keeps its events running).
    std::chrono::milliseconds noticeAfter{1000};
    std::function<void()> waiting;
};

class SqliteSettingsStore : public SettingsStore {
public:
    // Opens (creating when missing, mode 0600) the store at `file` and waits,
    // within the options' bound, until it could be written. Returns nullptr
    // and sets `error` when the file cannot be opened, is not a settings
    // database, or stays held by another process; the file is then left
    // untouched. A write-protected store opens for reading.
    static std::unique_ptr<SqliteSettingsStore> Open(const std::filesystem::path& file,
                                                     std::string* error = nullptr,
                                                     const SettingsOpenOptions& options = {});
    ~SqliteSettingsStore() override;
    SqliteSettingsStore(const SqliteSettingsStore&) = delete;
    SqliteSettingsStore& operator=(const SqliteSettingsStore&) = delete;

    // Any failure to read gives `defaultValue`.
    std::string read(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view defaultValue = {}) override;
    bool write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override;
    // Takes the write lock for the whole batch (waiting as a write would), so
    // keep a batch short and never wait for the user inside one.
    std::vector<std::string> keys(std::string_view app, std::string_view section) override;
    bool beginBatch() override;
    bool endBatch() override;
    bool writeIfEmpty(std::string_view app, std::string_view section, std::string_view key,
                      std::string_view value) override;
    std::optional<std::string> take(std::string_view app, std::string_view section,
                                    std::string_view key) override;
    bool beginRead() override;
    void endRead() override;
    std::int64_t foreignChangeMark() override;
    std::string location() const override { return file_.string(); }
    std::string lastFailure() const override { return lastError_; }

    // SQLite's own check of the file: "ok", or what is wrong.
    std::string integrityCheck();

    // The stored value, or nothing when none was written or it cannot be read.
    std::optional<std::string> find(std::string_view app, std::string_view section,
                                    std::string_view key);

    // Every value of `app` (of one section when given), ordered by section and
    // key without regard to case. Empty on failure.
    std::vector<SettingsEntry> list(std::string_view app,
                                    std::optional<std::string_view> section = std::nullopt);
    // Every value of the store, ordered by application, section and key.
    std::vector<SettingsEntry> dump();

    const std::filesystem::path& file() const { return file_; }
    // The text of the last SQLite failure, for diagnostics.
    const std::string& lastError() const { return lastError_; }

private:
    SqliteSettingsStore(sqlite3* db, std::filesystem::path file);
    sqlite3_stmt* prepared(sqlite3_stmt*& slot, const char* sql);
    // One row written by the statement in `slot` (prepared from `sql` on first use).
    bool runWrite(sqlite3_stmt*& slot, const char* sql, std::string_view app, std::string_view section,
                  std::string_view key, std::string_view value);
    std::vector<SettingsEntry> collect(sqlite3_stmt* statement);
    void noteError();

    sqlite3* db_ = nullptr;
    std::filesystem::path file_;
    std::string lastError_;
    int batchDepth_ = 0;
    int readDepth_ = 0;
    bool inRead_ = false;  // the outermost read scope holds a read transaction
    bool inTransaction_ = false;  // the outermost batch holds a transaction
    bool batchFailed_ = false;    // a write of that transaction failed
    sqlite3_stmt* readStatement_ = nullptr;
    sqlite3_stmt* writeStatement_ = nullptr;
    sqlite3_stmt* writeIfEmptyStatement_ = nullptr;
    sqlite3_stmt* emptyStatement_ = nullptr;
    sqlite3_stmt* listAppStatement_ = nullptr;
    sqlite3_stmt* listSectionStatement_ = nullptr;
    sqlite3_stmt* dumpStatement_ = nullptr;
};

// $LUMIBENCH_SETTINGS when set, else $XDG_CONFIG_HOME (or ~/.config) +
// /lumibench/settings.sqlite3. Creates the folder (mode 0700) when missing.
std::filesystem::path DefaultSettingsPath();

}  // namespace lumibench
