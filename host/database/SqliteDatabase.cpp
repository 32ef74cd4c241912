#include "SqliteDatabase.h"

#include <windows.h>
#include <sqlite3.h>
#include <cstdio>
#include "HostDatabase.h"
#include "SqliteStatement.h"

namespace {

// Whether text holds a statement (rather than only blanks, semicolons and comments).
bool holdsStatement(sqlite3* db, const char* text) {
    SqliteStatement rest;
    return sqlite3_prepare_v2(db, text, -1, rest.out(), nullptr) != SQLITE_OK || rest.get();
}

// Marks the database busy filling for the life of one query.
class FillingMark final {
public:
    explicit FillingMark(bool& flag) : flag_(flag), outer_(!flag) { flag_ = true; }
    ~FillingMark() {
        if (outer_)
            flag_ = false;
    }
    FillingMark(const FillingMark&) = delete;
    FillingMark& operator=(const FillingMark&) = delete;
    bool outer() const { return outer_; }

private:
    bool& flag_;
    bool outer_;
};

// Whether the file lies on a local fixed drive (see kMappedReadBytes).
bool onFixedDrive(const wchar_t* file) {
    wchar_t volume[MAX_PATH + 1] = {};
    return GetVolumePathNameW(file, volume, MAX_PATH) && GetDriveTypeW(volume) == DRIVE_FIXED;
}

// Maps the file for reads while it lives (a statement declared after it is finalized first).
class MappedReads final {
public:
    MappedReads(sqlite3* db, bool on) : db_(on ? db : nullptr) {
        if (db_)
            setSize(kMappedReadBytes);
    }
    ~MappedReads() {
        if (db_)
            setSize(0);
    }
    MappedReads(const MappedReads&) = delete;
    MappedReads& operator=(const MappedReads&) = delete;

private:
    void setSize(long long bytes) {
        char pragma[48];
        std::snprintf(pragma, sizeof pragma, "pragma mmap_size = %lld", bytes);
        sqlite3_exec(db_, pragma, nullptr, nullptr, nullptr);
    }
    sqlite3* db_;
};

} // namespace

XComPtr<IDatabase> SqliteDatabase::open(const wchar_t* file, int busyTimeoutMs) {
    XComPtr<IDatabase> result;
    SqliteDatabase* db = new SqliteDatabase;
    result.attach(db);
    db->openFile(file, busyTimeoutMs);
    return result;
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(db_);
}

int SqliteDatabase::addRef() {
    return ++refs_;
}

int SqliteDatabase::release() {
    const int left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

bool SqliteDatabase::openFile(const wchar_t* file, int busyTimeoutMs) {
    if (!file || !*file)
        return false;
    const XStringA path = XStringW(file).toUtf8();
    // Read-only and never created: a missing file stays missing, and no statement of ours can
    // write to the user's database.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_busy_timeout(db, busyTimeoutMs > 0 ? busyTimeoutMs : 0);
    sqlite3_extended_result_codes(db, 1);
    char cacheSize[48];
    std::snprintf(cacheSize, sizeof cacheSize, "pragma cache_size = -%d", kPageCacheKiB);
    sqlite3_exec(db, cacheSize, nullptr, nullptr, nullptr);

    // SQLite reads the file lazily; reading the schema now tells a database from any other
    // file. A file locked by a writer may still be a good database: keep it, its queries wait.
    SqliteStatement probe;
    int rc = sqlite3_prepare_v2(db, "select count(*) from sqlite_master", -1, probe.out(), nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe.get());
    if (rc != SQLITE_ROW && (rc & 0xFF) != SQLITE_BUSY && (rc & 0xFF) != SQLITE_LOCKED) {
        sqlite3_finalize(*probe.out());
        *probe.out() = nullptr;
        sqlite3_close_v2(db);
        return false;
    }
    db_ = db;
    mappedReads_ = onFixedDrive(file);
    return true;
}

bool SqliteDatabase::isOpen() {
    return db_ != nullptr;
}

bool SqliteDatabase::query(const wchar_t* sql, Data::IDataTable* table, bool firstFill,
                           int /*flags: reserved*/) {
    if (!db_ || !sql || !table)
        return false;
    try {
        return run(sql, table, firstFill);
    } catch (...) {
        // Nothing may cross back into the caller; the table is as the failed step left it.
        return false;
    }
}

bool SqliteDatabase::run(const wchar_t* sql, Data::IDataTable* table, bool firstFill) {
    // Narrow literals in the statement (GB2312 in the module's resources) arrive here as UTF-16
    // and reach SQLite as UTF-8, the encoding the database stores.
    const XStringA text = XStringW(sql).toUtf8();
    MappedReads mapped(db_, mappedReads_);
    SqliteStatement stmt;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, text.c_str(), text.length() + 1, stmt.out(), &tail) != SQLITE_OK ||
        !stmt.get())
        return false;
    // One read-only statement per call: a second statement would otherwise be dropped silently.
    if (!sqlite3_stmt_readonly(stmt.get()) || (tail && holdsStatement(db_, tail)))
        return false;
    // Only a statement with a result fills a table. BEGIN, SAVEPOINT and ATTACH also count as
    // read-only, but an open transaction would pin this connection to one snapshot and keep the
    // host's writer waiting for the rest of the session.
    if (sqlite3_column_count(stmt.get()) == 0)
        return false;
    // A listener told of the fill may query again; that nested query gets buffers of its own.
    FillingMark mark(filling_);
    QueryResult nested;
    QueryResult& result = mark.outer() ? result_ : nested;
    if (!result.read(stmt.get()))
        return false;
    result.fill(table, firstFill);
    return true;
}
