// The funds pool and watched list windows: their rows' order, what a refresh keeps, removal as
// one change, opening a product's chart, and where the client's tool windows open.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <optional>
#include "CodeListColumns.h"
#include "HostDatabase.h"
#include "HostModules.h"
#include "HostServices.h"
#include "RecordingDatabase.h"
#include "SampleFile.h"
#include "SampleGenerator.h"
#include "WindowPlace.h"
#include "tests/database/QueryPlan.h"
#include "tests/wgui/TestWindows.h"

using namespace Client;

TEST(ListColumns, NamesSortByTheirGb2312BytesAndMissingOnesLast) {
    std::vector<ProductSummary> rows(4);
    const wchar_t* names[] = {L"中信", L"", L"北方", L"安泰"}; // zhong, unknown, bei, an
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].name = names[i];
        rows[i].known = *names[i] != 0;
    }
    EXPECT_EQ(listOrder(rows, ColName, true), (std::vector<size_t>{3, 2, 0, 1}));
    EXPECT_EQ(listOrder(rows, ColName, false), (std::vector<size_t>{0, 2, 3, 1}));
}

TEST(WindowPlace, BesideTheFrameWhereThereIsRoomElseInTheCornerAwayFromThePageControls) {
    const RECT area{0, 0, 1920, 1040};
    const SIZE size{700, 400};
    RECT r = placeBeside(RECT{1000, 900, 1800, 1040}, area, size, 1);
    EXPECT_EQ(r.right, 1000) << "left of a frame at the right edge";
    EXPECT_EQ(r.bottom, 1040) << "kept inside the work area";
    // A maximised frame: the bottom right corner, clear of the page's date picker and filter bar.
    r = placeBeside(area, area, size, 0);
    EXPECT_EQ(r.right, 1920);
    EXPECT_EQ(r.bottom, 1040);
    r = placeBeside(area, RECT{0, 0, 600, 300}, size, 2);
    EXPECT_EQ(r.right - r.left, 600) << "cut to the work area";
    RECT parsed;
    for (const wchar_t* bad : {L"", L"1,2,3", L"1,2,0,5", L"1,2,3,4,5", L"1,2,3,4x"})
        EXPECT_FALSE(parsePlace(bad, parsed)) << bad;
}

namespace {

class ListWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SampleOptions options;
        options.products = 60;
        options.days = 300;
        std::string error;
        ASSERT_TRUE(writeSampleFile(path(), options, nullptr, &error)) << error;
    }
    static void TearDownTestSuite() { DeleteFileW(path().c_str()); }
    static std::wstring path() {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        return std::wstring(dir) + L"client_list_" + std::to_wstring(GetCurrentProcessId()) + L".db";
    }
    void SetUp() override {
        inner = openDatabase(path().c_str(), 1000);
        ASSERT_TRUE(inner->isOpen());
        db = recording(inner.get());
        store = createConfManager(nullptr, L"/Client2/UserConfig/");
        pool = XComPtr<FundsPoolModule>(new FundsPoolModule(store.get()));
        pool->setDatabase(db.get());
    }
    void TearDown() override { WindowPlaces::setStore(nullptr); }

    CodeListWindow& window() { return pool->window(); }
    HWND list() { return pool->window().listView(); }
    std::wstring shownCode(int position) {
        const ProductSummary* p = window().shownRow(position);
        return p ? p->code : L"";
    }
    int positionOf(const wchar_t* code) {
        for (int i = 0; i < ListView_GetItemCount(list()); ++i)
            if (shownCode(i) == code)
                return i;
        return -1;
    }
    void select(const std::vector<const wchar_t*>& codes) {
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        for (const wchar_t* c : codes)
            ListView_SetItemState(list(), positionOf(c), LVIS_SELECTED, LVIS_SELECTED);
    }

    XComPtr<IDatabase> inner;
    XComPtr<RecordingDatabase> db;
    XComPtr<Conf::IConfManager> store;
    XComPtr<FundsPoolModule> pool;
};

