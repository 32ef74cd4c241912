#include <windows.h>

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "DataGridState.h"

// ---- drawing resources ----------------------------------------------------------------------

DataGridState::~DataGridState() {
    releaseDrawing();
}

int DataGridState::zoomed(int value) const {
    return std::max(1, int(std::lround(value * zoom)));
}

void DataGridState::releaseDrawing() {
    columnFonts.clear();
    headerFont = nullptr;
    fonts.clear();
    if (bufferDC && bufferOldBitmap)
        SelectObject(bufferDC.get(), bufferOldBitmap);
    bufferOldBitmap = nullptr;
    bufferBitmap.reset();
    bufferDC.reset();
    bufferWidth = bufferHeight = 0;
}

void DataGridState::headerChanged() {
    visible.clear();
    for (const auto& c : header.columns())
        if (c.visible)
            visible.push_back(c.index);
    columnFonts.clear();
    layoutDirty = true;
}

namespace {
int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool faceInstalled(HDC dc, const wchar_t* face) {
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &lf, faceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}
} // namespace

// A face the theme names but the machine lacks would show Chinese texts as empty boxes; such a
// face gives way to the first installed one of the usual Chinese faces.
std::wstring DataGridState::resolveFace(HDC dc, const XStringW& face) {
    std::wstring wanted(face.c_str());
    auto it = faces.find(wanted);
    if (it != faces.end())
        return it->second;
    std::wstring chosen = wanted;
    if (!faceInstalled(dc, wanted.c_str())) {
        static const wchar_t* const kFallbacks[] = {L"Microsoft YaHei", L"SimSun", L"WenQuanYi Micro Hei",
                                                    L"Noto Sans CJK SC", L"WenQuanYi Zen Hei"};
        for (const wchar_t* candidate : kFallbacks) {
            if (faceInstalled(dc, candidate)) {
                chosen = candidate;
                break;
            }
        }
    }
    faces.emplace(wanted, chosen);
    return chosen;
}

GridFont* DataGridState::font(HDC dc, const XStringW& face, int size, bool bold, bool italic) {
    int pixels = std::max(6, int(std::lround(size * 96.0 / 72.0 * zoom)));
    std::wstring key = std::wstring(face.c_str()) + L"|" + std::to_wstring(pixels) + (bold ? L"b" : L"") +
                       (italic ? L"i" : L"");
    auto it = fonts.find(key);
    if (it != fonts.end())
        return it->second.get();
    LOGFONTW lf = {};
    lf.lfHeight = -pixels;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, resolveFace(dc, face).c_str(), LF_FACESIZE);
    auto entry = std::make_unique<GridFont>();
    entry->font.reset(CreateFontIndirectW(&lf));
    SelectGuard select(dc, entry->font.get());
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    entry->height = tm.tmHeight;
    SIZE size3 = {};
    GetTextExtentPoint32W(dc, L"\x2026", 1, &size3);
    entry->ellipsisWidth = size3.cx;
    GridFont* raw = entry.get();
    fonts.emplace(key, std::move(entry));
    return raw;
}

GridFont* DataGridState::fontFor(HDC dc, const HeaderInfo2& column) {
    int index = column.index;
    if (index >= 0 && index < int(columnFonts.size()) && columnFonts[index])
        return columnFonts[index];
    GridFont* f = font(dc, column.fontFamily.isEmpty() ? headerFace : column.fontFamily,
                       column.fontSize > 0 ? column.fontSize : headerSize, column.bold, column.italic);
    if (index >= 0 && index < HeaderModel::kMaxColumns) {
        if (index >= int(columnFonts.size()))
            columnFonts.resize(index + 1, nullptr);
        columnFonts[index] = f;
    }
    return f;
}

GridFont* DataGridState::headerFontFor(HDC dc) {
    if (!headerFont)
        headerFont = font(dc, headerFace, headerSize, false, false);
    return headerFont;
}

void DataGridState::useFont(HDC dc, GridFont* f) {
    if (dc != renderDC || f->font.get() == renderFont)
        return;
    HGDIOBJ old = SelectObject(dc, f->font.get());
    if (!renderOldFont)
        renderOldFont = old;
    renderFont = f->font.get();
}

namespace {
// Marks dc as the one being rendered and puts its original font back at the end.
class RenderScope {
public:
    RenderScope(DataGridState& s, HDC dc) : s_(s) {
        s_.renderDC = dc;
        s_.renderOldFont = nullptr;
        s_.renderFont = nullptr;
    }
    RenderScope(const RenderScope&) = delete;
    RenderScope& operator=(const RenderScope&) = delete;
    ~RenderScope() {
        if (s_.renderOldFont)
            SelectObject(s_.renderDC, s_.renderOldFont);
        s_.renderDC = nullptr;
        s_.renderOldFont = nullptr;
        s_.renderFont = nullptr;
    }

private:
    DataGridState& s_;
};
} // namespace

