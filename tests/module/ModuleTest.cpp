// The module object in-process, inside the client's real main frame and tab control, over a
// small database with known values: initialisation, the table handed to other modules,
// selection by code, refresh, the key handler and a late life after uninitialize.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/wgui/GdiplusEnvironment.h"
#include "host/client/MainFrame.h"
#include "host/client/RefCounted.h"
#include "module/AssembleFinanceModuleImpl.h"
#include "module/host/Kernel.h"
#include "tests/page/PageTestHost.h"
#include "tests/module/TestDbModule.h"

namespace {

const auto* const kGdiplus = ::testing::AddGlobalTestEnvironment(new wguitest::GdiplusEnvironment);

// Drops one product from what the grid shows.
class HideCode final : public Client::RefCounted<Data::IDataFilter> {
public:
    explicit HideCode(const wchar_t* code) : code_(code) {}
    void filter(Data::IDataContainer* source, int* rows, int* count) override {
        int kept = 0;
        for (int i = 0; i < *count; ++i)
            if (source->getRow(rows[i]).getItem(L"code").getText().compare(code_.c_str()) != 0)
                rows[kept++] = rows[i];
        *count = kept;
    }

private:
    std::wstring code_;
};

class ModuleInHost : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"event_theme_changed", "event_ConcernChanged", "event_update_buyredeemstate",
                                 "event_update_lastvalue"})
            createEvent(name);
        static const std::wstring file = pagetest::makeDatabase(L"module.db");
        database = XComPtr<pagetest::CountingDatabase>(
            new pagetest::CountingDatabase(pagetest::PageHarness::openHostDatabase(file)));
        app = pagetest::PageHarness::makeApp();
        frame = XComPtr<Client::MainFrame>(new Client::MainFrame());
        ASSERT_TRUE(frame->create(L"module test", nullptr));
        SetWindowPos(frame->hwnd(), nullptr, 0, 0, 1100, 700, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(frame->hwnd(), SW_SHOWNOACTIVATE);
        app->addModule("mod_MainFrame", frame.get());
        app->addModule("mod_Database", XComPtr<IModule>(new moduletest::TestDbModule(database.get())).get());
    }
    // The host's order: modules are uninitialised, the frame lets its pages go and closes, and
    // the module object (here, unlike the library's, not process-wide) goes last.
    void TearDown() override {
        module->uninitialize();
        if (frame) {
            frame->uninitialize();
            if (IsWindow(frame->hwnd()))
                DestroyWindow(frame->hwnd());
        }
        frame.reset();
        app->clear(); // the key handler reference goes before the module object
        module.reset();
    }

    // Initialises and shows the page as the client does once its modules are wired.
    void start() {
        XStringW error;
        ASSERT_EQ(module->initialize(app.get(), error), 0) << error.c_str();
        frame->tabControl()->start();
    }

    AssembleFinancePage& page() { return module->getPage(); }
    AssembleFinanceGrid& grid() { return page().productGrid(); }

    XComPtr<pagetest::CountingDatabase> database;
    XComPtr<Client::ClientApp> app;
    XComPtr<Client::MainFrame> frame;
    std::unique_ptr<AssembleFinanceModuleImpl> module = std::make_unique<AssembleFinanceModuleImpl>();
};

} // namespace

TEST_F(ModuleInHost, InitialisationWiresPageEventsButtonAndKeyHandler) {
    XComPtr<IEvent> command = getEvent("Event_AssembleFinanceCmd");
    const int commandSubscribers = command ? command->subscriberCount() : 0;
    start();
    EXPECT_EQ(frame->tabControl()->pageCount(), 1);
    EXPECT_EQ(frame->tabControl()->page(0), static_cast<ITabPage*>(&page()));
    EXPECT_TRUE(page().isVisible());
    EXPECT_EQ(database->productQueries(), 1); // the first showing loaded the table
    EXPECT_EQ(frame->toolButtonCount(), 1);
    command = getEvent("Event_AssembleFinanceCmd");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->subscriberCount(), commandSubscribers + 1);
    for (const char* name : {"event_theme_changed", "event_ConcernChanged", "event_update_buyredeemstate",
                             "event_update_lastvalue"})
        EXPECT_GE(getEvent(name)->subscriberCount(), 1) << name;

    // The toolbar button brings the page to the front.
    page().hide();
    frame->clickToolButton(0);
    EXPECT_TRUE(page().isVisible());

    // This host has no menu tool, so no key is a hot key and every key passes.
    MSG key{page().hwnd, WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_FALSE(module->preTranslateMessage(key));
    EXPECT_FALSE(app->preTranslate(key));

    // The host's theme change restyles the page and rebuilds the indicator on its next showing.
    XComPtr<IThemeMgr> themes = app->getThemeManager();
    ASSERT_TRUE(themes && themes->themeCount() >= 2);
    XComPtr<ITheme> light = themes->getTheme(1);
    const COLORREF before = page().getBackgroundColour();
    getEvent("event_theme_changed")->raise(light.get());
    COLORREF expected = before;
    light->getColor("wnd_general_bg", expected);
    EXPECT_EQ(page().getBackgroundColour(), expected);
}

TEST_F(ModuleInHost, GetDataTableLoadsOnlyAnEmptyTable) {
    XStringW error;
    ASSERT_EQ(module->initialize(app.get(), error), 0);
    EXPECT_EQ(database->productQueries(), 0); // never shown, never loaded
    XComPtr<Data::IDataTable> table = module->getDataTable();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_EQ(database->productQueries(), 1);
    EXPECT_FALSE(database->anyWithWaitDialog());
    EXPECT_EQ(module->getDataTable().get(), table.get());
    EXPECT_EQ(database->productQueries(), 1);
}