// The sample's i-th collective product, "200001" onwards.
std::wstring code(int i) {
    const std::string c = sampleCollectiveCode(i);
    return std::wstring(c.begin(), c.end());
}

} // namespace

TEST_F(ListWindow, RefreshKeepsTheScrollPositionAndTheSelectedProducts) {
    for (int i = 0; i < 50; ++i)
        pool->addFund(code(i).c_str());
    ASSERT_TRUE(pool->showWindow(nullptr));
    SetWindowPos(window().hwnd(), nullptr, 0, 0, 600, 240, SWP_NOZORDER | SWP_NOMOVE);
    ASSERT_EQ(ListView_GetItemCount(list()), 50);
    ListView_EnsureVisible(list(), 49, FALSE);
    ListView_EnsureVisible(list(), 30, FALSE);
    select({L"200033", L"200040"});
    ListView_SetItemState(list(), positionOf(L"200040"), LVIS_FOCUSED, LVIS_FOCUSED);
    const int top = ListView_GetTopIndex(list());
    ASSERT_GT(top, 20);
    const std::wstring topCode = shownCode(top);

    // The feed's report reads everything again; the user's view stays.
    UpdateEventArg arg;
    arg.kind = 11;
    arg.state = 1;
    createEvent("event_update_lastvalue")->raise(&arg);
    EXPECT_EQ(ListView_GetTopIndex(list()), top);
    EXPECT_EQ(window().selectedCodes(), (std::vector<std::wstring>{L"200033", L"200040"}));
    EXPECT_EQ(shownCode(ListView_GetNextItem(list(), -1, LVNI_FOCUSED)), L"200040");

    // Products removed above the first shown row: the same product stays first in view.
    pool->removeFunds({code(0), code(1), code(2)});
    EXPECT_EQ(ListView_GetItemCount(list()), 47);
    EXPECT_EQ(shownCode(ListView_GetTopIndex(list())), topCode);
    EXPECT_EQ(window().selectedCodes(), (std::vector<std::wstring>{L"200033", L"200040"}));
}

TEST_F(ListWindow, RemovingSeveralProductsIsOneChangeAndOneReload) {
    for (int i = 0; i < 8; ++i)
        pool->addFund(code(i).c_str());
    ASSERT_TRUE(pool->showWindow(nullptr));
    static int changes;
    changes = 0;
    auto count = [](void*, void*) { ++changes; };
    XComPtr<IEvent> changed = createEvent(FundsPoolModule::kChangedEvent);
    changed->subscribe(count, nullptr);
    select({L"200002", L"200004", L"200007"});
    db->statements.clear();
    SendMessageW(GetDlgItem(window().hwnd(), CodeListWindow::kRemoveId), BM_CLICK, 0, 0);
    changed->unsubscribe(count, nullptr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(db->count(L"from tb_fund where code in"), 1) << "one reload";
    EXPECT_EQ(pool->list().codes().size(), 5u);
    EXPECT_EQ(ListView_GetItemCount(list()), 5);
    EXPECT_EQ(positionOf(L"200004"), -1);
    EXPECT_TRUE(window().selectedCodes().empty());
}

TEST_F(ListWindow, CaptionClicksSortAndEnterOrDoubleClickOpensTheChart) {
    for (int i = 19; i < 30; ++i)
        pool->addFund(code(i).c_str());
    pool->addFund(L"999999"); // unknown: no value, last in both directions
    std::vector<std::wstring> opened;
    window().setChartActions([&](const std::wstring& c) { opened.push_back(c); }, nullptr);
    ASSERT_TRUE(pool->showWindow(nullptr));
    HWND header = ListView_GetHeader(list());
    auto clickCaption = [&](int column) {
        RECT rc;
        ASSERT_TRUE(Header_GetItemRect(header, column, &rc));
        const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header, WM_LBUTTONUP, 0, at);
        wguitest::pumpMessages();
    };
    auto shownValues = [&] {
        std::vector<double> values;
        for (int i = 0; i < ListView_GetItemCount(list()); ++i)
            if (window().shownRow(i)->hasValue)
                values.push_back(window().shownRow(i)->value);
        return values;
    };
    clickCaption(ColValue);
    EXPECT_EQ(window().sortColumn(), ColValue);
    std::vector<double> up = shownValues();
    ASSERT_EQ(up.size(), 11u);
    EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
    EXPECT_EQ(shownCode(11), L"999999");
    clickCaption(ColValue);
    std::vector<double> down = shownValues();
    EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
    EXPECT_EQ(shownCode(11), L"999999");
    // The text the list view draws follows the order.
    wchar_t text[32] = {};
    ListView_GetItemText(list(), 0, ColCode, text, 32);
    EXPECT_EQ(std::wstring(text), shownCode(0));

    // Enter on the focused row, and a double click on another.
    ListView_SetItemState(list(), 2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    SetFocus(list());
    SendMessageW(list(), WM_KEYDOWN, VK_RETURN, 0);
    RECT item;
    ASSERT_TRUE(ListView_GetItemRect(list(), 4, &item, LVIR_LABEL));
    const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list(), WM_LBUTTONUP, 0, at);
    SendMessageW(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list(), WM_LBUTTONUP, 0, at);
    wguitest::pumpMessages();
    EXPECT_EQ(opened, (std::vector<std::wstring>{shownCode(2), shownCode(4)}));
}