TextMeasure& DataGridState::measure(HDC dc, GridFont* font, const XStringW& text) {
    // Measuring costs as much as drawing; the texts of a grid repeat from paint to paint.
    unsigned long long key = 1469598103934665603ull ^ (unsigned long long)text.length();
    const wchar_t* p = text.c_str();
    for (int i = 0; i < text.length(); ++i)
        key = (key ^ (unsigned long long)p[i]) * 1099511628211ull;
    auto it = font->widths.find(key);
    if (it != font->widths.end())
        return it->second;
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), text.length(), &size);
    if (font->widths.size() > 50000)
        font->widths.clear();
    TextMeasure m;
    m.width = size.cx;
    return font->widths.emplace(key, m).first->second;
}

int DataGridState::textWidth(HDC dc, GridFont* font, const XStringW& text) {
    return measure(dc, font, text).width;
}

bool DataGridState::drawText(HDC dc, GridFont* font, const XStringW& text, int align, const XRect& rect) {
    if (text.isEmpty() || rect.width() <= 2 * kCellPadding)
        return !text.isEmpty();
    RECT clip = {rect.left, rect.top, rect.right, rect.bottom};
    int avail = rect.width() - 2 * kCellPadding;
    int y = rect.top + (rect.height() - font->height) / 2;
    TextMeasure& m = measure(dc, font, text);
    if (m.width <= avail) {
        int x = rect.left + kCellPadding;
        if (align == HeaderInfo2::AlignCenter)
            x = rect.left + (rect.width() - m.width) / 2;
        else if (align == HeaderInfo2::AlignRight)
            x = rect.right - kCellPadding - m.width;
        // A text that fits needs no clipping unless the font is taller than the row; what
        // spills below the last row is painted over by the scroll bar and the border.
        UINT flags = font->height > rect.height() ? ETO_CLIPPED : 0;
        ExtTextOutW(dc, x, y, flags, &clip, text.c_str(), text.length(), nullptr);
        return false;
    }
    // Cut: as many characters as fit before the ellipsis, from the left whatever the alignment.
    // A column keeps its width from paint to paint, so where its texts are cut is kept too.
    int budget = std::max(0, avail - font->ellipsisWidth);
    if (m.cutBudget != budget) {
        int fit = 0;
        SIZE size = {};
        GetTextExtentExPointW(dc, text.c_str(), text.length(), budget, &fit, nullptr, &size);
        m.cutBudget = budget;
        m.cutFit = std::min(std::max(fit, 0), text.length());
    }
    font->cut.assign(text.c_str(), size_t(m.cutFit));
    font->cut += L'\x2026';
    ExtTextOutW(dc, rect.left + kCellPadding, y, ETO_CLIPPED, &clip, font->cut.c_str(),
                UINT(font->cut.size()), nullptr);
    return true;
}

void DataGridState::fill(HDC dc, const XRect& rect, COLORREF color) {
    if (rect.isEmpty())
        return;
    // The DC's own brush: no brush object to make or free per colour.
    FillBatch(dc, color)(rect);
}

namespace {
void triangle(HDC dc, POINT a, POINT b, POINT c, COLORREF color) {
    SelectGuard brush(dc, GetStockObject(DC_BRUSH));
    SelectGuard pen(dc, GetStockObject(DC_PEN));
    SetDCBrushColor(dc, color);
    SetDCPenColor(dc, color);
    POINT pts[3] = {a, b, c};
    Polygon(dc, pts, 3);
}
} // namespace

// ---- construction and layout ----------------------------------------------------------------

XDataGrid::XDataGrid() : state_(new DataGridState) {}

XDataGrid::~XDataGrid() {
    // Messages must stop reaching this object before its state goes: a window it made dies
    // with it, an attached one goes back to its own procedure.
    if (HWND hwnd = GetHwnd()) {
        if (GetPropW(hwnd, L"XWin.created"))
            DestroyWindow(hwnd);
        else
            Detach();
    }
    delete state_;
}

namespace {
void updateLayout(XDataGrid& grid, DataGridState& s) {
    XRect client = grid.GetClientRect();
    GridLayoutInput in;
    in.clientWidth = client.width();
    in.clientHeight = client.height();
    in.headerRowHeight = s.zoomed(s.headerRowHeight);
    in.headerRows = s.header.hasGroups() ? 2 : 1;
    in.rowHeight = s.zoomed(s.rowHeight);
    in.rowCount = std::max(0, grid.GetRowsCount());
    in.scrollBarSize = s.zoomed(16);
    const auto& columns = s.header.columns();
    in.widths.reserve(s.visible.size());
    for (int index : s.visible) {
        int w = s.zoomed(std::max(1, columns[index].width));
        if (s.drag == DragMode::Resize && index == s.dragColumn && s.liveWidth >= 0)
            w = s.liveWidth;
        in.widths.push_back(w);
    }
    s.layout.update(in);
    if (s.curSel >= in.rowCount)
        s.curSel = in.rowCount - 1;
    s.layoutDirty = false;
}
} // namespace

