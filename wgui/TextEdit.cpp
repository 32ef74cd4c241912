#include "wgui/TextEdit.h"

#include "wgui/GdiHandles.h"

TextEdit::TextEdit() : hint(L"请输入关键字，多个关键字用空格分开") {}

TextEdit::~TextEdit() = default;

HWND TextEdit::create(DWORD style, DWORD exStyle, const RECT& rect, HWND parent, UINT id,
                      HINSTANCE instance) {
    WindowBase::create(style, exStyle, L"Edit", nullptr, rect, parent, id, instance, nullptr);
    if (isWindow())
        router.subclass(this);
    return hwnd;
}

bool TextEdit::onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_PAINT:
        *result = router.callDefault(msg, wParam, lParam);
        if (textLength() != 0) {
            // The edit paints once more over an erased ground, so no trace of the hint stays
            // under the text; that paint validates the window, so it ends there.
            invalidate(true);
            return false;
        }
        {
            WGUI::WindowDc dc(hwnd);
            if (dc) {
                WGUI::SelectObjectGuard font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
                COLORREF previousColour = SetTextColor(dc.get(), GetSysColor(COLOR_GRAYTEXT));
                int previousMode = SetBkMode(dc.get(), TRANSPARENT);
                TextOutW(dc.get(), 2, 2, hint.c_str(), hint.length());
                SetBkMode(dc.get(), previousMode);
                SetTextColor(dc.get(), previousColour);
            }
        }
        return true;
    case WM_CHAR:
        // The hint vanishes with the first character and returns when the field is emptied.
        invalidate(true);
        return false;
    default:
        return false;
    }
}
