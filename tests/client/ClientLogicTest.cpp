// The client's logic without windows: command line, pre-message order, the watched list store.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include <sqlite3.h>
#include "ClientApp.h"
#include "ClientDatabase.h"
#include "DatabaseMessage.h"
#include "ClientOptions.h"
#include "ClientServices.h"
#include "GridExportDriver.h"
#include "HostServices.h"
#include "HostModules.h"
#include "FakeTable.h"
#include "Kernel.h"
#include "ProductTableDump.h"
#include "SampleFile.h"

using namespace Client;

TEST(ClientOptions, ReadsEveryOptionAndRejectsWhatItCannotUse) {
    ClientOptions o =
        ClientOptions::parse({L"--database", L"a.db", L"--profile", L"p", L"--end-date", L"2024-02-29",
                              L"--screenshot", L"s.png", L"--dump", L"t.tsv", L"--exit-after", L"2.5"});
    ASSERT_TRUE(o.ok) << std::string(o.error.begin(), o.error.end());
    EXPECT_EQ(o.databasePath, L"a.db");
    EXPECT_EQ(o.profileDir, L"p");
    EXPECT_EQ(o.endDate, L"2024-02-29");
    EXPECT_EQ(o.screenshotPath, L"s.png");
    EXPECT_EQ(o.dumpPath, L"t.tsv");
    EXPECT_DOUBLE_EQ(o.exitAfterSeconds, 2.5);
    ClientOptions c =
        ClientOptions::parse({L"--chart", L"200010", L"--chart-range", L"YTD", L"--chart-stats", L"f.tsv"});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.chartCode, L"200010");
    EXPECT_EQ(c.chartRange, L"YTD");
    EXPECT_EQ(c.chartStatsPath, L"f.tsv");

    // Filter steps keep their order; a value may itself hold "=".
    ClientOptions f =
        ClientOptions::parse({L"--filter", L"基金公司=甲", L"--keyword", L"a b", L"--filter", L"名称=x=y"});
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.filterSteps.size(), 3u);
    EXPECT_FALSE(f.filterSteps[0].keyword);
    EXPECT_EQ(f.filterSteps[0].column, L"基金公司");
    EXPECT_EQ(f.filterSteps[0].text, L"甲");
    EXPECT_TRUE(f.filterSteps[1].keyword);
    EXPECT_EQ(f.filterSteps[1].text, L"a b");
    EXPECT_EQ(f.filterSteps[2].text, L"x=y");

    for (std::vector<std::wstring> bad :
         std::vector<std::vector<std::wstring>>{{L"--database"},                // value missing
                                                {L"--bogus", L"x"},             // unknown option
                                                {L"--exit-after", L"soon"},     // not a number
                                                {L"--exit-after", L"-1"},       // not positive
                                                {L"--exit-after", L"3s"},       // trailing text
                                                {L"--end-date", L"2023-02-29"}, // no such day
                                                {L"--end-date", L"2024-2-3"},   // wrong form
                                                {L"--end-date", L"2024-13-01"},
                                                {L"--filter", L"company"},  // no value
                                                {L"--filter", L"=x"},       // no column
                                                {L"--filter", L"company="}, // empty value
                                                {L"--keyword"},
                                                {L"--chart-range", L"1Y"},    // no --chart
                                                {L"--chart-stats", L"s.tsv"}, // no --chart
                                                {L"--chart", L"X", L"--chart-range", L"2W"}}) {
        ClientOptions b = ClientOptions::parse(bad);
        EXPECT_FALSE(b.ok) << std::string(bad[0].begin(), bad[0].end());
        EXPECT_FALSE(b.error.empty());
    }
}

TEST(ClientOptions, ExportTakesAFileAndOptionallyItsFilter) {
    ClientOptions o = ClientOptions::parse({L"--export", L"out.csv"});
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.exportPath, L"out.csv");
    EXPECT_EQ(o.exportFilter, 0);
    o = ClientOptions::parse({L"--export-filter", L"2", L"--export", L"out.xls"});
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.exportFilter, 2);
    for (std::vector<std::wstring> bad :
         std::vector<std::vector<std::wstring>>{{L"--export"},
                                                {L"--export", L"a.csv", L"--export-filter", L"4"},
                                                {L"--export", L"a.csv", L"--export-filter", L"01"},
                                                {L"--export-filter", L"1"}}) {
        ClientOptions b = ClientOptions::parse(bad);
        EXPECT_FALSE(b.ok) << b.error.size();
    }
    // Without a filter the name decides, in any letter case.
    EXPECT_EQ(defaultExportFilter(L"a.csv"), 1);
    EXPECT_EQ(defaultExportFilter(L"a"), 1);
    EXPECT_EQ(defaultExportFilter(L"a.xlsx"), 1);
    EXPECT_EQ(defaultExportFilter(L"a.xls"), 3);
    EXPECT_EQ(defaultExportFilter(L"C:\\b\\A.XlS"), 3);
}

