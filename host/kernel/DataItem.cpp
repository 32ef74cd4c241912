#include "DataItem.h"

#include <windows.h>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include "DataTable.h"

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
    wchar_t reversed[32];
    int n = 0;
    for (int i = 0; i < kMinDecimals; ++i, digits /= 10)
        reversed[n++] = wchar_t(L'0' + digits % 10);
    reversed[n++] = L'.';
    do {
        reversed[n++] = wchar_t(L'0' + digits % 10);
        digits /= 10;
    } while (digits);
    int length = 0;
    if (std::signbit(value))
        out[length++] = L'-';
    while (n > 0)
        out[length++] = reversed[--n];
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

// The value's bytes move as they are: a short text is held in them, a long one pointed to.
DataItem::DataItem(DataItem&& other) noexcept : table_(other.table_), gb_(other.gb_), kind_(other.kind_) {
    std::memcpy(short_, other.short_, sizeof short_);
    other.gb_ = nullptr;
    other.kind_ = KindNull;
}

DataItem& DataItem::operator=(DataItem&& other) noexcept {
    if (this != &other) {
        clearValue();
        table_ = other.table_;
        std::memcpy(short_, other.short_, sizeof short_);
        gb_ = other.gb_;
        kind_ = other.kind_;
        other.gb_ = nullptr;
        other.kind_ = KindNull;
    }
    return *this;
}

DataItem::~DataItem() {
    clearValue();
}

void DataItem::clearValue() {
    if (kind_ == KindText)
        std::free(text_);
    std::free(gb_);
    gb_ = nullptr;
    kind_ = KindNull;
}

void DataItem::changed() {
    if (table_)
        table_->cellChanged();
}

XStringW DataItem::getText() const {
    switch (kind_) {
    case KindText:
        return XStringW(text_);
    case KindShortText:
        return XStringW(short_);
    case KindReal:
        return numberText(real_);
    case KindInteger:
        return XStringW::format(L"%d", integer_);
    default:
        return XStringW();
    }
}

void DataItem::readText(XStringW& out) const {
    wchar_t number[kNumberRoom];
    const wchar_t* text = storedText();
    int length = 0;
    if (text) {
        length = int(std::wcslen(text));
    } else if (kind_ == KindReal) {
        length = numberChars(real_, number);
        text = number;
    } else {
        out = getText();
        return;
    }
    std::wmemcpy(out.getBuffer(length), text, size_t(length));
    out.releaseBuffer(length);
}

double DataItem::getDouble() const {
    switch (kind_) {
    case KindText:
    case KindShortText: {
        bool ok = false;
        double v = parseNumber(storedText(), &ok);
        return ok ? v : 0;
    }
    case KindReal:
        return real_;
    case KindInteger:
        return integer_;
    default:
        return 0;
    }
}

int DataItem::getInt() const {
    if (kind_ == KindInteger)
        return integer_;
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
    clearValue();
    if (text && *text) {
        size_t n = std::wcslen(text) + 1;
        if (n <= size_t(kShortText)) {
            std::wmemcpy(short_, text, n);
            kind_ = KindShortText;
        } else if (auto* copy = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)))) {
            std::wmemcpy(copy, text, n);
            text_ = copy;
            kind_ = KindText;
        }
    }
    changed();
}

void DataItem::setDouble(double value) {
    clearValue();
    real_ = value;
    kind_ = KindReal;
    changed();
}

void DataItem::setInt(int value) {
    clearValue();
    integer_ = value;
    kind_ = KindInteger;
    changed();
}

void DataItem::setNull() {
    clearValue();
    changed();
}

bool DataItem::numberKey(double& value) const {
    switch (kind_) {
    case KindReal:
        value = real_;
        return !std::isnan(value);
    case KindInteger:
        value = integer_;
        return true;
    case KindText:
    case KindShortText: {
        bool ok = false;
        value = parseNumber(storedText(), &ok);
        return ok && !std::isnan(value);
    }
    default:
        return false;
    }
}

const char* DataItem::gbKey() const {
    if (kind_ == KindNull)
        return nullptr;
    if (!gb_) {
        XStringW numberForm;
        const wchar_t* text = storedText();
        if (!isText()) {
            numberForm = getText();
            text = numberForm.c_str();
        }
        int n = WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (n <= 0)
            return "";
        gb_ = static_cast<char*>(std::malloc(size_t(n)));
        if (!gb_)
            return "";
        WideCharToMultiByte(936, 0, text, -1, gb_, n, nullptr, nullptr);
    }
    return gb_;
}

} // namespace Data
