#include <windows.h>

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "DataGridState.h"

namespace {
const int kDragThreshold = 4;
const int kMinColumnWidth = 8;
const wchar_t kResetTitle[] = L"恢复默认列";

// The visible index a caption dropped at x lands before; -1 for the end.
int dropTarget(const DataGridState& s, int x) {
    const GridLayout& L = s.layout;
    for (int v = 0; v < L.columnCount(); ++v)
        if (x < (L.columnLeft(v) + L.columnRight(v)) / 2)
            return v;
    return -1;
}

void copyToClipboard(HWND hwnd, const XStringW& text) {
    if (!OpenClipboard(hwnd))
        return;
    EmptyClipboard();
    size_t bytes = (size_t(text.length()) + 1) * sizeof(wchar_t);
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (memory) {
        if (void* p = GlobalLock(memory.get())) {
            memcpy(p, text.c_str(), bytes);
            GlobalUnlock(memory.get());
            // The clipboard owns the memory once it accepted it.
            if (SetClipboardData(CF_UNICODETEXT, memory.get()))
                memory.release();
        }
    }
    CloseClipboard();
}
} // namespace

DataGridEx::DataGridEx() = default;

DataGridEx::~DataGridEx() {
    // Destroy the window while this object's procedure is still the one that answers.
    state_->tooltip.reset();
    if (HWND hwnd = GetHwnd()) {
        if (GetPropW(hwnd, L"XWin.created"))
            DestroyWindow(hwnd);
        else
            Detach();
    }
}

