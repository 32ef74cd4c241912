// Finds the first window of a class below a root window, as the client's drivers look for the
// controls of the shown page.
#pragma once

#include <windows.h>

namespace Client {

struct DescendantSearch {
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

// A named procedure rather than a lambda: a 32-bit build needs the callback convention spelt out.
inline BOOL CALLBACK matchDescendant(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<DescendantSearch*>(param);
    wchar_t name[64] = {};
    if (GetClassNameW(hwnd, name, 64) && _wcsicmp(name, s->className) == 0 &&
        (!s->visibleOnly || IsWindowVisible(hwnd))) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The first descendant of `root` whose class is `className` (compared as Windows compares class
// names, without case); with `visibleOnly`, only a visible one. Null when there is none.
inline HWND findDescendant(HWND root, const wchar_t* className, bool visibleOnly = false) {
    DescendantSearch search{className, visibleOnly, nullptr};
    if (!root)
        return nullptr;
    EnumChildWindows(root, &matchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace Client