int XDataGrid::GetColumnCount() const {
    return int(state_->visible.size());
}

HeaderInfo2 XDataGrid::GetColumn(int visibleIndex) const {
    if (visibleIndex < 0 || visibleIndex >= int(state_->visible.size()))
        return HeaderInfo2();
    return state_->header.columns()[state_->visible[visibleIndex]];
}

int XDataGrid::GetTopRow() const {
    return state_->layout.topRow();
}

// ---- painting ---------------------------------------------------------------------------------

void XDataGrid::Render(HDC dc) {
    DataGridState& s = *state_;
    updateLayout(*this, s);
    XRect client = GetClientRect();
    RenderScope scope(s, dc);
    SetBkMode(dc, TRANSPARENT);
    // Rows, header and bars paint their own ground; the background shows below the last row.
    XRect empty = s.layout.content();
    empty.top = std::min(empty.bottom, s.layout.rowRect(s.layout.endVisibleRow()).top);
    if (s.layout.content().isEmpty())
        empty = client;
    DrawBackground(dc, empty);
    // No clip regions (they slow every text down): what spills over an edge is painted over by
    // what is drawn after it, in this order.
    if (!s.layout.content().isEmpty())
        DrawContent(dc, s.layout.content());
    if (!s.layout.header().isEmpty())
        DrawHeader(dc, s.layout.header());
    DrawScrollBar(dc);
    DrawBorder(dc, client);
}

void XDataGrid::DrawHeader(HDC dc, const XRect& rect) {
    DataGridState& s = *state_;
    DrawHeaderBackgound(dc, rect);
    const auto& columns = s.header.columns();
    const GridLayout& L = s.layout;
    int rowH = s.zoomed(s.headerRowHeight);
    // Group captions span their shown columns in the upper row; a group's columns are adjacent.
    for (int v = 0; v < L.columnCount();) {
        int g = columns[s.visible[v]].groupIndex;
        int last = v;
        while (last + 1 < L.columnCount() && columns[s.visible[last + 1]].groupIndex == g)
            ++last;
        if (g >= 0 && g < int(s.header.groups().size()) && L.columnRight(last) >= rect.left &&
            L.columnLeft(v) <= rect.right) {
            XRect span(L.columnLeft(v), rect.top, L.columnRight(last), rect.top + rowH);
            const HeaderGroup& group = s.header.groups()[g];
            DrawHeaderText(dc, group.title, group.titleAlign, span);
            DrawHeaderBorder(dc, span);
        }
        v = last + 1;
    }
    for (int v = 0; v < L.columnCount(); ++v) {
        int left = L.columnLeft(v), right = L.columnRight(v);
        if (right < rect.left || left > rect.right)
            continue;
        const HeaderInfo2& column = columns[s.visible[v]];
        int top = s.header.hasGroups() && column.groupIndex >= 0 ? rect.top + rowH : rect.top;
        DrawHeaderItem(dc, column, XRect(left, top, right, rect.bottom));
    }
    // Where a dragged caption would land.
    if (s.drag == DragMode::CaptionDrag && s.dropBefore >= -1 && L.columnCount() > 0) {
        int x = s.dropBefore >= 0 ? L.columnLeft(s.dropBefore) : L.columnRight(L.columnCount() - 1);
        DataGridState::fill(dc, XRect(x - 1, rect.top, x + 2, rect.bottom), s.headerColor);
    }
}

void XDataGrid::DrawHeaderItem(HDC dc, const HeaderInfo2& column, const XRect& rect) {
    DataGridState& s = *state_;
    XRect text = rect;
    bool sorted = s.sorted && column.name == s.sortName && !column.name.isEmpty();
    int arrow = s.zoomed(10);
    if (sorted)
        text.right = std::max(text.left, text.right - arrow);
    DrawHeaderText(dc, column.title, column.titleAlign, text);
    if (sorted)
        DrawHeaderSort(dc, s.sortDescending, XRect(text.right - 2, rect.top, rect.right, rect.bottom));
    DrawHeaderBorder(dc, rect);
}

void XDataGrid::DrawHeaderBorder(HDC dc, const XRect& rect) {
    FillBatch edge(dc, state_->gridColor);
    edge(XRect(rect.right - 1, rect.top, rect.right, rect.bottom));
    edge(XRect(rect.left, rect.bottom - 1, rect.right, rect.bottom));
}

