#include "wgui/WindowProc.h"

#include <unordered_map>
#include "wgui/WindowBase.h"

namespace WGUI {

namespace {

// Every routed window of the process. User-interface thread only.
std::unordered_map<HWND, WindowProc*>& handleMap() {
    static std::unordered_map<HWND, WindowProc*> map;
    return map;
}

// Built at load, so that it outlives window objects that are statics made later (a module object
// made on first use) and still forget their windows in it when they end.
[[maybe_unused]] std::unordered_map<HWND, WindowProc*>& handleMapFromLoad = handleMap();

bool reflect(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!control)
        return false;
    WindowProc* router = WindowProc::fromHandle(control);
    if (!router || !router->owner)
        return false;
    return router->owner->onReflectedMessage(msg, wParam, lParam, result);
}

// Hands a notification back to the control that sent it; true when the control handled it.
bool reflectNotification(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_DRAWITEM:
        return lParam &&
               reflect(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem, msg, wParam, lParam, result);
    case WM_MEASUREITEM:
        return reflect(GetDlgItem(hwnd, static_cast<int>(wParam)), msg, wParam, lParam, result);
    case WM_NOTIFY:
        return lParam && reflect(reinterpret_cast<NMHDR*>(lParam)->hwndFrom, msg, wParam, lParam, result);
    case WM_COMMAND:
        return reflect(reinterpret_cast<HWND>(lParam), msg, wParam, lParam, result);
    default:
        return false;
    }
}

} // namespace

WindowProc::~WindowProc() {
    unsubclass();
    auto& map = handleMap();
    for (auto it = map.begin(); it != map.end();) {
        if (it->second == this)
            it = map.erase(it);
        else
            ++it;
    }
}

WindowProc* WindowProc::fromHandle(HWND hwnd) {
    auto& map = handleMap();
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

bool WindowProc::subclass(WindowBase* window) {
    if (!window || !window->isWindow() || previousProc)
        return false;
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window->hwnd, GWLP_WNDPROC));
    // Subclassing a window that already runs through the toolkit would make callDefault call
    // itself for ever.
    if (current == &WindowProc::windowProcedure)
        return false;
    owner = window;
    handleMap()[window->hwnd] = this;
    previousProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc::windowProcedure)));
    return true;
}

bool WindowProc::unsubclass() {
    if (!previousProc || !owner || !owner->isWindow())
        return false;
    SetWindowLongPtrW(owner->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    handleMap().erase(owner->hwnd);
    previousProc = nullptr;
    owner = nullptr;
    return true;
}

LRESULT WindowProc::callDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = owner ? owner->hwnd : nullptr;
    if (previousProc)
        return CallWindowProcW(previousProc, hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void WindowProc::registerWindow() {
    if (owner && owner->isWindow())
        handleMap()[owner->hwnd] = this;
}

ATOM WindowProc::registerClass(HINSTANCE module, const wchar_t* className, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &WindowProc::windowProcedure;
    wc.hInstance = module;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    ATOM registered = RegisterClassExW(&wc);
    if (!registered && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        registered = static_cast<ATOM>(GetClassInfoExW(module, className, &wc));
    return registered;
}

LRESULT CALLBACK WindowProc::windowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    WindowProc* router = fromHandle(hwnd);
    // Kept apart from the router: an object that deletes itself while handling a message takes
    // its router with it, and the control still needs its own procedure.
    WNDPROC previous = router ? router->previousProc : nullptr;
    bool handled = false;
    try {
        if (msg == WM_CREATE && !router && lParam) {
            router = static_cast<WindowProc*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            if (router && router->owner) {
                router->owner->hwnd = hwnd;
                router->registerWindow();
            }
        }
        if (reflectNotification(hwnd, msg, wParam, lParam, &result))
            return result;
        if (router && router->owner)
            handled = router->owner->onMessage(msg, wParam, lParam, &result);
    } catch (...) {
        // No exception leaves a window procedure. A window that could not build itself fails
        // its creation; any other message gets default handling.
        if (msg == WM_CREATE || msg == WM_NCCREATE) {
            return msg == WM_CREATE ? -1 : FALSE;
        }
        handled = false;
        result = 0;
    }
    if (fromHandle(hwnd) != router)
        router = nullptr; // deleted while it handled the message
    if (!handled) {
        if (router)
            previous = router->previousProc;
        result = previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam)
                          : DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    // The window stays routed until its last message, so that a subclassed control still gets
    // WM_NCDESTROY through its own procedure and frees what it holds.
    // The dead window's procedure is no longer anyone's to restore: forgetting it lets the same
    // object subclass the control it is given next.
    if (msg == WM_NCDESTROY && router) {
        handleMap().erase(hwnd);
        router->previousProc = nullptr;
        if (router->owner && router->owner->hwnd == hwnd)
            router->owner->hwnd = nullptr;
    }
    return result;
}

} // namespace WGUI
