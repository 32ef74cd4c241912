#include "CalendarDay.h"

#include <cwchar>

namespace Client {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return days[m - 1] + (m == 2 && isLeap(y) ? 1 : 0);
}

} // namespace

int dayFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDay(int z, int& y, int& m, int& d) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

std::optional<int> dayNumber(const std::wstring& text) {
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-')
        return std::nullopt;
    int field[3] = {0, 0, 0};
    for (size_t i = 0, f = 0; i < text.size(); ++i) {
        if (i == 4 || i == 7) {
            ++f;
            continue;
        }
        // ASCII digits only: other scripts' digits are not dates the database holds.
        if (text[i] < L'0' || text[i] > L'9')
            return std::nullopt;
        field[f] = field[f] * 10 + (text[i] - L'0');
    }
    const int y = field[0], m = field[1], d = field[2];
    if (m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return std::nullopt;
    return dayFromCivil(y, m, d);
}

std::wstring isoDate(int day) {
    int y, m, d;
    civilFromDay(day, y, m, d);
    wchar_t buf[24];
    swprintf(buf, 24, L"%04d-%02d-%02d", y, m, d);
    return buf;
}

int monthsEarlier(int day, int months) {
    int y, m, d;
    civilFromDay(day, y, m, d);
    int index = y * 12 + (m - 1) - months;
    // Floor division, so months before year 0 still land on a real month.
    int year = index >= 0 ? index / 12 : -((-index + 11) / 12);
    int month = index - year * 12 + 1;
    int last = daysInMonth(year, month);
    return dayFromCivil(year, month, d < last ? d : last);
}

int endOfPreviousYear(int day) {
    int y, m, d;
    civilFromDay(day, y, m, d);
    return dayFromCivil(y - 1, 12, 31);
}

} // namespace Client