TEST_F(ModuleInHost, SelectByCodeUsesTheDisplayedOrder) {
    start();
    // Descending by end value (1.9, 1.21, 1.05, none): the table keeps code order.
    ASSERT_TRUE(grid().sort(XStringW(L"value"), true));
    EXPECT_TRUE(module->selectByCode(L"100001"));
    EXPECT_EQ(grid().GetCurrSel(), 1);
    EXPECT_TRUE(module->selectByCode(L"100004"));
    EXPECT_EQ(grid().GetCurrSel(), 3);
    EXPECT_TRUE(module->selectByCode(L"100003"));
    EXPECT_EQ(grid().GetCurrSel(), 0);

    XComPtr<HideCode> hide(new HideCode(L"100002"));
    page().changeFilters(nullptr, hide.get(), nullptr, nullptr);
    EXPECT_FALSE(module->selectByCode(L"100002"));
    EXPECT_EQ(grid().GetCurrSel(), 0); // unchanged
    EXPECT_FALSE(module->selectByCode(L"999999"));
    EXPECT_FALSE(module->selectByCode(L"10000")); // exact codes only
    page().changeFilters(hide.get(), nullptr, nullptr, nullptr);
    EXPECT_TRUE(module->selectByCode(L"100002"));

    // Selecting brings a hidden page forward.
    page().hide();
    EXPECT_TRUE(module->selectByCode(L"100003"));
    EXPECT_TRUE(page().isVisible());
}

TEST_F(ModuleInHost, RefreshQueriesOnlyAVisiblePage) {
    start();
    const int loads = database->productQueries();
    page().hide();
    module->refresh();
    EXPECT_EQ(database->productQueries(), loads);
    page().show();
    module->refresh();
    EXPECT_EQ(database->productQueries(), loads + 1);
    EXPECT_FALSE(database->anyWithWaitDialog() && database->statements.back().waitDialogShown);
}

TEST_F(ModuleInHost, TopRulesComeFromTheSystemConfiguration) {
    XComPtr<Conf::IConfManager> system = app->getSystemConfManager();
    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    ASSERT_TRUE(system && value);
    value->setString(L"code = 100003");
    system->openKey(L"Client2/System/Top_Always")->setValue(value.get());
    value->setString(L"code=100004");
    system->openKey(L"Client2/System/Top_Default")->setValue(value.get());
    start();
    // By growth rate 100001 and 100003 lead; 100002 and 100004 have none. The default rule puts
    // 100004 first in the sorted order, the always rule 100003 first in what is shown.
    Data::IDataView* sorted = grid().GetSortView();
    EXPECT_EQ(sorted->getRow(0).getItem(L"code").getText().compare(L"100004"), 0);
    Data::IDataView* view = grid().GetDisplayView();
    EXPECT_EQ(view->getRow(0).getItem(L"code").getText().compare(L"100003"), 0);
    EXPECT_EQ(view->getRow(1).getItem(L"code").getText().compare(L"100004"), 0);
    EXPECT_TRUE(module->selectByCode(L"100003"));
    EXPECT_EQ(grid().GetCurrSel(), 0);
    system->removeKey(L"Client2/System/Top_Always");
    system->removeKey(L"Client2/System/Top_Default");
}

TEST_F(ModuleInHost, UninitialisedModuleAnswersLateCallsSafely) {
    start();
    module->uninitialize();
    EXPECT_TRUE(module->getDataTable()->isEmpty());
    const size_t statements = database->statements.size();
    module->refresh();
    pagetest::PageHarness::raise("event_update_lastvalue", 11, 1, 1);
    pagetest::PageHarness::raise("event_update_buyredeemstate", 0, 1, 1);
    EXPECT_EQ(database->statements.size(), statements);
    EXPECT_TRUE(module->selectByCode(L"100001") == false);
}

TEST(ModuleFailures, NoMainFrameOrNoTabControl) {
    XComPtr<Client::ClientApp> app = pagetest::PageHarness::makeApp();
    AssembleFinanceModuleImpl module;
    XStringW error;
    EXPECT_EQ(module.initialize(app.get(), error), 1);
    EXPECT_TRUE(error.isEmpty());

    // A main frame module that has no tab control of that name.
    class Frame final : public Client::RefCounted<IMainFrameModule> {
    public:
        bool getModuleInfo(ModuleInfo&) override { return true; }
        int32_t notify(int32_t, int32_t) override { return 0; }
        int32_t initialize(IApp*, XStringW&) override { return 0; }
        void uninitialize() override {}
        XComPtr<ITabCtrl> getTabCtrl(const char*) override { return nullptr; }
        bool activatePage(ITabPage*) override { return false; }
        bool addToolButton(const char*, const char*, const ToolButtonInfo&) override {
            ++buttons;
            return true;
        }
        int buttons = 0;
    };
    XComPtr<Frame> frame(new Frame);
    app->addModule("mod_MainFrame", frame.get());
    EXPECT_EQ(module.initialize(app.get(), error), 1);
    EXPECT_EQ(error.compare(L"无法获取vex_tab_fundvalue控件。"), 0);
    EXPECT_EQ(frame->buttons, 0);
    EXPECT_FALSE(module.getPage().isCreated());
}
