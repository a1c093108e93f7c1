#include "formats/tm14/tm14_reorientation.h"

#include <sqlite3.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "formats/reader_errors.h"

namespace lumibench {
namespace {

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

[[noreturn]] void Fail(sqlite3* db) {
    throw ReaderError(ReaderErrorKind::Database, db ? sqlite3_errmsg(db) : "out of memory");
}

void Execute(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db);
}

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) Fail(db);
    return Statement(raw);
}

// The table's fields are single precision: every value is rounded on its way in.
double Single(double value) { return static_cast<float>(value); }

// Removes the working file unless it was renamed into place.
struct WorkingFile {
    std::string path;
    ~WorkingFile() {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

void Reorient(PhotometricRecord& record, sqlite3* opened);

}  // namespace

void ReorientFrom270(PhotometricRecord& record, const std::filesystem::path& databasePath) {
    // The table is built in a new file of a random name, made exclusively
    // beside "TM14.tmp", and only then renamed to it: a link planted at that
    // name (the program folder may be shared) is replaced, never written through.
    std::error_code error;
    WorkingFile working{CreateFileBeside(databasePath.string(), 0600, error)};
    if (working.path.empty()) throw ReaderError(ReaderErrorKind::Database, error.message());
    {
        sqlite3* opened = nullptr;
        const int status =
            sqlite3_open_v2(working.path.c_str(), &opened,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
        Database db(opened);
        if (status != SQLITE_OK) Fail(db.get());
        Reorient(record, db.get());
    }
    if (!ReplaceFile(working.path, databasePath.string(), error)) {
        throw ReaderError(ReaderErrorKind::Database, error.message());
    }
    working.path.clear();
}

namespace {

void Reorient(PhotometricRecord& record, sqlite3* db) {
    // No journal file beside the table: nothing else of a predictable name.
    Execute(db, "PRAGMA journal_mode=MEMORY");

    Execute(db, "CREATE TABLE Photo (HorAngle REAL, VertAngle REAL, Candela REAL)");
    Execute(db, "BEGIN");
    {
        Statement insert =
            Prepare(db, "INSERT INTO Photo (HorAngle, VertAngle, Candela) VALUES (?, ?, ?)");
        for (std::size_t i = 0; i < record.Candela.size() && i < record.HorAngles.size(); ++i) {
            float horizontal = 450.0f - record.HorAngles[i];
            if (horizontal >= 360.0f) horizontal -= 360.0f;
            const auto& plane = record.Candela[i];
            for (std::size_t j = 0; j < plane.size() && j < record.VertAngles.size(); ++j) {
                sqlite3_reset(insert.get());
                sqlite3_bind_double(insert.get(), 1, horizontal);
                sqlite3_bind_double(insert.get(), 2, Single(record.VertAngles[j]));
                sqlite3_bind_double(insert.get(), 3, Single(plane[j]));
                if (sqlite3_step(insert.get()) != SQLITE_DONE) Fail(db);
            }
        }
    }
    Execute(db, "COMMIT");

    Statement select = Prepare(
        db, "SELECT HorAngle, VertAngle, Candela FROM Photo ORDER BY HorAngle, VertAngle, rowid");
    for (std::size_t i = 0; i < record.Candela.size() && i < record.HorAngles.size(); ++i) {
        auto& plane = record.Candela[i];
        for (std::size_t j = 0; j < plane.size() && j < record.VertAngles.size(); ++j) {
            const int step = sqlite3_step(select.get());
            if (step != SQLITE_ROW) {
                if (step == SQLITE_DONE) {
                    throw ReaderError(ReaderErrorKind::Database, "rows missing from table Photo");
                }
                Fail(db);
            }
            record.HorAngles[i] = static_cast<float>(sqlite3_column_double(select.get(), 0));
            record.VertAngles[j] = static_cast<float>(sqlite3_column_double(select.get(), 1));
            plane[j] = Single(sqlite3_column_double(select.get(), 2));
        }
    }
}

}  // namespace

}  // namespace lumibench