TEST(ClientOptions, IsoDatesFollowTheCalendar) {
    int y = 0, m = 0, d = 0;
    EXPECT_TRUE(parseIsoDate(L"2000-02-29", y, m, d));
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
    EXPECT_FALSE(parseIsoDate(L"1900-02-29", y, m, d));
    EXPECT_FALSE(parseIsoDate(L"2024-04-31", y, m, d));
    EXPECT_FALSE(parseIsoDate(L"2024-04-0x", y, m, d));
    EXPECT_FALSE(parseIsoDate(L"2024-04-011", y, m, d));
    // Digits of other scripts are refused, not thrown on: full-width, Arabic-Indic, Devanagari.
    EXPECT_FALSE(parseIsoDate(L"\xFF12\xFF10\xFF12\xFF14-03-15", y, m, d));
    EXPECT_FALSE(parseIsoDate(L"2024-\x0660\x0663-15", y, m, d));
    EXPECT_FALSE(parseIsoDate(L"2024-03-\x0967\x096B", y, m, d));
    EXPECT_FALSE(ClientOptions::parse({L"--end-date", L"2024-03-\xFF11\xFF15"}).ok);
}

namespace {

struct Recorder final : public IPreMessageHandler {
    Recorder(std::vector<int>& log, int id, bool consume, bool fail = false)
        : log(log), id(id), consume(consume), fail(fail) {}
    int addRef() override { return ++refs; }
    int release() override { return --refs; }
    bool preTranslateMessage(const MSG&) override {
        log.push_back(id);
        if (fail)
            throw std::runtime_error("handler failed");
        return consume;
    }
    std::vector<int>& log;
    int id;
    bool consume;
    bool fail;
    int refs = 0;
};

MSG key(UINT message, WPARAM vk) {
    MSG m{};
    m.message = message;
    m.wParam = vk;
    return m;
}

} // namespace

TEST(ClientApp, OffersKeysByPriorityUntilOneConsumes) {
    std::vector<int> log;
    Recorder low(log, 1, false), highA(log, 2, false), highB(log, 3, true), mid(log, 4, false),
        failing(log, 5, false, true);
    {
        XComPtr<ClientApp> app(new ClientApp());
        EXPECT_TRUE(app->addPreMessageHandler(10, &low));
        EXPECT_TRUE(app->addPreMessageHandler(200, &highA));
        EXPECT_TRUE(app->addPreMessageHandler(200, &highB));
        EXPECT_TRUE(app->addPreMessageHandler(300, &failing));
        EXPECT_TRUE(app->addPreMessageHandler(50, &mid));
        EXPECT_FALSE(app->addPreMessageHandler(999, &low)) << "one registration per handler";
        EXPECT_FALSE(app->addPreMessageHandler(1, nullptr));

        // A failing handler does not hide the key from the others; equal priorities keep their order.
        EXPECT_TRUE(app->preTranslate(key(WM_KEYDOWN, VK_F5)));
        EXPECT_EQ(log, (std::vector<int>{5, 2, 3}));

        log.clear();
        highB.consume = false;
        EXPECT_FALSE(app->preTranslate(key(WM_SYSKEYDOWN, VK_F10)));
        EXPECT_EQ(log, (std::vector<int>{5, 2, 3, 4, 1}));

        log.clear();
        for (UINT other : {WM_KEYUP, WM_CHAR, WM_MOUSEMOVE, WM_PAINT})
            EXPECT_FALSE(app->preTranslate(key(other, VK_F5)));
        EXPECT_TRUE(log.empty()) << "only key-downs are offered";
        app->clear();
    }
    EXPECT_EQ(low.refs, 0);
    EXPECT_EQ(highB.refs, 0);
}

