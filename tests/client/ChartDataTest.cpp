// The chart's data and axis rules, and the hot-key bindings, without windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <cfloat>
#include <cmath>
#include "ChartData.h"
#include "ChartPainter.h"
#include "ChartView.h"
#include "HistoryDatabase.h"
#include "HostDatabase.h"
#include "HostModules.h"
#include "HostServices.h"
#include "HotKeyText.h"
#include "ShippedConfiguration.h"

using namespace Client;

namespace {

class HistoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(historydb::write(path())); }
    static void TearDownTestSuite() { DeleteFileW(path().c_str()); }
    static std::wstring path() { return historydb::tempPath(L"client_chart_history.db"); }
    void SetUp() override {
        db = openDatabase(path().c_str(), 1000);
        ASSERT_TRUE(db && db->isOpen());
    }
    XComPtr<IDatabase> db;
};

} // namespace

TEST_F(HistoryTest, ChartReadsTheStoredHistoryDividendsAndThePagesDates) {
    // 2026-03-07 is a Saturday: the page settles on Friday 03-06 and Thursday 03-05.
    ChartData c = loadChartData(db.get(), L"G00001", L"2026-03-07");
    EXPECT_TRUE(c.known);
    EXPECT_EQ(c.name, L"稳健停牌一号");
    ASSERT_EQ(c.points.size(), 9u) << "the deleted row is left out";
    EXPECT_EQ(c.points[0].date, L"2026-01-05");
    EXPECT_DOUBLE_EQ(c.points[0].value, 1.01);
    EXPECT_DOUBLE_EQ(c.points[0].total, 1.21);
    EXPECT_EQ(c.points[2].date, L"2026-01-07");
    EXPECT_FALSE(c.points[2].hasValue);
    EXPECT_TRUE(c.points[2].hasTotal);
    EXPECT_EQ(c.points[3].date, L"2026-01-09");
    ASSERT_EQ(c.dividends.size(), 1u);
    EXPECT_EQ(c.dividends[0].date, L"2026-03-03");
    EXPECT_DOUBLE_EQ(c.dividends[0].bonus, 0.055);
    EXPECT_EQ(c.endDate, L"2026-03-06");
    EXPECT_EQ(c.beginDate, L"2026-03-05");
    EXPECT_TRUE(c.message.empty());

    // The page's dates fall in the suspension: nothing to mark. No pick: no marks either.
    ChartData suspended = loadChartData(db.get(), L"G00001", L"2026-02-15");
    EXPECT_TRUE(suspended.endDate.empty());
    EXPECT_TRUE(suspended.beginDate.empty());
    EXPECT_TRUE(loadChartData(db.get(), L"G00001", L"").endDate.empty());
    // Only one of the two days valued: only that one is marked.
    ChartData first = loadChartData(db.get(), L"G00001", L"2026-03-02");
    EXPECT_EQ(first.endDate, L"2026-03-02");
    EXPECT_TRUE(first.beginDate.empty()) << "2026-02-27 has no value of this product";
}

TEST_F(HistoryTest, NoValuesOneValueUnknownCodesAndQuotesAreHandled) {
    ChartData none = loadChartData(db.get(), L"NONE01", L"");
    EXPECT_TRUE(none.known);
    EXPECT_TRUE(none.points.empty());
    EXPECT_FALSE(none.message.empty());
    ChartView noneView;
    noneView.setProduct(none);
    EXPECT_TRUE(layoutChart(noneView, 600, 400).empty);

    ChartData unknown = loadChartData(db.get(), L"ZZ9999", L"");
    EXPECT_FALSE(unknown.known);
    EXPECT_FALSE(unknown.message.empty());
    EXPECT_FALSE(loadChartData(nullptr, L"G00001", L"").message.empty());

    // A quote in a code stays inside the literal: no rows of other products leak in.
    ChartData injected = loadChartData(db.get(), L"x' or code <> '", L"");
    EXPECT_TRUE(injected.points.empty());
    EXPECT_FALSE(injected.known);

    // One value: a real band of days and values around it, so it stands mid-chart.
    ChartData one = loadChartData(db.get(), L"ONE001", L"");
    ASSERT_EQ(one.points.size(), 1u);
    ChartView oneView;
    oneView.setProduct(one);
    ChartGeometry g = layoutChart(oneView, 600, 400);
    EXPECT_FALSE(g.empty);
    EXPECT_LT(g.firstDay, one.points[0].day);
    EXPECT_GT(g.lastDay, one.points[0].day);
    EXPECT_LT(g.left.low, 1.0);
    EXPECT_GT(g.left.high, 1.0);
    EXPECT_EQ(g.xOf(one.points[0].day), (g.plot.left + g.plot.right) / 2);
}

