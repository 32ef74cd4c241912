// The grid control in real windows: header round trip, caption clicks, border drags, the
// header menu, selection and what a paint asks for.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataGrid.h"
#include "XmlCompare.h"

namespace {
const wchar_t kHeader[] =
    L"<header>"
    L"<item title=\"序号\" name=\"_index\" width=\"40\" align=\"center\" extra=\"1\"/>"
    L"<item title=\"end_date\" align=\"center\">"
    L"<item title=\"单位净值\" name=\"value\" width=\"70\" align=\"right\"/>"
    L"<item title=\"累计净值\" name=\"totalvalue\" width=\"70\" align=\"right\"/>"
    L"</item>"
    L"<item title=\"名称\" name=\"name\" width=\"100\" visible=\"true\" text_color=\"list_name\"/>"
    L"</header>";

class TestGrid final : public DataGridEx {
public:
    int rows = 50;
    long long cellRequests = 0;
    int maxRowAsked = -1;
    std::vector<std::pair<std::wstring, bool>> sorts;
    bool sortResult = true;
    int headerChanges = 0;
    int resets = 0;
    int enters = 0;
    std::vector<POINT> contextMenus;

    int GetRowsCount() override { return rows; }
    void GetItemText(int row, const HeaderInfo2& column, XStringW& text) override {
        ++cellRequests;
        maxRowAsked = std::max(maxRowAsked, row);
        text = XStringW::format(L"%s-%d", column.name.c_str(), row);
    }
    bool sort(const XStringW& column, bool flag) override {
        sorts.emplace_back(column.c_str(), flag);
        return sortResult;
    }
    void OnHeaderChange() override { ++headerChanges; }
    void OnResetHeader() override { ++resets; }
    void OnEnterItem() override { ++enters; }
    void OnContextMenu(int x, int y) override { contextMenus.push_back({x, y}); }
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE)
            ++creates;
        if (msg == WM_NCDESTROY)
            ++ncDestroys;
        return DataGridEx::WndProc(hwnd, msg, wParam, lParam);
    }
    int creates = 0;
    int ncDestroys = 0;

    using XDataGrid::GetHeader;
    using XDataGrid::GetHeaderDocument;
};

