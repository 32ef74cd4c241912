#include "CodePage.h"

#include <windows.h>
#include <cstdlib>
#include <cstring>

namespace {
bool equalsNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? char(*a + 32) : *a;
        char cb = (*b >= 'A' && *b <= 'Z') ? char(*b + 32) : *b;
        if (ca != cb)
            return false;
    }
    return *a == *b;
}
} // namespace

unsigned codePageFromName(const char* name) {
    if (!name || !*name)
        return 0;
    struct Entry {
        const char* name;
        unsigned codePage;
    };
    static const Entry entries[] = {
        {"gb2312", 936}, {"gbk", 936},   {"cp936", 936}, {"utf-8", CP_UTF8},
        {"utf8", CP_UTF8}, {"ascii", 20127}, {"us-ascii", 20127}, {"acp", CP_ACP},
    };
    for (const Entry& e : entries)
        if (equalsNoCase(name, e.name))
            return e.codePage;
    char* end = nullptr;
    unsigned long number = std::strtoul(name, &end, 10);
    if (end && *end == '\0' && number > 0 && number < 65536 && IsValidCodePage(UINT(number)))
        return unsigned(number);
    return 0;
}
