// The chart, funds pool and watched list windows of the client, with real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <cmath>
#include "HistoryDatabase.h"
#include "HostDatabase.h"
#include "HostModules.h"
#include "HostServices.h"
#include "ClientServices.h"
#include "tests/wgui/GdiplusEnvironment.h"
#include "tests/wgui/TestWindows.h"
#include "ModalAnswers.h"

using namespace Client;

namespace {

const auto* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new wguitest::GdiplusEnvironment);

COLORREF pixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

int distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

std::wstring title(HWND hwnd) {
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
}

class HostWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(historydb::write(dbPath())); }
    static void TearDownTestSuite() { DeleteFileW(dbPath().c_str()); }
    static std::wstring dbPath() { return historydb::tempPath(L"client_windows_history.db"); }
    void SetUp() override {
        db = openDatabase(dbPath().c_str(), 1000);
        ASSERT_TRUE(db && db->isOpen());
        themes = createThemeManager((programDirectory() + L"\\themes").c_str());
        ASSERT_GE(themes->themeCount(), 2) << "the dark and light themes sit in bin\\themes";
        ASSERT_TRUE(themes->setCurrentTheme(L"dark"));
    }
    XComPtr<IDatabase> db;
    XComPtr<IThemeMgr> themes;
};

} // namespace

TEST_F(HostWindows, ChartDrawsTheStoredSeriesAndIsReusedForTheNextProduct) {
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setThemeManager(themes.get());
    chart->setPickedDateSource([] { return std::wstring(L"2026-03-07"); });
    XComPtr<IChartModule> contract(chart.get());
    contract->showChart(L"G00001", 0, nullptr, 0);
    HWND first = chart->lastWindow();
    ASSERT_TRUE(IsWindow(first));
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_NE(title(first).find(L"G00001 稳健停牌一号"), std::wstring::npos);
    const ChartWindow& w = *chart->window();
    ASSERT_GE(w.paintCount(), 1);

    // What was drawn is what the database holds: the chart's own series against the rows
    // written, and each drawn unit value's pixel carries the unit line's colour, not the other's.
    const ChartData& d = w.view().main().data;
    ASSERT_EQ(d.points.size(), 9u);
    EXPECT_EQ(d.points[8].date, L"2026-03-06");
    EXPECT_DOUBLE_EQ(d.points[8].value, 1.08);
    EXPECT_DOUBLE_EQ(d.points[8].total, 1.335);
    EXPECT_EQ(d.endDate, L"2026-03-06");
    const ChartGeometry& g = w.geometry();
    for (const NavPoint& p : d.points) {
        if (!p.hasValue)
            continue;
        int y = g.yOf(p.value);
        EXPECT_NEAR(g.valueAt(y), p.value, (g.left.high - g.left.low) / (g.plot.bottom - g.plot.top));
        if (p.date == L"2026-01-09" || p.date == L"2026-03-03") // a lone point and a dividend ring
            continue;
        // Antialiasing spreads a line's ends over neighbouring pixels.
        bool onLine = false;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                COLORREF drawn = pixel(w.backBuffer(), g.xOf(p.day) + dx, y + dy);
                int d = distance(drawn, w.colors().value);
                onLine = onLine || (d < distance(drawn, w.colors().background) &&
                                    d < distance(drawn, w.colors().total));
            }
        EXPECT_TRUE(onLine) << std::string(p.date.begin(), p.date.end());
    }

    // The crosshair follows the pointer to the nearest day.
    SendMessageW(first, WM_MOUSEMOVE, 0,
                 MAKELPARAM(g.xOf(d.points[5].day) + 2, (g.plot.top + g.plot.bottom) / 2));
    EXPECT_EQ(w.hoverIndex(), 5);
    UpdateWindow(first);
    EXPECT_EQ(pointLabel(w.view(), 5)[0], L"2026-03-03");
    EXPECT_EQ(pointLabel(w.view(), 5).back(), L"分红 0.0550");

    // Resizing repaints at the new size, also when the window shrinks and nothing new shows.
    int paints = w.paintCount();
    SetWindowPos(first, nullptr, 0, 0, 600, 380, SWP_NOZORDER | SWP_NOMOVE);
    UpdateWindow(first);
    RECT rc;
    GetClientRect(first, &rc);
    EXPECT_GT(w.paintCount(), paints);
    EXPECT_LT(w.geometry().plot.right, rc.right);
    EXPECT_GT(w.geometry().plot.right, rc.right - 100);
    BITMAP bm{};
    GetObjectW(w.backBuffer(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, rc.right);
    EXPECT_EQ(bm.bmHeight, rc.bottom);

    // The theme changes the chart's colours at once.
    const ChartColors dark = w.colors();
    ASSERT_TRUE(themes->setCurrentTheme(L"light"));
    UpdateWindow(first);
    EXPECT_NE(w.colors().background, dark.background);
    EXPECT_NE(w.colors().value, dark.value);
    EXPECT_EQ(pixel(w.backBuffer(), 2, 2), w.colors().background);

    // A second product reuses the window; one without values shows an empty chart with a message.
    contract->showChart(L"NONE01", 0, nullptr, 0);
    EXPECT_EQ(chart->lastWindow(), first);
    EXPECT_NE(title(first).find(L"NONE01"), std::wstring::npos);
    EXPECT_TRUE(w.view().main().data.points.empty());
    EXPECT_FALSE(w.view().main().data.message.empty());
    EXPECT_TRUE(w.geometry().empty);
    SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(w.hoverIndex(), -1);

    // Closed by the user, the next chart opens a new window.
    DestroyWindow(first);
    EXPECT_EQ(chart->lastWindow(), nullptr);
    contract->showChart(L"ONE001", 0, nullptr, 0);
    EXPECT_TRUE(IsWindow(chart->lastWindow()));
    EXPECT_EQ(chart->window()->view().main().data.points.size(), 1u);
}