TEST_F(HistoryTest, LinesBreakAtSuspensionsAndMissingValues) {
    ChartData c = loadChartData(db.get(), L"G00001", L"");
    // Unit values: 01-05..01-06, then 01-09 alone (01-07 has none), then March.
    EXPECT_EQ(lineRuns(c.points, false, c.gapDays), (Runs{{0, 1}, {3, 3}, {4, 8}}));
    EXPECT_EQ(lineRuns(c.points, true, c.gapDays), (Runs{{0, 3}, {4, 8}}));
}

TEST_F(HistoryTest, OldDaysCountAndValuesThatAreNoNumbersAreMissing) {
    ChartData old = loadChartData(db.get(), L"OLD001", L"");
    ASSERT_EQ(old.points.size(), 4u) << "days before 1970 are days like any other";
    EXPECT_EQ(old.points[0].date, L"1752-09-14");
    EXPECT_LT(old.points[0].day, old.points[2].day);
    EXPECT_LT(old.points[2].day, 0);

    ChartData bad = loadChartData(db.get(), L"NAN001", L"");
    ASSERT_EQ(bad.points.size(), 4u) << "01-07 has no number at all";
    EXPECT_FALSE(bad.points[1].hasValue) << "NaN";
    EXPECT_TRUE(bad.points[1].hasTotal);
    EXPECT_EQ(bad.points[2].date, L"2026-01-08");
    EXPECT_TRUE(bad.points[2].hasValue);
    EXPECT_FALSE(bad.points[2].hasTotal) << "a text that is no number is not 0";
    for (const NavPoint& p : bad.points) {
        EXPECT_TRUE(!p.hasValue || std::isfinite(p.value));
        EXPECT_TRUE(!p.hasTotal || std::isfinite(p.total));
    }
}

TEST_F(HistoryTest, WeeklyAndMonthlyProductsAreNotSuspendedBetweenTheirDays) {
    for (const wchar_t* code : {L"MON001", L"WEEK01"}) {
        ChartData c = loadChartData(db.get(), code, L"");
        ASSERT_GT(c.points.size(), 20u);
        EXPECT_EQ(lineRuns(c.points, false, c.gapDays), (Runs{{0, c.points.size() - 1}}))
            << std::string(code, code + 6);
    }
    // Daily products keep the fixed rule; a monthly one missing three months is suspended.
    EXPECT_EQ(loadChartData(db.get(), L"X00001", L"").gapDays, kGapDays);
    std::vector<NavPoint> monthly;
    for (int m = 0; m < 12; ++m)
        monthly.push_back(NavPoint{m < 6 ? 31 * m : 31 * (m + 4), L"", true, false, 1.0, 0});
    EXPECT_EQ(lineRuns(monthly, false, suspensionGap(monthly)), (Runs{{0, 5}, {6, 11}}));
}

