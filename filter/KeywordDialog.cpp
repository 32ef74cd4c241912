#include "filter/KeywordDialog.h"

#include <algorithm>
#include <cstring>
#include "resources/ResourceText.h"

const wchar_t KeywordDialog::kTitle[] = L"输入筛选条件";

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; // 0x80C80080
constexpr size_t kTemplateBytes = 1024;
constexpr size_t kMaxTitle = 50;
// The OK button's right edge (452 + 58) and the margin the template leaves after it.
constexpr int kClientWidth = 452 + 58 + 10;

} // namespace

int KeywordDialog::show(HWND parent, int x, int y) {
    anchorX = x;
    anchorY = y;
    entered.clear();
    WGUI::UniqueGlobal memory(GlobalAlloc(GMEM_ZEROINIT, kTemplateBytes));
    if (!memory)
        return -1;
    auto* dialogTemplate = static_cast<DLGTEMPLATE*>(GlobalLock(memory.get()));
    if (!dialogTemplate)
        return -1;
    dialogTemplate->style = kDialogStyle;
    dialogTemplate->cdit = 0;
    dialogTemplate->cx = 260;
    dialogTemplate->cy = 30;
    // After the header: no menu, the default class (both zero from the fill), then the title.
    auto* words = reinterpret_cast<WORD*>(dialogTemplate + 1);
    words += 2;
    const size_t titleLength = std::min(wcslen(kTitle), kMaxTitle);
    std::memcpy(words, kTitle, titleLength * sizeof(wchar_t));
    GlobalUnlock(memory.get());

    INT_PTR result =
        DialogBoxIndirectParamW(ThisModule(), static_cast<DLGTEMPLATE*>(GlobalLock(memory.get())), parent,
                                &KeywordDialog::dialogProc, reinterpret_cast<LPARAM>(this));
    GlobalUnlock(memory.get());
    window = nullptr;
    return static_cast<int>(result);
}

void KeywordDialog::close() {
    if (window)
        EndDialog(window, 2);
}

void KeywordDialog::onInit(HWND dialog) {
    window = dialog;
    // The controls stand at fixed pixels, "确定" up to x 510. The template's 260 units make 520
    // pixels only where the dialog font's units are 8 pixels wide; where they are narrower the
    // dialog grows to hold the button whole, and is placed by that width.
    RECT client{};
    GetClientRect(dialog, &client);
    RECT own{};
    GetWindowRect(dialog, &own);
    if (client.right < kClientWidth)
        SetWindowPos(dialog, nullptr, 0, 0, own.right - own.left + kClientWidth - client.right,
                     own.bottom - own.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    SetWindowPos(dialog, nullptr, anchorX - width - 20, anchorY + 20, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    font.reset(CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
    // Scrolling sideways: without it the field would stop taking characters at its visible width,
    // far short of the keyword limit.
    edit.create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, RECT{20, 18, 20 + 430, 18 + 24},
                dialog, kEditId, ThisModule());
    if (font)
        edit.setFont(font.get());
    edit.limitText(kMaxKeywordLength);

    HWND ok = CreateWindowExW(0, L"Button", L"确定", WS_CHILD | WS_VISIBLE, 452, 17, 58, 26, dialog,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDOK)), ThisModule(), nullptr);
    if (ok)
        SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
}

INT_PTR CALLBACK KeywordDialog::dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A dialog procedure is called by the system: no exception may leave it.
    try {
        auto* self = reinterpret_cast<KeywordDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        switch (msg) {
        case WM_INITDIALOG:
            self = reinterpret_cast<KeywordDialog*>(lParam);
            SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
            if (self) {
                self->onInit(dialog);
            } else {
                // Nothing to place it against: centred on the desktop.
                RECT own{}, desk{};
                GetWindowRect(dialog, &own);
                GetWindowRect(GetDesktopWindow(), &desk);
                SetWindowPos(dialog, nullptr, (desk.right - desk.left - (own.right - own.left)) / 2,
                             (desk.bottom - desk.top - (own.bottom - own.top)) / 2, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return FALSE; // the focus goes to the edit, not to the first tab stop
        case WM_ACTIVATE:
            if (self && self->edit.isWindow())
                self->edit.setFocus();
            return FALSE;
        case WM_SHOWWINDOW:
            if (wParam && self && self->edit.isWindow())
                self->edit.setFocus();
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                if (self) {
                    wchar_t buffer[256] = {};
                    GetDlgItemTextW(dialog, kEditId, buffer, 256);
                    self->entered = buffer;
                }
                EndDialog(dialog, 1);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 2);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, 2);
            return TRUE;
        case WM_DESTROY:
            SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
            if (HWND ok = GetDlgItem(dialog, IDOK))
                DestroyWindow(ok);
            if (self && self->edit.isWindow())
                self->edit.destroyWindow();
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}