TEST_F(ListWindow, OpensBesideItsOwnerAndWhereTheUserLeftIt) {
    WindowPlaces::setStore(store.get());
    HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 700, 500,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(frame);
    pool->addFund(code(0).c_str());
    ASSERT_TRUE(pool->showWindow(frame));
    HWND w = window().hwnd();
    EXPECT_EQ(GetWindow(w, GW_OWNER), frame);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 800) << "right of the frame, not over its top left";
    // The chart opens there too, owned by the frame, and keeps its own place.
    XComPtr<ChartModule> chart(new ChartModule());
    chart->setDatabase(db.get());
    chart->setOwner(frame);
    chart->showChart(code(0).c_str(), 0, nullptr, 0);
    ASSERT_TRUE(chart->lastWindow());
    EXPECT_EQ(GetWindow(chart->lastWindow(), GW_OWNER), frame);
    RECT c;
    GetWindowRect(chart->lastWindow(), &c);
    EXPECT_EQ(c.left, 800);
    EXPECT_LT(c.top, r.top) << "windows of different kinds do not open on top of each other";
    DestroyWindow(chart->lastWindow());
    EXPECT_TRUE(store->getKey(WindowPlaces::keyPath(L"Chart").c_str()));

    // Moved and closed by the user; the next window opens there, also after a restart.
    SetWindowPos(w, nullptr, 260, 180, 520, 300, SWP_NOZORDER);
    DestroyWindow(w);
    XComPtr<Conf::IConfKey> key = store->getKey(WindowPlaces::keyPath(L"FundsPool").c_str());
    ASSERT_TRUE(key);
    EXPECT_EQ(std::wstring(key->getValue()->getString().c_str()), L"260,180,520,300");
    XComPtr<FundsPoolModule> again(new FundsPoolModule(store.get()));
    ASSERT_TRUE(again->showWindow(frame));
    GetWindowRect(again->window().hwnd(), &r);
    EXPECT_EQ(r.left, 260);
    EXPECT_EQ(r.bottom - r.top, 300);
    DestroyWindow(again->window().hwnd());

    // A place off every monitor (one since unplugged) is not used.
    XComPtr<Conf::IConfValue> offScreen = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    offScreen->setString(L"30000,30000,520,300");
    key->setValue(offScreen.get());
    ASSERT_TRUE(again->showWindow(frame));
    GetWindowRect(again->window().hwnd(), &r);
    EXPECT_EQ(r.left, 800);
    DestroyWindow(frame);
}