TEST_F(HistoryTest, TheViewShowsTheRangeAndCountsPercentGrowthFromItsStart) {
    ChartView view;
    view.setProduct(loadChartData(db.get(), L"G00001", L"2026-03-07"));
    EXPECT_EQ(isoDate(view.firstDay()), L"2026-01-05");
    EXPECT_EQ(isoDate(view.lastDay()), L"2026-03-06");
    // One month before 03-06 falls in the suspension: the range starts on its last day before.
    view.setRange(FigureRange::Month1);
    EXPECT_EQ(isoDate(view.firstDay()), L"2026-01-09");
    EXPECT_EQ(view.main().data.points[view.main().first].date, L"2026-01-09");
    view.choosePercent(true);
    std::vector<ChartLine> lines = view.lines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].runs.size(), 2u) << "the suspension breaks the percent line too";
    EXPECT_EQ(lines[0].runs[0].front().second, 0.0);
    // The dividend of 03-03 is reinvested: 1.04 on 01-09 grows to 1.05 + 0.055 on 03-03.
    EXPECT_NEAR(view.percentOn(0, *dayNumber(L"2026-03-03")).value(), 1.105 / 1.04 - 1, 1e-12);
    EXPECT_FALSE(view.percentOn(0, *dayNumber(L"2026-01-08")));

    // The page's date limits what is shown; a product younger than its range shows from its start.
    ChartView young;
    young.setRange(FigureRange::Year1);
    young.setProduct(loadChartData(db.get(), L"X00001", L"2026-02-10"));
    EXPECT_FALSE(young.main().figures.available);
    EXPECT_EQ(isoDate(young.firstDay()), L"2026-01-01");
    EXPECT_EQ(isoDate(young.lastDay()), L"2026-02-10");

    // The copied series: a header, then day, unit, accumulated and adjusted values.
    std::wstring text = young.seriesText();
    EXPECT_EQ(text.substr(0, text.find(L"\r\n")), L"日期\t单位净值\t累计净值\t复权净值");
    EXPECT_NE(text.find(L"\r\n2026-01-01\t1\t1\t1.000000000\r\n"), std::wstring::npos);
    size_t lines2 = 0;
    for (wchar_t c : text)
        lines2 += c == L'\n';
    EXPECT_EQ(lines2, young.main().end - young.main().first + 1);
}

TEST_F(HistoryTest, AtMostFiveProductsAreComparedInPercent) {
    ChartView view;
    view.setProduct(loadChartData(db.get(), L"G00001", L""));
    EXPECT_FALSE(view.percent());
    for (const wchar_t* code : {L"X00001", L"MON001", L"WEEK01", L"ONE001"})
        EXPECT_TRUE(view.addProduct(loadChartData(db.get(), code, L"")));
    EXPECT_TRUE(view.percent()) << "net values of several products share no axis";
    EXPECT_FALSE(view.addProduct(loadChartData(db.get(), L"OLD001", L"")));
    EXPECT_TRUE(view.addProduct(loadChartData(db.get(), L"MON001", L""))) << "one already shown is renewed";
    ASSERT_EQ(view.products().size(), kMaxChartProducts);
    EXPECT_EQ(isoDate(view.firstDay()), L"2024-01-28");
    for (const ChartLine& l : view.lines()) {
        ASSERT_FALSE(l.runs.empty());
        EXPECT_EQ(l.runs.front().front().second, 0.0) << "every line starts at 0 %";
    }
    EXPECT_FALSE(view.removeProduct(L"G00001")) << "the chart's own product stays";
    EXPECT_TRUE(view.removeProduct(L"ONE001"));
    EXPECT_EQ(view.products().size(), 4u);
}

