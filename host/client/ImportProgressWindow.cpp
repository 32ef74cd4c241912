#include "ImportProgressWindow.h"

#include <commctrl.h>
#include "ObjectWindow.h"

namespace Client {

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 150;

void setFont(HWND hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

} // namespace

ImportProgressWindow::~ImportProgressWindow() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool ImportProgressWindow::create(HWND owner) {
    if (!registerClientClass(kClassName, &ImportProgressWindow::windowProc, IDC_ARROW,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    // Over the middle of the owner, where the user's eyes are.
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner)
        GetWindowRect(owner, &area);
    const int x = (area.left + area.right - kWidth) / 2, y = (area.top + area.bottom - kHeight) / 2;
    CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, L"导入数据", WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y,
                    kWidth, kHeight, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_ || !bar_ || !button_)
        return false;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    return true;
}

void ImportProgressWindow::setProgress(uint64_t done, uint64_t total) {
    if (!bar_)
        return;
    const int percent = total ? static_cast<int>(done * 100 / total) : 0;
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    const std::wstring text = L"正在导入数据… " + std::to_wstring(percent) + L"%";
    SetWindowTextW(label_, text.c_str());
}

void ImportProgressWindow::requestCancel() {
    cancel_ = true;
    EnableWindow(button_, FALSE);
    SetWindowTextW(label_, L"正在取消，数据库保持导入前的样子…");
}

LRESULT CALLBACK ImportProgressWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = boundWindowObject<ImportProgressWindow>(hwnd, msg, lParam);
    if (self && msg == WM_NCCREATE)
        self->hwnd_ = hwnd;
    return handleGuarded(self != nullptr, hwnd, msg, wParam, lParam,
                         [&] { return self->handle(msg, wParam, lParam); });
}

LRESULT ImportProgressWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        label_ = CreateWindowExW(0, L"STATIC", L"正在导入数据…", WS_CHILD | WS_VISIBLE, 16, 14, kWidth - 40,
                                 20, hwnd_, nullptr, instance, nullptr);
        bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 16, 40, kWidth - 40, 18, hwnd_,
                               nullptr, instance, nullptr);
        button_ = CreateWindowExW(
            0, L"BUTTON", L"取消", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kWidth - 112, 70,
            88, 26, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), instance, nullptr);
        setFont(label_);
        setFont(button_);
        SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            requestCancel();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            requestCancel();
        return 0;
    case WM_CLOSE:
        // The window goes when the import has stopped; closing it asks for that.
        requestCancel();
        return 0;
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_;
        hwnd_ = label_ = bar_ = button_ = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

} // namespace Client
