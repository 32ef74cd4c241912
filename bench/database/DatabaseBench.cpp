// Filling a table with the product query for 20,000 products, against stepping the same
// prepared statement with the raw SQLite API in the same run, and the two valuation-date
// statements' times.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include <sqlite3.h>
#include "DataPathQueries.h"
#include "bench/BenchSupport.h"
#include "HostDatabase.h"
#include "Kernel.h"
#include "SampleFile.h"

namespace {

using bench::nowMs;

template <class F> double bestOf(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        f();
        best = std::min(best, nowMs() - start);
    }
    return best;
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

} // namespace

int main() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"af_bench_database.db";

    SampleOptions options;
    options.products = 20000;
    options.days = 10;
    SampleSummary summary;
    std::string error;
    const double generateStart = nowMs();
    if (!writeSampleFile(file, options, &summary, &error)) {
        std::fprintf(stderr, "bench_database: cannot write the sample: %s\n", error.c_str());
        return 1;
    }
    std::printf("sample: %d collective + %d other products, %lld values, written in %.0f ms\n",
                summary.collectiveProducts, summary.otherProducts, summary.valueRows,
                nowMs() - generateStart);

    XComPtr<IDatabase> db = openDatabase(file.c_str(), 1000);
    if (!db->isOpen()) {
        std::fprintf(stderr, "bench_database: the sample does not open\n");
        return 1;
    }
    XComPtr<Data::IDataTable> scratch = createInstanceAs<Data::IDataTable>("Data.DataTable");
    XComPtr<Data::IDataTable> products = createInstanceAs<Data::IDataTable>("Data.DataTable");
    if (!scratch || !products) {
        std::fprintf(stderr, "bench_database: no Data.DataTable component\n");
        return 1;
    }

    const XStringW endSql = XStringW::format(kEndDateQuery, L"2026-12-08");
    const double endMs = bestOf(50, [&] { db->query(endSql.c_str(), scratch, true, 0); });
    const std::wstring endDate = scratch->getRow(0).getItem(0).getText().c_str();
    const XStringW beginSql = XStringW::format(kBeginDateQuery, endDate.c_str());
    const double beginMs = bestOf(50, [&] { db->query(beginSql.c_str(), scratch, true, 0); });
    const std::wstring beginDate = scratch->getRow(0).getItem(0).getText().c_str();
    std::printf("end date statement:   %.3f ms (%s)\n", endMs, utf8(endDate).c_str());
    std::printf("begin date statement: %.3f ms (%s)\n", beginMs, utf8(beginDate).c_str());

    const XStringW sql = XStringW::format(kProductQuery, beginDate.c_str(), endDate.c_str(), endDate.c_str());

    // Floor: the same statement stepped with the raw API, every column's value read.
    sqlite3* raw = nullptr;
    sqlite3_open_v2(utf8(file).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    bench::likeHostConnection(raw);
    sqlite3_stmt* stmt = nullptr;
    const XStringA text = sql.toUtf8();
    if (sqlite3_prepare_v2(raw, text.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench_database: %s\n", sqlite3_errmsg(raw));
        return 1;
    }
    int rawRows = 0;
    double sink = 0;
    auto stepRaw = [&] {
        bench::MappedLikeHost mapped(raw);
        rawRows = bench::stepAllColumns(stmt, sink);
        sqlite3_reset(stmt);
    };

    // The floor and the fills take turns, so a busy machine slows them alike; each round gives
    // one ratio of each fill to the floor measured in it.
    db->query(sql.c_str(), products, true, 0); // first fill builds the columns
    std::vector<double> rawTimes, fillTimes, firstTimes;
    for (int round = 0; round < 9; ++round) {
        double start = nowMs();
        stepRaw();
        rawTimes.push_back(nowMs() - start);
        start = nowMs();
        db->query(sql.c_str(), products, false, 0);
        fillTimes.push_back(nowMs() - start);
        products->reset();
        start = nowMs();
        db->query(sql.c_str(), products, true, 0);
        firstTimes.push_back(nowMs() - start);
        bench::result("product query into the table, refill", "raw stepping of the same statement", 1.25,
                      fillTimes.back() / rawTimes.back());
        bench::result("product query into the table, first fill", "raw stepping of the same statement", 1.25,
                      firstTimes.back() / rawTimes.back());
    }
    const double rawMs = bench::fastest(rawTimes), fillMs = bench::fastest(fillTimes),
                 firstMs = bench::fastest(firstTimes);
    sqlite3_finalize(stmt);
    sqlite3_close(raw);

    std::printf("product query, %d rows:\n", rawRows);
    std::printf("  raw SQLite stepping (floor): %8.2f ms (fastest of %zu)\n", rawMs, rawTimes.size());
    std::printf("  IDatabase::query, refill:    %8.2f ms\n", fillMs);
    std::printf("  IDatabase::query, first:     %8.2f ms (reset table)\n", firstMs);
    std::printf("  rows in table: %d%s\n", products->rowCount(), sink == 0 ? " (empty result)" : "");
    products = nullptr;
    scratch = nullptr;
    db = nullptr;
    DeleteFileW(file.c_str());
    return 0;
}