TEST(ClientApp, FindsModulesByName) {
    XComPtr<ClientApp> app(new ClientApp());
    XComPtr<IModule> menu(new MenuToolModule());
    XComPtr<IModule> chart(new ChartModule());
    app->addModule("mod_MenuTool", menu);
    app->addModule("mod_Chart", chart);
    EXPECT_EQ(app->getModule("mod_MenuTool").get(), menu.get());
    EXPECT_EQ(app->getModule("mod_Chart").get(), chart.get());
    EXPECT_EQ(app->getModule("mod_Database").get(), nullptr);
    EXPECT_EQ(app->getModule(nullptr).get(), nullptr);
    // The interface the page asks for is reachable by the run-time cast the modules use.
    XComPtr<IMenuToolModule> tool(app->getModule("mod_MenuTool"));
    ASSERT_TRUE(tool);
    HotKey k;
    tool->getArchiveHotKey(k);
    EXPECT_EQ(k.key, VK_F10);
    EXPECT_FALSE(XComPtr<IChartModule>(app->getModule("mod_MenuTool")));
    app->removeModule("mod_Chart");
    EXPECT_FALSE(app->getModule("mod_Chart"));
}

namespace {

std::wstring tempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + name;
    DeleteFileW(path.c_str());
    return path;
}

int g_concernRaised = 0;
void countConcern(void*, void*) {
    ++g_concernRaised;
}

} // namespace

TEST(HostModules, WatchedListAndFundsPoolSurviveARestart) {
    std::wstring file = tempFile(L"client_test_user.conf");
    createEvent("event_ConcernChanged")->subscribe(&countConcern, nullptr);
    g_concernRaised = 0;
    {
        XComPtr<Conf::IConfManager> store = createConfManager(file.c_str(), L"/Client2/UserConfig/");
        XComPtr<ConcernFundModule> concern(new ConcernFundModule(store));
        XComPtr<FundsPoolModule> pool(new FundsPoolModule(store));
        concern->addWatched(L"A00001");
        concern->addWatched(L"B00002");
        concern->addWatched(L"A00001"); // already there: no change, no event
        concern->removeWatched(L"Z99999");
        concern->addWatched(L"C\n00003"); // would split into two codes on reload
        concern->removeWatched(L"B00002");
        EXPECT_EQ(g_concernRaised, 3);
        pool->addFund(L"P00001");
        pool->addFund(L"P00001");
    }
    XComPtr<Conf::IConfManager> reopened = createConfManager(file.c_str(), L"/Client2/UserConfig/");
    XComPtr<ConcernFundModule> concern(new ConcernFundModule(reopened));
    XComPtr<FundsPoolModule> pool(new FundsPoolModule(reopened));
    EXPECT_TRUE(concern->isWatched(L"A00001"));
    EXPECT_FALSE(concern->isWatched(L"B00002"));
    EXPECT_EQ(concern->list().codes().size(), 1u);
    EXPECT_EQ(pool->list().codes(), (std::vector<std::wstring>{L"P00001"}));
    createEvent("event_ConcernChanged")->unsubscribe(&countConcern, nullptr);
    DeleteFileW(file.c_str());
}

TEST(ProductTableDump, OneLinePerRowInUtf8EvenWithTabsAndLineBreaksInValues) {
    FakeTable table({L"code", L"name"},
                    {{L"A00001", L"稳健\t一号"}, {L"B00002", L"进取\r\n二号"}, {L"", L"--"}});
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"client_dump_test.tsv";
    int rows = -1;
    std::wstring error;
    ASSERT_TRUE(writeTableTsv(&table, path, rows, error));
    EXPECT_EQ(rows, 3);
    FILE* f = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(f, nullptr);
    char buf[512];
    size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    DeleteFileW(path.c_str());
    EXPECT_EQ(std::string(buf, n), "code\tname\n"
                                   "A00001\t\xE7\xA8\xB3\xE5\x81\xA5 \xE4\xB8\x80\xE5\x8F\xB7\n"
                                   "B00002\t\xE8\xBF\x9B\xE5\x8F\x96  \xE4\xBA\x8C\xE5\x8F\xB7\n"
                                   "\t--\n");

    EXPECT_FALSE(writeTableTsv(nullptr, path, rows, error));
    EXPECT_FALSE(writeTableTsv(&table, L"Q:\\no\\such\\dir\\x.tsv", rows, error));
    EXPECT_FALSE(error.empty());
}

