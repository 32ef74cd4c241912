#include "TradingCalendar.h"

#include <algorithm>
#include <cstdio>

// Howard Hinnant's days-from-civil conversion (proleptic Gregorian calendar).
int64_t TradingCalendar::dayNumber(int year, int month, int day) {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void TradingCalendar::civil(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string TradingCalendar::format(int64_t dayNumber) {
    int y = 0, m = 0, d = 0;
    civil(dayNumber, y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%d-%02d-%02d", y, m, d);
    return text;
}

bool TradingCalendar::parse(const std::string& text, int64_t& out) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return false;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    const int64_t n = dayNumber(y, m, d);
    int cy = 0, cm = 0, cd = 0;
    civil(n, cy, cm, cd);
    if (cy != y || cm != m || cd != d)
        return false;
    out = n;
    return true;
}

bool TradingCalendar::isWeekend(int64_t n) {
    // 1970-01-01 was a Thursday.
    const int64_t weekday = ((n % 7) + 7 + 4) % 7; // 0 = Sunday
    return weekday == 0 || weekday == 6;
}

bool TradingCalendar::isHoliday(int64_t n) {
    int y = 0, m = 0, d = 0;
    civil(n, y, m, d);
    if (m == 1 && d == 1)
        return true;
    if (m == 4 && d == 4)
        return true;
    if (m == 5 && d >= 1 && d <= 3)
        return true;
    if (m == 10 && d >= 1 && d <= 7)
        return true;
    struct SpringFestival {
        int year, month, day;
    };
    static const SpringFestival eves[] = {{2021, 2, 11}, {2022, 1, 31}, {2023, 1, 21}, {2024, 2, 9},
                                          {2025, 1, 28}, {2026, 2, 16}, {2027, 2, 5}};
    for (const SpringFestival& f : eves) {
        if (f.year != y && f.year != y - 1 && f.year != y + 1)
            continue;
        const int64_t first = dayNumber(f.year, f.month, f.day);
        if (n >= first && n < first + 7)
            return true;
    }
    return false;
}

std::vector<int64_t> TradingCalendar::valuationDates(int64_t lastDay, int count) {
    std::vector<int64_t> dates;
    for (int64_t n = lastDay; static_cast<int>(dates.size()) < count; --n) {
        if (isValuationDay(n))
            dates.push_back(n);
    }
    std::reverse(dates.begin(), dates.end());
    return dates;
}
