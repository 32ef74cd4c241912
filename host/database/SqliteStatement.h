// Owns a prepared SQLite statement: finalized when the owner goes.
#pragma once

#include <sqlite3.h>

class SqliteStatement final {
public:
    SqliteStatement() = default;
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Where sqlite3_prepare_v2 puts the statement.
    sqlite3_stmt** out() { return &stmt_; }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};
