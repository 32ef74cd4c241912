// The client with real windows, driving a module DLL loaded the way the real module is.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include "ClientSession.h"
#include "DatePickerDriver.h"
#include "HistoryDatabase.h"
#include "Kernel.h"
#include "ModalAnswers.h"
#include "ModuleLoader.h"
#include "SampleFile.h"
#include "Screenshot.h"
#include "TestModuleState.h"
#include "tests/wgui/TestWindows.h"

using namespace Client;

namespace {

std::wstring tempDir(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

TestModuleState* moduleState() {
    HMODULE lib = LoadLibraryW(L"TestModule.dll");
    auto fn = reinterpret_cast<TestModuleStateFn>(
        reinterpret_cast<void*>(GetProcAddress(lib, "GetTestModuleState")));
    return fn ? fn() : nullptr;
}

int width(const RECT& r) {
    return r.right - r.left;
}

class ClientWithModule : public ::testing::Test {
protected:
    // One small database for the suite; a test that adds days to it keeps the others valid.
    static void SetUpTestSuite() {
        databasePath() = tempDir(L"client_test_profile") + L"\\feed.db";
        SampleOptions options;
        options.products = 20;
        options.days = 5;
        std::string error;
        ASSERT_TRUE(writeSampleFile(databasePath(), options, nullptr, &error)) << error;
    }
    static void TearDownTestSuite() { DeleteFileW(databasePath().c_str()); }
    static std::wstring& databasePath() {
        static std::wstring path;
        return path;
    }

    void SetUp() override {
        state = moduleState();
        ASSERT_NE(state, nullptr) << "TestModule.dll must sit beside the tests";
        *state = TestModuleState{};
        ClientOptions o;
        o.modulePath = L"TestModule.dll";
        o.profileDir = tempDir(L"client_test_profile");
        o.databasePath = databasePath();
        o.dataFeedDelayMs = 300; // the feed's own report, without waiting seconds for it
        session = std::make_unique<ClientSession>(o);
        ASSERT_TRUE(session->start());
        ASSERT_TRUE(session->module().ok())
            << std::string(session->module().message.begin(), session->module().message.end());
        tab = session->frame()->tabControl();
        ASSERT_NE(tab, nullptr);
    }
    void TearDown() override { session.reset(); }

    bool visible(int page) { return IsWindowVisible(state->pages[page]) != FALSE; }

    TestModuleState* state = nullptr;
    std::unique_ptr<ClientSession> session;
    TabControl* tab = nullptr;
};

} // namespace

TEST(ModuleLoader, ReportsWhatWentWrongInsteadOfFailing) {
    XComPtr<ClientApp> app(new ClientApp());
    LoadedModule missing = loadModule(L"no_such_module.dll", app);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.module, nullptr);
    EXPECT_NE(missing.message.find(L"no_such_module.dll"), std::wstring::npos);

    LoadedModule noExport = loadModule(L"Kernel.dll", app);
    EXPECT_FALSE(noExport.ok());
    EXPECT_NE(noExport.message.find(L"ModuleInstance"), std::wstring::npos);

    // A host without a main frame: the module refuses, and says so through its result.
    TestModuleState* state = moduleState();
    ASSERT_NE(state, nullptr);
    LoadedModule refused = loadModule(L"TestModule.dll", app);
    ASSERT_NE(refused.module, nullptr);
    EXPECT_EQ(refused.name, "mod_TestModule");
    EXPECT_EQ(refused.initResult, 1);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.message, L"initialize failed (1)");
    // The same object each time the library is asked.
    EXPECT_EQ(loadModule(L"TestModule.dll", app).module, refused.module);
}