namespace {

// The list's returns computed apart from the client: the whole history read with SQLite, one
// loop over the steps, dividends added to the step that reaches or passes their day.
struct PlainHistory {
    std::vector<std::string> dates;
    std::vector<double> values;
    std::vector<std::pair<std::string, double>> dividends;
};

// Rows of (text, number) of a two-column statement.
std::vector<std::pair<std::string, double>> rowsOf(const std::wstring& file, const std::string& sql) {
    std::vector<std::pair<std::string, double>> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    sqlite3_open_v2(queryplan::utf8(file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                          sqlite3_column_double(s, 1));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

PlainHistory readPlain(const std::wstring& file, const std::string& code) {
    PlainHistory h;
    for (const auto& [date, value] :
         rowsOf(file, "select date, value from tb_valuelist where code = '" + code +
                          "' and not isdeleted and value > 0 order by date")) {
        h.dates.push_back(date);
        h.values.push_back(value);
    }
    h.dividends =
        rowsOf(file, "select currdate, bonus from tb_bonus where code = '" + code + "' and not isdeleted");
    return h;
}

// The same day `months` months before "YYYY-MM-DD", the month's last day where it has none.
std::string monthsBefore(const std::string& date, int months) {
    int y = std::stoi(date.substr(0, 4)), m = std::stoi(date.substr(5, 2)), d = std::stoi(date.substr(8, 2));
    int index = y * 12 + (m - 1) - months;
    y = index / 12;
    m = index % 12 + 1;
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int last = lengths[m - 1] + (m == 2 && (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 1 : 0);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, std::min(d, last));
    return text;
}

// A_end / A_start - 1 from the last date on or before `bound`; none when there is no such date.
std::optional<double> plainReturn(const PlainHistory& h, const std::string& bound) {
    int start = -1;
    for (size_t i = 0; i < h.dates.size(); ++i)
        if (h.dates[i] <= bound)
            start = static_cast<int>(i);
    if (start < 0)
        return std::nullopt;
    double growth = 1;
    for (size_t i = start + 1; i < h.dates.size(); ++i) {
        double paid = 0;
        for (const auto& [day, bonus] : h.dividends)
            if (day > h.dates[i - 1] && day <= h.dates[i])
                paid += bonus;
        growth *= (h.values[i] + paid) / h.values[i - 1];
    }
    return growth - 1;
}

void expectSame(std::optional<double> listed, std::optional<double> plain, const std::string& what) {
    ASSERT_EQ(listed.has_value(), plain.has_value()) << what;
    if (plain) {
        EXPECT_NEAR(*listed, *plain, 1e-12) << what;
    }
}

} // namespace

TEST_F(ListWindow, ReturnsAreThoseOfTheProductsWholeHistoryOnItsLatestDay) {
    std::vector<std::wstring> codes;
    for (int i = 0; i < 60; ++i)
        codes.push_back(code(i));
    std::vector<ProductSummary> rows;
    ASSERT_TRUE(describeProducts(db.get(), codes, rows));
    int withDividends = 0, withYear = 0;
    for (const ProductSummary& p : rows) {
        const std::string c(p.code.begin(), p.code.end());
        const PlainHistory h = readPlain(path(), c);
        ASSERT_EQ(p.hasValue, !h.dates.empty()) << c;
        if (h.dates.empty())
            continue;
        const std::string end = h.dates.back();
        EXPECT_EQ(std::string(p.date.begin(), p.date.end()), end);
        EXPECT_DOUBLE_EQ(p.value, h.values.back());
        withDividends += h.dividends.empty() ? 0 : 1;
        withYear += p.year1 ? 1 : 0;
        expectSame(p.dayReturn,
                   h.dates.size() < 2 ? std::nullopt : plainReturn(h, h.dates[h.dates.size() - 2]),
                   c + " day");
        expectSame(p.month1, plainReturn(h, monthsBefore(end, 1)), c + " 1M");
        expectSame(p.year1, plainReturn(h, monthsBefore(end, 12)), c + " 1Y");
        expectSame(p.yearToDate, plainReturn(h, std::to_string(std::stoi(end.substr(0, 4)) - 1) + "-12-31"),
                   c + " YTD");
    }
    EXPECT_GT(withDividends, 3);
    EXPECT_GT(withYear, 20);
    EXPECT_LT(withYear, 60) << "some products are younger than a year";
}
