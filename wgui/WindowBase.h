// A window object: a thin view over one HWND with the window's messages as virtual operations.
// The object does not own the window: destroying the object leaves the window alone; owners
// destroy child windows explicitly or let the parent's destruction do it.
#pragma once

#include <windows.h>
#include "module/host/XString.h"

namespace WGUI {

class WindowProc;

class WindowBase {
public:
    WindowBase() = default;
    explicit WindowBase(HWND window) : hwnd(window) {}
    virtual ~WindowBase();

    // A message sent to the window. Return true when handled; *result is then the answer.
    virtual bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification the parent received from this control (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM, WM_MEASUREITEM). Returning true keeps it from the parent.
    virtual bool onReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Creates the window. With a router, the router's owner becomes this object and the router
    // travels as the creation parameter, so a window of a toolkit class is routed from WM_CREATE.
    HWND create(DWORD style, DWORD exStyle, const wchar_t* className, const wchar_t* title, const RECT& rect,
                HWND parent, UINT id, HINSTANCE instance, WindowProc* router);
    bool isWindow() const { return hwnd && IsWindow(hwnd); }
    // On success the handle is forgotten.
    bool destroyWindow();

    RECT clientRect() const;
    RECT windowRect() const;
    bool move(const RECT& rect, bool repaint = true);
    bool show(int command) { return ShowWindow(hwnd, command) != FALSE; }
    bool setWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return SetWindowPos(hwnd, insertAfter, x, y, cx, cy, flags) != FALSE;
    }
    bool invalidate(bool erase = true) { return InvalidateRect(hwnd, nullptr, erase) != FALSE; }
    bool redraw(const RECT* rect, HRGN region, UINT flags) {
        return RedrawWindow(hwnd, rect, region, flags) != FALSE;
    }
    HWND setFocus() { return SetFocus(hwnd); }
    HDC getDC() { return GetDC(hwnd); }
    int releaseDC(HDC dc) { return ReleaseDC(hwnd, dc); }

    LONG_PTR getWindowLong(int index) const { return GetWindowLongPtrW(hwnd, index); }
    LONG_PTR setWindowLong(int index, LONG_PTR value) { return SetWindowLongPtrW(hwnd, index, value); }
    XStringW text() const;
    bool setText(const wchar_t* text) { return SetWindowTextW(hwnd, text) != FALSE; }
    int textLength() const { return GetWindowTextLengthW(hwnd); }

    WindowBase parent() const { return WindowBase(GetParent(hwnd)); }
    WindowBase child(int id) const { return WindowBase(GetDlgItem(hwnd, id)); }

    LRESULT sendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd, msg, wParam, lParam);
    }
    void setFont(HFONT font) { sendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    HFONT getFont() const { return reinterpret_cast<HFONT>(sendMessage(WM_GETFONT)); }

    HWND hwnd = nullptr;
};

} // namespace WGUI
