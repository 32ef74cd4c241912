// The index of product histories: the client's own statements (the chart's history, the lists'
// lookups) search it instead of scanning the value table, a database made before it gets it
// when the client opens it, and a read-only one still draws.
#include <gtest/gtest.h>
#include <windows.h>
#include <sqlite3.h>
#include "ChartData.h"
#include "ClientDatabase.h"
#include "DatabaseMessage.h"
#include "HostDatabase.h"
#include "ProductLookup.h"
#include "RecordingDatabase.h"
#include "SampleFile.h"
#include "SampleGenerator.h"
#include "tests/database/QueryPlan.h"

using namespace Client;

namespace {

std::wstring scratch(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"client_index_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

std::wstring writeSample(const wchar_t* name) {
    const std::wstring path = scratch(name);
    SampleOptions options;
    options.products = 40;
    options.days = 300;
    std::string error;
    EXPECT_TRUE(writeSampleFile(path, options, nullptr, &error)) << error;
    return path;
}

// Runs sql on a writable connection of the test's own; the first column of the last row, or "".
std::string exec(const std::wstring& path, const char* sql) {
    sqlite3* db = nullptr;
    std::string last;
    EXPECT_EQ(sqlite3_open_v2(queryplan::utf8(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                              nullptr),
              SQLITE_OK);
    sqlite3_exec(
        db, sql,
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0] ? values[0] : "";
            return 0;
        },
        &last, nullptr);
    sqlite3_close(db);
    return last;
}

bool hasHistoryIndex(const std::wstring& path) {
    return exec(path, "select count(*) from sqlite_master where name = 'ix_valuelist_code'") == "1";
}

} // namespace

TEST(HistoryIndex, ChartAndListStatementsSearchTheProductsOwnEntries) {
    const std::wstring path = writeSample(L"plans.db");
    XComPtr<IDatabase> inner = openDatabase(path.c_str(), 1000);
    ASSERT_TRUE(inner->isOpen());
    XComPtr<RecordingDatabase> db = recording(inner.get());
    const std::wstring dividends = L"200003", plain = L"200020";
    ChartData chart = loadChartData(db.get(), plain, L"2026-11-30");
    EXPECT_GT(chart.points.size(), 250u);
    std::vector<ProductSummary> rows;
    ASSERT_TRUE(describeProducts(db.get(), {dividends, plain, L"999999"}, rows));
    EXPECT_TRUE(rows[1].hasValue);
    ASSERT_GE(db->statements.size(), 5u);

    int historyReads = 0;
    for (const std::wstring& sql : db->statements) {
        const queryplan::PlanCounters c = queryplan::measure(path, sql);
        const std::string text = queryplan::utf8(sql);
        queryplan::expectIndexSearchesOnly(c, text);
        // A read of one product's values goes through its own entries of the index.
        if (sql.find(L"from tb_valuelist where code =") != std::wstring::npos) {
            ++historyReads;
            bool searched = false;
            for (const std::string& line : c.plan)
                searched = searched || line.find("ix_valuelist_code") != std::string::npos;
            EXPECT_TRUE(searched) << text << "\n" << queryplan::planText(c);
        }
    }
    EXPECT_GE(historyReads, 4) << "the chart's history and each listed code's";
    inner = nullptr;
    db = nullptr;
    DeleteFileW(path.c_str());
}

TEST(HistoryIndex, ADatabaseMadeBeforeTheIndexGetsItAndAReadOnlyOneStillDraws) {
    const std::wstring path = writeSample(L"old.db");
    exec(path, "drop index ix_valuelist_code");
    ASSERT_FALSE(hasHistoryIndex(path));
    const std::string stored =
        exec(path, "select count(*) from tb_valuelist where code = '200020' and not isdeleted");
    const std::string latest = exec(path, "select value from tb_valuelist where code = '200020' and not "
                                          "isdeleted and value is not null order by date desc limit 1");

    // A file the client may not write keeps working without the index, and the summary says so.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(databaseMessage(path), L"database: " + path +
                                         L" (read-only, without the index of product histories: charts and "
                                         L"lists read slower)");
    EXPECT_FALSE(hasHistoryIndex(path));
    {
        XComPtr<IDatabase> db = openDatabase(path.c_str(), 1000);
        ChartData chart = loadChartData(db.get(), L"200020", L"2026-11-30");
        EXPECT_EQ(std::to_string(chart.points.size()), stored);
        EXPECT_FALSE(chart.endDate.empty());
        std::vector<ProductSummary> rows;
        ASSERT_TRUE(describeProducts(db.get(), {L"200020"}, rows));
        ASSERT_TRUE(rows[0].hasValue);
        EXPECT_DOUBLE_EQ(rows[0].value, std::stod(latest));
    }

    // Writable again: the next start adds the index, once, and the data is as it was.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(databaseMessage(path), L"database: " + path + L" (index of product histories added)");
    EXPECT_TRUE(hasHistoryIndex(path));
    EXPECT_EQ(exec(path, "pragma integrity_check"), "ok");
    EXPECT_EQ(exec(path, "select count(*) from tb_valuelist where code = '200020' and not isdeleted"),
              stored);
    EXPECT_EQ(databaseMessage(path), L"database: " + path);

    // A file that is no product database gets nothing written into it.
    const std::wstring foreign = scratch(L"foreign.db");
    DeleteFileW(foreign.c_str());
    exec(foreign, "create table tb_valuelist (code text, date text)");
    EXPECT_EQ(exec(foreign, "select count(*) from sqlite_master"), "1");
    databaseMessage(foreign);
    EXPECT_EQ(exec(foreign, "select count(*) from sqlite_master"), "1");
    DeleteFileW(foreign.c_str());
    DeleteFileW(path.c_str());
}
