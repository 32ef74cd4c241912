#include "CodeListWindow.h"

#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>
#include "Kernel.h"
#include "ObjectWindow.h"
#include "WindowPlace.h"

namespace Client {

namespace {

void setFont(HWND hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

constexpr SIZE kDefaultSize{720, 360};

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
        const RECT r = WindowPlaces::initialRect(source_.placeName, owner, kDefaultSize, source_.placeSlot);
        CreateWindowExW(0, kClassName, source_.title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.left,
                        r.top, r.right - r.left, r.bottom - r.top, owner, nullptr, GetModuleHandleW(nullptr),
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

const ProductSummary* CodeListWindow::shownRow(int position) const {
    if (position < 0 || static_cast<size_t>(position) >= order_.size())
        return nullptr;
    return &rows_[order_[position]];
}

int CodeListWindow::positionOf(const std::wstring& code) const {
    for (size_t i = 0; i < order_.size(); ++i)
        if (rows_[order_[i]].code == code)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::wstring> CodeListWindow::selectedCodes() const {
    std::vector<std::wstring> codes;
    if (!list_)
        return codes;
    for (int i = -1; (i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) >= 0;)
        if (const ProductSummary* row = shownRow(i))
            codes.push_back(row->code);
    return codes;
}

void CodeListWindow::reload() {
    // What the user was looking at, by product: positions change when products come and go.
    std::vector<std::wstring> selected = selectedCodes();
    std::wstring focused, top;
    if (list_) {
        if (const ProductSummary* row = shownRow(ListView_GetNextItem(list_, -1, LVNI_FOCUSED)))
            focused = row->code;
        if (const ProductSummary* row = shownRow(ListView_GetTopIndex(list_)))
            top = row->code;
    }
    std::vector<std::wstring> codes = source_.codes ? source_.codes() : std::vector<std::wstring>{};
    databaseRead_ = describeProducts(db_.get(), codes, rows_);
    order_ = listOrder(rows_, sortColumn_, sortAscending_);
    if (list_)
        showRows(selected, focused, top);
}

void CodeListWindow::showRows(const std::vector<std::wstring>& selected, const std::wstring& focused,
                              const std::wstring& top) {
    // The list view asks for each shown cell (LVN_GETDISPINFO); it keeps only the count, the
    // states and the scroll position, which the refresh must not reset.
    ListView_SetItemCountEx(list_, static_cast<int>(order_.size()), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (const std::wstring& code : selected) {
        const int at = positionOf(code);
        if (at >= 0)
            ListView_SetItemState(list_, at, LVIS_SELECTED, LVIS_SELECTED);
    }
    const int focus = positionOf(focused);
    if (focus >= 0)
        ListView_SetItemState(list_, focus, LVIS_FOCUSED, LVIS_FOCUSED);
    // Last: setting the focus may have scrolled to the focused row.
    const int newTop = positionOf(top), nowTop = ListView_GetTopIndex(list_);
    RECT item{};
    if (newTop >= 0 && newTop != nowTop && ListView_GetItemRect(list_, 0, &item, LVIR_BOUNDS))
        ListView_Scroll(list_, 0, (newTop - nowTop) * (item.bottom - item.top));
    InvalidateRect(list_, nullptr, FALSE);
    updateStatus();
}

void CodeListWindow::sortBy(int column, bool ascending) {
    std::vector<std::wstring> selected = selectedCodes();
    std::wstring focused;
    if (const ProductSummary* row = shownRow(ListView_GetNextItem(list_, -1, LVNI_FOCUSED)))
        focused = row->code;
    sortColumn_ = column >= 0 && column < kListColumnCount ? column : -1;
    sortAscending_ = ascending;
    order_ = listOrder(rows_, sortColumn_, sortAscending_);
    if (!list_)
        return;
    updateSortMark();
    // A new order starts from the top; the selection stays with its products.
    showRows(selected, focused, order_.empty() ? std::wstring() : rows_[order_[0]].code);
    ListView_EnsureVisible(list_, 0, FALSE);
}

void CodeListWindow::updateSortMark() {
    HWND header = ListView_GetHeader(list_);
    for (int c = 0; c < kListColumnCount; ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!Header_GetItem(header, c, &item))
            continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == sortColumn_)
            item.fmt |= sortAscending_ ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, c, &item);
    }
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
    std::vector<std::wstring> codes = selectedCodes();
    if (codes.empty() || !source_.remove)
        return false;
    // One change of the list: its change event reloads the window once.
    source_.remove(codes);
    return true;
}

void CodeListWindow::showContextMenu(POINT screen) {
    const std::vector<std::wstring> codes = selectedCodes();
    if (codes.empty())
        return;
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    const UINT one = codes.size() == 1 ? 0 : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | (openChart_ ? one : MF_GRAYED), CmdOpenChart, L"打开走势图\tEnter");
    AppendMenuW(menu, MF_STRING | (compare_ ? 0 : MF_GRAYED), CmdCompare, L"加入对比");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, CmdRemove, L"删除\tDelete");
    const int chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    switch (chosen) {
    case CmdOpenChart:
        if (openChart_)
            openChart_(codes.front());
        break;
    case CmdCompare:
        // Each chosen product joins the comparison; the chart says when it holds no more.
        if (compare_)
            for (const std::wstring& code : codes)
                compare_(code);
        break;
    case CmdRemove:
        removeSelected();
        break;
    }
}

LRESULT CALLBACK CodeListWindow::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = boundWindowObject<CodeListWindow>(hwnd, msg, lParam);
    if (msg == WM_NCCREATE)
        self->hwnd_ = hwnd;
    return handleGuarded(self != nullptr, hwnd, msg, wParam, lParam,
                         [&] { return self->handle(msg, wParam, lParam); });
}