TEST(ChartAxis, ValuesTooCloseOrTooLargeGiveFewDistinctShortLabels) {
    struct Case {
        double low, high;
        bool percent;
    };
    for (const Case& c :
         {Case{1e7, std::nextafter(1e7, 2e7), false}, Case{1e7, 1e7 + 0.05, false}, Case{1e300, 1e300, false},
          Case{-DBL_MAX, DBL_MAX, false}, Case{1e-12, 3e-12, false}, Case{1.0, 1.0 + 1e-6, false},
          Case{0, 0, false}, Case{-0.05, 0.12, true}, Case{-1e-308, 1e-308, false}}) {
        ValueScale s = roundScale(c.low, c.high, 8);
        SCOPED_TRACE(testing::Message() << c.low << " .. " << c.high);
        ASSERT_GE(s.steps, 1);
        ASSERT_LE(s.steps, 8);
        EXPECT_TRUE(std::isfinite(s.low) && std::isfinite(s.high));
        EXPECT_LE(s.low, c.low + s.step * 1e-6);
        EXPECT_GE(s.high, c.high - s.step * 1e-6);
        std::vector<std::wstring> labels = axisLabels(s, c.percent);
        ASSERT_EQ(labels.size(), static_cast<size_t>(s.steps + 1));
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_LE(labels[i].size(), 16u) << std::string(labels[i].begin(), labels[i].end());
            EXPECT_EQ(labels[i].find(L"-0%"), std::wstring::npos);
            if (i > 0) {
                EXPECT_NE(labels[i], labels[i - 1]) << std::string(labels[i].begin(), labels[i].end());
            }
        }
    }
    std::vector<std::wstring> percent = axisLabels(roundScale(-0.05, 0.12, 6), true);
    EXPECT_EQ(percent.front(), L"-5%");
    EXPECT_EQ(percent[1], L"0%");
    EXPECT_EQ(axisLabels(roundScale(1.0, 1.25, 5), false)[1], L"1.05");
}

TEST(ChartAxis, RoundStepsDatesAndMonthLabels) {
    ValueScale s = roundScale(1.02, 1.87, 6);
    EXPECT_DOUBLE_EQ(s.step, 0.2);
    EXPECT_DOUBLE_EQ(s.low, 1.0);
    EXPECT_DOUBLE_EQ(s.high, 2.0);
    EXPECT_EQ(s.steps, 5);
    ValueScale fine = roundScale(1.2345, 1.2391, 5);
    EXPECT_LE(fine.low, 1.2345);
    EXPECT_GE(fine.high, 1.2391);
    EXPECT_LE(fine.steps, 5);
    ValueScale flat = roundScale(0, 0, 4);
    EXPECT_LT(flat.low, flat.high);
    ValueScale reversed = roundScale(3, 1, 4);
    EXPECT_LE(reversed.low, 1);
    EXPECT_GE(reversed.high, 3);

    const int from = *dayNumber(L"2024-01-15"), to = *dayNumber(L"2024-04-20");
    std::vector<int> wide = monthTicks(from, to, 800, 60);
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(isoDate(wide[0]), L"2024-02-01");
    EXPECT_EQ(isoDate(wide[2]), L"2024-04-01");
    // Three years in 300 pixels: yearly labels on Januaries.
    std::vector<int> narrow = monthTicks(*dayNumber(L"2023-11-20"), *dayNumber(L"2026-11-30"), 300, 60);
    ASSERT_FALSE(narrow.empty());
    for (int day : narrow)
        EXPECT_EQ(isoDate(day).substr(4), L"-01-01");
    EXPECT_TRUE(monthTicks(from, from, 800, 60).empty());
    // Centuries: labels every few decades, still at least the spacing apart.
    std::vector<int> old = monthTicks(*dayNumber(L"1752-09-14"), *dayNumber(L"2026-03-06"), 800, 64);
    ASSERT_GE(old.size(), 2u);
    EXPECT_LE(old.size(), 800u / 64 + 1);
    EXPECT_EQ(isoDate(old[0]).substr(4), L"-01-01");
}