void XDataGrid::DrawHeaderBackgound(HDC dc, const XRect& rect) {
    DataGridState::fill(dc, rect, state_->headerBkColor);
}

void XDataGrid::DrawHeaderText(HDC dc, const XStringW& text, int align, const XRect& rect) {
    DataGridState& s = *state_;
    GridFont* font = s.headerFontFor(dc);
    s.useFont(dc, font);
    SelectGuard select(dc, dc == s.renderDC ? nullptr : font->font.get());
    ::SetTextColor(dc, s.headerColor);
    DataGridState::drawText(dc, font, text, align, rect);
}

void XDataGrid::DrawHeaderSort(HDC dc, bool descending, const XRect& rect) {
    int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    int h = std::max(2, state_->zoomed(3));
    COLORREF color = state_->headerColor;
    if (descending)
        triangle(dc, {cx - h, cy - h / 2}, {cx + h, cy - h / 2}, {cx, cy + h / 2 + 1}, color);
    else
        triangle(dc, {cx - h, cy + h / 2}, {cx + h, cy + h / 2}, {cx, cy - h / 2 - 1}, color);
}

void XDataGrid::DrawBackground(HDC dc, const XRect& rect) {
    DataGridState::fill(dc, rect, state_->bkColor);
}

void XDataGrid::DrawBorder(HDC dc, const XRect& rect) {
    FillBatch edge(dc, state_->borderColor);
    edge(XRect(rect.left, rect.top, rect.right, rect.top + 1));
    edge(XRect(rect.left, rect.bottom - 1, rect.right, rect.bottom));
    edge(XRect(rect.left, rect.top, rect.left + 1, rect.bottom));
    edge(XRect(rect.right - 1, rect.top, rect.right, rect.bottom));
}

void XDataGrid::DrawCheckBox(HDC dc, bool checked, const XRect& rect) {
    DataGridState& s = *state_;
    int size = std::min(rect.height(), rect.width()) - 6;
    if (size < 4)
        return;
    XRect box(rect.left + (rect.width() - size) / 2, rect.top + (rect.height() - size) / 2, 0, 0);
    box.right = box.left + size;
    box.bottom = box.top + size;
    DataGridState::fill(dc, box, s.textColor);
    DataGridState::fill(dc, XRect(box.left + 1, box.top + 1, box.right - 1, box.bottom - 1), s.bkColor);
    if (checked)
        DataGridState::fill(dc, XRect(box.left + 3, box.top + 3, box.right - 3, box.bottom - 3), s.textColor);
}

void XDataGrid::DrawContent(HDC dc, const XRect& rect) {
    DataGridState& s = *state_;
    const GridLayout& L = s.layout;
    int end = L.endVisibleRow();
    for (int row = L.firstVisibleRow(); row < end; ++row) {
        XRect r = L.rowRect(row);
        if (!s.paintClip.isEmpty() && (r.bottom <= s.paintClip.top || r.top >= s.paintClip.bottom))
            continue;
        DrawRow(dc, row, r);
    }
    // Grid lines over the rows that exist.
    // Brush selected once for all lines: selecting costs more than a line's pixels.
    int bottom = std::min(rect.bottom, L.rowRect(end).top);
    if (!s.vLines && !s.hLines)
        return;
    FillBatch line(dc, s.gridColor);
    if (s.vLines) {
        for (int v = 0; v < L.columnCount(); ++v) {
            int x = L.columnRight(v) - 1;
            if (x >= rect.left && x < rect.right)
                line(XRect(x, rect.top, x + 1, bottom));
        }
    }
    if (s.hLines) {
        int right = std::min(rect.right, L.columnCount() ? L.columnRight(L.columnCount() - 1) : rect.left);
        for (int row = L.firstVisibleRow(); row < end; ++row) {
            int y = L.rowRect(row).bottom - 1;
            line(XRect(rect.left, y, right, y + 1));
        }
    }
}

void XDataGrid::DrawRowQuick(int row) {
    DataGridState& s = *state_;
    if (!GetHwnd() || row < 0)
        return;
    if (s.layoutDirty)
        updateLayout(*this, s);
    if (row < s.layout.firstVisibleRow() || row >= s.layout.endVisibleRow())
        return;
    XRect r = s.layout.rowRect(row);
    r.bottom = std::min(r.bottom, s.layout.content().bottom);
    InvalidateRect(r, false);
}

void XDataGrid::DrawRow(HDC dc, int row, const XRect& rect) {
    DataGridState& s = *state_;
    const GridLayout& L = s.layout;
    bool selected = row == s.curSel;
    COLORREF bk = selected ? s.selectedColor : s.bkColor;
    GetRowBkColor(row, selected, bk);
    DataGridState::fill(dc, rect, bk);
    const auto& columns = s.header.columns();
    for (int v = 0; v < L.columnCount(); ++v) {
        int left = L.columnLeft(v), right = L.columnRight(v);
        if (right <= rect.left || left >= rect.right || right <= left)
            continue;
        DrawItem(dc, nullptr, row, columns[s.visible[v]], XRect(left, rect.top, right, rect.bottom));
    }
}

