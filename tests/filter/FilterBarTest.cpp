// The filter bar with real windows under the display: buttons are clicked and menu items chosen
// while the menus track, as a user would, through the client's own driver.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <functional>
#include <memory>
#include "filter/FilterWnd.h"
#include "filter/KeywordDialog.h"
#include "host/client/FilterBarDriver.h"
#include "host/client/ModalAnswers.h"
#include "page/AssembleFinancePage.h"
#include "tests/filter/FilterTables.h"
#include "tests/wgui/TestWindows.h"

using filtertest::column;
using S = std::vector<std::wstring>;

namespace {

// The ids as the bar gives them out, pinned here: a command's id is what its menu item sends.
constexpr int kMoreButton = 100;
constexpr int kCompanyButton = 101;
constexpr int kFirstCondition = 202;
constexpr int kLastCondition = 302;
constexpr int kRemoveCommand = 304;
constexpr int kKeywordCommand = 305;

// Products as the page's grid holds them: a sort view over the table and the display view over
// that, which carries the bar's filters.
struct BarHarness {
    explicit BarHarness(XComPtr<Data::IDataTable> products) : table(std::move(products)) {
        sortView = createInstanceAs<Data::IDataView>("Data.DataView");
        sortView->setSource(table);
        view = createInstanceAs<Data::IDataView>("Data.DataView");
        view->setSource(sortView);
        bar = std::make_unique<FilterWnd>(view);
        bar->create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, RECT{0, 0, 880, 26}, parent.hwnd, 0);
        // The page's own columns.
        AssembleFinancePage::addFilterColumns(*bar);
    }

    HWND button(int id) const { return GetDlgItem(bar->hwnd, id); }
    HWND more() const { return button(kMoreButton); }
    std::wstring caption(int id) const {
        const FilterWnd::Condition* c = bar->findCondition(id);
        return c ? c->button.getCaption().c_str() : L"<none>";
    }
    std::wstring tooltip(int id) const {
        const FilterWnd::Condition* c = bar->findCondition(id);
        return c ? c->button.getTooltipText().c_str() : L"<none>";
    }
    bool choose(int id, const S& path) { return Client::chooseMenuItem(button(id), path); }
    S codes() const { return column(view, L"code"); }
    // The texts of the items of the menu a button shows, submenus as "title/".
    S menuOf(int id) {
        S texts;
        Client::whileMenuTracks(button(id), [&](HMENU menu) {
            for (int i = 0; i < GetMenuItemCount(menu); ++i)
                texts.push_back(Client::menuItemText(menu, i) + (GetSubMenu(menu, i) ? L"/" : L""));
            return 0u;
        });
        return texts;
    }

    XComPtr<Data::IDataTable> table;
    XComPtr<Data::IDataView> sortView, view;
    wguitest::HostWindow parent{RECT{0, 0, 900, 40}};
    std::unique_ptr<FilterWnd> bar;
};

XComPtr<Data::IDataTable> products() {
    return filtertest::table(
        {L"code", L"aliascode", L"name", L"investtype", L"fundtype", L"investstyle", L"company"},
        {
            {L"1", L"100001", L"alpha", L"混合型", L"集合理财产品", L"成长型", L"泽益"},
            {L"2", L"100002", L"Beta", L"混合型", L"集合理财产品", L"成长型", L"润汇"},
            {L"3", L"100003", L"cold", L"债券型", L"集合理财产品", L"成长型", L"益和"},
            {L"4", L"100004", L"fire", L"股票型", L"集合理财产品", L"成长型", L"源信"},
            {L"5", L"100005", L"mint", L"混合型", L"集合理财产品", L"成长型", L"德益"},
            {L"6", L"B77", L"soup", L"混合型", L"集合理财产品", L"成长型", L"泽益"},
        });
}

const std::function<void(HWND)>* pendingDialogAct = nullptr;
bool dialogSeen = false;

void CALLBACK actOnKeywordDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowW(L"#32770", KeywordDialog::kTitle);
    if (!dialog || !pendingDialogAct || dialogSeen)
        return;
    dialogSeen = true;
    (*pendingDialogAct)(dialog);
}

// Runs the keyword dialog from "更多筛选"; act sees the open dialog and ends it.
bool withKeywordDialog(BarHarness& h, const std::function<void(HWND)>& act) {
    pendingDialogAct = &act;
    dialogSeen = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, &actOnKeywordDialog);
    bool chosen = h.choose(kMoreButton, {L"关键字筛选(C)"});
    KillTimer(nullptr, timer);
    pendingDialogAct = nullptr;
    return chosen && dialogSeen;
}

} // namespace

