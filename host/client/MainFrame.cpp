#include "MainFrame.h"

#include <commctrl.h>
#include "ObjectWindow.h"

namespace Client {

namespace {

const wchar_t kClassName[] = L"Client2_MainFrame";
constexpr int kTabId = 100;
constexpr int kToolbarId = 101;
constexpr int kStatusId = 102;

bool registerClass() {
    static ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW; // replaced per window in create()
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    return atom != 0;
}

} // namespace

MainFrame::MainFrame() = default;

MainFrame::~MainFrame() {
    if (tab_)
        tab_->releasePages();
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool MainFrame::create(const wchar_t* title, HMENU menu) {
    if (!registerClass())
        return false;
    hwnd_ = CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, 1280, 800, nullptr, menu, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_)
        return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainFrame::windowProc));

    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, L"",
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_TOP | TBSTYLE_TOOLTIPS, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)), GetModuleHandleW(nullptr), nullptr);
    if (!toolbar_)
        return false;
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);

    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                              hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)),
                              GetModuleHandleW(nullptr), nullptr);
    tab_.attach(new TabControl(kTabName, hwnd_, kTabId));
    tab_->addRef();
    if (!tab_->getHwnd())
        return false;
    layout();
    return true;
}

void MainFrame::setStatus(const std::wstring& text) {
    if (status_)
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainFrame::setWarning(const std::wstring& text) {
    warning_ = text;
    layoutStatusParts();
}

void MainFrame::layoutStatusParts() {
    if (!status_)
        return;
    RECT rc{};
    GetClientRect(status_, &rc);
    // The warning takes the right half: passing notes keep the left.
    int parts[2] = {warning_.empty() ? -1 : int(rc.right / 2), -1};
    SendMessageW(status_, SB_SETPARTS, warning_.empty() ? 1 : 2, reinterpret_cast<LPARAM>(parts));
    if (!warning_.empty())
        SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(warning_.c_str()));
}

bool MainFrame::getModuleInfo(ModuleInfo& info) {
    info.name = XStringA("mod_MainFrame");
    info.description = L"主框架";
    info.moduleNumber = 1;
    info.moduleVersion = 0x01000000;
    return true;
}

void MainFrame::uninitialize() {
    if (tab_)
        tab_->releasePages();
}

XComPtr<ITabCtrl> MainFrame::getTabCtrl(const char* name) {
    if (tab_ && name && tab_->name() == name)
        return XComPtr<ITabCtrl>(tab_.get());
    return nullptr;
}

bool MainFrame::activatePage(ITabPage* page) {
    return tab_ && tab_->activatePage(page);
}

bool MainFrame::addToolButton(const char* name, const char* closedName, const ToolButtonInfo& info) {
    if (!toolbar_ || !name)
        return false;
    for (const ToolButton& b : buttons_)
        if (b.name == name)
            return false;
    ToolButton button{name, closedName ? closedName : "", info.caption.c_str(), info.commandEvent};
    TBBUTTON tb{};
    tb.iBitmap = I_IMAGENONE;
    tb.idCommand = kFirstToolId + static_cast<int>(buttons_.size());
    tb.fsState = TBSTATE_ENABLED;
    tb.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    tb.iString = reinterpret_cast<INT_PTR>(button.caption.c_str());
    if (!SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb)))
        return false;
    buttons_.push_back(std::move(button));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    layout();
    return true;
}

void MainFrame::clickToolButton(int index) {
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(kFirstToolId + index, BN_CLICKED),
                 reinterpret_cast<LPARAM>(toolbar_));
}

void MainFrame::layout() {
    if (!hwnd_)
        return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    int top = 0, bottom = rc.bottom;
    if (toolbar_) {
        SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
        RECT tr;
        GetWindowRect(toolbar_, &tr);
        top = tr.bottom - tr.top;
    }
    if (status_) {
        SendMessageW(status_, WM_SIZE, 0, 0);
        layoutStatusParts();
        RECT sr;
        GetWindowRect(status_, &sr);
        bottom -= sr.bottom - sr.top;
    }
    if (tab_ && tab_->getHwnd()) {
        MoveWindow(tab_->getHwnd(), 0, top, rc.right, bottom > top ? bottom - top : 0, TRUE);
        tab_->layout();
    }
}

LRESULT CALLBACK MainFrame::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = boundWindowObject<MainFrame>(hwnd, msg, lParam);
    return handleGuarded(self != nullptr, hwnd, msg, wParam, lParam,
                         [&] { return self->handle(msg, wParam, lParam); });
}

LRESULT MainFrame::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (tab_ && hdr->hwndFrom == tab_->getHwnd() && hdr->code == TCN_SELCHANGE) {
            tab_->onSelectionChanged();
            return 0;
        }
        break;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int index = id - kFirstToolId;
        if (index >= 0 && index < static_cast<int>(buttons_.size())) {
            // Copy: a subscriber may add buttons while the event runs.
            XComPtr<IEvent> event = buttons_[index].event;
            if (event)
                event->raise(nullptr);
            return 0;
        }
        if (onCommand_)
            onCommand_(id);
        return 0;
    }
    case WM_TIMER:
        if (onTimer_)
            onTimer_(wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

} // namespace Client
