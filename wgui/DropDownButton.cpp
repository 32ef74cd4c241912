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

namespace {

// The caption starts this far in from the left edge; the arrow takes this much at the right.
constexpr int kCaptionLeft = 10;
constexpr int kArrowWidth = 18;

} // namespace

int DropDownButton::fullWidth() const {
    SIZE size{};
    WGUI::WindowDc dc(hwnd);
    if (dc) {
        WGUI::SelectObjectGuard font(dc.get(), getFont());
        GetTextExtentPoint32W(dc.get(), caption.c_str(), caption.length(), &size);
    }
    return kCaptionLeft + size.cx + kArrowWidth;
}

XStringW DropDownButton::shownTooltip() const {
    if (!tooltipText.isEmpty())
        return tooltipText;
    if (isWindow() && clientRect().right < fullWidth())
        return caption;
    return XStringW();
}

void DropDownButton::refreshTooltip() {
    const XStringW text = shownTooltip();
    if (text.isEmpty()) {
        if (tooltip.isWindow())
            tooltip.destroyWindow();
        tooltip.hwnd = nullptr;
        return;
    }
    if (!tooltip.createFor(hwnd))
        return;
    tooltip.setMaxTipWidth(300);
    tooltip.setWindowTip(hwnd, text.c_str(), TTF_TRANSPARENT);
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
        textRect.left += kCaptionLeft;
        textRect.right -= kArrowWidth;
        // A caption is a value or the user's keywords: an "&" in it is shown, not made a mnemonic.
        // One too long for the button ends with an ellipsis (the tooltip holds it whole).
        DrawTextW(dc.get(), caption.c_str(), caption.length(), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SetBkMode(dc.get(), previousMode);
    }
    int m = (client.bottom - client.top) / 2;
    int r = client.right;
    for (int row = 0; row < 5; ++row) {
        MoveToEx(dc.get(), r - 16 + row, m - 1 + row, nullptr);
        LineTo(dc.get(), r - 7 - row, m - 1 + row);
    }
}