TEST(FilterBar, ChoosingACompanyNarrowsAndChoosingItAgainRestores) {
    BarHarness h(products());
    ASSERT_EQ(h.bar->getConditions().size(), 1u);
    EXPECT_EQ(h.caption(kCompanyButton), L"基金公司");

    ASSERT_TRUE(h.choose(kCompanyButton, {L"泽益"}));
    EXPECT_EQ(h.caption(kCompanyButton), L"泽益");
    EXPECT_EQ(h.codes(), (S{L"1", L"6"}));
    // The chosen value is checked in the column's menu, and "显示所有" no longer is.
    HWND companyButton = h.button(kCompanyButton);
    Client::whileMenuTracks(companyButton, [&](HMENU menu) {
        EXPECT_EQ(GetMenuState(menu, kRemoveCommand, MF_BYCOMMAND) & MF_CHECKED, 0u);
        UINT id = Client::findMenuItem(menu, {L"泽益"});
        EXPECT_NE(GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED, 0u);
        return 0u;
    });

    ASSERT_TRUE(h.choose(kCompanyButton, {L"泽益"}));
    EXPECT_EQ(h.caption(kCompanyButton), L"基金公司");
    EXPECT_EQ(h.codes().size(), 6u);
    EXPECT_FALSE(h.bar->findCondition(kCompanyButton)->filter);
}

TEST(FilterBar, ManyCompaniesShowTheMultipleCaptionWithAllInTheTooltip) {
    BarHarness h(products());
    for (const wchar_t* company : {L"泽益", L"润汇", L"益和"})
        ASSERT_TRUE(h.choose(kMoreButton, {L"基金公司", company}));
    EXPECT_EQ(h.caption(kCompanyButton), L"泽益, 润汇, 益和");
    EXPECT_EQ(h.tooltip(kCompanyButton), L"");
    EXPECT_EQ(h.codes(), (S{L"1", L"2", L"3", L"6"}));

    ASSERT_TRUE(h.choose(kCompanyButton, {L"源信"}));
    EXPECT_EQ(h.caption(kCompanyButton), L"基金公司：多个筛选条件");
    EXPECT_EQ(h.tooltip(kCompanyButton), L"泽益, 润汇, 益和, 源信");
    EXPECT_NE(h.bar->findCondition(kCompanyButton)->button.tooltipWindow(), nullptr);
}

TEST(FilterBar, MoreMenuOffersOnlyColumnsWithSeveralValues) {
    BarHarness h(products());
    // Every product has the same style: no submenu for it; none yet for "清除所有条件" either
    // beyond the company button's condition.
    EXPECT_EQ(h.menuOf(kMoreButton), (S{L"关键字筛选(C)", L"清除所有条件(D)", L"", L"基金公司/"}));
}

TEST(FilterBar, KeywordDialogAddsOneConditionOfItsWords) {
    BarHarness h(products());
    ASSERT_TRUE(Client::enterKeywords(h.bar->hwnd, L"a b"));
    ASSERT_EQ(h.bar->getConditions().size(), 2u);
    const int keywordId = h.bar->getConditions().back().id;
    EXPECT_EQ(keywordId, kFirstCondition);
    EXPECT_EQ(h.caption(keywordId), L"a，b");
    // alpha and Beta by their names, soup by its alias code B77.
    EXPECT_EQ(h.codes(), (S{L"1", L"2", L"6"}));
    // The newest condition stands right next to "更多筛选", one pixel and five apart.
    RECT more{}, keyword{}, company{};
    GetWindowRect(h.more(), &more);
    GetWindowRect(h.button(keywordId), &keyword);
    GetWindowRect(h.button(kCompanyButton), &company);
    EXPECT_EQ(keyword.right, more.left - 5);
    EXPECT_EQ(company.right, keyword.left - 1);
    EXPECT_GT(company.left, 0);

    // Blanks typed, or blanks and tabs however they arrive, hold no keyword.
    ASSERT_TRUE(Client::enterKeywords(h.bar->hwnd, L"   "));
    EXPECT_FALSE(h.bar->addKeywordCondition(L" \t \t"));
    EXPECT_EQ(h.bar->getConditions().size(), 2u);
    EXPECT_TRUE(h.bar->addKeywordCondition(L"\tcold\tfire "));
    EXPECT_EQ(h.caption(h.bar->getConditions().back().id), L"cold，fire");
}

