#include "XString.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

XStringA::XStringA() = default;

XStringA::XStringA(const char* text) { append(text); }

XStringA::XStringA(const char* text, int length) { append(text, length); }

XStringA::XStringA(const XStringA& other) { append(other.c_str(), other.length_); }

XStringA::XStringA(XStringA&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

XStringA::~XStringA() { std::free(data_); }

XStringA& XStringA::operator=(const XStringA& other) {
    if (this != &other) {
        clear();
        append(other.c_str(), other.length_);
    }
    return *this;
}

XStringA& XStringA::operator=(XStringA&& other) noexcept {
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

XStringA& XStringA::operator=(const char* text) {
    XStringA copy(text);
    return *this = std::move(copy);
}

XStringA XStringA::format(const char* fmt, ...) {
    if (!fmt)
        return XStringA();
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    XStringA result;
    if (n > 0) {
        std::string buffer(size_t(n) + 1, '\0');
        std::vsnprintf(&buffer[0], buffer.size(), fmt, again);
        result.append(buffer.data(), n);
    }
    va_end(again);
    return result;
}

void XStringA::clear() {
    length_ = 0;
    if (data_)
        data_[0] = 0;
}

char XStringA::at(int index) const { return index >= 0 && index < length_ ? data_[index] : 0; }

XStringA& XStringA::append(const char* text, int length) {
    if (!text)
        return *this;
    if (length < 0)
        length = int(std::strlen(text));
    if (length == 0)
        return *this;
    if (data_ && text >= data_ && text < data_ + capacity_) {
        XStringA copy(text, length);
        return append(copy.c_str(), copy.length_);
    }
    if (length_ + length > capacity_) {
        int grown = std::max(length_ + length, capacity_ + capacity_ / 2);
        auto* data = static_cast<char*>(std::realloc(data_, size_t(grown) + 1));
        if (!data)
            throw std::bad_alloc();
        data_ = data;
        capacity_ = grown;
    }
    std::memcpy(data_ + length_, text, size_t(length));
    length_ += length;
    data_[length_] = 0;
    return *this;
}

int XStringA::compare(const char* other) const {
    return compare(XStringA(other));
}

int XStringA::compare(const XStringA& other) const {
    int n = std::min(length_, other.length_);
    int c = n ? std::memcmp(c_str(), other.c_str(), size_t(n)) : 0;
    if (c)
        return c < 0 ? -1 : 1;
    return length_ == other.length_ ? 0 : (length_ < other.length_ ? -1 : 1);
}

int XStringA::find(const char* needle, int from) const {
    int n = needle ? int(std::strlen(needle)) : 0;
    if (from < 0)
        from = 0;
    if (from > length_)
        return -1;
    if (n == 0)
        return from;
    for (int i = from; i + n <= length_; ++i)
        if (std::memcmp(data_ + i, needle, size_t(n)) == 0)
            return i;
    return -1;
}

XStringW XStringA::toWide(const char* codePage) const { return XStringW::fromCodePage(c_str(), length_, codePage); }