LPARAM at(int x, int y) {
    return MAKELPARAM(x, y);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class DataGridTest : public ::testing::Test {
protected:
    // One top-level window for all tests: Wine without a window manager waits two seconds for
    // every top-level window that is hidden or destroyed. Each grid is a child of it.
    static void SetUpTestSuite() {
        host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600, 400,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(host_); }

    void SetUp() override {
        ASSERT_NE(nullptr, host_);
        ASSERT_NE(nullptr, grid.Create(host_, XRect(0, 0, 600, 400), WS_CHILD | WS_VISIBLE, 0, 1));
        ASSERT_EQ(1, grid.SetHeader(kHeader));
        pump();
    }
    void TearDown() override {
        if (grid.GetHwnd())
            DestroyWindow(grid.GetHwnd());
    }
    void paintNow() {
        grid.Invalidate(false);
        UpdateWindow(grid.GetHwnd());
    }
    // Left edge and right edge of the visible column in client coordinates.
    int columnRight(int visibleIndex) {
        int x = 1;
        for (int v = 0; v <= visibleIndex; ++v)
            x += grid.GetColumn(v).width;
        return x;
    }
    void send(UINT msg, WPARAM w, LPARAM l) { SendMessageW(grid.GetHwnd(), msg, w, l); }
    void click(int x, int y) {
        send(WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
        send(WM_LBUTTONUP, 0, at(x, y));
    }

    static HWND host_;
    TestGrid grid;
};
HWND DataGridTest::host_ = nullptr;
} // namespace

TEST_F(DataGridTest, HeaderRoundTripsAndBadTextKeepsColumns) {
    EXPECT_EQ(L"", xmlDifference(kHeader, grid.GetHeader().c_str()));
    ASSERT_EQ(4, grid.GetColumnCount());
    EXPECT_EQ(XStringW(L"value"), grid.GetColumn(1).name);
    EXPECT_NE(nullptr, grid.GetColumn(1).GetNode());
    EXPECT_NE(nullptr, grid.GetHeaderDocument());
    EXPECT_EQ(0, grid.SetHeader(L"<header><item"));
    EXPECT_EQ(0, grid.SetHeader(L"<root><item name=\"x\"/></root>"));
    EXPECT_EQ(4, grid.GetColumnCount());
    EXPECT_EQ(L"", xmlDifference(kHeader, grid.GetHeader().c_str()));
}

TEST_F(DataGridTest, CaptionClicksSortWithAToggledFlag) {
    // Two caption rows: groups above; "_index" spans both, grouped columns sit in the lower one.
    int headerY = 30;
    click(20, headerY);
    click(20, headerY);
    click(columnRight(0) + 30, headerY);
    click(columnRight(0) + 30, 10); // the group caption above "value" sorts nothing
    ASSERT_EQ(3u, grid.sorts.size());
    EXPECT_EQ(L"_index", grid.sorts[0].first);
    EXPECT_FALSE(grid.sorts[0].second);
    EXPECT_TRUE(grid.sorts[1].second);
    EXPECT_EQ(L"value", grid.sorts[2].first);
    EXPECT_FALSE(grid.sorts[2].second);

    // Each click that sorted moved the sort into the header and reported it, so the header the
    // owner saves and sets again after a reload sorts as the user last did.
    EXPECT_EQ(3, grid.headerChanges);
    std::wstring expected = kHeader;
    expected.insert(expected.find(L"/>", expected.find(L"name=\"value\"")), L" sort=\"asc\"");
    EXPECT_EQ(L"", xmlDifference(expected, grid.GetHeader().c_str()));
    ASSERT_EQ(1, grid.SetHeader(grid.GetHeader()));
    ASSERT_EQ(4u, grid.sorts.size());
    EXPECT_EQ(L"value", grid.sorts[3].first);
    EXPECT_FALSE(grid.sorts[3].second);

    // A sort the owner refuses leaves the header alone.
    grid.sortResult = false;
    click(20, headerY);
    EXPECT_EQ(3, grid.headerChanges);
    EXPECT_EQ(L"", xmlDifference(expected, grid.GetHeader().c_str()));
}

TEST_F(DataGridTest, InitialSortComesFromTheDefinition) {
    ASSERT_EQ(1, grid.SetHeader(L"<header><item name=\"a\"/><item name=\"b\" sort=\"desc\"/></header>"));
    ASSERT_FALSE(grid.sorts.empty());
    EXPECT_EQ(L"b", grid.sorts.back().first);
    EXPECT_TRUE(grid.sorts.back().second);
    // The next click on the same caption reverses it.
    click(100, 10);
    EXPECT_EQ(L"b", grid.sorts.back().first);
    EXPECT_FALSE(grid.sorts.back().second);

    // A new sort column takes the attribute from every other item, groups included: the first
    // item carrying one would otherwise win at the next SetHeader.
    ASSERT_EQ(1, grid.SetHeader(L"<header><item name=\"a\" sort=\"desc\"/><item title=\"g\" sort=\"asc\">"
                                L"<item name=\"b\"/><item name=\"c\" sort=\"asc\"/></item></header>"));
    click(100, 30);
    EXPECT_EQ(L"b", grid.sorts.back().first);
    EXPECT_EQ(L"",
              xmlDifference(L"<header><item name=\"a\"/><item title=\"g\"><item name=\"b\" sort=\"asc\"/>"
                            L"<item name=\"c\"/></item></header>",
                            grid.GetHeader().c_str()));
}

TEST_F(DataGridTest, BorderDragChangesWidthInHeaderAndReportsOnce) {
    int edge = columnRight(0);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(edge, 30));
    send(WM_MOUSEMOVE, MK_LBUTTON, at(edge + 10, 30));
    send(WM_MOUSEMOVE, MK_LBUTTON, at(edge + 25, 30));
    send(WM_LBUTTONUP, 0, at(edge + 25, 30));
    EXPECT_EQ(1, grid.headerChanges);
    EXPECT_TRUE(grid.sorts.empty());
    EXPECT_EQ(65, grid.GetColumn(0).width);
    std::wstring expected = kHeader;
    expected.replace(expected.find(L"width=\"40\""), 10, L"width=\"65\"");
    EXPECT_EQ(L"", xmlDifference(expected, grid.GetHeader().c_str()));
}

