#include "DataGrid.h"

namespace {
const wchar_t kClassName[] = L"XDataGrid";
const wchar_t kSelfProp[] = L"XWin.self";

ATOM registerClass(WNDPROC procedure) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    // Windows of this class are routed from their first messages (the object travels as the
    // creation parameter), so WndProc sees WM_NCCREATE and WM_CREATE too.
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
}
} // namespace

XWin::XWin() = default;

XWin::~XWin() {
    if (hwnd_) {
        HWND hwnd = Detach();
        // A window we created dies with its object; an attached one goes back to its owner.
        if (hwnd && IsWindow(hwnd) && GetPropW(hwnd, L"XWin.created"))
            DestroyWindow(hwnd);
    }
}

const wchar_t* XWin::ClassName() {
    static ATOM atom = registerClass(&XWin::StaticProc);
    (void)atom;
    return kClassName;
}

HWND XWin::Create(HWND parent, const XRect& rect, UINT id) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
    if (!parent)
        style = WS_POPUP | WS_VISIBLE;
    return Create(parent, rect, style, 0, id);
}

HWND XWin::Create(HWND parent, const XRect& rect, DWORD style, DWORD exStyle, UINT id) {
    return Create(parent, rect.left, rect.top, rect.width(), rect.height(), style, exStyle, id);
}

HWND XWin::Create(HWND parent, int x, int y, int cx, int cy, DWORD style, DWORD exStyle, UINT id) {
    if (hwnd_)
        return nullptr;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = CreateWindowExW(exStyle, ClassName(), L"", style, x, y, cx, cy, parent, menu,
                                GetModuleHandleW(nullptr), this);
    // A creation refused by WndProc has already detached at WM_NCDESTROY.
    return hwnd && hwnd_ == hwnd ? hwnd : nullptr;
}

void XWin::AttachCreated(HWND hwnd) {
    hwnd_ = hwnd;
    previousProc_ = nullptr; // the class procedure is StaticProc itself: DefWindowProc follows
    SetPropW(hwnd, kSelfProp, reinterpret_cast<HANDLE>(this));
    SetPropW(hwnd, L"XWin.created", reinterpret_cast<HANDLE>(1));
}

bool XWin::Attach(HWND hwnd) {
    if (hwnd_ || !hwnd || !IsWindow(hwnd) || GetPropW(hwnd, kSelfProp))
        return false;
    hwnd_ = hwnd;
    SetPropW(hwnd, kSelfProp, reinterpret_cast<HANDLE>(this));
    // A window of our own class (one whose object let go of it) already runs StaticProc;
    // calling that as its previous procedure would never end.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &XWin::StaticProc)
        previousProc_ = nullptr;
    else
        previousProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&XWin::StaticProc)));
    return true;
}

HWND XWin::Detach() {
    HWND hwnd = hwnd_;
    if (!hwnd)
        return nullptr;
    if (IsWindow(hwnd)) {
        // A window of our class keeps StaticProc, which hands an unowned window to DefWindowProc.
        if (previousProc_)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        RemovePropW(hwnd, kSelfProp);
    }
    hwnd_ = nullptr;
    previousProc_ = nullptr;
    return hwnd;
}

LRESULT CALLBACK XWin::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<XWin*>(GetPropW(hwnd, kSelfProp));
    if (!self && msg == WM_NCCREATE && lParam) {
        auto* creating = static_cast<XWin*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (creating && !creating->hwnd_) {
            creating->AttachCreated(hwnd);
            self = creating;
        }
    }
    if (!self)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    // No exception leaves a window procedure.
    try {
        result = self->WndProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        result = msg == WM_NCCREATE ? FALSE : (msg == WM_CREATE ? -1 : 0);
    }
    // WndProc saw the last message first (and passed it on to the window's own procedure); now
    // the window leaves its object, unless the object went while handling it.
    if (msg == WM_NCDESTROY) {
        if (reinterpret_cast<XWin*>(GetPropW(hwnd, kSelfProp)) == self)
            self->Detach();
        RemovePropW(hwnd, L"XWin.created");
    }
    return result;
}

LRESULT XWin::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (previousProc_)
        return CallWindowProcW(previousProc_, hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT XWin::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(hwnd, msg, wParam, lParam);
}

bool XWin::ShowWindow(int cmd) {
    return hwnd_ && ::ShowWindow(hwnd_, cmd);
}

void XWin::SetFocus() {
    if (hwnd_)
        ::SetFocus(hwnd_);
}

bool XWin::MoveWindow(const XRect& rect, bool repaint) {
    return MoveWindow(rect.left, rect.top, rect.width(), rect.height(), repaint);
}

bool XWin::MoveWindow(int x, int y, int cx, int cy, bool repaint) {
    return hwnd_ && ::MoveWindow(hwnd_, x, y, cx, cy, repaint);
}

XRect XWin::GetWindowRect() const {
    RECT rc = {};
    if (hwnd_)
        ::GetWindowRect(hwnd_, &rc);
    return XRect(rc.left, rc.top, rc.right, rc.bottom);
}

XRect XWin::GetClientRect() const {
    RECT rc = {};
    if (hwnd_)
        ::GetClientRect(hwnd_, &rc);
    return XRect(rc.left, rc.top, rc.right, rc.bottom);
}

void XWin::ScreenToClient(POINT& point) const {
    if (hwnd_)
        ::ScreenToClient(hwnd_, &point);
}

void XWin::ClientToScreen(POINT& point) const {
    if (hwnd_)
        ::ClientToScreen(hwnd_, &point);
}

void XWin::Invalidate(bool erase) {
    if (hwnd_)
        ::InvalidateRect(hwnd_, nullptr, erase);
}

void XWin::InvalidateRect(const XRect& rect, bool erase) {
    if (!hwnd_)
        return;
    RECT rc = {rect.left, rect.top, rect.right, rect.bottom};
    ::InvalidateRect(hwnd_, &rc, erase);
}
