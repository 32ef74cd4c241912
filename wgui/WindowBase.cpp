#include "wgui/WindowBase.h"

#include <vector>
#include "wgui/WindowProc.h"

namespace WGUI {

WindowBase::~WindowBase() = default;

bool WindowBase::onMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

bool WindowBase::onReflectedMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

HWND WindowBase::create(DWORD style, DWORD exStyle, const wchar_t* className, const wchar_t* title,
                        const RECT& rect, HWND parent, UINT id, HINSTANCE instance, WindowProc* router) {
    if (router)
        router->owner = this;
    // A child's id travels in the menu parameter.
    hwnd = CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           instance, router);
    return hwnd;
}

bool WindowBase::destroyWindow() {
    if (!DestroyWindow(hwnd))
        return false;
    hwnd = nullptr;
    return true;
}

RECT WindowBase::clientRect() const {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return rc;
}

RECT WindowBase::windowRect() const {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc;
}

bool WindowBase::move(const RECT& rect, bool repaint) {
    return MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint) !=
           FALSE;
}

XStringW WindowBase::text() const {
    int length = GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return XStringW();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return XStringW(buffer.data(), copied);
}

} // namespace WGUI
