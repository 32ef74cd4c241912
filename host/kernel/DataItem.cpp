#include "DataItem.h"

#include <windows.h>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include "CellStore.h"

namespace Data {

namespace {
double parseNumber(const wchar_t* text, bool* ok) {
    XStringW s(text);
    return s.toDouble(ok);
}
} // namespace

namespace {

// The longest text numberChars writes: the fixed text of a double (denormals) is about 330
// characters.
constexpr int kNumberRoom = 400;
// Every real's text has at least four decimals, so that the net values of a column line up
// ("1.0880" beside "1.0090", "10.0000").
constexpr int kMinDecimals = 4;

// "00" to "99": digits are written two at a time, half the divisions of one at a time.
struct DigitPairs {
    wchar_t units[200];
    constexpr DigitPairs() : units() {
        for (int i = 0; i < 100; ++i) {
            units[2 * i] = wchar_t(L'0' + i / 10);
            units[2 * i + 1] = wchar_t(L'0' + i % 10);
        }
    }
};
constexpr DigitPairs kDigitPairs;

// The text of a value with at most four decimals, with exactly four, for the values tables mostly
// hold; 0 when the value is not such a one (to_chars decides). r / 10^4 == value proves that the
// decimal r / 10^4 reads back as the value; under 10^9 two such decimals are too far apart
// (10^-4) to read back as the same value, so it is the only one.
int fourDecimals(double value, wchar_t* out) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e9))
        return 0;
    // Rounded by conversion (the test below catches any value it rounds the wrong way).
    auto digits = static_cast<unsigned long long>(magnitude * 1e4 + 0.5);
    if (double(digits) / 1e4 != magnitude)
        return 0;
    // Under 10^9, so the whole part fits 32 bits; its digits are written backwards.
    auto whole = static_cast<uint32_t>(digits / 10000);
    const auto decimals = static_cast<uint32_t>(digits % 10000);
    wchar_t reversed[10];
    int n = 0;
    for (; whole >= 10; whole /= 100) {
        const wchar_t* pair = &kDigitPairs.units[2 * (whole % 100)];
        reversed[n++] = pair[1];
        reversed[n++] = pair[0];
    }
    // A pair written last has its tens; what is left is a single digit, or the zero of 0.
    if (whole || n == 0)
        reversed[n++] = wchar_t(L'0' + whole);
    int length = 0;
    if (std::signbit(value))
        out[length++] = L'-';
    while (n > 0)
        out[length++] = reversed[--n];
    out[length++] = L'.';
    const wchar_t* high = &kDigitPairs.units[2 * (decimals / 100)];
    const wchar_t* low = &kDigitPairs.units[2 * (decimals % 100)];
    out[length++] = high[0];
    out[length++] = high[1];
    out[length++] = low[0];
    out[length++] = low[1];
    return length;
}

// numberText's characters into out (room for kNumberRoom); the length.
int numberChars(double value, wchar_t* out) {
    if (int length = fourDecimals(value, out))
        return length;
    // Positional digits only: a grid cuts a long text at its right end, and "-9.99902e-05" cut
    // to "-9.99902…" reads as a different number. to_chars gives the shortest digits that read
    // back as the same value without a round trip through printf; zeros make up four decimals.
    char buffer[kNumberRoom];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer - kMinDecimals - 1, value, std::chars_format::fixed);
    size_t length = result.ec == std::errc() ? size_t(result.ptr - buffer) : 0;
    if (std::isfinite(value) && length > 0) {
        const char* point = static_cast<const char*>(std::memchr(buffer, '.', length));
        int decimals = point ? int(buffer + length - point - 1) : 0;
        if (!point)
            buffer[length++] = '.';
        for (; decimals < kMinDecimals; ++decimals)
            buffer[length++] = '0';
    }
    for (size_t i = 0; i < length; ++i)
        out[i] = wchar_t(buffer[i]);
    return int(length);
}

} // namespace

XStringW numberText(double value) {
    wchar_t text[kNumberRoom];
    return XStringW(text, numberChars(value, text));
}

NullItem& NullItem::instance() {
    static NullItem item;
    return item;
}

double DataItem::real() const {
    double value;
    std::memcpy(&value, &bits_, sizeof value);
    return value;
}

uint64_t DataItem::realBits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits >> kTagShift) >= kNullTag && (bits >> kTagShift) <= kTextTag)
        bits = 0x7FF8000000000000ull;
    return bits;
}

void DataItem::store(uint64_t bits) {
    CellStore& cells = CellStore::of(this);
    if (isText())
        cells.dropText(std::wcslen(text()));
    bits_ = bits;
    cells.changed();
}

XStringW DataItem::getText() const {
    if (isText())
        return XStringW(text());
    if (isReal())
        return numberText(real());
    if (isInteger())
        return XStringW::format(L"%d", integer());
    return XStringW();
}

void DataItem::readText(XStringW& out) const {
    wchar_t number[kNumberRoom];
    const wchar_t* text = storedText();
    int length = 0;
    if (text) {
        while (text[length])
            ++length;
    } else if (isReal()) {
        length = numberChars(real(), number);
        text = number;
    } else {
        out = getText();
        return;
    }
    // Unit by unit: a cell's text is a few units, and the C runtime's wcslen and memcpy cost a
    // call and a slow start each (string instructions under Wine), more than the copy itself.
    wchar_t* to = out.getBuffer(length);
    for (int i = 0; i < length; ++i)
        to[i] = text[i];
    out.releaseBuffer(length);
}

double DataItem::getDouble() const {
    if (isReal())
        return real();
    if (isInteger())
        return integer();
    if (isText()) {
        bool ok = false;
        double v = parseNumber(text(), &ok);
        return ok ? v : 0;
    }
    return 0;
}

int DataItem::getInt() const {
    if (isInteger())
        return integer();
    double v = getDouble();
    if (std::isnan(v))
        return 0;
    if (v >= double(INT_MAX))
        return INT_MAX;
    if (v <= double(INT_MIN))
        return INT_MIN;
    return int(v);
}

void DataItem::setText(const wchar_t* text) {
    if (!text || !*text) {
        store(kNull);
        return;
    }
    int row = 0, column = 0;
    CellStore::place(this, row, column);
    store(textBits(CellStore::of(this).keepText(text, std::wcslen(text), column)));
}

void DataItem::setDouble(double value) {
    store(realBits(value));
}

void DataItem::setInt(int value) {
    store(integerBits(value));
}

void DataItem::setNull() {
    store(kNull);
}

bool DataItem::numberKey(double& value) const {
    if (isReal()) {
        value = real();
        return !std::isnan(value);
    }
    if (isInteger()) {
        value = integer();
        return true;
    }
    if (isText()) {
        bool ok = false;
        value = parseNumber(text(), &ok);
        return ok && !std::isnan(value);
    }
    return false;
}

const char* DataItem::gbKey() const {
    if (isNull())
        return nullptr;
    if (isText())
        return CellStore::of(this).gbKey(this, text());
    const XStringW number = getText();
    return CellStore::of(this).gbKey(this, number.c_str());
}

} // namespace Data
