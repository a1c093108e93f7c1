#include "platform/sqlite_settings_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/user_home.h"

namespace lumibench {
namespace {

// Long enough to ride out another process's write or checkpoint; a write
// that still cannot get the lock fails rather than hanging the program.
constexpr int kBusyTimeoutMs = 5000;
// Switching a fresh file to WAL is not covered by the busy timeout when two
// processes create the store at the same moment, so that step is retried.
constexpr int kJournalModeAttempts = 100;
constexpr auto kJournalModeRetryPause = std::chrono::milliseconds(20);

// Names are compared as the original store does: without regard to case.
// Values are bound with their length and read back by byte count, so any
// byte (CR, LF, NUL, invalid UTF-8) survives.
constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS settings ("
    " app TEXT NOT NULL COLLATE NOCASE,"
    " section TEXT NOT NULL COLLATE NOCASE,"
    " key TEXT NOT NULL COLLATE NOCASE,"
    " value TEXT NOT NULL,"
    " PRIMARY KEY (app, section, key))";

// The statements every program sharing the store must use for the mailbox
// steps (docs/tool-authors.md, "Store statements", repeats them for tools in
// other languages). ?1 app, ?2 section, ?3 key, ?4 value.
constexpr const char* kReadSql =
    "SELECT value FROM settings WHERE app = ?1 AND section = ?2 AND key = ?3";
constexpr const char* kWriteSql =
    "INSERT INTO settings (app, section, key, value) VALUES (?1, ?2, ?3, ?4) "
    "ON CONFLICT (app, section, key) DO UPDATE SET value = excluded.value";
// Write when empty: one statement, so two senders can never both see the
// mailbox empty and overwrite each other; written when sqlite3_changes() is 1.
constexpr const char* kWriteIfEmptySql =
    "INSERT INTO settings (app, section, key, value) VALUES (?1, ?2, ?3, ?4) "
    "ON CONFLICT (app, section, key) DO UPDATE SET value = excluded.value "
    "WHERE settings.value = ''";
// Take and empty: kReadSql, then this, inside one BEGIN IMMEDIATE transaction.
constexpr const char* kEmptySql =
    "UPDATE settings SET value = '' WHERE app = ?1 AND section = ?2 AND key = ?3 AND value <> ''";

// Waits while another process holds the store, up to a deadline, calling
// the caller's `waiting` once the notice time has passed.
struct OpenWait {
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    const SettingsOpenOptions* options = nullptr;

    bool expired() const { return std::chrono::steady_clock::now() - started >= options->giveUpAfter; }
    void pause() const {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (options->waiting && std::chrono::steady_clock::now() - started >= options->noticeAfter) {
            options->waiting();
        }
    }
};

int OpenBusyHandler(void* context, int /*attempts*/) {
    const auto* wait = static_cast<const OpenWait*>(context);
    if (wait->expired()) return 0;
    wait->pause();
    return 1;
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string ErrorText(sqlite3* db) { return db != nullptr ? sqlite3_errmsg(db) : "out of memory"; }

bool IsBusy(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Runs "PRAGMA journal_mode=WAL" until it takes or fails for a reason other
// than another process holding the file.
bool SwitchToWal(sqlite3* db, std::string* error, const OpenWait& wait) {
    for (int attempt = 0; attempt < kJournalModeAttempts && !wait.expired(); ++attempt) {
        sqlite3_stmt* statement = nullptr;
        int code = sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &statement, nullptr);
        if (code == SQLITE_OK) {
            code = sqlite3_step(statement);
        }
        sqlite3_finalize(statement);
        if (code == SQLITE_ROW || code == SQLITE_DONE || code == SQLITE_OK) {
            // A write-protected file keeps its mode; it is still readable.
            return true;
        }
        if (!IsBusy(code)) {
            SetError(error, ErrorText(db));
            return false;
        }
        std::this_thread::sleep_for(kJournalModeRetryPause);
    }
    SetError(error, ErrorText(db));
    return false;
}

bool Execute(sqlite3* db, const char* sql, std::string* error, const OpenWait& wait) {
    for (int attempt = 0; attempt < kJournalModeAttempts && !wait.expired(); ++attempt) {
        const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if (code == SQLITE_OK) {
            return true;
        }
        if (!IsBusy(code)) {
            break;
        }
        std::this_thread::sleep_for(kJournalModeRetryPause);
    }
    SetError(error, ErrorText(db));
    return false;
}

// Creates the file with mode 0600 before SQLite sees it; SQLite gives its
// -wal and -shm files the mode of the database file.
void PrepareFile(const std::filesystem::path& file) {
    std::error_code ignored;
    const auto folder = file.parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, ignored)) {
        std::filesystem::create_directories(folder, ignored);
        ::chmod(folder.c_str(), 0700);
    }
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
}

std::string ColumnBytes(sqlite3_stmt* statement, int column) {
    const void* bytes = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    if (bytes == nullptr || size <= 0) {
        return {};
    }
    return std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

bool BindText(sqlite3_stmt* statement, int index, std::string_view text) {
    // An empty view may carry a null pointer, which SQLite would bind as NULL.
    const char* data = text.data() != nullptr ? text.data() : "";
    // Not copied: every statement is reset and its bindings cleared (StatementUse)
    // before the caller's text goes away, and values can run to megabytes.
    return sqlite3_bind_text64(statement, index, data, text.size(), SQLITE_STATIC,
                               SQLITE_UTF8) == SQLITE_OK;
}

// Resets the statement when the caller is done with it, whatever the path.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
    ~StatementUse() {
        if (statement_ != nullptr) {
            sqlite3_reset(statement_);
            sqlite3_clear_bindings(statement_);
        }
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    sqlite3_stmt* statement_;
};

}  // namespace

std::unique_ptr<SqliteSettingsStore> SqliteSettingsStore::Open(const std::filesystem::path& file,
                                                               std::string* error,
                                                               const SettingsOpenOptions& options) {
    if (file.empty()) {
        SetError(error, "no settings file given");
        return nullptr;
    }
    PrepareFile(file);
    sqlite3* db = nullptr;
    const int code =
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        SetError(error, ErrorText(db));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    // Every wait of the opening steps is bounded by the caller's deadline.
    OpenWait wait;
    wait.options = &options;
    sqlite3_busy_handler(db, OpenBusyHandler, &wait);
    // synchronous=NORMAL in WAL mode loses nothing when a process dies; only
    // a power cut may drop the last commits, never corrupt the file.
    if (!SwitchToWal(db, error, wait) || !Execute(db, "PRAGMA synchronous=NORMAL", error, wait) ||
        !Execute(db, "PRAGMA cache_size=-32768", error, wait) ||
        !Execute(db, kCreateTable, error, wait)) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Wait here, where the caller can show why, rather than at the first
    // write: the store must be free for writing once. A store that cannot be
    // written for another reason (write-protected) still opens for reading.
    const int lockCode = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (sqlite3_get_autocommit(db) == 0) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (IsBusy(lockCode)) {
        SetError(error, ErrorText(db));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    std::unique_ptr<SqliteSettingsStore> store(new SqliteSettingsStore(db, file));
    // A table of the same name but another shape is not ours.
    sqlite3_stmt* probe = store->prepared(store->readStatement_, kReadSql);
    if (probe == nullptr) {
        SetError(error, store->lastError());
        return nullptr;
    }
    return store;
}

SqliteSettingsStore::SqliteSettingsStore(sqlite3* db, std::filesystem::path file)
    : db_(db), file_(std::move(file)) {}

SqliteSettingsStore::~SqliteSettingsStore() {
    for (sqlite3_stmt* statement : {readStatement_, writeStatement_, writeIfEmptyStatement_,
                                    emptyStatement_, listAppStatement_, listSectionStatement_,
                                    dumpStatement_}) {
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(db_);
}

void SqliteSettingsStore::noteError() { lastError_ = ErrorText(db_); }

sqlite3_stmt* SqliteSettingsStore::prepared(sqlite3_stmt*& slot, const char* sql) {
    if (slot == nullptr &&
        sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) != SQLITE_OK) {
        noteError();
        sqlite3_finalize(slot);
        slot = nullptr;
    }
    return slot;
}

std::string SqliteSettingsStore::read(std::string_view app, std::string_view section,
                                      std::string_view key, std::string_view defaultValue) {
    auto value = find(app, section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

std::optional<std::string> SqliteSettingsStore::find(std::string_view app, std::string_view section,
                                                     std::string_view key) {
    sqlite3_stmt* statement = prepared(readStatement_, kReadSql);
    if (statement == nullptr) {
        return std::nullopt;
    }
    StatementUse use(statement);
    if (!BindText(statement, 1, app) || !BindText(statement, 2, section) ||
        !BindText(statement, 3, key)) {
        noteError();
        return std::nullopt;
    }
    const int code = sqlite3_step(statement);
    if (code == SQLITE_ROW) {
        return ColumnBytes(statement, 0);
    }
    if (code != SQLITE_DONE) {
        noteError();
    }
    return std::nullopt;
}

bool SqliteSettingsStore::runWrite(sqlite3_stmt*& slot, const char* sql, std::string_view app,
                                   std::string_view section, std::string_view key, std::string_view value) {
    sqlite3_stmt* statement = prepared(slot, sql);
    if (statement == nullptr) {
        return false;
    }
    StatementUse use(statement);
    if (!BindText(statement, 1, app) || !BindText(statement, 2, section) ||
        !BindText(statement, 3, key) || !BindText(statement, 4, value) ||
        sqlite3_step(statement) != SQLITE_DONE) {
        noteError();
        batchFailed_ = batchFailed_ || inTransaction_;
        return false;
    }
    return true;
}

bool SqliteSettingsStore::write(std::string_view app, std::string_view section,
                                std::string_view key, std::string_view value) {
    return runWrite(writeStatement_, kWriteSql, app, section, key, value);
}

bool SqliteSettingsStore::writeIfEmpty(std::string_view app, std::string_view section,
                                       std::string_view key, std::string_view value) {
    return runWrite(writeIfEmptyStatement_, kWriteIfEmptySql, app, section, key, value) &&
           sqlite3_changes(db_) == 1;
}

std::optional<std::string> SqliteSettingsStore::take(std::string_view app, std::string_view section,
                                                     std::string_view key) {
    // Inside a batch the batch's transaction already makes the two steps one.
    const bool own = batchDepth_ == 0 && readDepth_ == 0;
    if (own && sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        noteError();
        return std::nullopt;
    }
    const auto finish = [&](bool commit) {
        if (!own) return commit;
        if (commit && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
        noteError();
        if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    };
    sqlite3_stmt* readStatement = prepared(readStatement_, kReadSql);
    if (readStatement == nullptr) {
        finish(false);
        return std::nullopt;
    }
    std::string value;
    {
        StatementUse use(readStatement);
        if (!BindText(readStatement, 1, app) || !BindText(readStatement, 2, section) ||
            !BindText(readStatement, 3, key)) {
            noteError();
            finish(false);
            return std::nullopt;
        }
        const int code = sqlite3_step(readStatement);
        if (code == SQLITE_ROW) {
            value = ColumnBytes(readStatement, 0);
        } else if (code != SQLITE_DONE) {
            noteError();
            finish(false);
            return std::nullopt;
        }
    }
    if (!value.empty()) {
        sqlite3_stmt* empty = prepared(emptyStatement_, kEmptySql);
        if (empty == nullptr) {
            finish(false);
            return std::nullopt;
        }
        StatementUse use(empty);
        if (!BindText(empty, 1, app) || !BindText(empty, 2, section) || !BindText(empty, 3, key) ||
            sqlite3_step(empty) != SQLITE_DONE) {
            noteError();
            batchFailed_ = batchFailed_ || inTransaction_;
            finish(false);
            return std::nullopt;
        }
    }
    if (!finish(true)) return std::nullopt;
    return value;
}

bool SqliteSettingsStore::beginRead() {
    if (readDepth_++ > 0 || batchDepth_ > 0) {
        return true;
    }
    // A deferred transaction takes its snapshot at the first read and keeps it.
    inRead_ = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!inRead_) {
        noteError();
    }
    return inRead_;
}

void SqliteSettingsStore::endRead() {
    if (readDepth_ == 0 || --readDepth_ > 0 || !inRead_) {
        return;
    }
    inRead_ = false;
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

std::int64_t SqliteSettingsStore::foreignChangeMark() {
    sqlite3_stmt* statement = nullptr;
    std::int64_t mark = -1;
    if (sqlite3_prepare_v2(db_, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        mark = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return mark;
}

std::string SqliteSettingsStore::integrityCheck() {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK) {
        noteError();
        return lastError_;
    }
    std::string result;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        if (!result.empty()) result += "\n";
        result += ColumnBytes(statement, 0);
    }
    sqlite3_finalize(statement);
    return result;
}

bool SqliteSettingsStore::beginBatch() {
    if (batchDepth_++ > 0) {
        return inTransaction_;
    }
    if (readDepth_ > 0) {
        // A read snapshot cannot turn into a write lock safely.
        return false;
    }
    // When the lock cannot be had, the writes go one by one as without a batch.
    inTransaction_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    batchFailed_ = false;
    if (!inTransaction_) {
        noteError();
    }
    return inTransaction_;
}

bool SqliteSettingsStore::endBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0 || !inTransaction_) {
        return true;
    }
    inTransaction_ = false;
    // SQLite itself rolls back on some failures; then there is nothing to end.
    const bool open = sqlite3_get_autocommit(db_) == 0;
    if (!batchFailed_ && open &&
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
        return true;
    }
    if (!batchFailed_) {
        noteError();
    }
    // Never leave the connection inside a transaction: later writes would
    // pile into it unseen.
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    return false;
}

std::vector<SettingsEntry> SqliteSettingsStore::collect(sqlite3_stmt* statement) {
    std::vector<SettingsEntry> entries;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        entries.push_back({ColumnBytes(statement, 0), ColumnBytes(statement, 1),
                           ColumnBytes(statement, 2), ColumnBytes(statement, 3)});
    }
    if (code != SQLITE_DONE) {
        noteError();
        entries.clear();
    }
    return entries;
}

std::vector<SettingsEntry> SqliteSettingsStore::list(std::string_view app,
                                                     std::optional<std::string_view> section) {
    sqlite3_stmt* statement =
        section ? prepared(listSectionStatement_,
                           "SELECT app, section, key, value FROM settings WHERE app = ?1 AND "
                           "section = ?2 ORDER BY section, key")
                : prepared(listAppStatement_,
                           "SELECT app, section, key, value FROM settings WHERE app = ?1 "
                           "ORDER BY section, key");
    if (statement == nullptr) {
        return {};
    }
    StatementUse use(statement);
    if (!BindText(statement, 1, app) || (section && !BindText(statement, 2, *section))) {
        noteError();
        return {};
    }
    return collect(statement);
}

std::vector<std::string> SqliteSettingsStore::keys(std::string_view app, std::string_view section) {
    std::vector<std::string> found;
    for (SettingsEntry& entry : list(app, section)) found.push_back(std::move(entry.key));
    return found;
}

std::vector<SettingsEntry> SqliteSettingsStore::dump() {
    sqlite3_stmt* statement = prepared(
        dumpStatement_, "SELECT app, section, key, value FROM settings ORDER BY app, section, key");
    if (statement == nullptr) {
        return {};
    }
    StatementUse use(statement);
    return collect(statement);
}

std::filesystem::path DefaultSettingsPath() {
    std::filesystem::path file;
    if (const char* explicitFile = std::getenv("LUMIBENCH_SETTINGS");
        explicitFile != nullptr && *explicitFile != '\0') {
        file = explicitFile;
    } else {
        file = UserConfigHome() / "lumibench" / "settings.sqlite3";
    }
    const auto folder = file.parent_path();
    std::error_code ignored;
    if (!folder.empty() && !std::filesystem::exists(folder, ignored)) {
        std::filesystem::create_directories(folder, ignored);
        ::chmod(folder.c_str(), 0700);
    }
    return file;
}

}  // namespace lumibench