namespace {

std::wstring cell(HWND list, int row, int column) {
    wchar_t text[128] = {};
    ListView_GetItemText(list, row, column, text, 128);
    return text;
}

int rowOf(HWND list, const wchar_t* code) {
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        if (cell(list, i, 0) == code)
            return i;
    return -1;
}

} // namespace

TEST_F(HostWindows, PoolWindowFollowsTheListKeepsUnknownCodesAndRemovesThroughTheWindow) {
    std::wstring file = historydb::tempPath(L"client_pool_user.conf");
    DeleteFileW(file.c_str());
    {
        XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), L"/Client2/UserConfig/");
        XComPtr<FundsPoolModule> pool(new FundsPoolModule(store.get()));
        pool->setDatabase(db.get());
        XComPtr<IFundsPoolModule> contract(pool.get());
        contract->addFund(L"G00001");
        contract->addFund(L"GONE99"); // no longer in the database
        ASSERT_TRUE(pool->showWindow(nullptr));
        HWND list = pool->window().listView();
        ASSERT_EQ(ListView_GetItemCount(list), 2);
        int g = rowOf(list, L"G00001");
        ASSERT_GE(g, 0);
        EXPECT_EQ(cell(list, g, 1), L"稳健停牌一号");
        EXPECT_EQ(cell(list, g, 2), L"1.0800");
        EXPECT_EQ(cell(list, g, 3), L"2026-03-06");
        int gone = rowOf(list, L"GONE99");
        ASSERT_GE(gone, 0);
        EXPECT_EQ(cell(list, gone, 1), CodeListWindow::kUnknownName);
        EXPECT_EQ(cell(list, gone, 2), L"--");

        // Added through the host module's interface while the window is open: it shows at once.
        contract->addFund(L"ONE001");
        EXPECT_EQ(ListView_GetItemCount(list), 3);
        EXPECT_GE(rowOf(list, L"ONE001"), 0);

        // The user selects G00001 and presses the window's remove button.
        ListView_SetItemState(list, rowOf(list, L"G00001"), LVIS_SELECTED, LVIS_SELECTED);
        HWND button = GetDlgItem(pool->window().hwnd(), CodeListWindow::kRemoveId);
        ASSERT_TRUE(IsWindowEnabled(button));
        SendMessageW(button, BM_CLICK, 0, 0);
        EXPECT_EQ(rowOf(list, L"G00001"), -1);
        EXPECT_EQ(ListView_GetItemCount(list), 2);
        EXPECT_EQ(pool->list().codes(), (std::vector<std::wstring>{L"GONE99", L"ONE001"}));
        EXPECT_FALSE(pool->window().removeSelected()) << "nothing selected any more";
    }
    // A restart reads the same list, the unknown code included.
    XComPtr<Conf::IConfManager> reopened = createConfManager(file.c_str(), L"/Client2/UserConfig/");
    XComPtr<FundsPoolModule> pool(new FundsPoolModule(reopened.get()));
    EXPECT_EQ(pool->list().codes(), (std::vector<std::wstring>{L"GONE99", L"ONE001"}));
    reopened = nullptr;
    pool = nullptr;
    DeleteFileW(file.c_str());
}

