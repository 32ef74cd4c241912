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

XStringW numberText(double value) {
    // Positional digits only: a grid cuts a long text at its right end, and "-9.99902e-05" cut
    // to "-9.99902…" reads as a different number. to_chars gives the shortest digits that read
    // back as the same value without a round trip through printf. At least four decimals, so
    // that the net values of a column line up ("1.0880" beside "1.0090", "10.0000").
    constexpr int kMinDecimals = 4;
    char buffer[400]; // the longest fixed text of a double (denormals) is about 330 characters
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
    wchar_t wide[sizeof buffer];
    for (size_t i = 0; i < length; ++i)
        wide[i] = wchar_t(buffer[i]);
    return XStringW(wide, int(length));
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