void XDataGrid::DrawItem(HDC dc, Gdiplus::Graphics*, int row, const HeaderInfo2& column, const XRect& rect) {
    DataGridState& s = *state_;
    XStringW& text = s.cellText;
    text.clear();
    GetItemText(row, column, text);
    if (text.isEmpty())
        return;
    COLORREF color = s.textColor;
    GetItemColor(row, column, text, color);
    GridFont* font = s.fontFor(dc, column);
    s.useFont(dc, font);
    SelectGuard select(dc, dc == s.renderDC ? nullptr : font->font.get());
    ::SetTextColor(dc, color);
    DataGridState::drawText(dc, font, text, column.align, rect);
}

void XDataGrid::DrawScrollBar(HDC dc) {
    DataGridState& s = *state_;
    const GridLayout& L = s.layout;
    if (L.hasVBar())
        DrawScrollBar(dc, true, L.vbar());
    if (L.hasHBar())
        DrawScrollBar(dc, false, L.hbar());
    if (L.hasVBar() && L.hasHBar())
        DataGridState::fill(dc, XRect(L.vbar().left, L.hbar().top, L.vbar().right, L.hbar().bottom),
                            s.scrollFace);
}

void XDataGrid::DrawScrollBar(HDC dc, bool vertical, const XRect& rect) {
    DataGridState& s = *state_;
    ScrollGeometry g = vertical ? s.layout.vScroll() : s.layout.hScroll();
    DataGridState::fill(dc, rect, s.scrollFace);
    bool pressedThumb = s.drag == (vertical ? DragMode::VThumb : DragMode::HThumb);
    DrawScrollBarButton(dc, vertical ? 0 : 2, false, g.lineBack);
    DrawScrollBarButton(dc, vertical ? 1 : 3, false, g.lineForward);
    const XRect& t = g.thumb;
    if (t.isEmpty())
        return;
    DataGridState::fill(dc, t, s.scrollButton);
    COLORREF light = pressedThumb ? s.scrollDark : s.scrollLight;
    COLORREF dark = pressedThumb ? s.scrollLight : s.scrollDark;
    DataGridState::fill(dc, XRect(t.left, t.top, t.right, t.top + 1), light);
    DataGridState::fill(dc, XRect(t.left, t.top, t.left + 1, t.bottom), light);
    DataGridState::fill(dc, XRect(t.left, t.bottom - 1, t.right, t.bottom), dark);
    DataGridState::fill(dc, XRect(t.right - 1, t.top, t.right, t.bottom), dark);
}

void XDataGrid::DrawScrollBarButton(HDC dc, int direction, bool pressed, const XRect& rect) {
    DataGridState& s = *state_;
    if (rect.isEmpty())
        return;
    DataGridState::fill(dc, rect, s.scrollButton);
    COLORREF light = pressed ? s.scrollDark : s.scrollLight;
    COLORREF dark = pressed ? s.scrollLight : s.scrollDark;
    DataGridState::fill(dc, XRect(rect.left, rect.top, rect.right, rect.top + 1), light);
    DataGridState::fill(dc, XRect(rect.left, rect.top, rect.left + 1, rect.bottom), light);
    DataGridState::fill(dc, XRect(rect.left, rect.bottom - 1, rect.right, rect.bottom), dark);
    DataGridState::fill(dc, XRect(rect.right - 1, rect.top, rect.right, rect.bottom), dark);
    int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    int h = std::max(2, std::min(rect.width(), rect.height()) / 4);
    switch (direction) {
    case 0:
        triangle(dc, {cx - h, cy + h / 2}, {cx + h, cy + h / 2}, {cx, cy - h / 2 - 1}, s.scrollArrow);
        break;
    case 1:
        triangle(dc, {cx - h, cy - h / 2}, {cx + h, cy - h / 2}, {cx, cy + h / 2 + 1}, s.scrollArrow);
        break;
    case 2:
        triangle(dc, {cx + h / 2, cy - h}, {cx + h / 2, cy + h}, {cx - h / 2 - 1, cy}, s.scrollArrow);
        break;
    default:
        triangle(dc, {cx - h / 2, cy - h}, {cx - h / 2, cy + h}, {cx + h / 2 + 1, cy}, s.scrollArrow);
        break;
    }
}

// ---- what the owner supplies ----------------------------------------------------------------

