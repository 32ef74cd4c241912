// What the database benchmarks share: the clock and result lines, and the raw-SQLite floor's
// row reading.
#pragma once

#include <sqlite3.h>
#include <string>
#include "bench/BenchReport.h"
#include "host/database/HostDatabase.h"

namespace bench {

// A floor's raw connection keeps as many pages in memory as the host's does, so that the ratio
// measures the host's own work rather than a difference in reading the file.
inline void likeHostConnection(sqlite3* db) {
    const std::string pragma = "pragma cache_size = -" + std::to_string(kPageCacheKiB);
    sqlite3_exec(db, pragma.c_str(), nullptr, nullptr, nullptr);
}

// While it lives, the floor reads the file through a mapping, as the host's query does on a
// fixed drive (the benchmarks' files are in the temporary folder); the mapping goes with it.
class MappedLikeHost {
public:
    explicit MappedLikeHost(sqlite3* db) : db_(db) { setSize(kMappedReadBytes); }
    ~MappedLikeHost() { setSize(0); }
    MappedLikeHost(const MappedLikeHost&) = delete;
    MappedLikeHost& operator=(const MappedLikeHost&) = delete;

private:
    void setSize(long long bytes) {
        const std::string pragma = "pragma mmap_size = " + std::to_string(bytes);
        sqlite3_exec(db_, pragma.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3* db_;
};

// Steps the statement to its end reading every column's value, as a floor must do to compare
// with a fill; returns the rows and adds what it read to sink so nothing is optimised away.
inline int stepAllColumns(sqlite3_stmt* stmt, double& sink) {
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                sink += static_cast<double>(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                sink += sqlite3_column_double(stmt, c);
                break;
            case SQLITE_TEXT:
                sink += sqlite3_column_bytes(stmt, c) + (sqlite3_column_text(stmt, c) ? 1 : 0);
                break;
            default:
                break;
            }
        }
    }
    return rows;
}

} // namespace bench
