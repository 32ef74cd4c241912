#include "ChartWindow.h"

#include <windowsx.h>
#include <commdlg.h>
#include <cwchar>
#include "Kernel.h"
#include "ObjectWindow.h"
#include "Screenshot.h"
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
    self->changed();
}

const ChartData& ChartWindow::data() const {
    static const ChartData none;
    return view_.hasProduct() ? view_.main().data : none;
}

void ChartWindow::changed() {
    staticDirty_ = true;
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

void ChartWindow::setTitle() {
    if (!hwnd_ || !view_.hasProduct())
        return;
    const ChartData& d = view_.main().data;
    std::wstring title = L"净值走势 - " + d.code;
    if (!d.name.empty())
        title += L" " + d.name;
    SetWindowTextW(hwnd_, title.c_str());
}

bool ChartWindow::show(HWND owner, ChartData data) {
    view_.setProduct(std::move(data));
    hover_ = -1;
    if (!hwnd_) {
        // No background brush: every pixel comes from the back buffer.
        if (!registerClientClass(kClassName, &ChartWindow::windowProc, IDC_CROSS, nullptr))
            return false;
        const RECT r = WindowPlaces::initialRect(L"Chart", owner, SIZE{900, 600}, 0);
        CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, owner, nullptr, GetModuleHandleW(nullptr), this);
        if (!hwnd_)
            return false;
    }
    setTitle();
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
    changed();
    UpdateWindow(hwnd_);
    return true;
}

bool ChartWindow::addProduct(ChartData data) {
    if (!view_.addProduct(std::move(data)))
        return false;
    hover_ = -1;
    changed();
    return true;
}

void ChartWindow::update(std::vector<ChartData> data) {
    view_.reload(std::move(data));
    hover_ = -1;
    changed();
}

void ChartWindow::setRange(FigureRange range) {
    view_.setRange(range);
    hover_ = -1;
    changed();
}

void ChartWindow::choosePercent(bool percent) {
    view_.choosePercent(percent);
    changed();
}

void ChartWindow::setRiskFreeRate(double rate) {
    view_.setRiskFreeRate(rate);
    changed();
}

void ChartWindow::removeProduct(const std::wstring& code) {
    if (view_.removeProduct(code)) {
        hover_ = -1;
        changed();
    }
}

bool ChartWindow::copySeries() {
    if (!hwnd_ || !view_.hasProduct())
        return false;
    const std::wstring text = view_.seriesText();
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory)
        return false;
    if (void* p = GlobalLock(memory.get())) {
        wmemcpy(static_cast<wchar_t*>(p), text.c_str(), text.size() + 1);
        GlobalUnlock(memory.get());
    } else {
        return false;
    }
    if (!OpenClipboard(hwnd_))
        return false;
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr;
    if (placed)
        memory.release(); // the clipboard owns it now
    CloseClipboard();
    return placed;
}

bool ChartWindow::renderStatic(HDC like, int width, int height) {
    if (!static_ || bufferSize_.cx != width || bufferSize_.cy != height) {
        static_.reset(CreateCompatibleBitmap(like, width, height));
        frame_.reset(CreateCompatibleBitmap(like, width, height));
        bufferSize_ = SIZE{width, height};
        staticDirty_ = true;
    }
    if (!static_ || !frame_)
        return false;
    if (!staticDirty_)
        return true;
    UniqueDC mem(CreateCompatibleDC(like));
    if (!mem)
        return false;
    XComPtr<ITheme> theme = themes_ ? themes_->getCurrentTheme() : nullptr;
    colors_ = chartColors(theme.get());
    if (!font_)
        font_.reset(createChartFont(theme.get()));
    SelectGuard select(mem.get(), static_.get());
    // The layout measures texts in the chart's font.
    SelectGuard font(mem.get(), font_.get());
    geometry_ = layoutChart(view_, width, height, mem.get());
    paintChart(mem.get(), width, height, view_, colors_, geometry_, font_.get());
    staticDirty_ = false;
    ++staticPaints_;
    return true;
}

bool ChartWindow::savePng(const std::wstring& path, std::wstring& error) {
    RECT rc{};
    if (!hwnd_ || !GetClientRect(hwnd_, &rc) || rc.right <= 0 || rc.bottom <= 0) {
        error = L"no chart to save";
        return false;
    }
    HDC screen = GetDC(hwnd_);
    const bool ready = renderStatic(screen, rc.right, rc.bottom);
    ReleaseDC(hwnd_, screen);
    if (!ready) {
        error = L"cannot draw the chart";
        return false;
    }
    return saveBitmapPng(static_.get(), path, error);
}