TEST(HostModules, ChartWithoutADatabaseSaysSoInItsOneWindow) {
    FakeTable table({L"code", L"name"}, {{L"A00001", L"稳健一号"}, {L"B00002", L"进取二号"}});
    XComPtr<ChartModule> chart(new ChartModule());
    EXPECT_FALSE(chart->showArchive(L"B00002")) << "archives are the module's to open";
    chart->showChart(L"B00002", 0, &table, 0);
    HWND first = chart->lastWindow();
    ASSERT_TRUE(IsWindow(first));
    wchar_t title[64];
    GetWindowTextW(first, title, 64);
    EXPECT_NE(std::wstring(title).find(L"B00002"), std::wstring::npos);
    EXPECT_FALSE(chart->window()->data().message.empty());
    chart->showChart(L"A00001", 0, nullptr, 0);
    EXPECT_EQ(chart->lastWindow(), first) << "one chart window, reused";
    chart->showChart(nullptr, 0, nullptr, 0);
    EXPECT_EQ(chart->window()->data().code, L"A00001") << "no code, no change";
}

namespace {

// One value of the database as text, or "" when the statement gives no row.
std::string scalar(const std::wstring& path, const char* sql) {
    sqlite3* db = nullptr;
    std::string out;
    int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string file(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &file[0], n, nullptr, nullptr);
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
            sqlite3_column_text(st, 0))
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

} // namespace

TEST(ValuationFeed, AddsTheNextWeekdayForEveryProductValuedOnTheLastDate) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"client_feed_test.db";
    SampleOptions options;
    options.products = 20;
    options.days = 5;
    options.endDate = "2026-11-27"; // a Friday: the next valuation day is Monday
    std::string error;
    ASSERT_TRUE(writeSampleFile(path, options, nullptr, &error)) << error;
    std::string last = scalar(path, "select max(date) from tb_valuelist where not isdeleted");
    ASSERT_EQ(last, "2026-11-27");
    std::string carried =
        scalar(path, "select count(*) from tb_valuelist where date = '2026-11-27' and not isdeleted "
                     "and value is not null");

    std::wstring day, message;
    ASSERT_TRUE(appendValuationDay(path, day, message)) << std::string(message.begin(), message.end());
    EXPECT_EQ(day, L"2026-11-30");
    EXPECT_EQ(scalar(path, "select count(*) from tb_valuelist where date = '2026-11-30'"), carried);
    // Each value moves by under one percent, and the accumulated value by the same amount.
    EXPECT_EQ(scalar(path, "select count(*) from tb_valuelist a join tb_valuelist b on a.code = b.code "
                           "where a.date = '2026-11-27' and b.date = '2026-11-30' and not a.isdeleted "
                           "and (abs(b.value / a.value - 1) >= 0.01 "
                           "or abs((b.totalvalue - a.totalvalue) - (b.value - a.value)) > 0.0002)"),
              "0");

    ASSERT_TRUE(appendValuationDay(path, day, message));
    EXPECT_EQ(day, L"2026-12-01");
    DeleteFileW(path.c_str());

    // The feed writes into an existing database only.
    EXPECT_FALSE(appendValuationDay(path, day, message));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

namespace {

bool anyLineHas(const std::vector<std::wstring>& lines, const std::wstring& text) {
    for (const std::wstring& line : lines)
        if (line.find(text) != std::wstring::npos)
            return true;
    return false;
}

} // namespace

TEST(ClientStart, SaysWhenTheDatabaseHoldsNoProductTables) {
    std::wstring empty = tempFile(L"client_empty.db"), partial = tempFile(L"client_partial.db");
    HANDLE h = CreateFileW(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(databaseMessage(empty),
              L"database: " + empty + L" holds no product tables (the page shows no rows)");

    sqlite3* db = nullptr;
    std::string file(partial.begin(), partial.end());
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "create table tb_fund (code text); create table tb_bonus (code text)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    EXPECT_EQ(databaseMessage(partial), L"database: " + partial +
                                            L" lacks the product tables tb_valuelist, tb_investadvisor, "
                                            L"tb_buyredeemstate (the page shows no rows)");

    SampleOptions options;
    options.products = 5;
    options.days = 3;
    std::string error;
    ASSERT_TRUE(writeSampleFile(partial, options, nullptr, &error)) << error;
    EXPECT_EQ(databaseMessage(partial), L"database: " + partial);
    DeleteFileW(empty.c_str());
    DeleteFileW(partial.c_str());
}

