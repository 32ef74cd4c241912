#include "ValueFormater.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>
#include "NumberLocale.h"

namespace {

// Splits keeping empty pieces; an empty text gives one empty piece.
std::vector<XStringW> split(const XStringW& text, wchar_t separator) {
    std::vector<XStringW> pieces;
    int start = 0;
    for (;;) {
        int at = text.find(separator, start);
        if (at < 0) {
            pieces.push_back(text.mid(start));
            return pieces;
        }
        pieces.push_back(text.mid(start, at - start));
        start = at + 1;
    }
}

XStringW unescapePercent(const XStringW& text) {
    XStringW result(text);
    result.replace(L"%%", L"%");
    return result;
}

// Leading-number conversion: the number the text starts with, 0 when it starts with none.
double leadingDouble(const XStringW& text) {
    return std::wcstod(text.c_str(), nullptr);
}

int leadingInt(const XStringW& text) {
    return int(std::wcstol(text.c_str(), nullptr, 10));
}

// How each value type is read from a format text and from a cell.
template <class T> struct ValueTraits;

template <> struct ValueTraits<XStringW> {
    static bool parse(const XStringW& text, XStringW& out, bool /*threshold*/) {
        out = text;
        return true;
    }
    static XStringW read(const Data::IDataItem& item) { return item.getText(); }
};

template <> struct ValueTraits<double> {
    // NaN can be neither a map key nor a divisor; zero thresholds would divide by zero.
    static bool parse(const XStringW& text, double& out, bool threshold) {
        out = leadingDouble(text);
        return !std::isnan(out) && !(threshold && out == 0.0);
    }
    static double read(const Data::IDataItem& item) { return item.getDouble(); }
};

template <> struct ValueTraits<int> {
    static bool parse(const XStringW& text, int& out, bool threshold) {
        out = leadingInt(text);
        return !(threshold && out == 0);
    }
    static int read(const Data::IDataItem& item) { return item.getInt(); }
};

// "%.*f" of value into out, for the values grids show most (a scaled magnitude under 10^8 and
// at most 9 decimals), or null to leave it to to_chars. The value is scaled by an exact power of
// ten and rounded; the scaling errs by less than 2e-8, so a fraction further than 1e-6 from a
// half rounds as the exact decimal value would, and one nearer is left to to_chars.
char* fixedDigits(double value, int precision, char* out) {
    static const double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (precision < 0 || precision > 9)
        return nullptr;
    const double scaled = std::fabs(value) * kScale[precision];
    if (!(scaled < 1e8))
        return nullptr; // large, infinite or not a number
    // Truncated by conversion: the scaled value is positive and under 10^8.
    unsigned long long digits = static_cast<unsigned long long>(scaled);
    const double fraction = scaled - double(digits);
    if (std::fabs(fraction - 0.5) < 1e-6)
        return nullptr;
    digits += fraction > 0.5 ? 1 : 0;
    // Written backwards: the decimals, the point, then at least one integer digit.
    char reversed[32];
    int n = 0;
    for (int i = 0; i < precision; ++i, digits /= 10)
        reversed[n++] = char('0' + digits % 10);
    if (precision > 0)
        reversed[n++] = '.';
    do {
        reversed[n++] = char('0' + digits % 10);
        digits /= 10;
    } while (digits);
    // As printf: a negative value keeps its sign even when it rounds to zero.
    if (std::signbit(value))
        *out++ = '-';
    while (n > 0)
        *out++ = reversed[--n];
    return out;
}

double applyOp(double value, wchar_t op, double operand) {
    switch (op) {
    case L'+':
        return value + operand;
    case L'-':
        return value - operand;
    case L'*':
        return value * operand;
    case L'/':
        return operand == 0.0 ? 0.0 : value / operand;
    default:
        return value;
    }
}

void appendText(std::wstring& out, const XStringW& text) {
    out.append(text.c_str(), size_t(text.length()));
}

// Unit by unit: a cell's text is a few units, and the C runtime's memcpy costs a call and a slow
// start (string instructions under Wine), more than the copy itself.
void setText(XStringW& out, const wchar_t* text, int length) {
    wchar_t* to = out.getBuffer(length);
    for (int i = 0; i < length; ++i)
        to[i] = text[i];
    out.releaseBuffer(length);
}

// Writes prefix, number, suffix and unit into out; the number is a C-locale text that the user's
// locale rewrites. Runs once per painted or exported cell: built on the stack, then copied into
// out's own storage, which is reused from cell to cell.
void compose(const XStringW& prefix, const char* number, const XStringW& suffix, const XStringW* unit,
             XStringW& out) {
    wchar_t buffer[512];
    const int capacity = 512;
    int n = 0;
    auto put = [&](const XStringW& text) {
        int length = text.length();
        if (n >= 0 && n + length <= capacity) {
            std::wmemcpy(buffer + n, text.c_str(), size_t(length));
            n += length;
        } else {
            n = -1;
        }
    };
    put(prefix);
    if (n >= 0) {
        int length = NumberLocale::current().localize(number, buffer + n, capacity - n);
        n = length < 0 ? -1 : n + length;
    }
    put(suffix);
    if (unit)
        put(*unit);
    if (n >= 0) {
        setText(out, buffer, n);
        return;
    }
    std::wstring text;
    appendText(text, prefix);
    NumberLocale::current().localize(number, text);
    appendText(text, suffix);
    if (unit)
        appendText(text, *unit);
    setText(out, text.c_str(), int(text.size()));
}

} // namespace