TEST(ChartModule, TheRiskFreeRateComesFromTheSystemStoreAndAGarbledOneKeepsTheDefault) {
    std::wstring file = historydb::tempPath(L"client_riskfree_system.conf");
    DeleteFileW(file.c_str());
    XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), L"Client2/System/");
    auto put = [&](const wchar_t* text) {
        XComPtr<Conf::IConfValue> v = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
        v->setString(text);
        ASSERT_TRUE(store->openKey(ChartModule::kRiskFreeRateKey)->setValue(v.get()));
    };
    XComPtr<ChartModule> chart(new ChartModule());
    EXPECT_TRUE(chart->loadRiskFreeRate(store.get()).empty()) << "a missing key is no error";
    EXPECT_DOUBLE_EQ(chart->riskFreeRate(), kDefaultRiskFreeRate);
    put(L"0.025");
    EXPECT_TRUE(chart->loadRiskFreeRate(store.get()).empty());
    EXPECT_DOUBLE_EQ(chart->riskFreeRate(), 0.025);
    for (const wchar_t* bad : {L"1.5%", L"abc", L"", L"nan", L"2"}) {
        XComPtr<ChartModule> fresh(new ChartModule());
        put(bad);
        std::vector<std::wstring> notes = fresh->loadRiskFreeRate(store.get());
        ASSERT_EQ(notes.size(), 1u) << std::string(bad, bad + wcslen(bad));
        EXPECT_NE(notes[0].find(L"0.015 in use"), std::wstring::npos);
        EXPECT_DOUBLE_EQ(fresh->riskFreeRate(), kDefaultRiskFreeRate);
    }
    store = nullptr;
    DeleteFileW(file.c_str());

    // The client ships the key with 0.015.
    wchar_t exe[MAX_PATH];
    std::wstring dir(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    XComPtr<Conf::IConfManager> shipped = createConfManager(
        (dir.substr(0, dir.find_last_of(L"\\/")) + L"\\system.conf").c_str(), L"Client2/System/");
    XComPtr<Conf::IConfKey> key = shipped->getKey(ChartModule::kRiskFreeRateKey);
    ASSERT_TRUE(key && key->getValue());
    EXPECT_EQ(std::wstring(key->getValue()->getString().c_str()), L"0.015");
}

TEST(HotKeyText, ReadsBindingsAsPeopleWriteThem) {
    struct Case {
        const wchar_t* text;
        int ctrl, shift, alt, key;
    };
    for (const Case& c : {Case{L"Ctrl+Shift+K", 1, 1, 0, 'K'}, Case{L"F10", 0, 0, 0, VK_F10},
                          Case{L"Alt+Delete", 0, 0, 1, VK_DELETE}, Case{L" shift + ctrl + 7 ", 1, 1, 0, '7'},
                          Case{L"control+pageup", 1, 0, 0, VK_PRIOR}, Case{L"F24", 0, 0, 0, VK_F24}}) {
        HotKey k;
        ASSERT_TRUE(parseHotKey(c.text, k)) << std::string(c.text, c.text + wcslen(c.text));
        EXPECT_EQ(k.ctrl, c.ctrl);
        EXPECT_EQ(k.shift, c.shift);
        EXPECT_EQ(k.alt, c.alt);
        EXPECT_EQ(k.key, c.key);
        HotKey again;
        ASSERT_TRUE(parseHotKey(hotKeyText(k), again)) << "the menu's text reads back";
        EXPECT_EQ(memcmp(&k, &again, sizeof k), 0);
    }
    EXPECT_EQ(hotKeyText(MenuToolModule::defaultKey(MenuToolModule::AddWatch)), L"Insert");

    HotKey kept;
    kept.key = VK_F5;
    for (const wchar_t* bad : {L"", L"Ctrl+", L"+K", L"Ctrl+Ctrl+K", L"Hyper+K", L"K+Ctrl", L"F0", L"F25",
                               L"F01", L"KK", L"Ctrl+Shift", L"中", L"Ctrl++"}) {
        EXPECT_FALSE(parseHotKey(bad, kept)) << std::string(bad, bad + wcslen(bad));
        EXPECT_EQ(kept.key, VK_F5);
        EXPECT_EQ(kept.ctrl, 0);
    }
}

