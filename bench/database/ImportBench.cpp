// Importing 1,000,000 value lines from a UTF-8 CSV file, against inserting the same rows with
// one prepared statement in one transaction through SQLite's own interface, each into a fresh
// copy of the same database (the schema and the products the lines name). Also the absolute
// times and the peak memory of an import.
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <string>
#include <vector>
#include <sqlite3.h>
#include "DataImporter.h"
#include "ProductSchema.h"
#include "bench/BenchSupport.h"

namespace {

using bench::nowMs;

constexpr int kProducts = 1000;
constexpr int kDays = 1000;

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

struct Row {
    char code[8];
    char date[12];
    double value;
    double total;
};

// Days as the database stores them, weekdays only, from 2021-01-04 on.
std::vector<std::string> valuationDays() {
    std::vector<std::string> days;
    SYSTEMTIME st{};
    st.wYear = 2021;
    st.wMonth = 1;
    st.wDay = 4;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    while (static_cast<int>(days.size()) < kDays) {
        FILETIME f{t.LowPart, t.HighPart};
        FileTimeToSystemTime(&f, &st);
        if (st.wDayOfWeek != 0 && st.wDayOfWeek != 6) {
            char text[12];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
            days.push_back(text);
        }
        t.QuadPart += 864000000000ull;
    }
    return days;
}

bool exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "bench_import: %s\n", message ? message : "?");
    sqlite3_free(message);
    return false;
}

double peakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize);
}

} // namespace

int main() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring base = std::wstring(folder) + L"af_bench_import_base.db";
    const std::wstring target = std::wstring(folder) + L"af_bench_import.db";
    const std::wstring csv = std::wstring(folder) + L"af_bench_import.csv";

    // The rows, product by product and day by day, as a data service writes a history.
    const std::vector<std::string> days = valuationDays();
    std::vector<Row> rows;
    rows.reserve(size_t(kProducts) * kDays);
    for (int p = 0; p < kProducts; ++p) {
        double value = 1.0 + (p % 50) / 100.0, paid = 0.1 * (p % 3);
        for (int d = 0; d < kDays; ++d) {
            Row r{};
            std::snprintf(r.code, sizeof r.code, "%06d", 300001 + p);
            std::snprintf(r.date, sizeof r.date, "%s", days[d].c_str());
            value = static_cast<double>(static_cast<long long>(
                        (value * (1 + ((p * 31 + d * 17) % 41 - 20) / 4000.0)) * 10000 + 0.5)) /
                    10000;
            r.value = value;
            r.total = value + paid;
            rows.push_back(r);
        }
    }
    {
        std::string text = "code,date,value,totalvalue\r\n";
        HANDLE f = CreateFileW(csv.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        for (const Row& r : rows) {
            char line[96];
            const int n =
                std::snprintf(line, sizeof line, "%s,%s,%.4f,%.4f\r\n", r.code, r.date, r.value, r.total);
            text.append(line, size_t(n));
            if (text.size() > (1 << 20)) {
                WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
                text.clear();
            }
        }
        WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
        CloseHandle(f);
    }
    // The database both start from: the schema and the products, nothing else.
    DeleteFileW(base.c_str());
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(utf8(base).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (!exec(db, kProductSchema) || !exec(db, "begin"))
            return 1;
        sqlite3_stmt* add = nullptr;
        sqlite3_prepare_v2(db, "insert into tb_fund (code, name, fundtype) values (?, ?, '集合理财产品')", -1,
                           &add, nullptr);
        for (int p = 0; p < kProducts; ++p) {
            sqlite3_bind_text(add, 1, rows[size_t(p) * kDays].code, -1, SQLITE_STATIC);
            sqlite3_bind_text(add, 2, "产品", -1, SQLITE_STATIC);
            sqlite3_step(add);
            sqlite3_reset(add);
        }
        sqlite3_finalize(add);
        if (!exec(db, "commit"))
            return 1;
        sqlite3_close(db);
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(csv.c_str(), GetFileExInfoStandard, &data);
    std::printf("%zu value lines, %.1f MB of UTF-8 CSV\n", rows.size(), data.nFileSizeLow / 1048576.0);

    auto freshCopy = [&] {
        DeleteFileW(target.c_str());
        CopyFileW(base.c_str(), target.c_str(), FALSE);
    };
    auto floor = [&] {
        freshCopy();
        const double start = nowMs();
        sqlite3* db = nullptr;
        sqlite3_open_v2(utf8(target).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        bench::likeHostConnection(db);
        exec(db, "begin immediate");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(
            db, "insert into tb_valuelist (code, date, value, totalvalue, isdeleted) values (?, ?, ?, ?, 0)",
            -1, &insert, nullptr);
        for (const Row& r : rows) {
            sqlite3_bind_text(insert, 1, r.code, 6, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, r.date, 10, SQLITE_STATIC);
            sqlite3_bind_double(insert, 3, r.value);
            sqlite3_bind_double(insert, 4, r.total);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec(db, "commit");
        sqlite3_close(db);
        return nowMs() - start;
    };
    ImportReport report;
    auto import = [&] {
        freshCopy();
        const double start = nowMs();
        report = DataImporter(target).run({{csv, std::string()}});
        return nowMs() - start;
    };

    // The first import runs before anything else has grown the process, so its peak is its own.
    const double peakBefore = peakWorkingSet();
    const double firstImport = import();
    const double peak = peakWorkingSet() - peakBefore;
    if (report.files.size() != 1 || !report.files[0].imported ||
        report.files[0].values != int64_t(rows.size())) {
        for (const std::wstring& line : report.summaryLines())
            std::printf("%s\n", utf8(line).c_str());
        std::fprintf(stderr, "bench_import: the import did not take every line\n");
        return 1;
    }
    std::vector<double> floorTimes, importTimes{firstImport};
    for (int round = 0; round < 5; ++round) {
        floorTimes.push_back(floor());
        if (round > 0)
            importTimes.push_back(import());
        bench::result("import of 1,000,000 value lines (UTF-8 CSV)", "prepared inserts, one transaction", 2.0,
                      importTimes.back() / floorTimes.back());
    }
    std::printf("prepared inserts (floor): %8.0f ms (fastest of %zu)\n", bench::fastest(floorTimes),
                floorTimes.size());
    std::printf("import:                   %8.0f ms (fastest of %zu), %.0f lines/s\n",
                bench::fastest(importTimes), importTimes.size(),
                rows.size() / (bench::fastest(importTimes) / 1000));
    std::printf("import peak memory:       %8.1f MB over the process before it (working set)\n",
                peak / 1048576.0);
    DeleteFileW(target.c_str());
    DeleteFileW(base.c_str());
    DeleteFileW(csv.c_str());
    return 0;
}
