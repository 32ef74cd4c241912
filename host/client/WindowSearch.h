// Finds the first window of a class below a root window, as the client's drivers look for the
// controls of the shown page.
#pragma once

#include <windows.h>

namespace Client {

// The first descendant of `root` whose class is `className` (compared as Windows compares class
// names, without case); with `visibleOnly`, only a visible one. Null when there is none.
inline HWND findDescendant(HWND root, const wchar_t* className, bool visibleOnly = false) {
    struct Search {
        const wchar_t* className;
        bool visibleOnly;
        HWND found;
    } search{className, visibleOnly, nullptr};
    if (!root)
        return nullptr;
    EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            if (GetClassNameW(hwnd, name, 64) && _wcsicmp(name, s->className) == 0 &&
                (!s->visibleOnly || IsWindowVisible(hwnd))) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace Client
