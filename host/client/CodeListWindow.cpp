#include "CodeListWindow.h"

#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include "Kernel.h"
#include "ObjectWindow.h"

namespace Client {

namespace {

void setFont(HWND hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

} // namespace

CodeListWindow::CodeListWindow(Source source) : source_(std::move(source)) {}

CodeListWindow::~CodeListWindow() {
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

bool CodeListWindow::show(HWND owner) {
    if (!hwnd_) {
        if (!registerClientClass(kClassName, &CodeListWindow::windowProc, IDC_ARROW,
                                 reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
            return false;
        CreateWindowExW(0, kClassName, source_.title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, 560, 360, owner, nullptr, GetModuleHandleW(nullptr),
                        this);
        if (!hwnd_ || !list_)
            return false;
    }
    reload();
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
    return true;
}

void CodeListWindow::onListChanged(void*, void* context) {
    static_cast<CodeListWindow*>(context)->reload();
}

void CodeListWindow::onValuesChanged(void* argument, void* context) {
    // The feed's report that it finished: the latest values may have moved on.
    auto* arg = static_cast<const UpdateEventArg*>(argument);
    if (arg && arg->state == 1)
        static_cast<CodeListWindow*>(context)->reload();
}

void CodeListWindow::reload() {
    std::vector<std::wstring> codes = source_.codes ? source_.codes() : std::vector<std::wstring>{};
    databaseRead_ = describeProducts(db_.get(), codes, rows_);
    if (!list_)
        return;
    std::vector<std::wstring> selected;
    for (int i = -1; (i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) >= 0;) {
        wchar_t code[128] = {};
        ListView_GetItemText(list_, i, 0, code, 128);
        selected.push_back(code);
    }
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    for (size_t i = 0; i < rows_.size(); ++i) {
        const ProductSummary& p = rows_[i];
        std::wstring name = p.known || !databaseRead_ ? p.name : std::wstring(kUnknownName);
        std::wstring value = L"--", date = L"--";
        if (p.hasValue) {
            wchar_t buf[32];
            swprintf(buf, 32, L"%.4f", p.value);
            value = buf;
            date = p.date;
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(p.code.c_str());
        item.lParam = static_cast<LPARAM>(i);
        int at = ListView_InsertItem(list_, &item);
        ListView_SetItemText(list_, at, 1, const_cast<wchar_t*>(name.c_str()));
        ListView_SetItemText(list_, at, 2, const_cast<wchar_t*>(value.c_str()));
        ListView_SetItemText(list_, at, 3, const_cast<wchar_t*>(date.c_str()));
        if (std::find(selected.begin(), selected.end(), p.code) != selected.end())
            ListView_SetItemState(list_, at, LVIS_SELECTED, LVIS_SELECTED);
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    updateStatus();
}

void CodeListWindow::updateStatus() {
    if (!status_)
        return;
    int unknown = 0;
    for (const ProductSummary& p : rows_)
        unknown += databaseRead_ && !p.known ? 1 : 0;
    std::wstring text = L"共 " + std::to_wstring(rows_.size()) + L" 只产品";
    if (unknown)
        text += L"，" + std::to_wstring(unknown) + L" 只代码在数据库中不存在";
    if (!databaseRead_)
        text += L"（数据库不可用）";
    SetWindowTextW(status_, text.c_str());
    EnableWindow(remove_, ListView_GetSelectedCount(list_) > 0);
}

bool CodeListWindow::removeSelected() {
    if (!list_)
        return false;
    // Codes first: each removal raises the change event, which refills the list.
    std::vector<std::wstring> codes;
    for (int i = -1; (i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) >= 0;) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (ListView_GetItem(list_, &item) && item.lParam >= 0 &&
            static_cast<size_t>(item.lParam) < rows_.size())
            codes.push_back(rows_[item.lParam].code);
    }
    if (codes.empty() || !source_.remove)
        return false;
    for (const std::wstring& c : codes)
        source_.remove(c);
    reload();
    return true;
}

LRESULT CALLBACK CodeListWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = boundWindowObject<CodeListWindow>(hwnd, msg, lParam);
    if (msg == WM_NCCREATE)
        self->hwnd_ = hwnd;
    return handleGuarded(self != nullptr, hwnd, msg, wParam, lParam,
                         [&] { return self->handle(msg, wParam, lParam); });
}

LRESULT CodeListWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0,
                                0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                                GetModuleHandleW(nullptr), nullptr);
        remove_ = CreateWindowExW(
            0, L"BUTTON", L"删除(&D)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRemoveId)), GetModuleHandleW(nullptr), nullptr);
        status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0,
                                  hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!list_ || !remove_ || !status_)
            return -1;
        for (HWND w : {list_, remove_, status_})
            setFont(w);
        ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        struct Column {
            const wchar_t* title;
            int width;
            int format;
        };
        int index = 0;
        for (const Column& c : {Column{L"代码", 80, LVCFMT_LEFT}, Column{L"名称", 220, LVCFMT_LEFT},
                                Column{L"最新净值", 90, LVCFMT_RIGHT}, Column{L"日期", 100, LVCFMT_LEFT}}) {
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            col.pszText = const_cast<wchar_t*>(c.title);
            col.cx = c.width;
            col.fmt = c.format;
            ListView_InsertColumn(list_, index++, &col);
        }
        if (XComPtr<IEvent> e = createEvent(source_.changedEvent))
            e->subscribe(&CodeListWindow::onListChanged, this);
        if (XComPtr<IEvent> e = createEvent("event_update_lastvalue"))
            e->subscribe(&CodeListWindow::onValuesChanged, this);
        return 0;
    }
    case WM_SIZE:
        layout();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{320, 200};
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kRemoveId && HIWORD(wParam) == BN_CLICKED) {
            removeSelected();
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->hwndFrom != list_)
            break;
        if (hdr->code == LVN_KEYDOWN && reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) {
            removeSelected();
            return 0;
        }
        if (hdr->code == LVN_ITEMCHANGED) {
            EnableWindow(remove_, ListView_GetSelectedCount(list_) > 0);
            return 0;
        }
        if (hdr->code == NM_CUSTOMDRAW) {
            auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW;
            if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                size_t i = static_cast<size_t>(cd->nmcd.lItemlParam);
                // Unknown codes stand out, so the user sees why they have no name or value.
                if (databaseRead_ && i < rows_.size() && !rows_[i].known)
                    cd->clrText = RGB(200, 40, 40);
                return CDRF_DODEFAULT;
            }
        }
        break;
    }
    case WM_DESTROY:
        if (XComPtr<IEvent> e = getEvent(source_.changedEvent))
            e->unsubscribe(&CodeListWindow::onListChanged, this);
        if (XComPtr<IEvent> e = getEvent("event_update_lastvalue"))
            e->unsubscribe(&CodeListWindow::onValuesChanged, this);
        break;
    case WM_NCDESTROY:
        // Closed by the user or with its owner: the next show makes a new window.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        {
            HWND h = hwnd_;
            hwnd_ = list_ = remove_ = status_ = nullptr;
            return DefWindowProcW(h, msg, wParam, lParam);
        }
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void CodeListWindow::layout() {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int pad = 8, buttonW = 80, buttonH = 26;
    MoveWindow(list_, pad, pad, rc.right - 2 * pad,
               std::max(0, static_cast<int>(rc.bottom) - 3 * pad - buttonH), TRUE);
    int y = rc.bottom - pad - buttonH;
    MoveWindow(remove_, rc.right - pad - buttonW, y, buttonW, buttonH, TRUE);
    MoveWindow(status_, pad, y + 6, std::max(0, static_cast<int>(rc.right) - 3 * pad - buttonW), buttonH - 6,
               TRUE);
}

} // namespace Client
