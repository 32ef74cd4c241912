// The client's chart and lists on the market's full size: 90,000 collective products valued over
// three years. Opening a product's chart (its statements and the chart's series and figures) and
// describing a list of 500 codes, each against stepping the very statements it ran with the raw
// SQLite API in the same round.
//
// The database (about 6 GB) is made once and kept in bench-data beside the program; making it
// also times adding the history index to it as to a database made before the index.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <sqlite3.h>
#include "ChartData.h"
#include "ChartView.h"
#include "ClientDatabase.h"
#include "ClientServices.h"
#include "HostDatabase.h"
#include "ProductLookup.h"
#include "SampleGenerator.h"
#include "bench/BenchSupport.h"
#include "tests/client/RecordingDatabase.h"

using namespace Client;

namespace {

using bench::nowMs;

// The market's size; --products N makes a smaller one (its own file) for a quick look.
int gProducts = 90000;
constexpr int kDays = 750;
constexpr const wchar_t* kEndDate = L"2026-11-30";

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

bool hasHistoryIndex(const std::wstring& file) {
    sqlite3* db = nullptr;
    bool found = false;
    if (sqlite3_open_v2(utf8(file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        found = sqlite3_prepare_v2(db, "select 1 from sqlite_master where name = 'ix_valuelist_code'", -1, &s,
                                   nullptr) == SQLITE_OK &&
                sqlite3_step(s) == SQLITE_ROW;
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return found;
}

// The client's own way of adding the history index to a database made before it, timed.
bool addIndexTimed(const std::wstring& file) {
    std::wstring reason;
    const double start = nowMs();
    const IndexUpgrade upgrade = addMissingIndexes(file, reason);
    std::printf("history index added to the market made without it: %.0f s (%s)\n", (nowMs() - start) / 1000,
                upgrade == IndexUpgrade::Added ? "added" : utf8(reason).c_str());
    return upgrade == IndexUpgrade::Added;
}

// Generates the market into file, then drops the history index and times the client's own way
// of adding it to an older database.
bool makeMarket(const std::wstring& file) {
    const std::wstring scratch = file + L".part";
    DeleteFileW(scratch.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(utf8(scratch).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return false;
    // A large cache: the rows go in date by date, the indexes are built at the end.
    sqlite3_exec(db, "pragma cache_size = -1048576", nullptr, nullptr, nullptr);
    SampleOptions options;
    options.products = gProducts;
    options.days = kDays;
    SampleSummary summary;
    std::string error;
    double start = nowMs();
    bool ok = generateSample(db, options, &summary, &error);
    std::printf("market: %d collective + %d other products, %lld values (%s .. %s), written in %.0f s\n",
                summary.collectiveProducts, summary.otherProducts, summary.valueRows,
                summary.firstDate.c_str(), summary.lastDate.c_str(), (nowMs() - start) / 1000);
    ok = ok && sqlite3_exec(db, "drop index ix_valuelist_code", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!ok) {
        std::fprintf(stderr, "bench_client: %s\n", error.c_str());
        return false;
    }
    return addIndexTimed(scratch) &&
           MoveFileExW(scratch.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// The floor: each statement prepared, stepped to its end reading every column, and finalised,
// as the host's query does. Adds the statements' full-scan steps to fullScans.
double stepRaw(sqlite3* raw, const std::vector<std::wstring>& statements, double& sink, int& fullScans) {
    const double start = nowMs();
    for (const std::wstring& sql : statements) {
        const XStringA text = XStringW(sql.c_str()).toUtf8();
        bench::MappedLikeHost mapped(raw);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(raw, text.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "bench_client: %s\n", sqlite3_errmsg(raw));
        bench::stepAllColumns(stmt, sink);
        fullScans += sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0);
        sqlite3_finalize(stmt);
    }
    return nowMs() - start;
}

// A fixed spread of collective codes over the whole market.
std::wstring marketCode(unsigned& state) {
    state = state * 1103515245u + 12345u;
    return std::to_wstring(200001 + (state >> 8) % gProducts);
}

struct Timed {
    std::vector<double> work, floor;
};

// Runs work and the floor over the statements work ran, once untimed each to read the pages in,
// then timed in turns whose order alternates; returns this round's ratio.
template <class Work>
double round(IDatabase* db, sqlite3* raw, int index, Work&& work, Timed& times, double& sink,
             int& fullScans) {
    XComPtr<RecordingDatabase> recorder = recording(db);
    work(recorder.get());
    const std::vector<std::wstring> statements = recorder->statements;
    int scans = 0;
    stepRaw(raw, statements, sink, scans);
    double w = 0, f = 0;
    for (int turn = 0; turn < 2; ++turn) {
        if ((turn + index) % 2 == 0) {
            const double start = nowMs();
            work(db);
            w = nowMs() - start;
        } else {
            f = stepRaw(raw, statements, sink, fullScans);
        }
    }
    times.work.push_back(w);
    times.floor.push_back(f);
    return w / f;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--products")
        gProducts = std::max(kMinSampleProducts, std::min(kMaxSampleProducts, std::atoi(argv[2])));
    const std::wstring folder = programDirectory() + L"\\bench-data";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file =
        folder + L"\\client_" + std::to_wstring(gProducts) + L"x" + std::to_wstring(kDays) + L".db";
    // A market kept from an earlier run but without the index (dropped to time adding it again)
    // only gets the index.
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES && !hasHistoryIndex(file) &&
        !addIndexTimed(file))
        return 1;
    if (!hasHistoryIndex(file)) {
        std::printf("making the market once into %s (kept for later runs)\n", utf8(file).c_str());
        std::fflush(stdout);
        if (!makeMarket(file)) {
            std::fprintf(stderr, "bench_client: cannot make the market\n");
            return 1;
        }
    }
    XComPtr<IDatabase> db = openDatabase(file.c_str(), kDefaultBusyTimeoutMs);
    sqlite3* raw = nullptr;
    if (!db->isOpen() ||
        sqlite3_open_v2(utf8(file).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench_client: the market does not open\n");
        return 1;
    }
    bench::likeHostConnection(raw);
    double sink = 0;
    unsigned state = 7;
    const std::string size = gProducts == 90000 ? "90,000" : std::to_string(gProducts);
    const std::string chartWork = "chart open, query and series, " + size + " x 3 years";
    const std::string listWork = "list of 500 codes with returns, " + size + " x 3 years";

    // A chart: its statements, then the series and the figures of its range.
    Timed chart;
    int chartScans = 0;
    size_t points = 0;
    double firstOpen = 0;
    for (int r = 0; r < 15; ++r) {
        const std::wstring code = marketCode(state);
        auto open = [&](IDatabase* on) {
            ChartView view;
            view.setProduct(loadChartData(on, code, kEndDate));
            points += view.main().data.points.size();
        };
        if (r == 0) {
            const double start = nowMs();
            open(db.get());
            firstOpen = nowMs() - start;
        }
        bench::result(chartWork.c_str(), "raw stepping of the same statements", 1.5,
                      round(db.get(), raw, r, open, chart, sink, chartScans));
    }

    // A list of 500 codes: names, latest values and returns.
    Timed list;
    int listScans = 0;
    for (int r = 0; r < 9; ++r) {
        std::vector<std::wstring> codes;
        for (int i = 0; i < 500; ++i)
            codes.push_back(marketCode(state));
        auto describe = [&](IDatabase* on) {
            std::vector<ProductSummary> rows;
            describeProducts(on, codes, rows);
        };
        bench::result(listWork.c_str(), "raw stepping of the same statements", 1.5,
                      round(db.get(), raw, r, describe, list, sink, listScans));
    }

    std::printf("chart open, %zu points a product on average:\n", points / (2 * chart.work.size()));
    std::printf("  raw statements (floor): %7.2f ms fastest, %7.2f ms median\n", bench::fastest(chart.floor),
                bench::median(chart.floor));
    std::printf("  query and series:       %7.2f ms fastest, %7.2f ms median (first open %.2f ms)\n",
                bench::fastest(chart.work), bench::median(chart.work), firstOpen);
    std::printf("list of 500 codes:\n");
    std::printf("  raw statements (floor): %7.2f ms fastest, %7.2f ms median\n", bench::fastest(list.floor),
                bench::median(list.floor));
    std::printf("  values and returns:     %7.2f ms fastest, %7.2f ms median\n", bench::fastest(list.work),
                bench::median(list.work));
    char detail[96];
    std::snprintf(detail, sizeof detail, "%d full-scan steps", chartScans);
    bench::check("chart statements search indexes only", chartScans == 0, detail);
    std::snprintf(detail, sizeof detail, "%d full-scan steps", listScans);
    bench::check("list statements search indexes only", listScans == 0, detail);
    sqlite3_close(raw);
    return sink == 0 ? 1 : 0;
}