TEST_F(HostWindows, WatchedListWindowRemovesWithTheDeleteKeyAndRaisesTheEvent) {
    XComPtr<Conf::IConfManager> store = createConfManager(nullptr, L"/Client2/UserConfig/");
    XComPtr<ConcernFundModule> concern(new ConcernFundModule(store.get()));
    concern->setDatabase(db.get());
    concern->addWatched(L"X00001");
    ASSERT_TRUE(concern->showWindow(nullptr));
    HWND list = concern->window().listView();
    concern->addWatched(L"ONE001");
    ASSERT_EQ(ListView_GetItemCount(list), 2);

    static int raised;
    raised = 0;
    auto count = [](void*, void*) { ++raised; };
    XComPtr<IEvent> changed = createEvent("event_ConcernChanged");
    changed->subscribe(count, nullptr);
    ListView_SetItemState(list, rowOf(list, L"X00001"), LVIS_SELECTED, LVIS_SELECTED);
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    wguitest::pumpMessages();
    changed->unsubscribe(count, nullptr);
    EXPECT_EQ(raised, 1) << "the page hears of the removal";
    EXPECT_FALSE(concern->isWatched(L"X00001"));
    EXPECT_EQ(rowOf(list, L"X00001"), -1);
    EXPECT_EQ(ListView_GetItemCount(list), 1);

    // Closed by the user, the window no longer listens; shown again it is current.
    DestroyWindow(concern->window().hwnd());
    concern->addWatched(L"G00001");
    ASSERT_TRUE(concern->showWindow(nullptr));
    EXPECT_EQ(ListView_GetItemCount(concern->window().listView()), 2);
}

TEST_F(HostWindows, OpenWindowsFollowTheDataFeed) {
    XComPtr<Conf::IConfManager> store = createConfManager(nullptr, L"/Client2/UserConfig/");
    XComPtr<FundsPoolModule> pool(new FundsPoolModule(store.get()));
    pool->setDatabase(db.get());
    pool->addFund(L"G00001");
    ASSERT_TRUE(pool->showWindow(nullptr));
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->showChart(L"G00001", 0, nullptr, 0);
    ASSERT_EQ(chart->window()->view().main().data.points.size(), 9u);

    // The feed writes a new day through its own connection, then reports.
    auto exec = [](const char* sql) {
        std::wstring path = dbPath();
        std::string file(path.begin(), path.end());
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    };
    exec("insert into tb_valuelist (code, date, value, totalvalue) values ('G00001', '2026-03-09', 1.09, "
         "1.345)");
    XComPtr<IEvent> feed = createEvent("event_update_lastvalue");
    UpdateEventArg arg;
    arg.kind = 11;
    arg.state = 0; // still running: nothing to read yet
    feed->raise(&arg);
    HWND list = pool->window().listView();
    EXPECT_EQ(cell(list, 0, 3), L"2026-03-06");
    arg.state = 1;
    feed->raise(&arg);
    EXPECT_EQ(cell(list, 0, 3), L"2026-03-09");
    EXPECT_EQ(cell(list, 0, 2), L"1.0900");
    EXPECT_EQ(chart->window()->view().main().data.points.size(), 10u);
    EXPECT_EQ(chart->window()->view().main().data.points.back().date, L"2026-03-09");
    exec("delete from tb_valuelist where code = 'G00001' and date = '2026-03-09'");
}

namespace {

std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner))
        return text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    CloseClipboard();
    return text;
}

void key(HWND window, WPARAM vk, bool ctrl = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(window, WM_KEYDOWN, vk, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    UpdateWindow(window);
}

POINT middle(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

TEST_F(HostWindows, MovingThePointerRedrawsOnlyTheCrosshairOverTheKeptPicture) {
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setThemeManager(themes.get());
    chart->showChart(L"WEEK01", 0, nullptr, 0);
    HWND w = chart->lastWindow();
    const ChartWindow& c = *chart->window();
    ASSERT_GE(c.staticPaintCount(), 1);
    const int pictures = c.staticPaintCount();
    const ChartGeometry& g = c.geometry();
    const std::vector<NavPoint>& points = c.data().points;
    ASSERT_EQ(points.size(), 31u);
    const int y = (g.plot.top + g.plot.bottom) / 2;
    for (int i : {0, 7, 8, 30, 15}) {
        const int frames = c.paintCount();
        SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(g.xOf(points[i].day), y));
        EXPECT_EQ(c.hoverIndex(), i);
        UpdateWindow(w);
        EXPECT_EQ(c.paintCount(), frames + 1);
        // The crosshair's vertical line is in the shown frame, not in the kept picture.
        bool crossed = false;
        for (int dy = 0; dy < 6; ++dy)
            crossed = crossed || pixel(c.backBuffer(), g.xOf(points[i].day), g.plot.bottom - 20 - dy) ==
                                     c.colors().cross;
        EXPECT_TRUE(crossed) << i;
    }
    // Three quarters of the way to the next week is nearer to it.
    const int x = (g.xOf(points[3].day) + 3 * g.xOf(points[4].day)) / 4;
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    EXPECT_EQ(c.hoverIndex(), 4);
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(g.plot.left - 5, y));
    EXPECT_EQ(c.hoverIndex(), -1) << "outside the plot";
    EXPECT_EQ(c.staticPaintCount(), pictures) << "no move draws the chart again";
}

