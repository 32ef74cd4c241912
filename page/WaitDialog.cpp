#include "page/WaitDialog.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include "wgui/GdiHandles.h"

WaitDialog* WaitDialog::active_ = nullptr;

namespace {

constexpr SIZE_T kTemplateBytes = 1024;
constexpr DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT; // 0x900000C0

} // namespace

WaitDialog::WaitDialog(const wchar_t* text) {
    if (!text || !*text)
        text = L"请稍等...";
    // Cut, never overrun: the buffer keeps its terminator whatever the caller passes.
    wcsncpy(text_, text, kTextCapacity - 1);
    text_[kTextCapacity - 1] = L'\0';
}

WaitDialog::~WaitDialog() {
    if (isWindow())
        destroyWindow();
    if (active_ == this)
        active_ = nullptr;
}

HWND WaitDialog::create(HINSTANCE instance, HWND parent) {
    WGUI::UniqueGlobal memory(GlobalAlloc(GMEM_ZEROINIT, kTemplateBytes));
    if (!memory)
        return nullptr;
    auto* dialogTemplate = static_cast<DLGTEMPLATE*>(GlobalLock(memory.get()));
    if (!dialogTemplate)
        return nullptr;
    // Menu, class, title, font size and face name stay zero from the allocation.
    dialogTemplate->style = kDialogStyle;
    dialogTemplate->dwExtendedStyle = 0;
    dialogTemplate->cdit = 0;
    dialogTemplate->x = 0;
    dialogTemplate->y = 0;
    dialogTemplate->cx = 150;
    dialogTemplate->cy = 25;
    HWND dialog = CreateDialogIndirectParamW(instance, dialogTemplate, parent, &WaitDialog::dialogProc,
                                             reinterpret_cast<LPARAM>(this));
    GlobalUnlock(memory.get());
    hwnd = dialog;
    return dialog;
}

void WaitDialog::placeOver(HWND dialog) {
    HWND parent = GetParent(dialog);
    if (!IsWindow(parent))
        parent = GetDesktopWindow();
    RECT parentRect{}, ownRect{};
    GetWindowRect(parent, &parentRect);
    GetWindowRect(dialog, &ownRect);

    SIZE extent{};
    {
        WGUI::WindowDc dc(dialog);
        if (dc) {
            WGUI::SelectObjectGuard font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
            GetTextExtentPoint32W(dc.get(), text_, static_cast<int>(wcslen(text_)), &extent);
        }
    }
    const int width = std::min<int>(extent.cx, kMaxTextWidth) + kTextMargin;
    const int height = ownRect.bottom - ownRect.top;
    const int x = parentRect.left + (parentRect.right - parentRect.left - width) / 2;
    const int y = parentRect.top + (parentRect.bottom - parentRect.top - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK WaitDialog::dialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        active_ = reinterpret_cast<WaitDialog*>(lParam);
        if (active_) {
            active_->hwnd = hwnd;
            active_->placeOver(hwnd);
        }
        break;
    }
    case WM_PAINT: {
        WGUI::PaintDc dc(hwnd);
        if (active_ && dc.get()) {
            WGUI::SelectObjectGuard font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc.get(), TRANSPARENT);
            RECT client{};
            GetClientRect(hwnd, &client);
            DrawTextW(dc.get(), active_->text_, -1, &client,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        }
        break;
    }
    case WM_NCDESTROY:
        if (active_ && active_->hwnd == hwnd)
            active_ = nullptr;
        break;
    default:
        break;
    }
    return 0;
}
