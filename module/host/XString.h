// The host's strings. XStringW holds UTF-16 text; XStringA holds bytes in a code page named by
// the caller (GB2312 or UTF-8 here). Storage is allocated and freed inside Common.dll only.
#pragma once

#include <cstdarg>
#include "HostApi.h"

class XStringA;

class COMMON_API XStringW {
public:
    XStringW();
    XStringW(const wchar_t* text);
    XStringW(const wchar_t* text, int length);
    XStringW(const XStringW& other);
    XStringW(XStringW&& other) noexcept;
    ~XStringW();
    XStringW& operator=(const XStringW& other);
    XStringW& operator=(XStringW&& other) noexcept;
    XStringW& operator=(const wchar_t* text);

    // printf-style formatting with the wide conventions: %s and %ls take wchar_t*, %hs and %S
    // take char*. Unknown conversions are copied literally and %n is never honoured.
    static XStringW format(const wchar_t* fmt, ...);
    static XStringW formatV(const wchar_t* fmt, va_list args);

    const wchar_t* c_str() const { return data_ ? data_ : L""; }
    int length() const { return length_; }
    bool isEmpty() const { return length_ == 0; }
    void clear();
    // The character at index, or 0 outside the text.
    wchar_t at(int index) const;
    wchar_t operator[](int index) const { return at(index); }

    XStringW& append(const wchar_t* text, int length = -1);
    XStringW& append(wchar_t ch);
    XStringW& operator+=(const XStringW& other) { return append(other.c_str(), other.length()); }
    XStringW& operator+=(const wchar_t* text) { return append(text); }
    XStringW& operator+=(wchar_t ch) { return append(ch); }

    // Ordinal comparison of UTF-16 code units: <0, 0 or >0.
    int compare(const wchar_t* other) const;
    int compare(const XStringW& other) const;
    // Comparison after lower-casing both sides (non-ASCII letters included).
    int compareNoCase(const wchar_t* other) const;

    // Position of the first occurrence at or after from, or -1. An empty needle is found at from.
    int find(const wchar_t* needle, int from = 0) const;
    int find(wchar_t ch, int from = 0) const;
    int reverseFind(wchar_t ch) const;
    bool startsWith(const wchar_t* prefix) const;
    bool endsWith(const wchar_t* suffix) const;

    // Replaces every non-overlapping occurrence, left to right; returns how many were replaced.
    // An empty pattern replaces nothing.
    int replace(const wchar_t* pattern, const wchar_t* replacement);

    // Substrings; out-of-range arguments are clamped, never an error.
    XStringW mid(int start, int count = -1) const;
    XStringW left(int count) const;
    XStringW right(int count) const;

    // In-place white-space trimming (blanks, tabs, line ends, the ideographic space).
    XStringW& trim();
    XStringW& trimLeft();
    XStringW& trimRight();

    // In-place case mapping, locale-independent, for every script that has case.
    XStringW& makeLower();
    XStringW& makeUpper();
    XStringW toLower() const;

    // Conversions to and from a named code page: "gb2312" (936), "gbk", "utf-8", "ascii",
    // "acp", or a number such as "936". Unknown names give an empty result.
    XStringA toCodePage(const char* codePage) const;
    static XStringW fromCodePage(const char* bytes, int length, const char* codePage);
    static XStringW fromCodePage(const XStringA& text, const char* codePage);
    XStringA toUtf8() const;
    static XStringW fromUtf8(const char* text, int length = -1);

    // Numbers: the whole text, trimmed, must be a number for ok to be set.
    int toInt(bool* ok = nullptr) const;
    double toDouble(bool* ok = nullptr) const;

    // Direct buffer access for Win32 calls: getBuffer gives room for at least minLength
    // characters plus a terminator; releaseBuffer sets the length (-1: up to the first zero).
    wchar_t* getBuffer(int minLength);
    void releaseBuffer(int length = -1);

private:
    void reserve(int capacity);

    wchar_t* data_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

COMMON_API XStringW operator+(const XStringW& a, const XStringW& b);
COMMON_API XStringW operator+(const XStringW& a, const wchar_t* b);
COMMON_API XStringW operator+(const wchar_t* a, const XStringW& b);
inline bool operator==(const XStringW& a, const XStringW& b) { return a.compare(b) == 0; }
inline bool operator==(const XStringW& a, const wchar_t* b) { return a.compare(b) == 0; }
inline bool operator==(const wchar_t* a, const XStringW& b) { return b.compare(a) == 0; }
inline bool operator!=(const XStringW& a, const XStringW& b) { return a.compare(b) != 0; }
inline bool operator!=(const XStringW& a, const wchar_t* b) { return a.compare(b) != 0; }
inline bool operator<(const XStringW& a, const XStringW& b) { return a.compare(b) < 0; }

class COMMON_API XStringA {
public:
    XStringA();
    XStringA(const char* text);
    XStringA(const char* text, int length);
    XStringA(const XStringA& other);
    XStringA(XStringA&& other) noexcept;
    ~XStringA();
    XStringA& operator=(const XStringA& other);
    XStringA& operator=(XStringA&& other) noexcept;
    XStringA& operator=(const char* text);

    static XStringA format(const char* fmt, ...);

    const char* c_str() const { return data_ ? data_ : ""; }
    int length() const { return length_; }
    bool isEmpty() const { return length_ == 0; }
    void clear();
    char at(int index) const;

    XStringA& append(const char* text, int length = -1);
    XStringA& operator+=(const XStringA& other) { return append(other.c_str(), other.length()); }
    XStringA& operator+=(const char* text) { return append(text); }

    // Comparison of the bytes as unsigned values (GB2312 order for GB2312 texts).
    int compare(const char* other) const;
    int compare(const XStringA& other) const;
    int find(const char* needle, int from = 0) const;

    XStringW toWide(const char* codePage) const;

private:
    char* data_ = nullptr;
    int length_ = 0;
    int capacity_ = 0;
};

inline bool operator==(const XStringA& a, const XStringA& b) { return a.compare(b) == 0; }
inline bool operator==(const XStringA& a, const char* b) { return a.compare(b) == 0; }
inline bool operator!=(const XStringA& a, const XStringA& b) { return a.compare(b) != 0; }
inline bool operator<(const XStringA& a, const XStringA& b) { return a.compare(b) < 0; }