TEST_F(DataGridTest, CaptionDragMovesTheColumn) {
    // "名称" (last) dropped onto the left half of "序号".
    int x = columnRight(2) + 50;
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(x, 10));
    send(WM_MOUSEMOVE, MK_LBUTTON, at(x - 100, 10));
    send(WM_MOUSEMOVE, MK_LBUTTON, at(5, 10));
    send(WM_LBUTTONUP, 0, at(5, 10));
    EXPECT_EQ(1, grid.headerChanges);
    EXPECT_TRUE(grid.sorts.empty());
    EXPECT_EQ(XStringW(L"name"), grid.GetColumn(0).name);
    EXPECT_NE(std::wstring::npos, std::wstring(grid.GetHeader().c_str()).find(L"name=\"name\""));
    EXPECT_LT(std::wstring(grid.GetHeader().c_str()).find(L"name=\"name\""),
              std::wstring(grid.GetHeader().c_str()).find(L"name=\"_index\""));
}

namespace {
// Chooses the menu entry whose text is wanted once the modal menu loop runs.
std::wstring g_menuPick;
HWND g_owner;
void CALLBACK pickMenuEntry(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND menuWnd = FindWindowW(L"#32768", nullptr);
    HMENU menu = menuWnd ? reinterpret_cast<HMENU>(SendMessageW(menuWnd, MN_GETHMENU, 0, 0)) : nullptr;
    if (!menu) {
        EndMenu();
        return;
    }
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        if (g_menuPick == text) {
            UINT id2 = GetMenuItemID(menu, i);
            EndMenu();
            PostMessageW(g_owner, WM_COMMAND, id2, 0);
            return;
        }
    }
    EndMenu();
}
} // namespace

TEST_F(DataGridTest, HeaderMenuHidesColumnsAndAsksForReset) {
    g_owner = grid.GetHwnd();
    // A grouped column is listed under its group's caption: two dates hold a "单位净值" each.
    g_menuPick = L"end_date 单位净值";
    SetTimer(nullptr, 0, 10, pickMenuEntry);
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(20, 10));
    pump();
    EXPECT_EQ(1, grid.headerChanges);
    ASSERT_EQ(3, grid.GetColumnCount());
    EXPECT_EQ(XStringW(L"totalvalue"), grid.GetColumn(1).name);
    std::wstring header = grid.GetHeader().c_str();
    size_t pos = header.find(L"name=\"value\"");
    ASSERT_NE(std::wstring::npos, pos);
    EXPECT_NE(std::wstring::npos, header.find(L"visible=\"false\"", pos));

    g_menuPick = L"恢复默认列";
    SetTimer(nullptr, 0, 10, pickMenuEntry);
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(20, 10));
    pump();
    EXPECT_EQ(1, grid.resets);
    EXPECT_EQ(1, grid.headerChanges);
}

TEST_F(DataGridTest, HeaderMenuIsReachableWithoutAShownColumn) {
    // Every column hidden, and a grid that never got a header.
    ASSERT_EQ(1, grid.SetHeader(L"<header><item name=\"a\" visible=\"false\"/></header>"));
    TestGrid bare;
    ASSERT_NE(nullptr, bare.Create(host_, XRect(0, 0, 600, 400), WS_CHILD | WS_VISIBLE, 0, 2));
    for (TestGrid* target : {&grid, &bare}) {
        ASSERT_EQ(0, target->GetColumnCount());
        g_owner = target->GetHwnd();
        g_menuPick = L"恢复默认列";
        SetTimer(nullptr, 0, 10, pickMenuEntry);
        SendMessageW(target->GetHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, at(20, 10));
        pump();
        EXPECT_EQ(1, target->resets);
    }
}