TEST_F(ClientWithModule, PagesAreAddedSizedAndSwitchedByTabAndToolbar) {
    EXPECT_EQ(session->app()->getModule("mod_TestModule").get(), session->module().module);
    ASSERT_EQ(tab->pageCount(), 2);
    EXPECT_EQ(tab->page(0)->getTitle().compare(L"测试页一"), 0);
    wchar_t text[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(tab->getHwnd(), TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"测试页二");

    EXPECT_EQ(tab->selectedIndex(), 0);
    EXPECT_TRUE(visible(0));
    EXPECT_FALSE(visible(1));
    RECT area;
    GetClientRect(tab->getHwnd(), &area);
    TabCtrl_AdjustRect(tab->getHwnd(), FALSE, &area);
    EXPECT_TRUE(EqualRect(&area, &state->lastMove[0]));
    EXPECT_GT(width(area), 500);

    // The user clicks the second tab.
    TabCtrl_SetCurSel(tab->getHwnd(), 1);
    NMHDR change{tab->getHwnd(), static_cast<UINT_PTR>(GetDlgCtrlID(tab->getHwnd())),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(session->frame()->hwnd(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_FALSE(visible(0));
    EXPECT_TRUE(visible(1));
    EXPECT_TRUE(EqualRect(&area, &state->lastMove[1]));

    // The toolbar button raises the module's event, which brings its first page back.
    ASSERT_EQ(session->frame()->toolButtonCount(), 1);
    EXPECT_EQ(SendMessageW(session->frame()->toolbar(), TB_BUTTONCOUNT, 0, 0), 1);
    session->frame()->clickToolButton(0);
    EXPECT_EQ(state->commandEvents, 1);
    EXPECT_EQ(tab->selectedIndex(), 0);
    EXPECT_TRUE(visible(0));
    EXPECT_FALSE(visible(1));

    // A smaller frame gives the shown page a smaller area.
    SetWindowPos(session->frame()->hwnd(), nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_LT(width(state->lastMove[0]), width(area));
    EXPECT_GT(width(state->lastMove[0]), 600);
}

TEST_F(ClientWithModule, HostEventsCarryTheirArguments) {
    session->raiseValueUpdate();
    EXPECT_EQ(state->valueEvents, 1);
    EXPECT_EQ(state->lastValue.kind, 11);
    EXPECT_EQ(state->lastValue.state, 1);
    EXPECT_EQ(state->lastValue.flag, 1);

    // The menu's feed command writes a new day into the database before it tells the modules.
    XComPtr<IDbModule> db(session->app()->getModule("mod_Database"));
    ASSERT_TRUE(db);
    EXPECT_TRUE(db->getDatabase()->isOpen());
    SendMessageW(session->frame()->hwnd(), WM_COMMAND, ClientSession::CmdValueUpdate, 0);
    EXPECT_EQ(state->valueEvents, 2);
    EXPECT_EQ(session->summary().back().find(L"data feed: values of "), 0u);

    session->raiseBuyRedeemUpdate();
    EXPECT_EQ(state->buyRedeemEvents, 1);
    EXPECT_EQ(state->lastBuyRedeem.state, 1);
    EXPECT_EQ(state->lastBuyRedeem.flag, 1);

    // Through the menu, as the user switches themes: the argument is the theme now in force.
    XComPtr<IThemeMgr> mgr = session->app()->getThemeManager();
    ASSERT_TRUE(mgr);
    XStringW before = mgr->getCurrentTheme()->getName();
    SendMessageW(session->frame()->hwnd(), WM_COMMAND, ClientSession::CmdSwitchTheme, 0);
    EXPECT_EQ(state->themeEvents, 1);
    EXPECT_EQ(state->lastTheme, mgr->getCurrentTheme().get());
    EXPECT_NE(mgr->getCurrentTheme()->getName().compare(before), 0);
    session->switchTheme();
    EXPECT_EQ(mgr->getCurrentTheme()->getName().compare(before), 0) << "two switches come back";

    // The watched list tells everyone who listens.
    XComPtr<IConcernFundModule> concern(session->app()->getModule("mod_ConcernFund"));
    ASSERT_TRUE(concern);
    concern->addWatched(L"T00001");
    concern->removeWatched(L"T00001");
    EXPECT_EQ(state->concernEvents, 2);

    // The simulated feed reports by itself a moment after start, once.
    EXPECT_TRUE(wguitest::pumpUntil([&] { return state->valueEvents >= 3; }, 6000));
    wguitest::pumpFor(400);
    EXPECT_EQ(state->valueEvents, 3);
    EXPECT_EQ(state->lastValue.kind, 11);
}

TEST_F(ClientWithModule, EndDateGoesThroughThePagesPicker) {
    EXPECT_TRUE(session->applyEndDate(L"2024-03-15"));
    EXPECT_EQ(state->pickerChanges, 1);
    EXPECT_EQ(state->lastPickerDate.wYear, 2024);
    EXPECT_EQ(state->lastPickerDate.wMonth, 3);
    EXPECT_EQ(state->lastPickerDate.wDay, 15);
    SYSTEMTIME shown{};
    ASSERT_EQ(
        SendMessageW(findDatePicker(state->pages[0]), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
        GDT_VALID);
    EXPECT_EQ(shown.wDay, 15);
    EXPECT_FALSE(session->applyEndDate(L"2024-02-30"));
    EXPECT_EQ(state->pickerChanges, 1);
    // Before the picker's first day it keeps its date: that is a failure, and the page is not
    // told of a change.
    EXPECT_FALSE(session->applyEndDate(L"1752-09-13"));
    EXPECT_EQ(state->pickerChanges, 1);
    EXPECT_EQ(session->summary().back(), L"end date not set: the date picker does not take 1752-09-13");
    SendMessageW(findDatePicker(state->pages[0]), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.wYear, 2024);

    // The second page has no picker: nothing to set while it is on show.
    session->frame()->activatePage(tab->page(1));
    EXPECT_FALSE(session->applyEndDate(L"2024-03-18"));
    EXPECT_EQ(state->pickerChanges, 1);
}

TEST_F(ClientWithModule, MessageLoopOffersKeysToHandlersByPriorityAndScreenshotIsPng) {
    std::wstring png = tempDir(L"client_test_profile") + L"\\shot.png";
    DeleteFileW(png.c_str());
    wguitest::pumpFor(200);
    std::wstring error;
    ASSERT_TRUE(saveWindowPng(session->frame()->hwnd(), png, error))
        << std::string(error.begin(), error.end());
    FILE* f = _wfopen(png.c_str(), L"rb");
    ASSERT_NE(f, nullptr);
    unsigned char magic[8] = {};
    EXPECT_EQ(fread(magic, 1, 8, f), 8u);
    fclose(f);
    EXPECT_EQ(memcmp(magic, "\x89PNG\r\n\x1a\n", 8), 0);

    // Keys travel through the real loop: F5 reaches both handlers, F6 is consumed by the first.
    state->consumeKey = VK_F6;
    PostMessageW(state->pages[0], WM_KEYDOWN, VK_F5, 0);
    PostMessageW(state->pages[0], WM_KEYUP, VK_F5, 0);
    PostMessageW(state->pages[0], WM_KEYDOWN, VK_F6, 0);
    PostMessageW(session->frame()->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(session->run(), 0);
    ASSERT_EQ(state->keyLogCount, 3);
    EXPECT_EQ(state->keyLog[0], 200);
    EXPECT_EQ(state->keyLog[1], 100);
    EXPECT_EQ(state->keyLog[2], 200);
}

namespace {

std::string readAll(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

bool summaryHas(const ClientSession& session, const std::wstring& text) {
    for (const std::wstring& line : session.summary())
        if (line.find(text) != std::wstring::npos)
            return true;
    return false;
}

void writeText(const std::wstring& path, const char* text) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs(text, f);
    fclose(f);
}

std::wstring menuText(HMENU menu, UINT id) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

} // namespace

TEST_F(ClientWithModule, OutputsNeverReplaceTheDatabaseAndReplaceTheirTargetsWhole) {
    session.reset();
    const std::wstring db = databasePath();
    const std::string before = readAll(db);
    ASSERT_FALSE(before.empty());
    size_t slash = db.find_last_of(L'\\');
    std::wstring folder = db.substr(0, slash), name = db.substr(slash + 1);
    std::wstring upper = name;
    CharUpperW(&upper[0]);
    ClientOptions o;
    o.modulePath = L"TestModule.dll";
    o.profileDir = folder;
    o.databasePath = db;
    // The same file spelt otherwise: another case, a "." step, a ".." step.
    o.screenshotPath = folder + L"\\.\\" + upper;
    o.dumpPath = folder + L"\\..\\" + folder.substr(folder.find_last_of(L'\\') + 1) + L"\\" + name;
    {
        ClientSession run(o);
        ASSERT_TRUE(run.start());
        EXPECT_EQ(run.run(), 0);
        EXPECT_TRUE(
            summaryHas(run, L"screenshot not written: " + o.screenshotPath + L" is the open database"));
        EXPECT_TRUE(summaryHas(run, L"table not written: " + o.dumpPath + L" is the open database"));
    }
    EXPECT_TRUE(readAll(db) == before) << "the database must be untouched";

    // A target that cannot be replaced (another program holds it without letting it be renamed
    // over) keeps its old bytes rather than being cut short.
    std::wstring out = tempDir(L"client_test_outputs");
    o.screenshotPath = out + L"\\shot.png";
    o.dumpPath = out + L"\\table.tsv";
    FILE* old = _wfopen(o.dumpPath.c_str(), L"wb");
    ASSERT_NE(old, nullptr);
    fputs("old table\n", old);
    fclose(old);
    HANDLE holder = CreateFileW(o.dumpPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    {
        ClientSession run(o);
        ASSERT_TRUE(run.start());
        run.run();
        EXPECT_TRUE(summaryHas(run, L"table not written: cannot write " + o.dumpPath));
    }
    CloseHandle(holder);
    EXPECT_EQ(readAll(o.dumpPath), "old table\n");
    EXPECT_EQ(readAll(o.screenshotPath).compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);

    {
        ClientSession run(o);
        ASSERT_TRUE(run.start());
        run.run();
        EXPECT_TRUE(summaryHas(run, L"table written: " + o.dumpPath + L" (1 rows)"));
    }
    EXPECT_EQ(readAll(o.dumpPath), "code\nT00001\n");
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((out + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "no temporary file left behind";
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    DeleteFileW(o.dumpPath.c_str());
    DeleteFileW(o.screenshotPath.c_str());
    RemoveDirectoryW(out.c_str());
}

TEST_F(ClientWithModule, StatusBarKeepsSayingThatSettingsWillNotBeKept) {
    session.reset();
    std::wstring profile = tempDir(L"client_test_locked");
    std::wstring user = profile + L"\\user.conf";
    FILE* f = _wfopen(user.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs("# configuration store 1\r\n", f);
    fclose(f);
    SetFileAttributesW(user.c_str(), FILE_ATTRIBUTE_READONLY);
    ClientOptions o;
    o.modulePath = L"TestModule.dll";
    o.profileDir = profile;
    o.databasePath = databasePath();
    ClientSession run(o);
    ASSERT_TRUE(run.start());
    const std::wstring line =
        L"settings cannot be saved to " + user + L": the saved settings are in use, changes will not be kept";
    EXPECT_TRUE(summaryHas(run, line));
    // Later notes take the first part of the status bar; the warning keeps its own.
    run.raiseValueUpdate();
    run.switchTheme();
    wchar_t text[512] = {};
    HWND status = run.frame()->statusBar();
    ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 2);
    SendMessageW(status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), line);
    run.shutdown();
    SetFileAttributesW(user.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(user.c_str());
    DeleteFileW((profile + L"\\system.conf").c_str());
    RemoveDirectoryW(profile.c_str());
}

TEST(ClientOwnWindows, BindingsChartAndPoolAreWiredIntoTheClient) {
    TestModuleState* state = moduleState();
    ASSERT_NE(state, nullptr);
    *state = TestModuleState{};
    std::wstring profile = tempDir(L"client_test_own_windows");
    DeleteFileW((profile + L"\\user.conf").c_str());
    writeText(profile + L"\\system.conf", "# configuration store 1\r\n"
                                          "Client2/System/HotKeys/Archive=Ctrl+Shift+K\r\n"
                                          "Client2/System/HotKeys/Refresh=Ctrl+Alt+Bogus\r\n");
    std::wstring db = profile + L"\\history.db";
    ASSERT_TRUE(historydb::write(db));
    ClientOptions o;
    o.modulePath = L"TestModule.dll";
    o.profileDir = profile;
    o.databasePath = db;
    {
        ClientSession session(o);
        ASSERT_TRUE(session.start());

        // The bindings reach the module's record; the unreadable one falls back and says so.
        XComPtr<IMenuToolModule> tool(session.app()->getModule("mod_MenuTool"));
        ASSERT_TRUE(tool);
        HotKey k;
        tool->getArchiveHotKey(k);
        EXPECT_TRUE(k.ctrl && k.shift && !k.alt && k.key == 'K');
        tool->getRefreshHotKey(k);
        EXPECT_TRUE(!k.ctrl && !k.alt && k.key == VK_F5);
        int notes = 0;
        for (const std::wstring& line : session.summary())
            notes += line.find(L"Ctrl+Alt+Bogus") != std::wstring::npos &&
                     line.find(L"F5 in use") != std::wstring::npos;
        EXPECT_EQ(notes, 1);
        HMENU menu = GetMenu(session.frame()->hwnd());
        EXPECT_NE(
            menuText(menu, ClientSession::CmdHotKeyFirst + MenuToolModule::Archive).find(L"\tCtrl+Shift+K"),
            std::wstring::npos);
        EXPECT_NE(menuText(menu, ClientSession::CmdHotKeyFirst + MenuToolModule::Refresh).find(L"\tF5"),
                  std::wstring::npos);

        // The chart marks the dates of the page's picker.
        ASSERT_TRUE(session.applyEndDate(L"2026-03-07"));
        XComPtr<IChartModule> chart(session.app()->getModule("mod_Chart"));
        ASSERT_TRUE(chart);
        chart->showChart(L"G00001", 0, nullptr, 0);
        ASSERT_TRUE(IsWindow(session.chart()->lastWindow()));
        EXPECT_EQ(session.chart()->window()->data().endDate, L"2026-03-06");
        EXPECT_EQ(session.chart()->window()->data().beginDate, L"2026-03-05");

        // The menu opens the pool window, owned by the main window, with what the module added.
        XComPtr<IFundsPoolModule>(session.app()->getModule("mod_FundsPool"))->addFund(L"G00001");
        SendMessageW(session.frame()->hwnd(), WM_COMMAND, ClientSession::CmdFundsPool, 0);
        HWND pool = session.fundsPool()->window().hwnd();
        ASSERT_TRUE(IsWindowVisible(pool));
        EXPECT_EQ(GetWindow(pool, GW_OWNER), session.frame()->hwnd());
        EXPECT_EQ(ListView_GetItemCount(session.fundsPool()->window().listView()), 1);

        // Enter on a row opens its chart; 加入对比 on the rows adds them to the chart's comparison.
        CodeListWindow& poolWindow = session.fundsPool()->window();
        HWND rows = poolWindow.listView();
        session.fundsPool()->addFund(L"X00001");
        session.fundsPool()->addFund(L"ONE001");
        ASSERT_EQ(ListView_GetItemCount(rows), 3);
        ListView_SetItemState(rows, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        SendMessageW(rows, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(session.chart()->window()->view().main().data.code, L"X00001");
        ListView_SetItemState(rows, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(rows, 0, LVIS_SELECTED, LVIS_SELECTED);
        ListView_SetItemState(rows, 2, LVIS_SELECTED, LVIS_SELECTED);
        {
            ModalAnswers answers;
            answers.chooseMenuItem(L"加入对比");
            SendMessageW(rows, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rows), MAKELPARAM(300, 300));
            wguitest::pumpMessages();
            EXPECT_TRUE(answers.menuItemFound);
        }
        const auto& compared = session.chart()->window()->view().products();
        ASSERT_EQ(compared.size(), 3u);
        EXPECT_EQ(compared[1].data.code, L"G00001");
        EXPECT_EQ(compared[2].data.code, L"ONE001");
        EXPECT_TRUE(session.chart()->window()->view().percent());

        // Keys typed into the pool window are the pool's: the module's handlers never see them.
        PostMessageW(session.fundsPool()->window().listView(), WM_KEYDOWN, VK_F5, 0);
        PostMessageW(state->pages[0], WM_KEYDOWN, VK_F6, 0);
        PostMessageW(session.frame()->hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(session.run(), 0);
        EXPECT_EQ(state->keyLogCount, 2) << "only the page's F6, offered to both handlers";
    }

    // A profile without system settings starts from the shipped ones.
    std::wstring fresh = tempDir(L"client_test_fresh_profile");
    DeleteFileW((fresh + L"\\system.conf").c_str());
    o.profileDir = fresh;
    {
        ClientSession session(o);
        ASSERT_TRUE(session.start());
        EXPECT_NE(GetFileAttributesW((fresh + L"\\system.conf").c_str()), INVALID_FILE_ATTRIBUTES);
        for (const std::wstring& line : session.summary())
            EXPECT_EQ(line.find(L"hot key"), std::wstring::npos) << "the shipped bindings all read";
    }
    DeleteFileW(db.c_str());
}