TEST(ClientStart, SaysWhenSettingsWillNotBeKeptAndWhenTheBuiltInThemeStandsIn) {
    std::wstring folder = tempFile(L"client_locked_profile");
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring user = folder + L"\\user.conf";
    {
        XComPtr<Conf::IConfManager> store = createConfManager(user.c_str(), L"/Client2/UserConfig/");
        ASSERT_TRUE(store->openKey(L"/Client2/UserConfig/FontSize"));
    }
    SetFileAttributesW(user.c_str(), FILE_ATTRIBUTE_READONLY);
    // A program folder without themes: the profile folder has none.
    HostServices services = createHostServices(folder, folder);
    const std::wstring line =
        L"settings cannot be saved to " + user + L": the saved settings are in use, changes will not be kept";
    EXPECT_TRUE(anyLineHas(services.notes, line));
    EXPECT_EQ(services.warning, line) << "the system store saves";
    EXPECT_TRUE(
        anyLineHas(services.notes, L"themes: 1, current dark (built in: no theme file could be read in " +
                                       folder + L"\\themes)"));
    ASSERT_TRUE(services.themeMgr->getCurrentTheme());

    services = HostServices();
    SetFileAttributesW(user.c_str(), FILE_ATTRIBUTE_NORMAL);
    services = createHostServices(folder, folder);
    EXPECT_TRUE(services.warning.empty());
    EXPECT_FALSE(anyLineHas(services.notes, L"will not be kept"));
    services = HostServices();
    DeleteFileW(user.c_str());
    DeleteFileW((folder + L"\\system.conf").c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(ClientStart, FindsItsFolderBeyondMaxPath) {
    std::wstring root = tempFile(L"client_deep");
    CreateDirectoryW(root.c_str(), nullptr);
    std::vector<std::wstring> folders{root};
    while (folders.back().size() <= MAX_PATH + 40) {
        folders.push_back(folders.back() + L"\\" + std::wstring(60, L'd'));
        ASSERT_TRUE(CreateDirectoryW(folders.back().c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const std::wstring& deep = folders.back();
    std::wstring dll = deep + L"\\client_deep_probe.dll";
    ASSERT_TRUE(CopyFileW((programDirectory() + L"\\TestModule.dll").c_str(), dll.c_str(), FALSE));
    HMODULE module = LoadLibraryW(dll.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(moduleDirectory(module), deep);
    FreeLibrary(module);
    DeleteFileW(dll.c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        RemoveDirectoryW(it->c_str());
}

TEST(ClientServices, ShippedDefaultsFillOnlyWhatTheProfileLacks) {
    std::wstring shipped = tempFile(L"client_test_shipped.conf");
    std::wstring profile = tempFile(L"client_test_system.conf");
    DeleteFileW(profile.c_str());
    {
        XComPtr<Conf::IConfManager> defaults = createConfManager(shipped.c_str(), L"Client2/System/");
        XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
        value->setString(L"https://archive.example.com");
        defaults->openKey(L"Client2/System/ArchiveSite")->setValue(value.get());
        value->setString(L"a=b\\c\nd");
        defaults->openKey(L"Client2/System/Odd=Key")->setValue(value.get());
    }
    XComPtr<Conf::IConfManager> system = createConfManager(profile.c_str(), L"Client2/System/");
    XComPtr<Conf::IConfValue> own = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    own->setString(L"http://mine.example");
    system->openKey(L"Client2/System/ArchiveSite")->setValue(own.get());
    EXPECT_EQ(applyShippedDefaults(system.get(), shipped), 1);
    EXPECT_EQ(system->getKey(L"Client2/System/ArchiveSite")
                  ->getValue()
                  ->getString()
                  .compare(L"http://mine.example"),
              0);
    EXPECT_EQ(system->getKey(L"Client2/System/Odd=Key")->getValue()->getString().compare(L"a=b\\c\nd"), 0);
    EXPECT_EQ(applyShippedDefaults(system.get(), shipped), 0);
    EXPECT_EQ(applyShippedDefaults(system.get(), tempFile(L"no_such_file.conf")), 0);
    DeleteFileW(shipped.c_str());
    DeleteFileW(profile.c_str());
}