template <class T> void ValueFormater<T>::reset() {
    prefix_.clear();
    suffix_.clear();
    precision_ = 0;
    op_ = 0;
    operand_ = 0.0;
    ranges_.clear();
    defaultUnit_.clear();
    replacements_.clear();
}

template <class T> bool ValueFormater<T>::SetFormat(XStringW format) {
    reset();
    if (format.isEmpty())
        return false;
    std::vector<XStringW> parts = split(format, L':');
    if (!parseNumberPart(parts[0]))
        return false;
    if (parts.size() > 1 && !parseArithmeticPart(parts[1]))
        return false;
    if (parts.size() > 2 && !parseRangePart(parts[2]))
        return false;
    // Pieces after the fourth are ignored.
    if (parts.size() > 3 && !parseReplacementPart(parts[3]))
        return false;
    return true;
}

template <class T> bool ValueFormater<T>::parseNumberPart(const XStringW& part) {
    if (part.isEmpty())
        return true;
    int percent = -1;
    for (int i = 0; i < part.length(); ++i) {
        if (part[i] != L'%')
            continue;
        if (part[i + 1] == L'%') {
            ++i; // a "%%" pair is literal text
            continue;
        }
        percent = i;
        break;
    }
    if (percent < 0 || percent == part.length() - 1)
        return false;
    int letter = part.find(L'f', percent);
    if (letter < 0)
        letter = part.find(L'd', percent);
    if (letter < 0)
        return false;
    prefix_ = unescapePercent(part.left(percent));
    suffix_ = unescapePercent(part.mid(letter + 1));
    if (part[letter] == L'd') {
        precision_ = 0;
    } else {
        wchar_t digit = part[letter - 1];
        precision_ = (digit >= L'0' && digit <= L'9') ? digit - L'0' : kUnspecifiedPrecision;
    }
    return true;
}

template <class T> bool ValueFormater<T>::parseArithmeticPart(const XStringW& part) {
    if (part.isEmpty())
        return true;
    wchar_t first = part[0];
    if (first != L'+' && first != L'-' && first != L'*' && first != L'/')
        return false;
    XStringW rest = part.mid(1);
    if (rest.isEmpty())
        return false;
    op_ = first;
    operand_ = leadingDouble(rest);
    return true;
}

template <class T> bool ValueFormater<T>::parseRangePart(const XStringW& part) {
    if (part.isEmpty())
        return true;
    std::vector<XStringW> pieces = split(part, L';');
    defaultUnit_ = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::vector<XStringW> entry = split(pieces[i], L',');
        if (entry.size() != 2)
            return false;
        T threshold{};
        if (!ValueTraits<T>::parse(entry[0], threshold, true))
            return false;
        ranges_.emplace_back(threshold, entry[1]);
    }
    return true;
}

