#include "wgui/DropDownButton.h"

#include "wgui/GdiHandles.h"

DropDownButton::~DropDownButton() {
    router.reset();
    if (tooltip.isWindow())
        tooltip.destroyWindow();
}

HWND DropDownButton::create(DWORD style, HWND parent, UINT id, HINSTANCE instance) {
    RECT empty{};
    WindowBase::create(style, 0, L"Button", nullptr, empty, parent, id, instance, nullptr);
    if (isWindow()) {
        router = std::make_unique<WGUI::WindowProc>();
        router->subclass(this);
    }
    return hwnd;
}

void DropDownButton::refreshTooltip() {
    if (tooltipText.isEmpty()) {
        if (tooltip.isWindow())
            tooltip.destroyWindow();
        tooltip.hwnd = nullptr;
        return;
    }
    if (!tooltip.isWindow()) {
        RECT useDefault{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
        tooltip.hwnd = CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, useDefault.left,
            useDefault.top, useDefault.right, useDefault.bottom, hwnd, nullptr,
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE)), nullptr);
        if (!tooltip.isWindow())
            return;
    }
    tooltip.setMaxTipWidth(300);
    TOOLINFOW info{};
    // The first-version size is the one every comctl32 accepts.
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    info.hwnd = GetParent(hwnd);
    info.uId = reinterpret_cast<UINT_PTR>(hwnd);
    info.lpszText = const_cast<wchar_t*>(tooltipText.c_str());
    tooltip.delTool(&info);
    tooltip.addTool(&info);
}

bool DropDownButton::onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_PAINT:
        // The standard push button first, then the caption and the arrow over it.
        *result = router->callDefault(msg, wParam, lParam);
        paintCaptionAndArrow();
        return true;
    case WM_LBUTTONUP:
        invalidate(true);
        return false;
    default:
        return false;
    }
}

void DropDownButton::paintCaptionAndArrow() {
    WGUI::WindowDc dc(hwnd);
    if (!dc)
        return;
    RECT client = clientRect();
    {
        WGUI::SelectObjectGuard font(dc.get(), getFont());
        int previousMode = SetBkMode(dc.get(), TRANSPARENT);
        RECT textRect = client;
        textRect.left += 10;
        // A caption is a value or the user's keywords: an "&" in it is shown, not made a mnemonic.
        DrawTextW(dc.get(), caption.c_str(), caption.length(), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SetBkMode(dc.get(), previousMode);
    }
    int m = (client.bottom - client.top) / 2;
    int r = client.right;
    for (int row = 0; row < 5; ++row) {
        MoveToEx(dc.get(), r - 16 + row, m - 1 + row, nullptr);
        LineTo(dc.get(), r - 7 - row, m - 1 + row);
    }
}
