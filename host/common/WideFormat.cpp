// printf-style formatting for XStringW. The format is parsed here rather than handed to the C
// runtime, so that a format string from a configuration or a header definition can never make
// the runtime write through %n or read past the arguments through an unknown conversion: every
// conversion is checked, and one that is not understood is copied as text.
#include "XString.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxField = 1024; // widths and precisions beyond this are clamped

void appendPadded(XStringW& out, const wchar_t* text, int length, int width, bool leftAlign) {
    int pad = width > length ? width - length : 0;
    if (!leftAlign)
        for (int i = 0; i < pad; ++i)
            out.append(L' ');
    out.append(text, length);
    if (leftAlign)
        for (int i = 0; i < pad; ++i)
            out.append(L' ');
}

void appendAscii(XStringW& out, const char* text, int length) {
    for (int i = 0; i < length; ++i)
        out.append(wchar_t(static_cast<unsigned char>(text[i])));
}

template <class T>
void appendNumber(XStringW& out, const std::string& spec, T value) {
    char buffer[512];
    int n = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    if (n < 0)
        return;
    if (n < int(sizeof buffer)) {
        appendAscii(out, buffer, n);
        return;
    }
    std::string big(size_t(n) + 1, '\0');
    std::snprintf(&big[0], big.size(), spec.c_str(), value);
    appendAscii(out, big.c_str(), n);
}

} // namespace

XStringW XStringW::formatV(const wchar_t* fmt, va_list args) {
    XStringW out;
    if (!fmt)
        return out;
    va_list ap;
    va_copy(ap, args);
    const wchar_t* p = fmt;
    while (*p) {
        if (*p != L'%') {
            const wchar_t* run = p;
            while (*p && *p != L'%')
                ++p;
            out.append(run, int(p - run));
            continue;
        }
        const wchar_t* start = p++;
        std::string flags;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0')
            flags += char(*p++);
        bool leftAlign = flags.find('-') != std::string::npos;

        int width = -1;
        if (*p == L'*') {
            ++p;
            width = va_arg(ap, int);
            if (width < 0) {
                leftAlign = true;
                flags += '-';
                width = -width;
            }
        } else if (*p >= L'0' && *p <= L'9') {
            width = 0;
            while (*p >= L'0' && *p <= L'9')
                width = std::min(kMaxField, width * 10 + (*p++ - L'0'));
        }
        width = std::min(width, kMaxField);

        int precision = -1;
        if (*p == L'.') {
            ++p;
            precision = 0;
            if (*p == L'*') {
                ++p;
                precision = va_arg(ap, int);
                if (precision < 0)
                    precision = -1;
            } else {
                while (*p >= L'0' && *p <= L'9')
                    precision = std::min(kMaxField, precision * 10 + (*p++ - L'0'));
            }
        }
        precision = std::min(precision, kMaxField);

        // Length: 'H' narrow char, 'S' 16-bit, 'B' 8-bit, 'L' 64-bit integer, 'D' long double.
        char length = 0;
        if (p[0] == L'h' && p[1] == L'h') {
            length = 'B';
            p += 2;
        } else if (*p == L'h') {
            length = 'S';
            ++p;
        } else if (p[0] == L'l' && p[1] == L'l') {
            length = 'L';
            p += 2;
        } else if (*p == L'l' || *p == L'w') {
            length = 'l';
            ++p;
        } else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            length = 'L';
            p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            length = 0;
            p += 3;
        } else if (*p == L'I' || *p == L'z' || *p == L'j' || *p == L't') {
            length = 'L';
            ++p;
        } else if (*p == L'L') {
            length = 'D';
            ++p;
        }

        std::string spec = "%" + flags;
        if (width >= 0)
            spec += std::to_string(width);
        if (precision >= 0)
            spec += "." + std::to_string(precision);

        wchar_t conv = *p;
        switch (conv) {
        case L'%':
            out.append(L'%');
            break;
        case L'd':
        case L'i': {
            long long v = length == 'L' ? va_arg(ap, long long) : va_arg(ap, int);
            if (length == 'S')
                v = short(v);
            else if (length == 'B')
                v = static_cast<signed char>(v);
            appendNumber(out, spec + "lld", v);
            break;
        }
        case L'u':
        case L'o':
        case L'x':
        case L'X': {
            unsigned long long v =
                length == 'L' ? va_arg(ap, unsigned long long) : va_arg(ap, unsigned int);
            if (length == 'S')
                v = static_cast<unsigned short>(v);
            else if (length == 'B')
                v = static_cast<unsigned char>(v);
            appendNumber(out, spec + "ll" + char(conv), v);
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A': {
            double v = length == 'D' ? double(va_arg(ap, long double)) : va_arg(ap, double);
            appendNumber(out, spec + char(conv), v);
            break;
        }
        case L'p': {
            void* v = va_arg(ap, void*);
            appendNumber(out, "%016llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(v)));
            break;
        }
        case L'c':
        case L'C': {
            wchar_t ch;
            if (length == 'S' || conv == L'C') {
                char narrow = char(va_arg(ap, int));
                MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &ch, 1);
            } else {
                ch = wchar_t(va_arg(ap, int));
            }
            appendPadded(out, &ch, 1, width, leftAlign);
            break;
        }
        case L's':
        case L'S': {
            bool narrow = (conv == L'S' && length != 'l') || (conv == L's' && length == 'S');
            if (narrow) {
                const char* s = va_arg(ap, const char*);
                XStringW wide = s ? XStringW::fromCodePage(s, -1, "acp") : XStringW(L"(null)");
                int n = precision >= 0 ? std::min(precision, wide.length()) : wide.length();
                appendPadded(out, wide.c_str(), n, width, leftAlign);
            } else {
                const wchar_t* s = va_arg(ap, const wchar_t*);
                if (!s)
                    s = L"(null)";
                int n = 0;
                while (s[n] && (precision < 0 || n < precision))
                    ++n;
                appendPadded(out, s, n, width, leftAlign);
            }
            break;
        }
        case L'n':
            // Never written through: the pointer is consumed so later arguments stay aligned.
            (void)va_arg(ap, void*);
            break;
        default:
            // Unknown or truncated conversion: copy it as text, consume nothing more.
            if (conv == 0) {
                out.append(start, int(p - start));
                va_end(ap);
                return out;
            }
            out.append(start, int(p - start) + 1);
            break;
        }
        ++p;
    }
    va_end(ap);
    return out;
}

XStringW XStringW::format(const wchar_t* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    XStringW result = formatV(fmt, args);
    va_end(args);
    return result;
}