TEST_F(HostWindows, ChartKeysMoveTheCrosshairChooseRangesCopyAndClose) {
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setThemeManager(themes.get());
    chart->setPickedDateSource([] { return std::wstring(L"2026-03-31"); });
    chart->showChart(L"X00001", 0, nullptr, 0);
    HWND w = chart->lastWindow();
    const ChartWindow& c = *chart->window();
    const ChartProduct& p = c.view().main();
    key(w, VK_HOME);
    EXPECT_EQ(c.hoverIndex(), static_cast<int>(p.first));
    key(w, VK_RIGHT);
    EXPECT_EQ(c.hoverIndex(), static_cast<int>(p.first) + 1);
    key(w, VK_END);
    EXPECT_EQ(c.hoverIndex(), static_cast<int>(p.end) - 1);
    key(w, VK_RIGHT);
    EXPECT_EQ(c.hoverIndex(), static_cast<int>(p.end) - 1) << "the last day stays the last";
    key(w, VK_LEFT);
    EXPECT_EQ(c.hoverIndex(), static_cast<int>(p.end) - 2);

    // 1-7 choose the ranges; one month before 03-31 is 02-28, a Saturday.
    key(w, '2');
    EXPECT_EQ(c.view().range(), FigureRange::Month3);
    key(w, '1');
    EXPECT_EQ(c.view().range(), FigureRange::Month1);
    EXPECT_EQ(isoDate(c.geometry().firstDay), L"2026-02-27");
    EXPECT_EQ(isoDate(c.geometry().lastDay), L"2026-03-31");
    EXPECT_EQ(c.hoverIndex(), -1);

    // A click on a range button and on the percent button.
    POINT all = middle(c.geometry().rangeButtons[6]);
    SendMessageW(w, WM_LBUTTONDOWN, 0, MAKELPARAM(all.x, all.y));
    UpdateWindow(w);
    EXPECT_EQ(c.view().range(), FigureRange::All);
    POINT percent = middle(c.geometry().percentButton);
    SendMessageW(w, WM_LBUTTONDOWN, 0, MAKELPARAM(percent.x, percent.y));
    UpdateWindow(w);
    EXPECT_TRUE(c.view().percent());
    EXPECT_TRUE(c.geometry().percent);

    // Ctrl+C copies the shown series; C alone does not.
    OpenClipboard(w);
    EmptyClipboard();
    CloseClipboard();
    key(w, 'C');
    EXPECT_EQ(clipboardText(w), L"");
    key(w, 'C', true);
    const std::wstring copied = clipboardText(w);
    EXPECT_EQ(copied, c.view().seriesText());
    EXPECT_NE(copied.find(L"\r\n2026-03-31\t1\t1\t1.000000000\r\n"), std::wstring::npos);

    key(w, VK_ESCAPE);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(chart->lastWindow(), nullptr);
}