int XDataGrid::GetRowsCount() {
    return 0;
}
bool XDataGrid::GetCheckStatus(int) {
    return false;
}
void XDataGrid::SetCheckStatus(int, bool) {}
void XDataGrid::GetRowBkColor(int, bool, COLORREF&) {}
void XDataGrid::GetItemColor(int, const HeaderInfo2&, const XStringW&, COLORREF&) {}
void XDataGrid::GetItemText(int, const HeaderInfo2&, XStringW&) {}
bool XDataGrid::sort(const XStringW&, bool) {
    return false;
}
void XDataGrid::OnContextMenu(int, int) {}
void XDataGrid::OnHeaderChange() {}
void XDataGrid::OnResetHeader() {}
void XDataGrid::OnEnterItem() {}

XStringW XDataGrid::DragItemToString(int row) {
    XStringW text;
    for (int v = 0; v < GetColumnCount(); ++v) {
        if (v > 0)
            text += L'\t';
        text += DragItemToString(row, state_->header.columns()[state_->visible[v]]);
    }
    return text;
}

XStringW XDataGrid::DragItemToString(int row, const HeaderInfo2& column) {
    XStringW text;
    GetItemText(row, column, text);
    return text;
}

// ---- header -------------------------------------------------------------------------------------

int XDataGrid::SetHeader(const XStringW& text) {
    DataGridState& s = *state_;
    if (!s.header.load(text))
        return 0;
    s.headerChanged();
    int sortColumn = s.header.initialSortColumn();
    if (sortColumn >= 0) {
        const HeaderInfo2& column = s.header.columns()[sortColumn];
        bool descending = s.header.initialSortDescending();
        s.sorted = sort(column.name, descending);
        s.sortName = column.name;
        s.sortDescending = descending;
    } else if (s.sorted && s.header.findColumn(s.sortName) < 0) {
        s.sorted = false;
    }
    Invalidate(false);
    return 1;
}

XStringW XDataGrid::GetHeader() {
    return state_->header.text();
}

IXMLDOMDocument* XDataGrid::GetHeaderDocument() const {
    return state_->header.document();
}

bool XDataGrid::GetHeader(IXMLDOMNodeList* items, const XStringW& name, IXMLDOMNode** node) {
    return HeaderModel::findItem(items, name, node);
}

// ---- selection, scrolling, hit testing ----------------------------------------------------------

int XDataGrid::HitTest(int x, int y, int* column, int* area) {
    DataGridState& s = *state_;
    if (s.layoutDirty || !GetHwnd())
        updateLayout(*this, s);
    GridHit hit = s.layout.hitTest(x, y);
    if (column)
        *column = hit.column;
    if (area) {
        switch (hit.area) {
        case GridArea::Header:
            *area = HitHeader;
            break;
        case GridArea::HeaderBorder:
            *area = HitHeaderBorder;
            break;
        case GridArea::Cell:
            *area = HitCell;
            break;
        case GridArea::Empty:
            *area = HitEmpty;
            break;
        case GridArea::VScroll:
        case GridArea::HScroll:
        case GridArea::Corner:
            *area = HitScrollBar;
            break;
        default:
            *area = HitNone;
            break;
        }
    }
    return hit.row;
}

void XDataGrid::Refresh(bool resetPosition, bool redraw) {
    DataGridState& s = *state_;
    updateLayout(*this, s);
    if (resetPosition) {
        s.curSel = -1;
        s.layout.scrollTo(0);
        s.layout.scrollXTo(0);
    }
    if (redraw)
        Invalidate(false);
}

int XDataGrid::GetCurrSel() const {
    return state_->curSel;
}

void XDataGrid::SetCurrSel(int row) {
    DataGridState& s = *state_;
    updateLayout(*this, s);
    if (row < -1 || row >= s.layout.rowCount())
        row = row < 0 ? -1 : s.layout.rowCount() - 1;
    int old = s.curSel;
    s.curSel = row;
    if (!s.scrollLock && row >= 0 && s.layout.ensureVisible(row)) {
        Invalidate(false);
        return;
    }
    if (old != row) {
        DrawRowQuick(old);
        DrawRowQuick(row);
    }
}

namespace {
void scrollRows(XDataGrid& grid, DataGridState& s, int top) {
    if (s.layout.scrollTo(top))
        grid.Invalidate(false);
}
void scrollX(XDataGrid& grid, DataGridState& s, int x) {
    if (s.layout.scrollXTo(x))
        grid.Invalidate(false);
}

const UINT_PTR kRepeatTimer = 0x4447;

// One step of a held scroll-bar arrow or track; the track stops once the thumb reaches the point.
void scrollStep(XDataGrid& grid, DataGridState& s) {
    bool vertical = s.repeatVertical;
    int x = s.repeatAt.x, y = s.repeatAt.y;
    ScrollGeometry g = vertical ? s.layout.vScroll() : s.layout.hScroll();
    int page = vertical ? s.layout.pageRows() : s.layout.content().width();
    int line = vertical ? 1 : s.zoomed(20);
    int pos = vertical ? s.layout.topRow() : s.layout.xOffset();
    int target = pos;
    if (g.lineBack.contains(x, y))
        target = pos - line;
    else if (g.lineForward.contains(x, y))
        target = pos + line;
    else if (g.pageBack.contains(x, y))
        target = pos - page;
    else if (g.pageForward.contains(x, y))
        target = pos + page;
    if (vertical)
        scrollRows(grid, s, target);
    else
        scrollX(grid, s, target);
}
} // namespace