TEST_F(DataGridTest, MouseAndKeysSelectRows) {
    EXPECT_LT(grid.GetCurrSel(), 0);
    // Header 2 x 23 from y = 1; rows 23 high.
    click(100, 1 + 46 + 23 * 2 + 5);
    EXPECT_EQ(2, grid.GetCurrSel());
    click(500, 1 + 46 + 23 * 5 + 5); // right of the last column
    EXPECT_EQ(5, grid.GetCurrSel());
    click(100, 1 + 46 + 23 * 2 + 5);
    send(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(3, grid.GetCurrSel());
    send(WM_KEYDOWN, VK_UP, 0);
    send(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(1, grid.GetCurrSel());
    send(WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(49, grid.GetCurrSel());
    EXPECT_GT(grid.GetTopRow(), 0); // scrolled to keep it visible
    send(WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(0, grid.GetCurrSel());
    EXPECT_EQ(0, grid.GetTopRow());
    send(WM_KEYDOWN, VK_NEXT, 0);
    int page = grid.GetCurrSel();
    EXPECT_GT(page, 5);
    send(WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(0, grid.GetCurrSel());
    send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1, grid.enters);
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(100, 1 + 46 + 23 * 4 + 5));
    EXPECT_EQ(4, grid.GetCurrSel());
    EXPECT_EQ(2, grid.enters);
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(150, 1 + 46 + 23 * 6 + 5));
    EXPECT_EQ(6, grid.GetCurrSel());
    ASSERT_EQ(1u, grid.contextMenus.size());
    EXPECT_EQ(150, grid.contextMenus[0].x);
    // Fewer rows later: the selection cannot point past the end.
    grid.rows = 3;
    grid.Refresh(false, true);
    EXPECT_EQ(2, grid.GetCurrSel());
    grid.Refresh(true, true);
    EXPECT_LT(grid.GetCurrSel(), 0);
}

TEST_F(DataGridTest, PaintOverManyRowsAsksOnlyForVisibleCells) {
    grid.rows = 100000;
    grid.Refresh(false, false);
    grid.SetCurrSel(60000);
    pump();
    grid.cellRequests = 0;
    grid.maxRowAsked = -1;
    paintNow();
    // 400 high: (400 - 2 - 46 - 16) / 23 rows plus a partly shown one, 4 columns.
    long long visibleRows = (400 - 2 - 46) / 23 + 1;
    EXPECT_GT(grid.cellRequests, 0);
    EXPECT_LE(grid.cellRequests, visibleRows * 4);
    EXPECT_GE(grid.maxRowAsked, 60000);
    EXPECT_LT(grid.maxRowAsked, 60000 + visibleRows);
    // Wheel scrolling moves the window of rows asked for.
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), at(100, 100));
    EXPECT_EQ(grid.GetTopRow(), 60000 - (400 - 2 - 46) / 23 + 1 - 3);
}

TEST_F(DataGridTest, ThousandsOfGroupedColumnsPaintOnlyWhatShows) {
    std::wstring t = L"<header>";
    for (int g = 0; g < 2500; ++g)
        t += L"<item title=\"g\"><item name=\"a\" width=\"60\"/><item name=\"b\" width=\"60\"/></item>";
    t += L"</header>";
    ASSERT_EQ(1, grid.SetHeader(t.c_str()));
    EXPECT_EQ(4096, grid.GetColumnCount());
    grid.cellRequests = 0;
    paintNow();
    long long rowsShown = (400 - 2 - 46 - 16) / 23 + 1;
    EXPECT_GT(grid.cellRequests, 0);
    EXPECT_LE(grid.cellRequests, rowsShown * (600 / 60 + 1));
}

