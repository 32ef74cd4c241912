#include "ChartWindow.h"

#include <windowsx.h>
#include "Kernel.h"
#include "ObjectWindow.h"
#include "WindowPlace.h"

namespace Client {

ChartWindow::ChartWindow(IThemeMgr* themes) : themes_(themes), colors_(chartColors(nullptr)) {
    if (XComPtr<IEvent> e = createEvent("event_theme_changed"))
        e->subscribe(&ChartWindow::onThemeChanged, this);
}

ChartWindow::~ChartWindow() {
    if (XComPtr<IEvent> e = getEvent("event_theme_changed"))
        e->unsubscribe(&ChartWindow::onThemeChanged, this);
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

void ChartWindow::onThemeChanged(void*, void* context) {
    auto* self = static_cast<ChartWindow*>(context);
    self->font_.reset();
    if (self->hwnd_)
        InvalidateRect(self->hwnd_, nullptr, FALSE);
}

bool ChartWindow::show(HWND owner, ChartData data) {
    data_ = std::move(data);
    hover_ = -1;
    if (!hwnd_) {
        // No background brush: every pixel comes from the back buffer.
        if (!registerClientClass(kClassName, &ChartWindow::windowProc, IDC_CROSS, nullptr))
            return false;
        const RECT r = WindowPlaces::initialRect(L"Chart", owner, SIZE{760, 440}, 0);
        CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, owner, nullptr, GetModuleHandleW(nullptr), this);
        if (!hwnd_)
            return false;
    }
    std::wstring title = L"净值走势 - " + data_.code;
    if (!data_.name.empty())
        title += L" " + data_.name;
    SetWindowTextW(hwnd_, title.c_str());
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
    return true;
}

void ChartWindow::update(ChartData data) {
    data_ = std::move(data);
    hover_ = -1;
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK ChartWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = boundWindowObject<ChartWindow>(hwnd, msg, lParam);
    if (msg == WM_NCCREATE)
        self->hwnd_ = hwnd;
    if (msg == WM_NCDESTROY && self) {
        // Closed by the user or with its owner: the next showChart makes a new window.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->buffer_.reset();
        self->tracking_ = false;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return handleGuarded(self != nullptr, hwnd, msg, wParam, lParam,
                         [&] { return self->handle(msg, wParam, lParam); });
}

LRESULT ChartWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        // The layout depends on the whole size; the back buffer makes a full repaint cheap.
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_PAINT:
        paint();
        return 0;
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, hwnd_, 0};
            tracking_ = TrackMouseEvent(&t) != FALSE;
        }
        setHover(nearestPoint(data_, geometry_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        setHover(-1);
        return 0;
    case WM_EXITSIZEMOVE:
    case WM_DESTROY:
        WindowPlaces::remember(L"Chart", hwnd_);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            DestroyWindow(hwnd_);
            return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void ChartWindow::setHover(int index) {
    if (index == hover_)
        return;
    hover_ = index;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ChartWindow::paint() {
    PaintGuard guard(hwnd_);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0)
        return;
    XComPtr<ITheme> theme = themes_ ? themes_->getCurrentTheme() : nullptr;
    colors_ = chartColors(theme.get());
    if (!font_)
        font_.reset(createChartFont(theme.get()));
    if (!buffer_ || bufferSize_.cx != w || bufferSize_.cy != h) {
        buffer_.reset(CreateCompatibleBitmap(guard.dc(), w, h));
        bufferSize_ = SIZE{w, h};
    }
    UniqueDC mem(CreateCompatibleDC(guard.dc()));
    if (!buffer_ || !mem)
        return;
    geometry_ = layoutChart(data_, w, h);
    {
        SelectGuard select(mem.get(), buffer_.get());
        paintChart(mem.get(), w, h, data_, colors_, geometry_, hover_, font_.get());
        BitBlt(guard.dc(), 0, 0, w, h, mem.get(), 0, 0, SRCCOPY);
    }
    ++paints_;
}

} // namespace Client