TEST_F(HostWindows, ProductsAddedToCompareShowInPercentAndLeaveThroughTheMenu) {
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setThemeManager(themes.get());
    // With no chart open, the first product opens one, already in percent mode.
    EXPECT_TRUE(chart->addToCompare(L"G00001"));
    HWND w = chart->lastWindow();
    ASSERT_TRUE(IsWindow(w));
    const ChartWindow& c = *chart->window();
    EXPECT_TRUE(c.view().percent());
    for (const wchar_t* code : {L"X00001", L"MON001", L"WEEK01", L"ONE001"})
        EXPECT_TRUE(chart->addToCompare(code));
    EXPECT_FALSE(chart->addToCompare(L"OLD001")) << "five at most";
    EXPECT_FALSE(chart->addToCompare(L""));
    UpdateWindow(w);
    ASSERT_EQ(c.view().products().size(), 5u);
    // Each line starts at 0 %: all five cross the axis' 0 % height at their first day.
    const ChartGeometry& g = c.geometry();
    for (const ChartLine& l : c.view().lines())
        EXPECT_EQ(g.yOf(l.runs.front().front().second), g.yOf(0.0));

    {
        ModalAnswers answers;
        answers.chooseMenuItem(L"移除对比 WEEK01");
        SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(200, 200));
        wguitest::pumpMessages(); // the menu posts its command
        EXPECT_TRUE(answers.menuItemFound);
    }
    EXPECT_EQ(c.view().products().size(), 4u);
    {
        ModalAnswers answers;
        answers.chooseMenuItem(L"清除对比");
        SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(200, 200));
        wguitest::pumpMessages(); // the menu posts its command
    }
    EXPECT_EQ(c.view().products().size(), 1u);
    {
        ModalAnswers answers;
        answers.chooseMenuItem(L"净值");
        SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(200, 200));
        wguitest::pumpMessages(); // the menu posts its command
    }
    EXPECT_FALSE(c.view().percent());
    // showChart shows one product alone.
    chart->addToCompare(L"X00001");
    chart->showChart(L"MON001", 0, nullptr, 0);
    EXPECT_EQ(c.view().products().size(), 1u);
}

TEST_F(HostWindows, TheContextMenuSavesTheChartAsPng) {
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setThemeManager(themes.get());
    chart->showChart(L"G00001", 0, nullptr, 0);
    HWND w = chart->lastWindow();
    const std::wstring path = historydb::tempPath(L"client_chart_saved.png");
    DeleteFileW(path.c_str());
    ModalAnswers answers;
    answers.chooseMenuItem(L"保存为图片(PNG)...");
    answers.answerSaveDialog(path, 1);
    SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(-1, -1));
    wguitest::pumpMessages(); // the menu posts its command, which opens the dialog
    EXPECT_TRUE(answers.menuItemFound);
    ASSERT_TRUE(answers.saveDialog.seen);
    EXPECT_EQ(answers.saveDialog.initialName, L"G00001_ALL.png");
    EXPECT_EQ(answers.otherWindows, 0) << "no complaint";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    unsigned char head[24] = {};
    DWORD read = 0;
    ReadFile(f, head, sizeof head, &read, nullptr);
    CloseHandle(f);
    DeleteFileW(path.c_str());
    ASSERT_EQ(read, sizeof head);
    EXPECT_EQ(memcmp(head, "\x89PNG\r\n\x1a\n", 8), 0);
    // The picture's size is the window's.
    RECT rc;
    GetClientRect(w, &rc);
    EXPECT_EQ((head[16] << 24) | (head[17] << 16) | (head[18] << 8) | head[19], rc.right);
    EXPECT_EQ((head[20] << 24) | (head[21] << 16) | (head[22] << 8) | head[23], rc.bottom);
}

TEST_F(HostWindows, ValuesThatAreNoNumbersOrTooCloseToTellApartStillPaintTheFiniteOnes) {
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setThemeManager(themes.get());
    chart->showChart(L"NAN001", 0, nullptr, 0);
    const ChartWindow& c = *chart->window();
    ASSERT_GE(c.paintCount(), 1) << "painting ended";
    const ChartGeometry& g = c.geometry();
    ASSERT_FALSE(g.empty);
    // The axis spans the finite values, not 0 to 1, and every finite unit value is drawn.
    EXPECT_GT(g.left.low, 0.9);
    EXPECT_LT(g.left.high, 1.1);
    for (const NavPoint& p : c.data().points) {
        if (!p.hasValue)
            continue;
        bool drawn = false;
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                drawn = drawn || distance(pixel(c.backBuffer(), g.xOf(p.day) + dx, g.yOf(p.value) + dy),
                                          c.colors().value) < 60;
        EXPECT_TRUE(drawn) << std::string(p.date.begin(), p.date.end());
    }
    EXPECT_EQ(pointLabel(c.view(), 1)[1], L"单位净值 --");

    chart->showChart(L"BIG001", 0, nullptr, 0);
    ASSERT_EQ(c.data().points.size(), 3u);
    EXPECT_NE(c.data().points[0].value, c.data().points[1].value) << "the values differ in their last bit";
    UpdateWindow(chart->lastWindow());
    EXPECT_FALSE(c.geometry().empty);
    std::vector<std::wstring> labels = axisLabels(c.geometry().left, false);
    for (size_t i = 1; i < labels.size(); ++i)
        EXPECT_NE(labels[i], labels[i - 1]);
}
