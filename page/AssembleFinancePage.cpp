// The page window: class, children, layout, the strip's painting and the messages it handles.
#include "page/AssembleFinancePage.h"

#include <commctrl.h>
#include <stdexcept>
#include "resources/ResourceText.h"

const wchar_t AssembleFinancePage::kClassName[] = L"Client2_AssembleFinancePage";
const wchar_t AssembleFinancePage::kRefreshTooltip[] = L"等待行情更新";

namespace {

constexpr DWORD kPageStyle = WS_CHILD | WS_CLIPCHILDREN; // 0x42000000

// False while the picker's calendar is open: browsing it loads nothing, closing it loads once,
// and keyboard edits of the date fields (calendar closed) load on every change.
bool calendarClosed = true;

XStringW formatDate(const SYSTEMTIME& time) {
    return XStringW::format(L"%d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
}

// Registered once per process; the class stays registered while the process lives.
ATOM registerPageClass() {
    static const ATOM atom = WGUI::WindowProc::registerClass(ThisModule(), AssembleFinancePage::kClassName,
                                                             LoadIconW(nullptr, IDI_APPLICATION));
    return atom;
}

} // namespace

AssembleFinancePage::AssembleFinancePage() {
    GetLocalTime(&initialDate);
    endDate = formatDate(initialDate);
    rowsEndDate = endDate;
    grid.SetDateTitles(XStringW(), endDate);
}

AssembleFinancePage::~AssembleFinancePage() {
    // The host's events outlive the page (and, at unload, the library): a raise after this
    // must not reach a destroyed page.
    unsubscribeEvents();
    // The host normally destroys the window first. A page that still has one (a host that
    // unloads the library without closing it) takes it along with its children: their
    // procedures and objects are about to go.
    if (isWindow() && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
        destroyWindow();
    if (refreshIndicator) {
        refreshIndicator->stopAnimating();
        refreshIndicator.reset();
    }
}

HWND AssembleFinancePage::create(HWND parent, ITabCtrl* tab) {
    if (!registerPageClass())
        return nullptr;
    tabCtrl = tab;
    return WindowBase::create(kPageStyle, 0, kClassName, L"", RECT{}, parent, 0, ThisModule(), &windowProc);
}

void AssembleFinancePage::show() {
    ShowWindow(hwnd, SW_SHOW);
}

void AssembleFinancePage::hide() {
    ShowWindow(hwnd, SW_HIDE);
}

void AssembleFinancePage::redraw() {
    InvalidateRect(hwnd, nullptr, TRUE);
}

void AssembleFinancePage::move(int x, int y, int width, int height) {
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
}

XStringW AssembleFinancePage::getTitle() {
    return XStringW(L"集合理财产品");
}

void AssembleFinancePage::changeFilters(Data::IDataFilter* displayRemove, Data::IDataFilter* displayAdd,
                                        Data::IDataFilter* mainRemove, Data::IDataFilter* mainAdd) {
    Data::IDataView* sortView = grid.GetSortView();
    Data::IDataView* displayView = grid.GetDisplayView();
    if (!sortView || !displayView)
        return;
    // Both contexts commit at the end, so each view re-filters once for the whole change.
    XComPtr<Data::IUpdateContext> sortContext = sortView->beginUpdate();
    if (mainRemove)
        sortView->removeFilter(mainRemove);
    if (mainAdd)
        sortView->addFilter(mainAdd);
    XComPtr<Data::IUpdateContext> displayContext = displayView->beginUpdate();
    if (displayRemove)
        displayView->removeFilter(displayRemove);
    if (displayAdd)
        displayView->addFilter(displayAdd);
    if (sortContext)
        sortContext->commit();
    if (displayContext)
        displayContext->commit();
}

void AssembleFinancePage::refreshData() {
    if (Data::IDataView* sortView = grid.GetSortView())
        sortView->refresh(true);
}

bool AssembleFinancePage::onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_CREATE:
        // A logic error from here (no data component) fails the creation at the window
        // procedure, which turns any exception in WM_CREATE into -1.
        onCreate();
        return false;
    case WM_SIZE:
        onSize(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return false;
    case WM_PAINT:
        onPaint();
        *result = 1;
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_SHOWWINDOW:
        onShowWindow(wParam != FALSE);
        return false;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == static_cast<UINT_PTR>(kPickerId))
            onNotify(*header);
        return false;
    }
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            KillTimer(hwnd, kRefreshTimer);
            showRefreshIndicator();
        }
        return false;
    case kUpdateMessage:
        onUpdateMessage();
        return false;
    case WM_DESTROY:
        if (filterBar) {
            if (filterBar->isWindow())
                filterBar->destroyWindow();
            filterBar.reset();
        }
        if (refreshIndicator) {
            refreshIndicator->show(SW_HIDE);
            refreshIndicator->stopAnimating();
            refreshIndicator.reset();
        }
        if (refreshTip.isWindow())
            refreshTip.destroyWindow();
        return false;
    default:
        return false;
    }
}