TEST(MenuTool, BindingsComeFromTheSystemStoreAndUnreadableOnesKeepTheirDefault) {
    std::wstring file = historydb::tempPath(L"client_hotkeys_system.conf");
    DeleteFileW(file.c_str());
    XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), L"Client2/System/");
    auto put = [&](MenuToolModule::Which which, const wchar_t* text) {
        XComPtr<Conf::IConfValue> v = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
        v->setString(text);
        ASSERT_TRUE(store->openKey(MenuToolModule::bindingPath(which))->setValue(v.get()));
    };
    put(MenuToolModule::Archive, L"Ctrl+Shift+K");
    put(MenuToolModule::AddWatch, L"Alt+Delete");
    put(MenuToolModule::RemoveWatch, L"Ctrl+Banana");

    XComPtr<MenuToolModule> tool(new MenuToolModule());
    std::vector<std::wstring> notes = tool->loadBindings(store.get());
    XComPtr<IMenuToolModule> contract(tool.get());
    HotKey k;
    contract->getArchiveHotKey(k);
    EXPECT_TRUE(k.ctrl && k.shift && !k.alt && k.key == 'K');
    contract->getAddWatchHotKey(k);
    EXPECT_TRUE(!k.ctrl && !k.shift && k.alt && k.key == VK_DELETE);
    contract->getRemoveWatchHotKey(k);
    EXPECT_TRUE(!k.ctrl && !k.alt && k.key == VK_DELETE) << "the garbage binding falls back to Delete";
    contract->getRefreshHotKey(k);
    EXPECT_EQ(k.key, VK_F5) << "a missing binding keeps its default silently";
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find(L"RemoveWatch"), std::wstring::npos);
    EXPECT_NE(notes[0].find(L"Ctrl+Banana"), std::wstring::npos);
    EXPECT_NE(notes[0].find(L"Delete in use"), std::wstring::npos);

    // setHotKey still overrides a binding read from the store.
    HotKey f2;
    f2.key = VK_F2;
    tool->setHotKey(MenuToolModule::Refresh, f2);
    contract->getRefreshHotKey(k);
    EXPECT_EQ(k.key, VK_F2);
    store = nullptr;
    DeleteFileW(file.c_str());
}

TEST(MenuTool, TheShippedConfigurationHoldsTheDefaultsAndSeedsOnlyNewProfiles) {
    wchar_t exe[MAX_PATH];
    std::wstring dir(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    std::wstring profile = historydb::tempPath(L"client_shipped_profile");
    CreateDirectoryW(profile.c_str(), nullptr);
    std::wstring target = profile + L"\\system.conf";
    DeleteFileW(target.c_str());

    std::wstring note;
    installShippedConfiguration(profile, dir, note);
    EXPECT_FALSE(note.empty());
    {
        XComPtr<Conf::IConfManager> store = createConfManager(target.c_str(), L"Client2/System/");
        EXPECT_TRUE(confStoreMovedAside(store.get()).isEmpty()) << "the shipped file is a readable store";
        XComPtr<MenuToolModule> tool(new MenuToolModule());
        EXPECT_TRUE(tool->loadBindings(store.get()).empty());
        for (int i = 0; i < MenuToolModule::kBindingCount; ++i) {
            auto which = static_cast<MenuToolModule::Which>(i);
            ASSERT_TRUE(store->getKey(MenuToolModule::bindingPath(which))) << i;
            HotKey want = MenuToolModule::defaultKey(which);
            EXPECT_EQ(memcmp(&tool->hotKey(which), &want, sizeof want), 0) << i;
        }
        // The user's own change survives the next start.
        XComPtr<Conf::IConfValue> v = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
        v->setString(L"F9");
        store->openKey(MenuToolModule::bindingPath(MenuToolModule::Archive))->setValue(v.get());
    }
    installShippedConfiguration(profile, dir, note);
    EXPECT_TRUE(note.empty());
    XComPtr<Conf::IConfManager> again = createConfManager(target.c_str(), L"Client2/System/");
    XComPtr<MenuToolModule> tool(new MenuToolModule());
    tool->loadBindings(again.get());
    EXPECT_EQ(tool->hotKey(MenuToolModule::Archive).key, VK_F9);
    again = nullptr;
    DeleteFileW(target.c_str());
    RemoveDirectoryW(profile.c_str());
}