template <class T> bool ValueFormater<T>::parseReplacementPart(const XStringW& part) {
    for (const XStringW& piece : split(part, L';')) {
        std::vector<XStringW> entry = split(piece, L'=');
        if (entry.size() != 2)
            return false;
        T key{};
        if (!ValueTraits<T>::parse(entry[0], key, false))
            return false;
        replacements_.emplace(key, entry[1]); // a repeated key keeps its first text
    }
    return true;
}

template <> void ValueFormater<XStringW>::FormatTo(const Data::IDataItem* item, XStringW& out) const {
    if (!item || item->isNull()) {
        out = L"--";
        return;
    }
    item->readText(out);
    if (!replacements_.empty()) {
        auto found = replacements_.find(out);
        if (found != replacements_.end()) {
            out = found->second;
            return;
        }
    }
    // Text order makes "value >= t or value <= t" true for the last entry, so its unit is taken.
    if (prefix_.isEmpty() && suffix_.isEmpty() && ranges_.empty())
        return;
    std::wstring text;
    appendText(text, prefix_);
    appendText(text, out);
    appendText(text, suffix_);
    if (!ranges_.empty())
        appendText(text, ranges_.back().second);
    setText(out, text.c_str(), int(text.size()));
}

template <> void ValueFormater<double>::FormatTo(const Data::IDataItem* item, XStringW& out) const {
    if (!item || item->isNull()) {
        out = L"--";
        return;
    }
    double value = item->getDouble();
    if (!replacements_.empty() && !std::isnan(value)) {
        auto found = replacements_.find(value);
        if (found != replacements_.end()) {
            out = found->second;
            return;
        }
    }
    value = applyOp(value, op_, operand_);
    const XStringW* unit = nullptr;
    if (!ranges_.empty()) {
        unit = &defaultUnit_;
        for (auto it = ranges_.rbegin(); it != ranges_.rend(); ++it) {
            double t = it->first;
            if (value >= t || value <= -t) {
                value /= t;
                unit = &it->second;
                break;
            }
        }
    }
    // Exactly what printf's "%.6g" and "%.*f" give in the C locale (the stream's default and
    // fixed notation), at a fraction of the cost.
    char number[400];
    std::to_chars_result written{number, std::errc()};
    if (precision_ == kUnspecifiedPrecision)
        written = std::to_chars(number, number + sizeof(number) - 1, value, std::chars_format::general, 6);
    else if (!(written.ptr = fixedDigits(value, precision_, number)))
        written =
            std::to_chars(number, number + sizeof(number) - 1, value, std::chars_format::fixed, precision_);
    if (written.ec != std::errc()) {
        out = L"--";
        return;
    }
    *written.ptr = '\0';
    compose(prefix_, number, suffix_, unit, out);
}

template <> void ValueFormater<int>::FormatTo(const Data::IDataItem* item, XStringW& out) const {
    if (!item || item->isNull()) {
        out = L"--";
        return;
    }
    int read = item->getInt();
    if (!replacements_.empty()) {
        auto found = replacements_.find(read);
        if (found != replacements_.end()) {
            out = found->second;
            return;
        }
    }
    // Held wider than int so that INT_MIN / -1 and out-of-range arithmetic stay defined.
    long long value = read;
    if (op_) {
        double computed = std::trunc(applyOp(double(read), op_, operand_));
        if (std::isnan(computed))
            value = 0;
        else if (computed > double(INT_MAX))
            value = INT_MAX;
        else if (computed < double(INT_MIN))
            value = INT_MIN;
        else
            value = static_cast<long long>(computed);
    }
    const XStringW* unit = nullptr;
    if (!ranges_.empty()) {
        unit = &defaultUnit_;
        for (auto it = ranges_.rbegin(); it != ranges_.rend(); ++it) {
            long long t = it->first;
            if (value >= t || value <= -t) {
                value /= t;
                unit = &it->second;
                break;
            }
        }
    }
    char number[32];
    std::to_chars_result written = std::to_chars(number, number + sizeof(number) - 1, value);
    *written.ptr = '\0';
    compose(prefix_, number, suffix_, unit, out);
}

template class ValueFormater<XStringW>;
template class ValueFormater<double>;
template class ValueFormater<int>;
