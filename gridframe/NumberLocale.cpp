#include "NumberLocale.h"

#include <windows.h>
#include <cstring>
#include <memory>

namespace {

std::unique_ptr<NumberLocale>& currentSlot() {
    static std::unique_ptr<NumberLocale> slot;
    return slot;
}

std::wstring readLocaleText(LCTYPE type) {
    wchar_t buffer[32] = {};
    int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 32);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}

} // namespace

NumberLocale NumberLocale::plain() {
    NumberLocale locale;
    locale.thousandSeparator.clear();
    return locale;
}

void NumberLocale::parseGrouping(const wchar_t* text, NumberLocale& locale) {
    locale.groups.clear();
    locale.repeatLast = false;
    if (!text)
        return;
    int value = 0;
    bool any = false;
    for (const wchar_t* p = text;; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            value = value * 10 + (*p - L'0');
            if (value > 99)
                value = 99;
            any = true;
        } else if (*p == L';' || *p == 0) {
            if (any)
                locale.groups.push_back(value);
            value = 0;
            any = false;
            if (*p == 0)
                break;
        }
    }
    // A trailing 0 means "repeat the group before it"; otherwise grouping stops after the list.
    if (!locale.groups.empty() && locale.groups.back() == 0) {
        locale.groups.pop_back();
        locale.repeatLast = !locale.groups.empty();
    }
    if (!locale.groups.empty() && locale.groups.front() == 0)
        locale.groups.clear();
}

NumberLocale NumberLocale::user() {
    NumberLocale locale = plain();
    std::wstring decimal = readLocaleText(LOCALE_SDECIMAL);
    if (!decimal.empty())
        locale.decimalPoint = decimal;
    locale.thousandSeparator = readLocaleText(LOCALE_STHOUSAND);
    std::wstring grouping = readLocaleText(LOCALE_SGROUPING);
    parseGrouping(grouping.c_str(), locale);
    if (locale.thousandSeparator.empty())
        locale.groups.clear();
    return locale;
}

const NumberLocale& NumberLocale::current() {
    auto& slot = currentSlot();
    if (!slot)
        slot = std::make_unique<NumberLocale>(user());
    return *slot;
}

void NumberLocale::setCurrent(const NumberLocale& locale) {
    currentSlot() = std::make_unique<NumberLocale>(locale);
}

void NumberLocale::localize(const char* number, std::wstring& out) const {
    const char* p = number;
    if (*p == '-' || *p == '+')
        out += wchar_t(*p++);
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    size_t count = size_t(p - digits);
    if (groups.empty() || count == 0) {
        for (const char* d = digits; d < p; ++d)
            out += wchar_t(*d);
    } else {
        // Mark where separators go, counting group sizes from the right.
        char marks[512] = {};
        size_t pos = count;
        size_t index = 0;
        while (count < sizeof(marks)) {
            int size = index < groups.size() ? groups[index] : (repeatLast ? groups.back() : 0);
            if (size <= 0 || size_t(size) >= pos)
                break;
            pos -= size_t(size);
            marks[pos] = 1;
            ++index;
        }
        for (size_t i = 0; i < count; ++i) {
            if (marks[i])
                out += thousandSeparator;
            out += wchar_t(digits[i]);
        }
    }
    for (; *p; ++p) {
        if (*p == '.')
            out += decimalPoint;
        else
            out += wchar_t(*p);
    }
}
