// The page with real windows: picker notifications, the wait dialog, host events, the refresh
// indicator and themes.
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/wgui/GdiplusEnvironment.h"
#include "module/host/Kernel.h"
#include "host/client/FilterBarDriver.h"
#include "page/WaitDialog.h"
#include "tests/control/ControlCalls.h"
#include "tests/gridframe/FakeTheme.h"
#include "tests/page/PageTestHost.h"
#include "tests/wgui/GifEncoder.h"

using pagetest::PageHarness;

namespace {

const auto* const kGdiplus = ::testing::AddGlobalTestEnvironment(new wguitest::GdiplusEnvironment);

std::wstring& database() {
    static std::wstring file = pagetest::makeDatabase(L"window.db");
    return file;
}

bool indicatorShown(PageHarness& h) {
    GifWnd* gif = h.page->getRefreshIndicator();
    return gif && gif->isWindow() && IsWindowVisible(gif->hwnd);
}

// A theme manager whose current theme the test chooses.
class OneThemeManager final : public IThemeMgr {
public:
    explicit OneThemeManager(ITheme* theme) : theme_(theme) {}
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    XComPtr<ITheme> getCurrentTheme() override { return theme_; }
    int themeCount() const override { return 1; }
    XComPtr<ITheme> getTheme(int index) override { return index == 0 ? theme_ : nullptr; }
    bool setCurrentTheme(const wchar_t*) override { return false; }

private:
    XComPtr<ITheme> theme_;
    int refs_ = 0;
};

// The text the page's tooltip shows over the indicator window.
std::wstring tipOver(PageHarness& h, HWND tool) {
    wchar_t text[80] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageW(h.page->getRefreshTooltip(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    return text;
}

// The host's value update hides the indicator; the refresh timer shows it again.
void cycleIndicator(PageHarness& h) {
    PageHarness::raise("event_update_lastvalue", 11, 1, 1);
    SendMessageW(h.page->hwnd, WM_TIMER, AssembleFinancePage::kRefreshTimer, 0);
}

} // namespace

TEST(PagePicker, CalendarBrowsingLoadsOnceAndKeyboardChangesLoadEach) {
    PageHarness h(database());
    // The first showing of an empty table loaded it with the wait dialog.
    EXPECT_EQ(h.database->productQueries(), 1);
    EXPECT_TRUE(h.database->anyWithWaitDialog());
    h.database->statements.clear();

    h.notify(DTN_DROPDOWN);
    for (int day = 1; day <= 3; ++day)
        h.pick(2024, 3, day); // browsing the open calendar
    EXPECT_EQ(h.database->productQueries(), 0);
    h.notify(DTN_CLOSEUP);
    EXPECT_EQ(h.database->productQueries(), 1);

    h.pick(2024, 3, 4);
    h.pick(2024, 3, 5);
    EXPECT_EQ(h.database->productQueries(), 3);
    // Every load the user asked for shows the wait dialog while the begin date and the products
    // are read, and takes it down again.
    EXPECT_TRUE(h.database->statements.back().waitDialogShown);
    EXPECT_EQ(WaitDialog::active(), nullptr);
}

TEST(PagePicker, QuietLoadsNeverShowTheWaitDialog) {
    PageHarness h(database());
    h.database->statements.clear();
    h.page->loadProductTable(true);
    SendMessageW(h.page->hwnd, AssembleFinancePage::kUpdateMessage, 0, 0);
    EXPECT_EQ(h.database->productQueries(), 2);
    EXPECT_FALSE(h.database->anyWithWaitDialog());
}

TEST(WaitDialogTest, WideTextGivesA680PixelDialogCentredOnItsParent) {
    wguitest::HostWindow parent(RECT{100, 50, 900, 450});
    std::wstring wide(200, L'宽');
    WaitDialog dialog(wide.c_str());
    ASSERT_NE(dialog.create(GetModuleHandleW(nullptr), parent.hwnd), nullptr);
    EXPECT_EQ(WaitDialog::active(), &dialog);
    RECT r = dialog.windowRect();
    EXPECT_EQ(r.right - r.left, 680);
    EXPECT_EQ(r.left, 100 + (800 - 680) / 2);
    EXPECT_EQ(r.top, 50 + (400 - (r.bottom - r.top)) / 2);
    dialog.destroyWindow();
    EXPECT_EQ(WaitDialog::active(), nullptr);
}

TEST(WaitDialogTest, TextIsDefaultedAndCutToTheBuffer) {
    EXPECT_STREQ(WaitDialog(nullptr).text(), L"请稍等...");
    EXPECT_STREQ(WaitDialog(L"").text(), L"请稍等...");
    std::wstring longText(1000, L'x');
    WaitDialog cut(longText.c_str());
    EXPECT_EQ(wcslen(cut.text()), static_cast<size_t>(WaitDialog::kTextCapacity - 1));
    // Without a parent window the dialog centres itself on the desktop.
    WaitDialog alone(L"短");
    ASSERT_NE(alone.create(GetModuleHandleW(nullptr), nullptr), nullptr);
    RECT desktop{}, r = alone.windowRect();
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(r.left, desktop.left + (desktop.right - desktop.left - (r.right - r.left)) / 2);
}

TEST(PageEvents, ValueUpdateReloadsQuietlyAndCyclesTheIndicator) {
    PageHarness h(database());
    ASSERT_TRUE(indicatorShown(h)) << "the theme's refresh image should be showing";
    EXPECT_TRUE(h.page->getRefreshIndicator()->isAnimating());
    h.database->statements.clear();

    PageHarness::raise("event_update_lastvalue", 11, 1, 1);
    EXPECT_EQ(h.database->productQueries(), 1);
    EXPECT_FALSE(h.database->anyWithWaitDialog());
    EXPECT_FALSE(indicatorShown(h));
    EXPECT_FALSE(h.page->getRefreshIndicator()->isAnimating());

    // Sixty seconds later the timer brings it back, and it says what it waits for.
    SendMessageW(h.page->hwnd, WM_TIMER, AssembleFinancePage::kRefreshTimer, 0);
    EXPECT_TRUE(indicatorShown(h));
    EXPECT_EQ(tipOver(h, h.page->getRefreshIndicator()->hwnd), L"等待行情更新");

    // Another kind hides without reloading; a state other than 1 does nothing at all.
    PageHarness::raise("event_update_lastvalue", 3, 1, 1);
    EXPECT_EQ(h.database->productQueries(), 1);
    EXPECT_FALSE(indicatorShown(h));
    SendMessageW(h.page->hwnd, WM_TIMER, AssembleFinancePage::kRefreshTimer, 0);
    PageHarness::raise("event_update_lastvalue", 11, 0, 1);
    EXPECT_EQ(h.database->productQueries(), 1);
    EXPECT_TRUE(indicatorShown(h));
}

TEST(PageEvents, StateUpdateOnAHiddenPageEmptiesTheTableUntilItShows) {
    PageHarness h(database());
    ASSERT_FALSE(h.table()->isEmpty());
    h.page->hide();
    h.database->statements.clear();
    // Only the state 1 asks for anything.
    PageHarness::raise("event_update_buyredeemstate", 0, 0, 1);
    PageHarness::raise("event_update_buyredeemstate", 0, 2, 1);
    EXPECT_FALSE(h.table()->isEmpty());
    PageHarness::raise("event_update_buyredeemstate", 0, 1, 1);
    EXPECT_TRUE(h.table()->isEmpty());
    EXPECT_EQ(h.database->productQueries(), 0);

    h.page->show();
    EXPECT_EQ(h.database->productQueries(), 1);
    EXPECT_TRUE(h.database->anyWithWaitDialog());
    EXPECT_FALSE(h.table()->isEmpty());
    // Shown again with a filled table: no load.
    h.page->hide();
    h.page->show();
    EXPECT_EQ(h.database->productQueries(), 1);
    // Without the flag the host's state report asks for nothing.
    PageHarness::raise("event_update_buyredeemstate", 0, 1, 0);
    EXPECT_EQ(h.database->productQueries(), 1);
}

TEST(PageTheme, MissingKeysKeepColoursAndNullThemeStillRereadsZoom) {
    PageHarness h(database());
    XComPtr<FakeTheme> theme(new FakeTheme);
    theme->colors["wnd_general_bg"] = RGB(10, 20, 30);
    theme->colors["list_name"] = RGB(200, 0, 0);
    h.page->applyTheme(theme.get());
    EXPECT_EQ(h.page->getBackgroundColour(), RGB(10, 20, 30));
    EXPECT_EQ(h.page->productGrid().GetThemeColor(AssembleFinanceGrid::ListName), RGB(200, 0, 0));

    // The strip is painted in that colour.
    UpdateWindow(h.page->hwnd);
    RedrawWindow(h.page->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    {
        wguitest::pumpMessages();
        HDC dc = GetDC(h.page->hwnd);
        EXPECT_EQ(GetPixel(dc, 150, 27), RGB(10, 20, 30));
        ReleaseDC(h.page->hwnd, dc);
    }

    XComPtr<FakeTheme> bare(new FakeTheme);
    bare->colors["list_cur_data"] = RGB(1, 2, 3);
    h.page->applyTheme(bare.get());
    EXPECT_EQ(h.page->getBackgroundColour(), RGB(10, 20, 30));
    EXPECT_EQ(h.page->productGrid().GetThemeColor(AssembleFinanceGrid::ListName), RGB(200, 0, 0));
    EXPECT_EQ(h.page->productGrid().GetThemeColor(AssembleFinanceGrid::ListCurData), RGB(1, 2, 3));

    XComPtr<Conf::IConfKey> zoom = h.app->getUserConfManager()->openKey(L"/Client2/UserConfig/FontSize");
    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    ASSERT_TRUE(zoom && value);
    value->setString(L"1.5");
    zoom->setValue(value.get());
    h.page->applyTheme(nullptr);
    EXPECT_DOUBLE_EQ(h.page->productGrid().FontZoom(), 1.5);
}

TEST(PageTheme, ThemeChangeRebuildsTheIndicatorOnItsNextShowing) {
    PageHarness h(database());
    ASSERT_NE(h.page->getRefreshIndicator(), nullptr);
    const int framesBefore = h.page->getRefreshIndicator()->getFrameCount();
    ASSERT_NE(framesBefore, 5);
    // The host's current theme becomes one whose image has another size and frame count.
    XComPtr<FakeTheme> other(new FakeTheme);
    other->data["refresh"] = wguitest::makeGif(21, 13,
                                               {{wguitest::Red, 5},
                                                {wguitest::Green, 5},
                                                {wguitest::Blue, 5},
                                                {wguitest::White, 5},
                                                {wguitest::Red, 5}});
    XComPtr<OneThemeManager> manager(new OneThemeManager(other.get()));
    h.app->setThemeManager(manager.get());

    // Until the page hears of the change it keeps the image it has.
    cycleIndicator(h);
    EXPECT_EQ(h.page->getRefreshIndicator()->getFrameCount(), framesBefore);

    h.page->markThemeChanged();
    cycleIndicator(h);
    GifWnd* rebuilt = h.page->getRefreshIndicator();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->getFrameCount(), 5);
    RECT size = rebuilt->clientRect();
    EXPECT_EQ(size.right, 21);
    EXPECT_EQ(size.bottom, 13);
    EXPECT_TRUE(indicatorShown(h));
    EXPECT_EQ(tipOver(h, rebuilt->hwnd), L"等待行情更新");

    // A theme without the image leaves the page without an indicator.
    other->data.clear();
    h.page->markThemeChanged();
    cycleIndicator(h);
    EXPECT_EQ(h.page->getRefreshIndicator(), nullptr);
}

TEST(PageEvents, WatchedListChangeRedrawsTheGrid) {
    PageHarness h(database());
    controltest::Recorder recorder;
    ASSERT_TRUE(recorder.refreshInstalled());
    HWND grid = h.page->productGrid().GetHwnd();
    UpdateWindow(grid);
    ASSERT_FALSE(GetUpdateRect(grid, nullptr, FALSE));

    PageHarness::raise("event_ConcernChanged", 0, 0, 0);
    // The rows are counted again where they stand, and the whole grid is painted anew.
    EXPECT_EQ(recorder.callsOn(&h.page->productGrid()), std::vector<std::string>{"Refresh 0 1"});
    RECT dirty{}, client{};
    EXPECT_TRUE(GetUpdateRect(grid, &dirty, FALSE));
    GetClientRect(grid, &client);
    EXPECT_TRUE(EqualRect(&dirty, &client));
}

TEST(PageWindow, HidingReleasesTheGridsDrawingResources) {
    PageHarness h(database());
    controltest::Recorder recorder;
    ASSERT_TRUE(recorder.releaseInstalled());
    h.page->hide();
    EXPECT_EQ(recorder.callsOn(&h.page->productGrid()), std::vector<std::string>{"ReleaseDrawingResource"});
    recorder.clear();
    h.page->show();
    EXPECT_TRUE(recorder.callsOn(&h.page->productGrid()).empty());
}

TEST(PageWindow, LayoutAndTabPageOperations) {
    PageHarness h(database());
    EXPECT_EQ(h.page->getTitle().compare(L"集合理财产品"), 0);
    EXPECT_TRUE(h.page->isCreated());
    wchar_t className[64] = {};
    GetClassNameW(h.page->hwnd, className, 64);
    EXPECT_STREQ(className, L"Client2_AssembleFinancePage");
    EXPECT_EQ(GetWindowLongW(h.page->hwnd, GWL_STYLE) & (WS_CHILD | WS_CLIPCHILDREN),
              static_cast<LONG>(WS_CHILD | WS_CLIPCHILDREN));

    h.page->move(0, 0, 800, 400);
    RECT grid{};
    GetWindowRect(h.page->productGrid().GetHwnd(), &grid);
    MapWindowPoints(nullptr, h.page->hwnd, reinterpret_cast<POINT*>(&grid), 2);
    EXPECT_EQ(grid.top, 30);
    EXPECT_EQ(grid.right - grid.left, 800);
    EXPECT_EQ(grid.bottom - grid.top, 370);
    // Below the strip's height the grid has no height left.
    h.page->move(0, 0, 800, 20);
    GetClientRect(h.page->productGrid().GetHwnd(), &grid);
    EXPECT_EQ(grid.bottom, 0);

    HWND picker = h.page->getDatePicker();
    EXPECT_EQ(GetDlgCtrlID(picker), AssembleFinancePage::kPickerId);
    RECT pickerRect{};
    GetWindowRect(picker, &pickerRect);
    MapWindowPoints(nullptr, h.page->hwnd, reinterpret_cast<POINT*>(&pickerRect), 2);
    EXPECT_EQ(pickerRect.left, 305);
    EXPECT_EQ(pickerRect.top, 5);
}

TEST(PageFilterBar, StandsInTheStripNarrowsTheGridAndFollowsTheTheme) {
    PageHarness h(database());
    h.page->move(0, 0, 900, 400);
    FilterWnd* bar = h.page->getFilterBar();
    ASSERT_TRUE(bar && bar->isWindow());
    RECT barRect{};
    GetWindowRect(bar->hwnd, &barRect);
    MapWindowPoints(nullptr, h.page->hwnd, reinterpret_cast<POINT*>(&barRect), 2);
    EXPECT_EQ(barRect.left, 560);
    EXPECT_EQ(barRect.top, 2);
    EXPECT_EQ(barRect.right, 900);
    EXPECT_EQ(barRect.bottom, 28);

    // One button at first: the company column's.
    ASSERT_EQ(bar->getConditions().size(), 1u);
    const FilterWnd::Condition& company = bar->getConditions().front();
    EXPECT_EQ(company.id, 101);
    EXPECT_EQ(company.button.getCaption(), L"基金公司");

    // The loaded products' companies are offered; choosing one narrows the grid to it.
    const ValueSet* companies = bar->valueSet(L"company");
    ASSERT_TRUE(companies && companies->size() > 1);
    const XStringW chosen = companies->values().front();
    const int all = h.page->productGrid().GetRowsCount();
    ASSERT_TRUE(Client::chooseMenuItem(company.button.hwnd, {chosen.c_str()}));
    EXPECT_EQ(company.button.getCaption(), chosen);
    Data::IDataView* shown = h.page->productGrid().GetDisplayView();
    ASSERT_GT(shown->rowCount(), 0);
    EXPECT_LT(shown->rowCount(), all);
    for (int i = 0; i < shown->rowCount(); ++i)
        EXPECT_EQ(shown->getRow(i).getItem(L"company").getText(), chosen);

    XComPtr<FakeTheme> theme(new FakeTheme);
    theme->colors["wnd_general_bg"] = RGB(40, 50, 60);
    h.page->applyTheme(theme.get());
    EXPECT_EQ(bar->getBackgroundColor(), RGB(40, 50, 60));
    RedrawWindow(bar->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(bar->hwnd);
    EXPECT_EQ(GetPixel(dc, 3, 12), RGB(40, 50, 60));
    ReleaseDC(bar->hwnd, dc);

    // The page's window goes: the bar with it, and its filter off the grid's view.
    DestroyWindow(h.page->hwnd);
    EXPECT_EQ(h.page->getFilterBar(), nullptr);
    EXPECT_EQ(shown->rowCount(), all);
}
