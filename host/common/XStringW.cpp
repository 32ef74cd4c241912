#include "XString.h"
#include "CodePage.h"

#include <windows.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <utility>

namespace {

int wideLength(const wchar_t* text) { return text ? int(std::wcslen(text)) : 0; }

bool isSpace(wchar_t ch) {
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == L'\v' || ch == L'\f' ||
           ch == 0x3000 || ch == 0xA0;
}

// Locale-independent case mapping; LCMapStringEx handles every script that has case.
void mapCase(wchar_t* text, int length, DWORD flag) {
    if (length <= 0)
        return;
    LCMapStringEx(LOCALE_NAME_INVARIANT, flag, text, length, text, length, nullptr, nullptr, 0);
}

} // namespace

XStringW::XStringW() = default;

XStringW::XStringW(const wchar_t* text) { append(text, wideLength(text)); }

XStringW::XStringW(const wchar_t* text, int length) {
    if (text && length < 0)
        length = wideLength(text);
    if (text && length > 0)
        append(text, length);
}

XStringW::XStringW(const XStringW& other) { append(other.c_str(), other.length_); }

XStringW::XStringW(XStringW&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

XStringW::~XStringW() { std::free(data_); }

XStringW& XStringW::operator=(const XStringW& other) {
    if (this != &other) {
        length_ = 0;
        append(other.c_str(), other.length_);
    }
    return *this;
}

XStringW& XStringW::operator=(XStringW&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

XStringW& XStringW::operator=(const wchar_t* text) {
    if (text >= data_ && data_ && text < data_ + capacity_) {
        XStringW copy(text);
        return *this = std::move(copy);
    }
    length_ = 0;
    if (data_)
        data_[0] = 0;
    return append(text);
}

void XStringW::reserve(int capacity) {
    if (capacity <= capacity_)
        return;
    int grown = std::max(capacity, capacity_ + capacity_ / 2);
    auto* data = static_cast<wchar_t*>(std::realloc(data_, (size_t(grown) + 1) * sizeof(wchar_t)));
    if (!data)
        throw std::bad_alloc();
    data_ = data;
    capacity_ = grown;
    data_[length_] = 0;
}

void XStringW::clear() {
    length_ = 0;
    if (data_)
        data_[0] = 0;
}

wchar_t XStringW::at(int index) const { return index >= 0 && index < length_ ? data_[index] : 0; }

XStringW& XStringW::append(const wchar_t* text, int length) {
    if (!text)
        return *this;
    if (length < 0)
        length = wideLength(text);
    if (length == 0)
        return *this;
    if (data_ && text >= data_ && text < data_ + capacity_) {
        XStringW copy(text, length); // appending a part of itself
        return append(copy.c_str(), copy.length_);
    }
    reserve(length_ + length);
    std::memcpy(data_ + length_, text, size_t(length) * sizeof(wchar_t));
    length_ += length;
    data_[length_] = 0;
    return *this;
}

XStringW& XStringW::append(wchar_t ch) { return append(&ch, 1); }

int XStringW::compare(const wchar_t* other) const {
    if (!other)
        other = L"";
    const wchar_t* a = c_str();
    for (;; ++a, ++other) {
        if (*a != *other)
            return *a < *other ? -1 : 1;
        if (!*a)
            return 0;
    }
}

int XStringW::compare(const XStringW& other) const {
    int n = std::min(length_, other.length_);
    for (int i = 0; i < n; ++i)
        if (data_[i] != other.data_[i])
            return data_[i] < other.data_[i] ? -1 : 1;
    return length_ == other.length_ ? 0 : (length_ < other.length_ ? -1 : 1);
}

int XStringW::compareNoCase(const wchar_t* other) const { return toLower().compare(XStringW(other).toLower()); }

int XStringW::find(const wchar_t* needle, int from) const {
    int n = wideLength(needle);
    if (from < 0)
        from = 0;
    if (from > length_)
        return -1;
    if (n == 0)
        return from;
    for (int i = from; i + n <= length_; ++i)
        if (data_[i] == needle[0] && std::wmemcmp(data_ + i, needle, size_t(n)) == 0)
            return i;
    return -1;
}

int XStringW::find(wchar_t ch, int from) const {
    for (int i = std::max(from, 0); i < length_; ++i)
        if (data_[i] == ch)
            return i;
    return -1;
}

int XStringW::reverseFind(wchar_t ch) const {
    for (int i = length_ - 1; i >= 0; --i)
        if (data_[i] == ch)
            return i;
    return -1;
}

bool XStringW::startsWith(const wchar_t* prefix) const {
    int n = wideLength(prefix);
    return n <= length_ && std::wmemcmp(c_str(), prefix, size_t(n)) == 0;
}

bool XStringW::endsWith(const wchar_t* suffix) const {
    int n = wideLength(suffix);
    return n <= length_ && std::wmemcmp(c_str() + length_ - n, suffix, size_t(n)) == 0;
}

int XStringW::replace(const wchar_t* pattern, const wchar_t* replacement) {
    int n = wideLength(pattern);
    if (n == 0 || length_ == 0)
        return 0;
    XStringW with(replacement); // may alias this string
    XStringW result;
    int count = 0;
    int pos = 0;
    for (int hit = find(pattern, 0); hit >= 0; hit = find(pattern, pos)) {
        result.append(data_ + pos, hit - pos);
        result.append(with.c_str(), with.length_);
        pos = hit + n;
        ++count;
    }
    if (count) {
        result.append(data_ + pos, length_ - pos);
        *this = std::move(result);
    }
    return count;
}

XStringW XStringW::mid(int start, int count) const {
    start = std::clamp(start, 0, length_);
    int available = length_ - start;
    if (count < 0 || count > available)
        count = available;
    return XStringW(c_str() + start, count);
}

XStringW XStringW::left(int count) const { return mid(0, std::max(count, 0)); }

XStringW XStringW::right(int count) const {
    count = std::clamp(count, 0, length_);
    return mid(length_ - count, count);
}

XStringW& XStringW::trimLeft() {
    int i = 0;
    while (i < length_ && isSpace(data_[i]))
        ++i;
    if (i > 0) {
        std::wmemmove(data_, data_ + i, size_t(length_ - i));
        length_ -= i;
        data_[length_] = 0;
    }
    return *this;
}

XStringW& XStringW::trimRight() {
    while (length_ > 0 && isSpace(data_[length_ - 1]))
        --length_;
    if (data_)
        data_[length_] = 0;
    return *this;
}

XStringW& XStringW::trim() { return trimRight().trimLeft(); }

XStringW& XStringW::makeLower() {
    mapCase(data_, length_, LCMAP_LOWERCASE);
    return *this;
}

XStringW& XStringW::makeUpper() {
    mapCase(data_, length_, LCMAP_UPPERCASE);
    return *this;
}

XStringW XStringW::toLower() const {
    XStringW copy(*this);
    copy.makeLower();
    return copy;
}

XStringA XStringW::toCodePage(const char* codePage) const {
    unsigned cp = codePageFromName(codePage);
    if (!cp && !(codePage && std::strcmp(codePage, "acp") == 0))
        return XStringA();
    if (length_ == 0)
        return XStringA();
    int n = WideCharToMultiByte(cp, 0, data_, length_, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return XStringA();
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(cp, 0, data_, length_, &bytes[0], n, nullptr, nullptr);
    return XStringA(bytes.data(), n);
}

XStringW XStringW::fromCodePage(const char* bytes, int length, const char* codePage) {
    unsigned cp = codePageFromName(codePage);
    if (!bytes || (!cp && !(codePage && std::strcmp(codePage, "acp") == 0)))
        return XStringW();
    if (length < 0)
        length = int(std::strlen(bytes));
    if (length == 0)
        return XStringW();
    int n = MultiByteToWideChar(cp, 0, bytes, length, nullptr, 0);
    if (n <= 0)
        return XStringW();
    XStringW result;
    wchar_t* buffer = result.getBuffer(n);
    MultiByteToWideChar(cp, 0, bytes, length, buffer, n);
    result.releaseBuffer(n);
    return result;
}

XStringW XStringW::fromCodePage(const XStringA& text, const char* codePage) {
    return fromCodePage(text.c_str(), text.length(), codePage);
}

XStringA XStringW::toUtf8() const { return toCodePage("utf-8"); }

XStringW XStringW::fromUtf8(const char* text, int length) { return fromCodePage(text, length, "utf-8"); }

int XStringW::toInt(bool* ok) const {
    double value = toDouble(ok);
    bool integral = value >= -2147483648.0 && value <= 2147483647.0 && value == double(int(value));
    if (ok && !integral)
        *ok = false;
    return integral ? int(value) : 0;
}

double XStringW::toDouble(bool* ok) const {
    XStringW text(*this);
    text.trim();
    if (ok)
        *ok = false;
    if (text.isEmpty())
        return 0.0;
    wchar_t* end = nullptr;
    errno = 0;
    double value = std::wcstod(text.c_str(), &end);
    if (!end || *end != 0 || errno == ERANGE)
        return 0.0;
    if (ok)
        *ok = true;
    return value;
}

wchar_t* XStringW::getBuffer(int minLength) {
    reserve(std::max(minLength, 1));
    return data_;
}

void XStringW::releaseBuffer(int length) {
    if (!data_)
        return;
    if (length < 0)
        length = int(std::wcslen(data_));
    length_ = std::clamp(length, 0, capacity_);
    data_[length_] = 0;
}

XStringW operator+(const XStringW& a, const XStringW& b) {
    XStringW r(a);
    r += b;
    return r;
}

XStringW operator+(const XStringW& a, const wchar_t* b) {
    XStringW r(a);
    r += b;
    return r;
}

XStringW operator+(const wchar_t* a, const XStringW& b) {
    XStringW r(a);
    r += b;
    return r;
}