namespace {
void hideTip(DataGridState& s, HWND hwnd) {
    if (s.tooltip.get() && s.tipRow >= 0) {
        TTTOOLINFOW ti = {};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = hwnd;
        ti.uId = 1;
        SendMessageW(s.tooltip.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    }
    s.tipRow = s.tipColumn = -1;
}
} // namespace

LRESULT DataGridEx::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DataGridState& s = *state_;
    const auto& columns = s.header.columns();
    switch (msg) {
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && s.drag == DragMode::None) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(pt);
            int area = HitNone;
            HitTest(pt.x, pt.y, nullptr, &area);
            if (area == HitHeaderBorder) {
                SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                return TRUE;
            }
        }
        break;
    case WM_LBUTTONDOWN: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        int column = -1, area = HitNone;
        HitTest(x, y, &column, &area);
        if ((area == HitHeader || area == HitHeaderBorder) && column >= 0) {
            // A group caption is no column's caption: it neither sorts nor moves.
            bool groupRow = s.header.hasGroups() && y < s.layout.header().top + s.zoomed(s.headerRowHeight) &&
                            columns[s.visible[column]].groupIndex >= 0;
            if (area == HitHeader && groupRow)
                return 0;
            if (GetFocus() != hwnd)
                ::SetFocus(hwnd);
            hideTip(s, hwnd);
            s.drag = area == HitHeader ? DragMode::CaptionPress : DragMode::Resize;
            s.dragColumn = s.visible[column];
            s.dragStartX = x;
            s.dragStartWidth = s.layout.width(column);
            s.liveWidth = -1;
            s.dropBefore = -2;
            SetCapture(hwnd);
            return 0;
        }
        break;
    }
    case WM_MOUSEMOVE: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (s.drag == DragMode::Resize) {
            s.liveWidth = std::max(s.zoomed(kMinColumnWidth), s.dragStartWidth + x - s.dragStartX);
            s.layoutDirty = true;
            Invalidate(false);
            return 0;
        }
        if (s.drag == DragMode::CaptionPress && std::abs(x - s.dragStartX) > kDragThreshold)
            s.drag = DragMode::CaptionDrag;
        if (s.drag == DragMode::CaptionDrag) {
            int target = dropTarget(s, x);
            if (target != s.dropBefore) {
                s.dropBefore = target;
                InvalidateRect(s.layout.header(), false);
            }
            return 0;
        }
        if (s.drag != DragMode::None)
            break;
        // A cell whose text is cut shows it whole in a tooltip.
        int column = -1, area = HitNone;
        int row = HitTest(x, y, &column, &area);
        if (area != HitCell) {
            hideTip(s, hwnd);
            break;
        }
        if (row == s.tipRow && column == s.tipColumn)
            break;
        hideTip(s, hwnd);
        const HeaderInfo2& info = columns[s.visible[column]];
        XStringW text;
        GetItemText(row, info, text);
        WindowDC dc(hwnd);
        GridFont* font = s.fontFor(dc.get(), info);
        int width;
        {
            SelectGuard select(dc.get(), font->font.get());
            width = DataGridState::textWidth(dc.get(), font, text);
        }
        if (width <= s.layout.width(column) - 2 * kCellPadding)
            break;
        if (!s.tooltip.get()) {
            INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
            InitCommonControlsEx(&icc);
            s.tooltip.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd,
                                            nullptr, GetModuleHandleW(nullptr), nullptr));
            if (!s.tooltip.get())
                break;
            TTTOOLINFOW ti = {};
            ti.cbSize = TTTOOLINFOW_V2_SIZE;
            ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
            ti.hwnd = hwnd;
            ti.uId = 1;
            ti.lpszText = const_cast<wchar_t*>(L"");
            SendMessageW(s.tooltip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
            SendMessageW(s.tooltip.get(), TTM_SETMAXTIPWIDTH, 0, 800);
        }
        TTTOOLINFOW ti = {};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = hwnd;
        ti.uId = 1;
        ti.lpszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(s.tooltip.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        XRect cell = s.layout.cellRect(row, column);
        POINT pt = {cell.left, cell.bottom + 2};
        ClientToScreen(pt);
        SendMessageW(s.tooltip.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x, pt.y));
        SendMessageW(s.tooltip.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
        s.tipRow = row;
        s.tipColumn = column;
        if (!s.trackingLeave) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hwnd, 0};
            s.trackingLeave = TrackMouseEvent(&tme) != FALSE;
        }
        break;
    }
    case WM_MOUSELEAVE:
        s.trackingLeave = false;
        hideTip(s, hwnd);
        break;
    case WM_LBUTTONUP: {
        DragMode mode = s.drag;
        if (mode != DragMode::Resize && mode != DragMode::CaptionPress && mode != DragMode::CaptionDrag)
            break;
        int column = s.dragColumn;
        int liveWidth = s.liveWidth;
        int dropBefore = s.dropBefore;
        s.drag = DragMode::None;
        s.liveWidth = -1;
        s.dropBefore = -2;
        ReleaseCapture();
        s.layoutDirty = true;
        Invalidate(false);
        if (column < 0 || column >= int(columns.size()))
            return 0;
        if (mode == DragMode::Resize) {
            if (liveWidth >= 0 && s.header.setWidth(column, int(std::lround(liveWidth / s.zoom)))) {
                s.headerChanged();
                OnHeaderChange();
            }
        } else if (mode == DragMode::CaptionPress) {
            XStringW name = columns[column].name;
            bool descending = s.sorted && s.sortName == name ? !s.sortDescending : false;
            if (!name.isEmpty() && sort(name, descending)) {
                s.sorted = true;
                s.sortName = name;
                s.sortDescending = descending;
                Invalidate(false);
                // The order is part of the header: the owner saves it, and the next SetHeader
                // (a reload, a restart) sorts the same way instead of by the definition's sort.
                if (s.header.setSort(column, descending)) {
                    s.headerChanged();
                    OnHeaderChange();
                }
            }
        } else if (dropBefore >= -1) {
            int before = dropBefore >= 0 ? s.visible[dropBefore] : -1;
            if (s.header.moveColumn(column, before)) {
                s.headerChanged();
                OnHeaderChange();
            }
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (s.drag == DragMode::Resize || s.drag == DragMode::CaptionPress ||
            s.drag == DragMode::CaptionDrag) {
            s.drag = DragMode::None;
            s.liveWidth = -1;
            s.dropBefore = -2;
            s.layoutDirty = true;
            Invalidate(false);
        }
        break;
    case WM_LBUTTONDBLCLK: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        int column = -1, area = HitNone;
        HitTest(x, y, &column, &area);
        if (area == HitHeader)
            return 0;
        if (area != HitHeaderBorder || column < 0)
            break;
        // Fit the column to the widest text it shows now, caption included.
        const HeaderInfo2& info = columns[s.visible[column]];
        WindowDC dc(hwnd);
        int widest = 0;
        {
            GridFont* font = s.headerFontFor(dc.get());
            SelectGuard select(dc.get(), font->font.get());
            widest = DataGridState::textWidth(dc.get(), font, info.title);
            if (s.sorted && s.sortName == info.name)
                widest += s.zoomed(10);
        }
        GridFont* font = s.fontFor(dc.get(), info);
        SelectGuard select(dc.get(), font->font.get());
        for (int row = s.layout.firstVisibleRow(); row < s.layout.endVisibleRow(); ++row) {
            XStringW text;
            GetItemText(row, info, text);
            widest = std::max(widest, DataGridState::textWidth(dc.get(), font, text));
        }
        int width = int(std::lround((widest + 2 * kCellPadding + 1) / s.zoom));
        if (s.header.setWidth(info.index, std::max(kMinColumnWidth, width))) {
            s.headerChanged();
            Invalidate(false);
            OnHeaderChange();
        }
        return 0;
    }
    case WM_RBUTTONDOWN: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        int area = HitNone;
        HitTest(x, y, nullptr, &area);
        // Anywhere on the caption strip, beside the columns too: a header without a shown
        // column must still offer the way back to the default one.
        if (area != HitHeader && area != HitHeaderBorder && !s.layout.header().contains(x, y))
            break;
        hideTip(s, hwnd);
        UniqueMenu menu(CreatePopupMenu());
        if (!menu)
            return 0;
        // Every column, shown ones checked; the document keeps more than a menu can list.
        int listed = std::min<int>(int(columns.size()), 256);
        for (int i = 0; i < listed; ++i) {
            XStringW title = columns[i].title.isEmpty() ? columns[i].name : columns[i].title;
            // Grouped columns share titles ("单位净值" under each date): the group tells them apart.
            if (columns[i].groupIndex >= 0 && !columns[i].group.isEmpty()) {
                XStringW grouped = columns[i].group;
                grouped += L' ';
                grouped += title;
                title = grouped;
            }
            UINT flags = MF_STRING | (columns[i].visible ? MF_CHECKED : MF_UNCHECKED);
            AppendMenuW(menu.get(), flags, kMenuColumnBase + i, title.c_str());
        }
        AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.get(), MF_STRING, kMenuReset, kResetTitle);
        POINT pt = {x, y};
        ClientToScreen(pt);
        // The choice arrives as WM_COMMAND.
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd,
                       nullptr);
        return 0;
    }
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        if (id == kMenuReset) {
            OnResetHeader();
            return 0;
        }
        if (id >= kMenuColumnBase && id < kMenuColumnBase + columns.size()) {
            int column = int(id - kMenuColumnBase);
            bool show = !columns[column].visible;
            // The last shown column stays: a grid without columns offers no way back.
            if (!show && s.visible.size() <= 1)
                return 0;
            if (s.header.setVisible(column, show)) {
                s.headerChanged();
                Invalidate(false);
                OnHeaderChange();
            }
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == 'C' && (GetKeyState(VK_CONTROL) & 0x8000)) {
            if (s.curSel >= 0)
                copyToClipboard(hwnd, DragItemToString(s.curSel));
            return 0;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        break;
    default:
        break;
    }
    return XDataGrid::WndProc(hwnd, msg, wParam, lParam);
}
