#include "ImportFields.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace ImportFields {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits text[at..at+count) as a number; false unless all are digits.
bool digits(std::string_view text, size_t at, size_t count, int& value) {
    if (at + count > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

} // namespace

std::string_view trim(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    return text.substr(first, last - first);
}

DateResult parseDate(std::string_view text, Date& date) {
    text = trim(text);
    int y = 0, m = 0, d = 0;
    const bool compact =
        text.size() == 8 && digits(text, 0, 4, y) && digits(text, 4, 2, m) && digits(text, 6, 2, d);
    if (!compact) {
        if (text.size() < 8 || !digits(text, 0, 4, y) || (text[4] != '-' && text[4] != '/'))
            return DateResult::NotADate;
        const char sep = text[4];
        const size_t second = text.find(sep, 5);
        if (second == std::string_view::npos || second - 5 < 1 || second - 5 > 2 ||
            text.size() - second - 1 < 1 || text.size() - second - 1 > 2 || !digits(text, 5, second - 5, m) ||
            !digits(text, second + 1, text.size() - second - 1, d))
            return DateResult::NotADate;
    }
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1] + (m == 2 && isLeap(y) ? 1 : 0))
        return DateResult::NoSuchDay;
    date = {y, m, d};
    return DateResult::Ok;
}

std::string formatDate(const Date& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

int64_t dayNumber(const Date& date) {
    // Days from civil (proleptic Gregorian calendar).
    const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (date.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool parseNumber(std::string_view text, double& value) {
    text = trim(text);
    // The text without its thousands separators, checked as it is copied.
    char plain[64];
    size_t n = 0, i = 0;
    if (text.size() >= sizeof plain)
        return false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        plain[n++] = text[i++];
    const size_t intStart = i;
    size_t group = 0; // digits since the last separator
    bool grouped = false;
    for (; i < text.size() && (isDigit(text[i]) || text[i] == ','); ++i) {
        if (text[i] == ',') {
            // A separator follows one to three digits first, then exactly three.
            if (group == 0 || group > 3 || (grouped && group != 3))
                return false;
            grouped = true;
            group = 0;
            continue;
        }
        plain[n++] = text[i];
        ++group;
    }
    if (i == intStart && (i >= text.size() || text[i] != '.'))
        return false;
    if (grouped && group != 3)
        return false;
    if (i < text.size() && text[i] == '.') {
        plain[n++] = text[i++];
        const size_t fraction = i;
        while (i < text.size() && isDigit(text[i]))
            plain[n++] = text[i++];
        if (i == fraction && i == intStart + 1)
            return false; // "." alone
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain[n++] = text[i++];
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain[n++] = text[i++];
        const size_t exponent = i;
        while (i < text.size() && isDigit(text[i]))
            plain[n++] = text[i++];
        if (i == exponent)
            return false;
    }
    if (i != text.size() || n == 0)
        return false;
    const char* first = plain[0] == '+' ? plain + 1 : plain;
    double parsed = 0;
    const auto result = std::from_chars(first, plain + n, parsed);
    if (result.ec != std::errc() || result.ptr != plain + n || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool parseState(std::string_view text, int& state) {
    text = trim(text);
    if (text == "1" || text == "开放") {
        state = 1;
        return true;
    }
    if (text == "0" || text == "暂停") {
        state = 0;
        return true;
    }
    return false;
}

bool isUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        p += more + 1;
    }
    return true;
}

} // namespace ImportFields
