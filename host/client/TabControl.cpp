#include "TabControl.h"

#include <commctrl.h>

namespace Client {

TabControl::TabControl(const char* name, HWND parent, int controlId) : name_(name) {
    hwnd_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_)
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

TabControl::~TabControl() {
    releasePages();
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

bool TabControl::addPage(ITabPage* page) {
    if (!page || !hwnd_)
        return false;
    for (auto& p : pages_)
        if (p.get() == page)
            return false;
    HWND pageWnd = page->create(hwnd_, this);
    if (!pageWnd)
        return false;
    XStringW title = page->getTitle();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(title.c_str());
    int index = static_cast<int>(pages_.size());
    if (SendMessageW(hwnd_, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item)) < 0)
        return false;
    pages_.emplace_back(page);
    windows_.push_back(pageWnd);
    // The first page is selected at once; it shows when start-up is complete. Later ones wait
    // hidden until their tab is chosen.
    if (index == 0)
        TabCtrl_SetCurSel(hwnd_, 0);
    if (started_)
        showSelected();
    return true;
}

void TabControl::start() {
    started_ = true;
    showSelected();
}

bool TabControl::activatePage(ITabPage* page) {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].get() == page) {
            TabCtrl_SetCurSel(hwnd_, static_cast<int>(i));
            showSelected();
            return true;
        }
    return false;
}

int TabControl::selectedIndex() const {
    return hwnd_ ? TabCtrl_GetCurSel(hwnd_) : -1;
}

ITabPage* TabControl::page(int index) const {
    return index >= 0 && index < pageCount() ? pages_[index].get() : nullptr;
}

HWND TabControl::pageWindow(int index) const {
    return index >= 0 && index < pageCount() && IsWindow(windows_[index]) ? windows_[index] : nullptr;
}

void TabControl::onSelectionChanged() {
    showSelected();
}

void TabControl::layout() {
    if (ITabPage* p = page(selectedIndex())) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        TabCtrl_AdjustRect(hwnd_, FALSE, &rc);
        p->move(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    }
}

void TabControl::releasePages() {
    pages_.clear();
}

void TabControl::showSelected() {
    int selected = selectedIndex();
    // Hide first, so two pages are never visible together.
    for (int i = 0; i < pageCount(); ++i)
        if (i != selected)
            pages_[i]->hide();
    if (ITabPage* p = page(selected)) {
        layout();
        p->show();
    }
}

} // namespace Client
