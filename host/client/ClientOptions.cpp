#include "ClientOptions.h"

#include <cwchar>
#include "ProductFigures.h"

namespace Client {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

} // namespace

bool parseIsoDate(const std::wstring& text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-')
        return false;
    // ASCII digits only: iswdigit also takes full-width and other scripts' digits, which stoi
    // then refuses with an exception.
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    int y = std::stoi(text.substr(0, 4)), m = std::stoi(text.substr(5, 2)), d = std::stoi(text.substr(8, 2));
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1601 || m < 1 || m > 12 || d < 1)
        return false;
    int last = days[m - 1] + (m == 2 && isLeap(y) ? 1 : 0);
    if (d > last)
        return false;
    year = y;
    month = m;
    day = d;
    return true;
}

ClientOptions ClientOptions::parse(const std::vector<std::wstring>& args) {
    ClientOptions o;
    auto fail = [&o](const std::wstring& message) {
        o.ok = false;
        o.error = message;
        return o;
    };
    std::wstring importCode;
    bool importCodeUsed = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        std::wstring* target = nullptr;
        if (a == L"--database")
            target = &o.databasePath;
        else if (a == L"--profile")
            target = &o.profileDir;
        else if (a == L"--end-date")
            target = &o.endDate;
        else if (a == L"--screenshot")
            target = &o.screenshotPath;
        else if (a == L"--dump")
            target = &o.dumpPath;
        else if (a == L"--module")
            target = &o.modulePath;
        else if (a == L"--export")
            target = &o.exportPath;
        else if (a == L"--chart")
            target = &o.chartCode;
        else if (a == L"--chart-range")
            target = &o.chartRange;
        else if (a == L"--chart-stats")
            target = &o.chartStatsPath;
        else if (a == L"--keyword" || a == L"--filter") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return fail(L"missing value for " + a);
            const std::wstring& value = args[++i];
            FilterStep step;
            step.keyword = a == L"--keyword";
            step.text = value;
            if (!step.keyword) {
                const size_t equals = value.find(L'=');
                if (equals == 0 || equals == std::wstring::npos || equals + 1 == value.size())
                    return fail(L"--filter wants COLUMN=VALUE, got: " + value);
                step.column = value.substr(0, equals);
                step.text = value.substr(equals + 1);
            }
            o.filterSteps.push_back(step);
            continue;
        } else if (a == L"--import" || a == L"--import-code") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return fail(L"missing value for " + a);
            if (a == L"--import")
                o.imports.push_back({args[++i], importCode});
            else
                importCode = args[++i];
            importCodeUsed = a == L"--import";
            continue;
        } else if (a != L"--exit-after" && a != L"--export-filter")
            return fail(L"unknown option: " + a);
        if (i + 1 >= args.size() || args[i + 1].empty())
            return fail(L"missing value for " + a);
        const std::wstring& value = args[++i];
        if (target) {
            *target = value;
            continue;
        }
        if (a == L"--export-filter") {
            if (value != L"1" && value != L"2" && value != L"3")
                return fail(L"--export-filter wants 1, 2 or 3, got: " + value);
            o.exportFilter = value[0] - L'0';
            continue;
        }
        wchar_t* end = nullptr;
        double seconds = std::wcstod(value.c_str(), &end);
        if (end == value.c_str() || *end != 0 || !(seconds > 0) || seconds > 86400)
            return fail(L"--exit-after wants a number of seconds, got: " + value);
        o.exitAfterSeconds = seconds;
    }
    int y, m, d;
    if (!o.endDate.empty() && !parseIsoDate(o.endDate, y, m, d))
        return fail(L"--end-date wants YYYY-MM-DD, got: " + o.endDate);
    if (!importCodeUsed)
        return fail(L"--import-code " + importCode +
                    L" names the product of the --import files after it; none follows");
    if (o.exportFilter != 0 && o.exportPath.empty())
        return fail(L"--export-filter needs --export FILE");
    FigureRange range;
    if (!o.chartRange.empty() && !parseRangeKey(o.chartRange, range))
        return fail(L"--chart-range wants 1M, 3M, 6M, YTD, 1Y, 3Y or ALL, got: " + o.chartRange);
    if ((!o.chartRange.empty() || !o.chartStatsPath.empty()) && o.chartCode.empty())
        return fail(L"--chart-range and --chart-stats need --chart CODE");
    return o;
}

std::wstring ClientOptions::usage() {
    return L"Client.exe [--database FILE] [--profile DIR] [--end-date YYYY-MM-DD]\n"
           L"           [--screenshot FILE.png] [--dump FILE] [--module DLL] [--exit-after SECONDS]\n"
           L"           [--keyword TEXT]... [--filter COLUMN=VALUE]...\n"
           L"           [--export FILE [--export-filter 1|2|3]]\n"
           L"           [--chart CODE [--chart-range 1M|3M|6M|YTD|1Y|3Y|ALL] [--chart-stats FILE]]\n"
           L"           [[--import-code CODE] --import FILE]...";
}

} // namespace Client
