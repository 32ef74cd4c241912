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
    const ChartData& d = w.data();
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
        EXPECT_NEAR(g.valueAt(y), p.value, (g.scale.high - g.scale.low) / (g.plot.bottom - g.plot.top));
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
    EXPECT_EQ(pointLabel(d, 5)[0], L"2026-03-03");
    EXPECT_EQ(pointLabel(d, 5).back(), L"分红 0.0550");

    // Resizing repaints at the new size, also when the window shrinks and nothing new shows.
    int paints = w.paintCount();
    SetWindowPos(first, nullptr, 0, 0, 600, 380, SWP_NOZORDER | SWP_NOMOVE);
    UpdateWindow(first);
    RECT rc;
    GetClientRect(first, &rc);
    EXPECT_GT(w.paintCount(), paints);
    EXPECT_EQ(w.geometry().plot.right, rc.right - 20);
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
    EXPECT_TRUE(w.data().points.empty());
    EXPECT_FALSE(w.data().message.empty());
    EXPECT_TRUE(w.geometry().empty);
    SendMessageW(first, WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(w.hoverIndex(), -1);

    // Closed by the user, the next chart opens a new window.
    DestroyWindow(first);
    EXPECT_EQ(chart->lastWindow(), nullptr);
    contract->showChart(L"ONE001", 0, nullptr, 0);
    EXPECT_TRUE(IsWindow(chart->lastWindow()));
    EXPECT_EQ(chart->window()->data().points.size(), 1u);
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
    ASSERT_EQ(chart->window()->data().points.size(), 9u);

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
    EXPECT_EQ(chart->window()->data().points.size(), 10u);
    EXPECT_EQ(chart->window()->data().points.back().date, L"2026-03-09");
    exec("delete from tb_valuelist where code = 'G00001' and date = '2026-03-09'");
}
