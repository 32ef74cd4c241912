// What SQLite does with a statement on a database file: its plan and the counters of one run to
// the end (full-scan steps, sorts, automatic indexes). The database tests check the page's
// statements with it, the client tests the client's own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include <sqlite3.h>

namespace queryplan {

struct PlanCounters {
    std::vector<std::string> plan;
    int fullScanSteps = -1;
    int sorts = -1;
    int autoIndexes = -1;
    int vmSteps = -1;
    int rows = 0;
};

inline std::string utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

inline PlanCounters measure(const std::wstring& file, const std::wstring& sql) {
    PlanCounters result;
    sqlite3* db = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_open_v2(utf8(file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
    const std::string text = utf8(sql);
    sqlite3_stmt* stmt = nullptr;
    const std::string explain = "explain query plan " + text;
    EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, explain.c_str(), -1, &stmt, nullptr)) << sqlite3_errmsg(db);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        result.plan.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
    sqlite3_finalize(stmt);
    EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, text.c_str(), -1, &stmt, nullptr));
    while (sqlite3_step(stmt) == SQLITE_ROW)
        ++result.rows;
    result.fullScanSteps = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0);
    result.sorts = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_SORT, 0);
    result.autoIndexes = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_AUTOINDEX, 0);
    result.vmSteps = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

inline std::string planText(const PlanCounters& c) {
    std::string plan;
    for (const std::string& line : c.plan)
        plan += "  " + line + "\n";
    return plan;
}

// Index searches only: no full scan, no temporary sort, no automatic index.
inline void expectIndexSearchesOnly(const PlanCounters& c, const std::string& what) {
    SCOPED_TRACE(what + " plan:\n" + planText(c));
    ASSERT_FALSE(c.plan.empty());
    for (const std::string& line : c.plan) {
        EXPECT_EQ(std::string::npos, line.find("SCAN")) << line;
        EXPECT_EQ(std::string::npos, line.find("TEMP B-TREE")) << line;
        EXPECT_EQ(std::string::npos, line.find("AUTOMATIC")) << line;
    }
    EXPECT_EQ(0, c.fullScanSteps);
    EXPECT_EQ(0, c.sorts);
    EXPECT_EQ(0, c.autoIndexes);
}

} // namespace queryplan