TEST(FilterBar, KeywordDialogStandsBelowTheButtonAndRefusesLongText) {
    BarHarness h(products());
    RECT more{};
    GetWindowRect(h.more(), &more);
    RECT placed{}, client{}, ok{};
    int length = 0;
    ASSERT_TRUE(withKeywordDialog(h, [&](HWND dialog) {
        GetWindowRect(dialog, &placed);
        GetClientRect(dialog, &client);
        GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&ok), 2);
        HWND edit = GetDlgItem(dialog, KeywordDialog::kEditId);
        for (int i = 0; i < 140; ++i)
            SendMessageW(edit, WM_CHAR, L'x', 1);
        length = GetWindowTextLengthW(edit);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_EQ(placed.right, more.right - 20);
    EXPECT_EQ(placed.top, more.bottom + 20);
    // "确定" stands whole inside the dialog, whatever width the dialog font's units give it.
    EXPECT_LE(ok.right, client.right);
    EXPECT_LE(ok.bottom, client.bottom);
    EXPECT_EQ(length, 128);
    // Cancelled: nothing added.
    EXPECT_EQ(h.bar->getConditions().size(), 1u);
}

TEST(FilterBar, ClearAllAndTheNewestConditionsId) {
    BarHarness h(products());
    ASSERT_TRUE(h.choose(kCompanyButton, {L"润汇"}));
    ASSERT_TRUE(h.bar->addKeywordCondition(L"beta"));
    ASSERT_TRUE(h.bar->addKeywordCondition(L"b"));
    EXPECT_EQ(h.codes(), (S{L"2"}));

    // An older condition's id stays taken; the newest one's is given out again.
    h.bar->removeCondition(202);
    ASSERT_TRUE(h.bar->addKeywordCondition(L"e"));
    EXPECT_EQ(h.bar->getConditions().back().id, 204);
    // Removed from its own button's menu this time.
    ASSERT_TRUE(h.choose(204, {L"移除条件(D)"}));
    EXPECT_EQ(h.bar->findCondition(204), nullptr);
    ASSERT_TRUE(h.bar->addKeywordCondition(L"t"));
    EXPECT_EQ(h.bar->getConditions().back().id, 204);

    ASSERT_TRUE(h.choose(kMoreButton, {L"清除所有条件(D)"}));
    ASSERT_EQ(h.bar->getConditions().size(), 1u);
    EXPECT_EQ(h.caption(kCompanyButton), L"基金公司");
    EXPECT_EQ(h.codes().size(), 6u);
}

TEST(FilterBarMends, ConditionIdsNeverReachTheCommands) {
    BarHarness h(products());
    int added = 0;
    while (added < 200 && h.bar->addKeywordCondition(L"a"))
        ++added;
    // 202 … 302: the range ends before the remove and keyword commands.
    EXPECT_EQ(added, 101);
    for (const FilterWnd::Condition& c : h.bar->getConditions())
        EXPECT_LE(c.id, kLastCondition);
    // A freed id in the middle is taken again; the refused condition left no filter behind.
    h.bar->removeCondition(210);
    ASSERT_TRUE(h.bar->addKeywordCondition(L"zzz"));
    EXPECT_EQ(h.bar->getConditions().back().id, 210);
    EXPECT_EQ(h.codes(), S{});
    h.bar->removeCondition(0);
    EXPECT_EQ(h.codes().size(), 6u);
}

TEST(FilterBarMends, AFullBarSaysSoAndOffersNoNewCondition) {
    BarHarness h(products());
    while (h.bar->addKeywordCondition(L"o"))
        ;
    ASSERT_TRUE(h.bar->isFull());
    // "更多筛选" says why, and greys what would need a new condition: keywords, and the values
    // of a column without a condition. The company button's values still work.
    EXPECT_EQ(h.bar->getMoreButton().shownTooltip().compare(FilterWnd::kFullTooltip), 0);
    EXPECT_NE(h.bar->getMoreButton().tooltipWindow(), nullptr);
    Client::whileMenuTracks(h.more(), [&](HMENU menu) {
        EXPECT_NE(GetMenuState(menu, kKeywordCommand, MF_BYCOMMAND) & MF_GRAYED, 0u);
        const UINT style = Client::findMenuItem(menu, {L"投资风格", L"成长型"});
        EXPECT_NE(GetMenuState(menu, style, MF_BYCOMMAND) & MF_GRAYED, 0u);
        const UINT company = Client::findMenuItem(menu, {L"基金公司", L"泽益"});
        EXPECT_EQ(GetMenuState(menu, company, MF_BYCOMMAND) & MF_GRAYED, 0u);
        return 0u;
    });
    SendMessageW(h.bar->hwnd, WM_COMMAND, kKeywordCommand, 0); // the command anyway: no dialog
    EXPECT_EQ(h.bar->getConditions().size(), 102u);

    // One condition removed: the bar takes one again and says nothing more.
    h.bar->removeCondition(250);
    EXPECT_FALSE(h.bar->isFull());
    EXPECT_EQ(h.bar->getMoreButton().tooltipWindow(), nullptr);
}

TEST(FilterBarMends, ClearingEveryConditionFiltersTheRowsOnce) {
    BarHarness h(products());
    ASSERT_TRUE(h.choose(kCompanyButton, {L"泽益"}));
    ASSERT_TRUE(h.bar->addKeywordCondition(L"a"));
    ASSERT_TRUE(h.bar->addKeywordCondition(L"o"));
    struct Counter final : Data::IDataViewEvent {
        void onViewChanging(Data::IDataView*) override {}
        void onViewChanged(Data::IDataView*) override { ++changes; }
        int changes = 0;
    } counter;
    h.view->addEventSink(&counter);
    ASSERT_TRUE(h.choose(kMoreButton, {L"清除所有条件(D)"}));
    h.view->removeEventSink(&counter);
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(h.codes().size(), 6u);
}

TEST(FilterBarMends, EveryOfferedValueWorksBeyondAThousand) {
    auto t = filtertest::table({L"code", L"company"}, {});
    for (int i = 0; i < 1100; ++i) {
        Data::IDataRow& row = t->getRow(t->addRow());
        row.getItem(0).setText(XStringW::format(L"%d", i).c_str());
        row.getItem(1).setText(XStringW::format(L"公司%04d", i).c_str());
    }
    BarHarness h(t);
    UINT lastId = 0;
    ASSERT_TRUE(Client::whileMenuTracks(h.button(kCompanyButton), [&](HMENU menu) {
        lastId = Client::findMenuItem(menu, {L"公司1099"});
        return lastId;
    }));
    EXPECT_GT(lastId, 1306u);
    EXPECT_EQ(h.caption(kCompanyButton), L"公司1099");
    EXPECT_EQ(h.codes(), (S{L"1099"}));
}

TEST(FilterBarMends, NamesGb2312CannotHoldStayApart) {
    auto t = filtertest::table({L"code", L"company"}, {{L"1", L"公司\u0E01"}, {L"2", L"公司\u0E02"}});
    BarHarness h(t);
    ASSERT_TRUE(h.choose(kCompanyButton, {L"公司\u0E02"}));
    EXPECT_EQ(h.codes(), S{L"2"});
    ASSERT_TRUE(h.choose(kCompanyButton, {L"公司\u0E01"}));
    EXPECT_EQ(h.codes(), (S{L"1", L"2"}));
}

TEST(FilterBarMends, DestroyedBarLeavesNoFilterOnTheView) {
    BarHarness h(products());
    ASSERT_TRUE(h.choose(kCompanyButton, {L"益和"}));
    ASSERT_TRUE(h.bar->addKeywordCondition(L"cold"));
    EXPECT_EQ(h.codes(), S{L"3"});
    ASSERT_EQ(h.bar->valueSet(L"company")->size(), 5u);
    h.bar->destroyWindow();
    EXPECT_EQ(h.codes().size(), 6u);
    EXPECT_EQ(h.bar->getSourceView(), nullptr);
    // The value view no longer follows the data: a reload reaches no destroyed bar, whose
    // values stay those it last read.
    {
        XComPtr<Data::IUpdateContext> context = h.table->beginUpdate();
        h.table->getRow(0).getItem(L"company").setText(L"新华");
        context->commit();
    }
    h.sortView->refresh(true);
    EXPECT_EQ(h.codes().size(), 6u);
    const ValueSet* companies = h.bar->valueSet(L"company");
    ASSERT_NE(companies, nullptr);
    EXPECT_EQ(companies->size(), 5u);
}

TEST(FilterBarMends, TheKeywordDialogOutlivesNoBar) {
    // The dialog's owner is the top-level window: the bar can go while it is open. Then the
    // dialog closes, and an OK clicked after reaches no bar.
    for (bool objectToo : {false, true}) {
        SCOPED_TRACE(objectToo ? "bar object deleted" : "bar window destroyed");
        BarHarness h(products());
        ASSERT_TRUE(withKeywordDialog(h, [&](HWND dialog) {
            SendMessageW(GetDlgItem(dialog, KeywordDialog::kEditId), WM_CHAR, L'a', 1);
            h.bar->destroyWindow();
            if (objectToo)
                h.bar.reset();
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        }));
        EXPECT_EQ(FindWindowW(L"#32770", KeywordDialog::kTitle), nullptr);
        EXPECT_EQ(h.codes().size(), 6u);
        if (!objectToo) {
            EXPECT_EQ(h.bar->getConditions().size(), 1u);
        }
    }
}

TEST(FilterBar, ASingleSelectColumnsValueReplacesTheOther) {
    // No column of the page chooses one value at a time; a bar may declare one.
    auto t =
        filtertest::table({L"code", L"company", L"buystate"},
                          {{L"1", L"泽益", L"开放"}, {L"2", L"润汇", L"暂停"}, {L"3", L"益和", L"开放"}});
    BarHarness h(t);
    h.bar->addColumn(L"buystate", L"申购", true, true, false, XStringW(), false);
    const int state = h.bar->getConditions().back().id;
    ASSERT_EQ(state, 102);
    ASSERT_TRUE(h.choose(state, {L"开放"}));
    EXPECT_EQ(h.caption(state), L"开放");
    EXPECT_EQ(h.codes(), (S{L"1", L"3"}));
    ASSERT_TRUE(h.choose(state, {L"暂停"}));
    EXPECT_EQ(h.caption(state), L"暂停");
    EXPECT_EQ(h.codes(), S{L"2"});
    // Chosen again, it stays chosen; "显示所有" lets every row through again.
    ASSERT_TRUE(h.choose(state, {L"暂停"}));
    EXPECT_EQ(h.codes(), S{L"2"});
    ASSERT_TRUE(h.choose(state, {L"显示所有(A)"}));
    EXPECT_EQ(h.caption(state), L"申购");
    EXPECT_EQ(h.codes().size(), 3u);
}

TEST(FilterBar, EveryConditionStaysWithinReach) {
    BarHarness h(products());
    // A caption longer than the bar is shortened, whole in its tooltip; the company button
    // stays in the bar beside it.
    // (Every product is of the type these keywords start with: the rows stay.)
    const std::wstring longWords = L"集合理财产品 " + std::wstring(120, L'长');
    ASSERT_TRUE(h.bar->addKeywordCondition(longWords.c_str()));
    const FilterWnd::Condition& keyword = h.bar->getConditions().back();
    RECT bar{}, company{}, word{};
    GetClientRect(h.bar->hwnd, &bar);
    GetWindowRect(h.button(kCompanyButton), &company);
    MapWindowPoints(nullptr, h.bar->hwnd, reinterpret_cast<POINT*>(&company), 2);
    GetWindowRect(keyword.button.hwnd, &word);
    EXPECT_TRUE(IsWindowVisible(h.button(kCompanyButton)));
    EXPECT_GE(company.left, 0);
    EXPECT_LT(word.right - word.left, keyword.button.fullWidth());
    EXPECT_EQ(keyword.button.shownTooltip().compare(keyword.button.getCaption()), 0);
    EXPECT_EQ(keyword.button.getCaption().length(), 127);
    EXPECT_NE(keyword.button.tooltipWindow(), nullptr);

    // Many conditions: those the bar cannot show are listed under a button of their own, from
    // which each one's menu opens.
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(h.bar->addKeywordCondition(XStringW::format(L"集合理财产品 词%d", i)));
    size_t hidden = 0;
    for (const FilterWnd::Condition& c : h.bar->getConditions()) {
        RECT r{};
        GetWindowRect(c.button.hwnd, &r);
        MapWindowPoints(nullptr, h.bar->hwnd, reinterpret_cast<POINT*>(&r), 2);
        if (!IsWindowVisible(c.button.hwnd))
            ++hidden;
        else
            EXPECT_TRUE(r.left >= 0 && r.right <= bar.right) << c.id;
    }
    ASSERT_GT(hidden, 0u);
    HWND overflow = h.button(FilterWnd::kOverflowButtonId);
    ASSERT_TRUE(IsWindowVisible(overflow));
    const S listed = h.menuOf(FilterWnd::kOverflowButtonId);
    EXPECT_EQ(listed.size(), hidden);
    ASSERT_NE(std::find(listed.begin(), listed.end(), L"基金公司"), listed.end());
    // Chosen in that list, a condition opens its own menu, as a click on its button does: there
    // the company is still chosen.
    UINT companyItem = 0;
    Client::whileMenuTracks(overflow, [&](HMENU menu) {
        companyItem = Client::findMenuItem(menu, {L"基金公司"});
        return 0u;
    });
    ASSERT_EQ(companyItem, UINT(kCompanyButton));
    {
        Client::ModalAnswers answers;
        answers.chooseMenuItem(L"泽益");
        SendMessageW(h.bar->hwnd, WM_COMMAND, companyItem, 0);
        EXPECT_TRUE(answers.menuItemFound);
        wguitest::pumpMessages();
    }
    EXPECT_EQ(h.codes(), (S{L"1", L"6"}));

    // Room again: everything shows, the list button goes.
    h.bar->removeCondition(0);
    EXPECT_TRUE(IsWindowVisible(h.button(kCompanyButton)));
    EXPECT_FALSE(IsWindowVisible(overflow));
}

namespace {

// Columns of a button's caption area (left of its arrow) that hold any ink.
int captionInkWidth(HWND button) {
    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(button, &client);
    WGUI::WindowDc dc(button);
    const COLORREF face = GetPixel(dc.get(), 4, 3);
    int left = -1, right = -1;
    for (int x = 4; x < client.right - 17; ++x)
        for (int y = 4; y < client.bottom - 4; ++y)
            if (GetPixel(dc.get(), x, y) != face) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return left < 0 ? 0 : right - left + 1;
}

} // namespace

TEST(FilterBar, AnAmpersandInACaptionIsShownNotTakenAsAMnemonic) {
    BarHarness h(products());
    ASSERT_TRUE(h.bar->addKeywordCondition(L"RD"));
    const int plain = h.bar->getConditions().back().id;
    ASSERT_TRUE(h.bar->addKeywordCondition(L"R&D"));
    const int withAmpersand = h.bar->getConditions().back().id;
    // Read as a mnemonic, "R&D" would show as an underlined "RD", no wider than "RD".
    EXPECT_GE(captionInkWidth(h.button(withAmpersand)), captionInkWidth(h.button(plain)) + 4);
}

TEST(FilterBar, MenusOfferTheValuesOfTheLatestReload) {
    BarHarness h(products());
    auto offers = [&](int id, const wchar_t* text) {
        const S items = h.menuOf(id);
        return std::find(items.begin(), items.end(), text) != items.end();
    };
    // The menus have been read once before the reload: what they offer next must not be kept.
    EXPECT_TRUE(offers(kCompanyButton, L"源信"));
    EXPECT_FALSE(offers(kMoreButton, L"投资风格/"));

    // A reload as the page makes it: the table in one update, then the sort view refreshed.
    {
        XComPtr<Data::IUpdateContext> context = h.table->beginUpdate();
        h.table->getRow(3).getItem(L"company").setText(L"新华");
        Data::IDataRow& row = h.table->getRow(h.table->addRow());
        row.getItem(L"code").setText(L"7");
        row.getItem(L"investstyle").setText(L"价值型");
        row.getItem(L"company").setText(L"汇丰");
        context->commit();
    }
    h.sortView->refresh(true);

    EXPECT_TRUE(offers(kCompanyButton, L"新华"));
    EXPECT_TRUE(offers(kCompanyButton, L"汇丰"));
    EXPECT_FALSE(offers(kCompanyButton, L"源信"));
    EXPECT_TRUE(offers(kMoreButton, L"投资风格/"));
    ASSERT_NE(h.bar->valueSet(L"company"), nullptr);
    EXPECT_EQ(h.bar->valueSet(L"company")->size(), 6u);
    ASSERT_TRUE(h.choose(kCompanyButton, {L"新华"}));
    EXPECT_EQ(h.codes(), S{L"4"});
}