// ---- appearance -----------------------------------------------------------------------------------

void XDataGrid::SetBkColor(COLORREF color) {
    state_->bkColor = color;
}
void XDataGrid::SetBdColor(COLORREF color) {
    state_->borderColor = color;
}
void XDataGrid::SetGridColor(COLORREF color) {
    state_->gridColor = color;
}
void XDataGrid::SetHeaderColor(COLORREF color) {
    state_->headerColor = color;
}
void XDataGrid::SetHeaderBkColor(COLORREF color) {
    state_->headerBkColor = color;
}
void XDataGrid::SetScrollArrowColor(COLORREF color) {
    state_->scrollArrow = color;
}
void XDataGrid::SetScrollButtonColor(COLORREF color) {
    state_->scrollButton = color;
}
void XDataGrid::SetScrollFaceColor(COLORREF color) {
    state_->scrollFace = color;
}
void XDataGrid::SetScrollDarkColor(COLORREF color) {
    state_->scrollDark = color;
}
void XDataGrid::SetScrollLightColor(COLORREF color) {
    state_->scrollLight = color;
}
void XDataGrid::SetTextColor(COLORREF color) {
    state_->textColor = color;
}

void XDataGrid::SetHeaderFont(const XStringW& face, int size) {
    DataGridState& s = *state_;
    if (!face.isEmpty())
        s.headerFace = face;
    if (size > 0 && size <= 200)
        s.headerSize = size;
    s.columnFonts.clear();
    s.headerFont = nullptr;
}

void XDataGrid::SetDrawGridLine(bool horizontal, bool vertical) {
    state_->hLines = horizontal;
    state_->vLines = vertical;
}

void XDataGrid::SetHeaderRowHight(int height) {
    if (height > 0 && height <= 500) {
        state_->headerRowHeight = height;
        state_->layoutDirty = true;
    }
}

void XDataGrid::SetRowHight(int height) {
    if (height > 0 && height <= 500) {
        state_->rowHeight = height;
        state_->layoutDirty = true;
    }
}

void XDataGrid::SetScrollLock(bool lock) {
    state_->scrollLock = lock;
}

void XDataGrid::SetZoom(double zoom) {
    DataGridState& s = *state_;
    if (!(zoom > 0))
        return;
    zoom = std::min(4.0, std::max(0.25, zoom));
    if (zoom == s.zoom)
        return;
    s.zoom = zoom;
    s.columnFonts.clear();
    s.headerFont = nullptr;
    s.layoutDirty = true;
}

void XDataGrid::ReleaseDrawingResource() {
    state_->releaseDrawing();
}

// ---- messages ---------------------------------------------------------------------------------------

