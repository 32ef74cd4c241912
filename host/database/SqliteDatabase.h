// IDatabase over one SQLite file, opened read-only: the module's queries can never change the
// user's file.
#pragma once

#include <atomic>
#include "Database.h"
#include "QueryResult.h"

struct sqlite3;

class SqliteDatabase final : public IDatabase {
public:
    // Never null; isOpen() tells whether the file could be opened as a database.
    static XComPtr<IDatabase> open(const wchar_t* file, int busyTimeoutMs);

    int addRef() override;
    int release() override;
    bool isOpen() override;
    bool query(const wchar_t* sql, Data::IDataTable* table, bool firstFill, int flags) override;

private:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    bool openFile(const wchar_t* file, int busyTimeoutMs);
    bool run(const wchar_t* sql, Data::IDataTable* table, bool firstFill);

    std::atomic<int> refs_{1};
    sqlite3* db_ = nullptr;
    bool mappedReads_ = false; // the file lies on a local fixed drive
    // Kept between queries: a reload of the same table then reuses the buffers' memory.
    QueryResult result_;
    bool filling_ = false;
};
