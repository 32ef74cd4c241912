#include "WritableDatabase.h"

#include <windows.h>
#include <sqlite3.h>
#include <cstdio>
#include "HostDatabase.h"
#include "ProductSchema.h"
#include "XString.h"

WritableDatabase::~WritableDatabase() {
    sqlite3_close_v2(db_);
}

bool WritableDatabase::open(const std::wstring& path, bool create, int busyTimeoutMs, std::string& error) {
    const XStringA utf8 = XStringW(path.c_str()).toUtf8();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(utf8.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        error = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs > 0 ? busyTimeoutMs : 0);
    char cacheSize[48];
    std::snprintf(cacheSize, sizeof cacheSize, "pragma cache_size = -%d", kPageCacheKiB);
    sqlite3_exec(db_, cacheSize, nullptr, nullptr, nullptr);
    // The journal and synchronous settings stay SQLite's defaults: a crash or a kill at any
    // moment leaves the file as it was before the transaction or with all of it.
    return true;
}

bool WritableDatabase::exec(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool WritableDatabase::addMissingSchema(std::string& error) {
    return exec(kProductSchema, error);
}

bool WritableDatabase::busy() const {
    const int code = sqlite3_errcode(db_) & 0xFF;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

bool WritableDatabase::finishInterruptedWrite(const std::wstring& path, int busyTimeoutMs,
                                              std::string& error) {
    const std::wstring journal = path + L"-journal";
    if (GetFileAttributesW(journal.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    // Reading the schema is what makes SQLite roll a hot journal back; a journal that is not hot
    // (an empty one, or one a live writer holds) is left alone.
    WritableDatabase db;
    return db.open(path, false, busyTimeoutMs, error) && db.exec("select count(*) from sqlite_master", error);
}