LRESULT XDataGrid::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DataGridState& s = *state_;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintGuard paint(hwnd);
        XRect client = GetClientRect();
        if (client.isEmpty())
            return 0;
        if (!s.bufferDC || s.bufferWidth < client.width() || s.bufferHeight < client.height()) {
            if (s.bufferDC && s.bufferOldBitmap)
                SelectObject(s.bufferDC.get(), s.bufferOldBitmap);
            s.bufferDC.reset(CreateCompatibleDC(paint.dc()));
            s.bufferBitmap.reset(CreateCompatibleBitmap(paint.dc(), client.width(), client.height()));
            if (!s.bufferDC || !s.bufferBitmap)
                return 0;
            s.bufferOldBitmap = SelectObject(s.bufferDC.get(), s.bufferBitmap.get());
            s.bufferWidth = client.width();
            s.bufferHeight = client.height();
        }
        const RECT& rc = paint.ps().rcPaint;
        s.paintClip = XRect(rc.left, rc.top, rc.right, rc.bottom);
        Render(s.bufferDC.get());
        s.paintClip = XRect();
        BitBlt(paint.dc(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, s.bufferDC.get(), rc.left,
               rc.top, SRCCOPY);
        return 0;
    }
    case WM_SIZE:
        s.layoutDirty = true;
        updateLayout(*this, s);
        Invalidate(false);
        return 0;
    case WM_GETDLGCODE: {
        // Enter activates the row inside a dialog too; Tab and Escape stay the dialog's.
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        bool enter = m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN;
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_MOUSEHWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        scrollX(*this, s, s.layout.xOffset() + notches * s.zoomed(40));
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        scrollRows(*this, s, s.layout.topRow() - notches * 3);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (GetFocus() != hwnd)
            ::SetFocus(hwnd);
        updateLayout(*this, s);
        GridHit hit = s.layout.hitTest(x, y);
        // Right of the last column a row is still that row.
        if (hit.area == GridArea::Empty && s.layout.rowAt(y) >= 0) {
            hit.area = GridArea::Cell;
            hit.row = s.layout.rowAt(y);
        }
        if (hit.area == GridArea::Cell) {
            SetCurrSel(hit.row);
            if (msg == WM_RBUTTONDOWN)
                OnContextMenu(x, y);
            else if (msg == WM_LBUTTONDBLCLK)
                OnEnterItem();
            return 0;
        }
        if (msg == WM_RBUTTONDOWN || (hit.area != GridArea::VScroll && hit.area != GridArea::HScroll))
            return 0;
        bool vertical = hit.area == GridArea::VScroll;
        ScrollGeometry g = vertical ? s.layout.vScroll() : s.layout.hScroll();
        if (g.thumb.contains(x, y)) {
            s.drag = vertical ? DragMode::VThumb : DragMode::HThumb;
            s.dragOffset = vertical ? y - g.thumb.top : x - g.thumb.left;
            SetCapture(hwnd);
            Invalidate(false);
            return 0;
        }
        // Arrows and track scroll once now and repeat while the button is held.
        s.drag = DragMode::ScrollRepeat;
        s.repeatVertical = vertical;
        s.repeatAt = {x, y};
        SetCapture(hwnd);
        scrollStep(*this, s);
        SetTimer(hwnd, kRepeatTimer, 400, nullptr);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kRepeatTimer)
            break;
        if (s.drag != DragMode::ScrollRepeat) {
            KillTimer(hwnd, kRepeatTimer);
            return 0;
        }
        scrollStep(*this, s);
        SetTimer(hwnd, kRepeatTimer, 50, nullptr);
        return 0;
    case WM_MOUSEMOVE:
        if (s.drag == DragMode::VThumb || s.drag == DragMode::HThumb) {
            bool vertical = s.drag == DragMode::VThumb;
            ScrollGeometry g = vertical ? s.layout.vScroll() : s.layout.hScroll();
            int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            if (vertical)
                scrollRows(*this, s, s.layout.topRowForThumb(y - s.dragOffset - g.lineBack.bottom));
            else
                scrollX(*this, s, s.layout.xOffsetForThumb(x - s.dragOffset - g.lineBack.right));
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (s.drag == DragMode::ScrollRepeat) {
            s.drag = DragMode::None;
            KillTimer(hwnd, kRepeatTimer);
            ReleaseCapture();
            return 0;
        }
        if (s.drag == DragMode::VThumb || s.drag == DragMode::HThumb) {
            s.drag = DragMode::None;
            ReleaseCapture();
            Invalidate(false);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (s.drag == DragMode::ScrollRepeat) {
            s.drag = DragMode::None;
            KillTimer(hwnd, kRepeatTimer);
        }
        if (s.drag == DragMode::VThumb || s.drag == DragMode::HThumb) {
            s.drag = DragMode::None;
            Invalidate(false);
        }
        break;
    case WM_KEYDOWN: {
        updateLayout(*this, s);
        int count = s.layout.rowCount();
        int page = s.layout.pageRows();
        int sel = s.curSel;
        switch (wParam) {
        case VK_UP:
            sel = sel < 0 ? 0 : sel - 1;
            break;
        case VK_DOWN:
            sel = sel < 0 ? 0 : sel + 1;
            break;
        case VK_PRIOR:
            sel = sel < 0 ? 0 : sel - page;
            break;
        case VK_NEXT:
            sel = sel < 0 ? 0 : sel + page;
            break;
        case VK_HOME:
            sel = 0;
            break;
        case VK_END:
            sel = count - 1;
            break;
        case VK_LEFT:
            scrollX(*this, s, s.layout.xOffset() - s.zoomed(20));
            return 0;
        case VK_RIGHT:
            scrollX(*this, s, s.layout.xOffset() + s.zoomed(20));
            return 0;
        case VK_RETURN:
            if (s.curSel >= 0)
                OnEnterItem();
            return 0;
        default:
            return DefaultProc(hwnd, msg, wParam, lParam);
        }
        if (count <= 0)
            return 0;
        sel = std::max(0, std::min(sel, count - 1));
        // Keys move what the user sees even while the position is locked for the program.
        bool lock = s.scrollLock;
        s.scrollLock = false;
        SetCurrSel(sel);
        s.scrollLock = lock;
        return 0;
    }
    default:
        break;
    }
    return XWin::WndProc(hwnd, msg, wParam, lParam);
}