void AssembleFinancePage::onCreate() {
    if (!grid.GetDisplayView())
        throw std::logic_error("no data component.");
    grid.Create(hwnd, XRect(0, 0, 0, 0), WS_CHILD | WS_VISIBLE, 0, 0);

    XComPtr<IChartModule> chart;
    if (app)
        chart = XComPtr<IChartModule>(app->getModule("mod_Chart"));
    grid.SetChartModule(chart.get());

    grid.SetBdColor(0xFFFFFF);
    grid.SetHeaderFont(L"宋体", 12);
    grid.SetScrollLock(true);

    createFilterBar();

    endDatePicker.create(WS_CHILD | WS_VISIBLE, 0, DATETIMEPICK_CLASSW, L"", RECT{305, 5, 390, 25}, hwnd,
                         kPickerId, ThisModule(), nullptr);
    endDatePicker.setFormat(L"yyyy-MM-dd");
    endDatePicker.setTime(initialDate);
    endDatePicker.setFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

void AssembleFinancePage::createFilterBar() {
    filterBar = std::make_unique<FilterWnd>(grid.GetDisplayView());
    filterBar->create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, RECT{}, hwnd, 0);
    addFilterColumns(*filterBar);
}

void AssembleFinancePage::onSize(int width, int height) {
    // Below the strip's height the grid gets a zero or negative height, as computed.
    grid.MoveWindow(0, kStripHeight, width, height - kStripHeight, true);
    if (filterBar && filterBar->isWindow())
        MoveWindow(filterBar->hwnd, kFilterBarLeft, 2, width - kFilterBarLeft, 26, TRUE);
}

void AssembleFinancePage::createFonts() {
    if (!titleFont)
        titleFont.reset(CreateFontW(22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                    L"楷体_GB2312"));
    if (!promptFont) {
        WGUI::WindowDc screen(nullptr);
        const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        promptFont.reset(CreateFontW(-MulDiv(textFont.size, dpi, 72), 0, 0, 0,
                                     textFont.bold ? FW_BOLD : FW_NORMAL, textFont.italic ? TRUE : FALSE,
                                     textFont.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                     textFont.faceName.c_str()));
    }
}

void AssembleFinancePage::onPaint() {
    WGUI::PaintDc paint(hwnd);
    if (!paint.get())
        return;
    RECT client = clientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;

    // Off-screen first, then one copy: no flicker while resizing.
    WGUI::UniqueMemoryDc memory(CreateCompatibleDC(paint.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    WGUI::UniqueBitmap bitmap(CreateDIBSection(paint.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap)
        return;
    WGUI::SelectObjectGuard selectBitmap(memory.get(), bitmap.get());
    HDC dc = memory.get();

    WGUI::UniqueBrush background(CreateSolidBrush(backgroundColour));
    FillRect(dc, &client, background.get());

    createFonts();
    SetBkMode(dc, TRANSPARENT);
    {
        WGUI::SelectObjectGuard font(dc, titleFont.get());
        SetTextColor(dc, grid.GetThemeColor(AssembleFinanceGrid::ListName));
        const wchar_t title[] = L"集合理财产品净值";
        TextOutW(dc, 10, 3, title, static_cast<int>(wcslen(title)));
    }
    {
        WGUI::SelectObjectGuard font(dc, promptFont.get());
        SetTextColor(dc, grid.GetThemeColor(AssembleFinanceGrid::ListCurData));
        const wchar_t prompt[] = L"请选择日期";
        TextOutW(dc, 220, 8, prompt, static_cast<int>(wcslen(prompt)));
    }
    BitBlt(paint.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

void AssembleFinancePage::onShowWindow(bool shown) {
    if (!shown) {
        grid.ReleaseDrawingResource();
        return;
    }
    Data::IDataTable* table = grid.GetProductTable();
    if (table && table->isEmpty())
        loadProductTable(false);
}

bool AssembleFinancePage::onNotify(const NMHDR& header) {
    switch (header.code) {
    case DTN_DROPDOWN:
        calendarClosed = false;
        return true;
    case DTN_CLOSEUP:
        calendarClosed = true;
        loadProductTable(false);
        return true;
    case DTN_DATETIMECHANGE:
        if (calendarClosed)
            loadProductTable(false);
        return true;
    default:
        return false;
    }
}

XStringW AssembleFinancePage::pickerDate() const {
    SYSTEMTIME time{};
    if (!endDatePicker.hwnd ||
        endDatePicker.sendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
        return XStringW();
    return formatDate(time);
}