bool CodeListWindow::createChildren() {
    list_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 0, 0, 0,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), GetModuleHandleW(nullptr), nullptr);
    remove_ = CreateWindowExW(0, L"BUTTON", L"删除(&D)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                              0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRemoveId)),
                              GetModuleHandleW(nullptr), nullptr);
    status_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, hwnd_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!list_ || !remove_ || !status_)
        return false;
    for (HWND w : {list_, remove_, status_})
        setFont(w);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int c = 0; c < kListColumnCount; ++c) {
        const ListColumnInfo& info = listColumnInfo(c);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = const_cast<wchar_t*>(info.title);
        col.cx = info.width;
        col.fmt = info.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        ListView_InsertColumn(list_, c, &col);
    }
    return true;
}

LRESULT CodeListWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        if (!createChildren())
            return -1;
        if (XComPtr<IEvent> e = createEvent(source_.changedEvent))
            e->subscribe(&CodeListWindow::onListChanged, this);
        if (XComPtr<IEvent> e = createEvent("event_update_lastvalue"))
            e->subscribe(&CodeListWindow::onValuesChanged, this);
        return 0;
    case WM_SIZE:
        layout();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{320, 200};
        return 0;
    case WM_EXITSIZEMOVE:
        WindowPlaces::remember(source_.placeName, hwnd_);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kRemoveId && HIWORD(wParam) == BN_CLICKED) {
            removeSelected();
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == list_) {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            // From the keyboard (Shift+F10, the menu key): at the focused row.
            if (at.x == -1 && at.y == -1) {
                RECT rc{};
                const int focus = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
                ListView_GetItemRect(list_, focus < 0 ? 0 : focus, &rc, LVIR_LABEL);
                at = POINT{rc.left, rc.bottom};
                ClientToScreen(list_, &at);
            }
            showContextMenu(at);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->hwndFrom == list_)
            return onListNotify(hdr);
        break;
    }
    case WM_DESTROY:
        WindowPlaces::remember(source_.placeName, hwnd_);
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

LRESULT CodeListWindow::onListNotify(NMHDR* hdr) {
    switch (hdr->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(hdr);
        const ProductSummary* row = shownRow(info->item.iItem);
        if (row && (info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
            cellText_ = listCellText(*row, info->item.iSubItem, databaseRead_);
            lstrcpynW(info->item.pszText, cellText_.c_str(), info->item.cchTextMax);
        }
        return 0;
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey == VK_DELETE) {
            removeSelected();
            return 0;
        }
        break;
    case LVN_ITEMACTIVATE:
        // A double click focuses the row it hits; Enter acts on the focused row. Not every list
        // view fills in the item for Enter, so the focus decides.
        if (const ProductSummary* row = shownRow(ListView_GetNextItem(list_, -1, LVNI_FOCUSED)))
            if (openChart_)
                openChart_(row->code);
        return 0;
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem;
        sortBy(column, column == sortColumn_ ? !sortAscending_ : true);
        return 0;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        EnableWindow(remove_, ListView_GetSelectedCount(list_) > 0);
        return 0;
    case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            return CDRF_NOTIFYSUBITEMDRAW;
        if (cd->nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
            const ProductSummary* row = shownRow(static_cast<int>(cd->nmcd.dwItemSpec));
            cd->clrText = GetSysColor(COLOR_WINDOWTEXT);
            if (!row)
                return CDRF_DODEFAULT;
            // Unknown codes stand out, so the user sees why they have no name or value; returns
            // read red for a gain and green for a loss, as investors here read them.
            const int sign = listCellSign(*row, cd->iSubItem);
            if (databaseRead_ && !row->known)
                cd->clrText = RGB(200, 40, 40);
            else if (sign > 0)
                cd->clrText = RGB(210, 30, 30);
            else if (sign < 0)
                cd->clrText = RGB(0, 140, 60);
            return CDRF_DODEFAULT;
        }
        break;
    }
    }
    return DefWindowProcW(hwnd_, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
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