TEST_F(DataGridTest, ScrollBarArrowsAndTrackScroll) {
    // 50 rows do not fit: the vertical bar runs down the right edge, its arrows 16 high.
    click(590, 390);
    EXPECT_EQ(1, grid.GetTopRow());
    click(590, 300); // the track below the thumb: a page
    int page = (400 - 2 - 46) / 23;
    EXPECT_EQ(1 + page, grid.GetTopRow());
    click(590, 10);
    EXPECT_EQ(page, grid.GetTopRow());
    EXPECT_LT(grid.GetCurrSel(), 0); // scrolling selects nothing
}

TEST_F(DataGridTest, CtrlCCopiesTheSelectedRowsTexts) {
    grid.SetCurrSel(7);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    send(WM_KEYDOWN, 'C', 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    ASSERT_TRUE(OpenClipboard(grid.GetHwnd()));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(L"_index-7\tvalue-7\ttotalvalue-7\tname-7", text);
}

TEST_F(DataGridTest, ZoomScalesRowsAndResourcesComeBackAfterRelease) {
    grid.rows = 1000;
    grid.Refresh(false, false);
    paintNow();
    grid.cellRequests = 0;
    paintNow();
    long long natural = grid.cellRequests;
    grid.SetZoom(2.0);
    grid.ReleaseDrawingResource();
    grid.cellRequests = 0;
    paintNow();
    EXPECT_GT(grid.cellRequests, 0);
    EXPECT_LT(grid.cellRequests, natural * 2 / 3); // rows twice as high, columns twice as wide
    // Hit testing follows the zoomed sizes: header 2 x 46, rows 46 high.
    EXPECT_EQ(1, grid.HitTest(30, 1 + 92 + 46 + 10));
}

TEST_F(DataGridTest, DoubleClickOnBorderFitsTheWidestText) {
    grid.SetZoom(1.0);
    int edge = columnRight(2); // "累计净值", texts like "totalvalue-12"
    int before = grid.GetColumn(2).width;
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(edge, 30));
    EXPECT_EQ(1, grid.headerChanges);
    EXPECT_GT(grid.GetColumn(2).width, before);
    // Fitting again changes nothing and reports nothing.
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(columnRight(2), 30));
    EXPECT_EQ(1, grid.headerChanges);
}

TEST_F(DataGridTest, WideColumnsScrollSideways) {
    ASSERT_EQ(1, grid.SetHeader(L"<header><item name=\"a\" width=\"400\"/><item name=\"b\" width=\"400\"/>"
                                L"</header>"));
    int column = -1;
    grid.HitTest(300, 60, &column);
    EXPECT_EQ(0, column);
    send(WM_KEYDOWN, VK_RIGHT, 0);
    for (int i = 0; i < 20; ++i)
        send(WM_KEYDOWN, VK_RIGHT, 0);
    grid.HitTest(300, 60, &column);
    EXPECT_EQ(1, column);
}

namespace {
BOOL CALLBACK findVisibleTip(HWND hwnd, LPARAM found) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpiW(cls, L"tooltips_class32") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}
HWND visibleTip() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findVisibleTip, reinterpret_cast<LPARAM>(&found));
    return found;
}
} // namespace

TEST_F(DataGridTest, ACutCellShowsItsWholeTextInATooltip) {
    ASSERT_EQ(1, grid.SetHeader(L"<header><item name=\"narrow\" width=\"30\"/>"
                                L"<item name=\"wide\" width=\"300\"/></header>"));
    send(WM_MOUSEMOVE, 0, at(10, 1 + 23 + 23 * 4 + 5));
    HWND tip = visibleTip();
    ASSERT_NE(nullptr, tip);
    wchar_t text[64] = {};
    TTTOOLINFOW ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = grid.GetHwnd();
    ti.uId = 1;
    ti.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(L"narrow-4", text);
    // A text that fits shows no tooltip.
    send(WM_MOUSEMOVE, 0, at(100, 1 + 23 + 23 * 4 + 5));
    EXPECT_EQ(nullptr, visibleTip());
}

