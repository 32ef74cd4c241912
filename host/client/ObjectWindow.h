// The client's own top-level windows: one object per window, bound at WM_NCCREATE from the
// creation parameter and kept in GWLP_USERDATA; nothing a handler throws unwinds through the
// system's window code.
#pragma once

#include <windows.h>

namespace Client {

// The object bound to `hwnd`; at WM_NCCREATE it binds the creation parameter first. Null
// before the binding and after the owner cleared it.
template <class T> T* boundWindowObject(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// `handler` (the object's own message handler) for a bound object, the default processing
// otherwise and in place of a handler that threw.
template <class Handler>
LRESULT handleGuarded(bool bound, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Handler&& handler) {
    if (!bound)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return handler();
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// Registers a window class of this program with no class data; false when that fails for a
// reason other than the class being there already.
inline bool registerClientClass(const wchar_t* name, WNDPROC proc, LPCWSTR cursor, HBRUSH background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace Client