LRESULT CALLBACK ChartWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = boundWindowObject<ChartWindow>(hwnd, msg, lParam);
    if (msg == WM_NCCREATE)
        self->hwnd_ = hwnd;
    if (msg == WM_NCDESTROY && self) {
        // Closed by the user or with its owner: the next showChart makes a new window.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->static_.reset();
        self->frame_.reset();
        self->bufferSize_ = SIZE{0, 0};
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
        // The layout depends on the whole size.
        changed();
        return 0;
    case WM_PAINT:
        paint();
        return 0;
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, hwnd_, 0};
            tracking_ = TrackMouseEvent(&t) != FALSE;
        }
        setHover(nearestPoint(view_, geometry_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        setHover(-1);
        return 0;
    case WM_EXITSIZEMOVE:
    case WM_DESTROY:
        WindowPlaces::remember(L"Chart", hwnd_);
        break;
    case WM_LBUTTONDOWN:
        onClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CONTEXTMENU: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (p.x == -1 && p.y == -1) { // from the keyboard: at the window's corner
            p = POINT{20, 20};
            ClientToScreen(hwnd_, &p);
        }
        showMenu(p);
        return 0;
    }
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return 0;
    case WM_KEYDOWN:
        if (onKey(wParam))
            return 0;
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool ChartWindow::onKey(WPARAM key) {
    if (key == VK_ESCAPE) {
        DestroyWindow(hwnd_);
        return true;
    }
    if (key == 'C' && GetKeyState(VK_CONTROL) < 0) {
        copySeries();
        return true;
    }
    const int digit = key >= '1' && key <= '7'                 ? static_cast<int>(key - '1')
                      : key >= VK_NUMPAD1 && key <= VK_NUMPAD7 ? static_cast<int>(key - VK_NUMPAD1)
                                                               : -1;
    if (digit >= 0) {
        setRange(allFigureRanges()[digit]);
        return true;
    }
    if (!view_.hasProduct() || view_.main().end <= view_.main().first)
        return false;
    const int first = static_cast<int>(view_.main().first), last = static_cast<int>(view_.main().end) - 1;
    // Without a crosshair, the arrows start from the latest day.
    const int at = hover_ >= first && hover_ <= last ? hover_ : -1;
    switch (key) {
    case VK_LEFT:
        setHover(at < 0 ? last : std::max(first, at - 1));
        return true;
    case VK_RIGHT:
        setHover(at < 0 ? last : std::min(last, at + 1));
        return true;
    case VK_HOME:
        setHover(first);
        return true;
    case VK_END:
        setHover(last);
        return true;
    }
    return false;
}

void ChartWindow::onClick(POINT p) {
    const int range = geometry_.rangeAt(p);
    if (range >= 0)
        setRange(allFigureRanges()[range]);
    else if (PtInRect(&geometry_.percentButton, p))
        choosePercent(true);
    else if (PtInRect(&geometry_.valueButton, p))
        choosePercent(false);
}

void ChartWindow::showMenu(POINT screen) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    const bool comparing = view_.products().size() > 1;
    AppendMenuW(menu.get(), MF_STRING, CmdCopy, L"复制数据\tCtrl+C");
    AppendMenuW(menu.get(), MF_STRING, CmdSavePng, L"保存为图片(PNG)...");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | (view_.percent() ? 0 : MF_CHECKED) | (comparing ? MF_GRAYED : 0),
                CmdValues, L"净值");
    AppendMenuW(menu.get(), MF_STRING | (view_.percent() ? MF_CHECKED : 0), CmdPercent, L"收益率");
    if (comparing) {
        AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        for (size_t i = 1; i < view_.products().size(); ++i) {
            const std::wstring item = L"移除对比 " + view_.products()[i].data.code;
            AppendMenuW(menu.get(), MF_STRING, CmdRemoveFirst + i - 1, item.c_str());
        }
        AppendMenuW(menu.get(), MF_STRING, CmdClearCompare, L"清除对比");
    }
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr);
}

void ChartWindow::onCommand(UINT id) {
    switch (id) {
    case CmdCopy:
        copySeries();
        return;
    case CmdSavePng:
        saveWithDialog();
        return;
    case CmdValues:
        choosePercent(false);
        return;
    case CmdPercent:
        choosePercent(true);
        return;
    case CmdClearCompare:
        while (view_.products().size() > 1)
            view_.removeProduct(view_.products().back().data.code);
        hover_ = -1;
        changed();
        return;
    }
    const size_t index = id - CmdRemoveFirst + 1;
    if (id >= CmdRemoveFirst && index < view_.products().size())
        removeProduct(view_.products()[index].data.code);
}

void ChartWindow::saveWithDialog() {
    if (!view_.hasProduct())
        return;
    wchar_t path[MAX_PATH] = {};
    std::wstring name = view_.main().data.code + L"_" + rangeKey(view_.range()) + L".png";
    // A code may hold characters a file name cannot.
    for (wchar_t& c : name)
        if (wcschr(L"\\/:*?\"<>|", c))
            c = L'_';
    wcsncpy(path, name.c_str(), MAX_PATH - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"PNG 图片 (*.png)\0*.png\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"png";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn))
        return;
    std::wstring error;
    if (!savePng(path, error)) {
        const std::wstring message = L"图片未保存: " + error;
        MessageBoxW(hwnd_, message.c_str(), L"净值走势", MB_OK | MB_ICONWARNING);
    }
}

void ChartWindow::setHover(int index) {
    if (index == hover_)
        return;
    hover_ = index;
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

void ChartWindow::paint() {
    PaintGuard guard(hwnd_);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0 || !renderStatic(guard.dc(), w, h))
        return;
    UniqueDC from(CreateCompatibleDC(guard.dc())), to(CreateCompatibleDC(guard.dc()));
    if (!from || !to)
        return;
    {
        SelectGuard source(from.get(), static_.get());
        SelectGuard target(to.get(), frame_.get());
        BitBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, SRCCOPY);
        paintCrosshair(to.get(), view_, colors_, geometry_, hover_, font_.get());
        BitBlt(guard.dc(), 0, 0, w, h, to.get(), 0, 0, SRCCOPY);
    }
    ++paints_;
}

} // namespace Client