namespace {
// The grid's pixels as Render draws them into a 32-bit bitmap of its client size.
std::vector<DWORD> rendered(XDataGrid& grid, HGDIOBJ* brushAfter = nullptr) {
    XRect client = grid.GetClientRect();
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = client.width();
    bi.bmiHeader.biHeight = -client.height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    grid.Render(dc);
    GdiFlush();
    if (brushAfter)
        *brushAfter = GetCurrentObject(dc, OBJ_BRUSH) == brush ? brush : nullptr;
    const DWORD* p = static_cast<const DWORD*>(bits);
    std::vector<DWORD> pixels(p, p + client.width() * client.height());
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}
} // namespace

TEST_F(DataGridTest, CutTextsRepaintAsAFreshGridDrawsThem) {
    // Texts like "averyverylongcolumnname-3" are cut in both widths, at different places.
    auto header = [](int width) {
        return L"<header><item name=\"averyverylongcolumnname\" width=\"" + std::to_wstring(width) +
               L"\"/><item name=\"b\" width=\"50\" align=\"right\"/></header>";
    };
    ASSERT_EQ(1, grid.SetHeader(header(90).c_str()));
    HGDIOBJ brush = nullptr;
    std::vector<DWORD> first = rendered(grid, &brush);
    EXPECT_NE(nullptr, brush) << "the DC's brush is not back after a paint";
    EXPECT_EQ(first, rendered(grid)); // a repaint draws what the first paint measured
    ASSERT_EQ(1, grid.SetHeader(header(140).c_str()));
    std::vector<DWORD> wider = rendered(grid);
    EXPECT_NE(first, wider);

    TestGrid fresh;
    ASSERT_NE(nullptr, fresh.Create(host_, XRect(0, 0, 600, 400), WS_CHILD, 0, 2));
    ASSERT_EQ(1, fresh.SetHeader(header(140).c_str()));
    EXPECT_EQ(fresh.GetClientRect().width(), grid.GetClientRect().width());
    EXPECT_TRUE(wider == rendered(fresh)) << "a width change must cut the texts anew";
    ASSERT_EQ(1, grid.SetHeader(header(90).c_str()));
    EXPECT_TRUE(first == rendered(grid));
    DestroyWindow(fresh.GetHwnd());
}

TEST(DataGridAttachTest, AnAttachedWindowOutlivesTheGridAndGetsItsProcedureBack) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
    {
        TestGrid grid;
        ASSERT_TRUE(grid.Attach(window));
        EXPECT_FALSE(grid.Attach(window));
        EXPECT_NE(original, GetWindowLongPtrW(window, GWLP_WNDPROC));
        grid.rows = 3;
        EXPECT_EQ(1, grid.SetHeader(kHeader));
    }
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(original, GetWindowLongPtrW(window, GWLP_WNDPROC));
    DestroyWindow(window);
}

namespace {
int g_originalNcDestroys = 0;
LRESULT CALLBACK countingOriginal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY)
        ++g_originalNcDestroys;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

TEST(DataGridLifeTest, WndProcSeesItsWindowsFirstAndLastMessages) {
    TestGrid made;
    ASSERT_NE(nullptr, made.Create(nullptr, XRect(0, 0, 200, 100), WS_POPUP, 0, 0));
    EXPECT_EQ(1, made.creates);
    EXPECT_EQ(1, made.SetHeader(kHeader));
    HWND window = made.GetHwnd();
    DestroyWindow(window);
    EXPECT_EQ(1, made.ncDestroys);
    EXPECT_EQ(nullptr, made.GetHwnd());

    // An attached window: the grid sees its last message, and so does its own procedure.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &countingOriginal;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DataGridTestOriginal";
    RegisterClassExW(&wc);
    HWND other = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    TestGrid attached;
    ASSERT_TRUE(attached.Attach(other));
    g_originalNcDestroys = 0;
    DestroyWindow(other);
    EXPECT_EQ(1, attached.ncDestroys);
    EXPECT_EQ(1, g_originalNcDestroys);
    EXPECT_EQ(nullptr, attached.GetHwnd());
    // Both objects can take a window again.
    EXPECT_NE(nullptr, made.Create(nullptr, XRect(0, 0, 200, 100), WS_POPUP, 0, 0));
    EXPECT_EQ(2, made.creates);
}
