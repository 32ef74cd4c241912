// The product grid's commands in the client's real main frame with the client's real host
// modules: the context menu chosen from as a user does (a timer answers it while it tracks),
// the watched list, the funds pool, the chart, the archive through the shell, and the hot keys
// through the client's own message loop.
#include <gtest/gtest.h>
#include <windows.h>
#include "host/client/ChartModule.h"
#include "host/client/ChartWindow.h"
#include "host/client/ModalAnswers.h"
#include "tests/module/CommandHost.h"
#include "tests/wgui/GdiplusEnvironment.h"
#include "tests/wgui/TestWindows.h"

namespace {

const auto* const kGdiplus = ::testing::AddGlobalTestEnvironment(new wguitest::GdiplusEnvironment);

using Client::ModalAnswers;
using commandtest::CommandHost;

// Products whose codes must not reach the shell as they stand, and two without a usable code.
const char kOddCodes[] = R"sql(
insert into tb_fund values
  ('..\x?y=1#z "c"', '敌意', '敌意代码', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'DY', 0, 0),
  ('--', '--', '空代码', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'KDM', 0, 0);
)sql";

std::vector<std::wstring> itemTexts(const ModalAnswers& answers) {
    std::vector<std::wstring> texts;
    for (const ModalAnswers::MenuItem& item : answers.menuItems)
        texts.push_back(item.separator ? L"-" : item.text + L"#" + std::to_wstring(item.id));
    return texts;
}

// Holds a modifier down through the system's input, as the keyboard would; released when it
// ends.
class KeyHeld {
public:
    explicit KeyHeld(WORD vk) : vk_(vk) { send(0); }
    ~KeyHeld() { send(KEYEVENTF_KEYUP); }

private:
    void send(DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk_;
        input.ki.dwFlags = flags;
        SendInput(1, &input, sizeof(input));
    }
    WORD vk_;
};

// A window that counts the key-downs dispatched to it: a key the module consumed never arrives.
class KeyTarget : public wguitest::HostWindow {
public:
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
            keys.push_back(int(wParam));
        return HostWindow::onMessage(msg, wParam, lParam, result);
    }
    std::vector<int> keys;
};

// Posts the key-downs to target and runs the client's message loop until they are handled.
void pressThroughClientLoop(Client::ClientApp* app, HWND target, std::initializer_list<int> keys) {
    for (int vk : keys)
        PostMessageW(target, WM_KEYDOWN, WPARAM(vk), 1);
    // Posted after the keys, so the loop ends once they went through it.
    PostQuitMessage(0);
    app->run();
}

HotKey binding(int vk, bool ctrl, bool shift, bool alt = false) {
    HotKey key;
    key.ctrl = ctrl;
    key.shift = shift;
    key.alt = alt;
    key.key = vk;
    return key;
}

} // namespace

TEST(GridCommands, ContextMenuOffersTheFundsPoolOnlyWhenTheHostHasOne) {
    CommandHost host;
    host.start();
    ASSERT_TRUE(host.select(L"100002"));
    {
        ModalAnswers answers;
        answers.chooseMenuItem(L"添加到基金池");
        host.rightClickSelected();
        ASSERT_TRUE(answers.menuSeen);
        EXPECT_EQ(itemTexts(answers),
                  (std::vector<std::wstring>{L"添加到基金池#5", L"数据导出#2", L"-", L"转到基金档案 F10#3"}));
    }
    EXPECT_EQ(host.fundsPool->list().codes(), std::vector<std::wstring>{L"100002"});

    host.app->removeModule("mod_FundsPool");
    ModalAnswers answers;
    answers.chooseMenuItem(L"");
    host.rightClickSelected();
    ASSERT_TRUE(answers.menuSeen);
    EXPECT_EQ(itemTexts(answers), (std::vector<std::wstring>{L"数据导出#2", L"-", L"转到基金档案 F10#3"}));
    // Without the pool the command itself does nothing either.
    SendMessageW(host.gridWindow(), WM_COMMAND, AssembleFinanceGrid::CmdAddToFundsPool, 0);
    EXPECT_EQ(host.fundsPool->list().codes(), std::vector<std::wstring>{L"100002"});
}

TEST(GridCommands, WatchedListIsAskedBeforeItIsChanged) {
    CommandHost host;
    host.start();
    ASSERT_TRUE(host.select(L"100003"));
    HWND grid = host.gridWindow();
    SendMessageW(grid, WM_COMMAND, AssembleFinanceGrid::CmdRemoveFromWatchList, 0);
    EXPECT_EQ(host.watched->removes, 0); // not watched: not removed
    SendMessageW(grid, WM_COMMAND, AssembleFinanceGrid::CmdAddToWatchList, 0);
    EXPECT_EQ(host.watched->adds, 1);
    EXPECT_TRUE(host.watched->has(L"100003"));
    SendMessageW(grid, WM_COMMAND, AssembleFinanceGrid::CmdAddToWatchList, 0);
    EXPECT_EQ(host.watched->adds, 1); // already watched: not added again
    SendMessageW(grid, WM_COMMAND, AssembleFinanceGrid::CmdRemoveFromWatchList, 0);
    EXPECT_EQ(host.watched->removes, 1);
    EXPECT_FALSE(host.watched->has(L"100003"));

    // With no current row nothing is read and nothing is called.
    host.grid().SetCurrSel(-1);
    for (int id = AssembleFinanceGrid::CmdAddToWatchList; id <= AssembleFinanceGrid::CmdAddToFundsPool; ++id)
        if (id != AssembleFinanceGrid::CmdExport)
            SendMessageW(grid, WM_COMMAND, WPARAM(id), 0);
    host.grid().OnEnterItem();
    EXPECT_EQ(host.watched->adds, 1);
    EXPECT_TRUE(host.fundsPool->list().codes().empty());
    EXPECT_EQ(host.chart->lastWindow(), nullptr);
}

TEST(GridCommands, EnteringARowShowsItsChart) {
    CommandHost host;
    host.start();
    auto chartCode = [&] {
        return host.chart->window() ? host.chart->window()->data().code : std::wstring();
    };
    ASSERT_TRUE(host.select(L"100001"));
    RECT client{};
    GetClientRect(host.gridWindow(), &client);
    for (int y = 0; y < client.bottom; ++y) {
        int area = 0;
        if (host.grid().HitTest(8, y, nullptr, &area) == host.grid().GetCurrSel() &&
            area == XDataGrid::HitCell) {
            SendMessageW(host.gridWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, y + 3));
            break;
        }
    }
    EXPECT_EQ(chartCode(), L"100001");

    ASSERT_TRUE(host.select(L"100004"));
    SendMessageW(host.gridWindow(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(chartCode(), L"100004");
}

TEST(GridCommands, ArchiveAddressesAreWebAddressesWithTheCodeEncoded) {
    const XStringW site(L"https://archive.example.com");
    EXPECT_EQ(std::wstring(AssembleFinanceGrid::ArchiveAddress(site, L"100001").c_str()),
              L"https://archive.example.com/html/100001/");
    EXPECT_EQ(std::wstring(AssembleFinanceGrid::ArchiveAddress(L"HTTP://a.example/", L"稳 1").c_str()),
              L"HTTP://a.example/html/%E7%A8%B3%201/");
    EXPECT_EQ(std::wstring(AssembleFinanceGrid::ArchiveAddress(site, L"../a\\b?c=1#d\"e").c_str()),
              L"https://archive.example.com/html/..%2Fa%5Cb%3Fc%3D1%23d%22e/");
    for (const wchar_t* code : {L"", L"--"})
        EXPECT_TRUE(AssembleFinanceGrid::ArchiveAddress(site, code).isEmpty());
    // A port and a path prefix belong to a site; a user name, a query or a fragment do not.
    EXPECT_EQ(
        std::wstring(AssembleFinanceGrid::ArchiveAddress(L"https://a.example:8443/funds/", L"1").c_str()),
        L"https://a.example:8443/funds/html/1/");
    EXPECT_EQ(std::wstring(AssembleFinanceGrid::ArchiveAddress(L"http://档案.例子/a%20b", L"1").c_str()),
              L"http://档案.例子/a%20b/html/1/");
    for (const wchar_t* bad : {L"",
                               L"C:\\Windows\\notepad.exe",
                               L"file:///C:/Windows/notepad.exe",
                               L"javascript:x",
                               L"http://",
                               L"https:///",
                               L"httpx://a",
                               L"http://a b",
                               L"http://a\"b",
                               L"\\\\server\\x",
                               L"http://user:pw@host",
                               L"http://@host",
                               L"https://a/?q=1#f",
                               L"https://a/#f",
                               L"https://a?q",
                               L"http://a:",
                               L"http://a:123456",
                               L"http://a:80x",
                               L"http://a/b?c=1",
                               L"http://a/b\\c",
                               L"http://a/%zz",
                               L"http://a/b;c",
                               L"http://:80"})
        EXPECT_TRUE(AssembleFinanceGrid::ArchiveAddress(bad, L"100001").isEmpty())
            << XStringW(bad).toUtf8().c_str();
}

TEST(GridCommands, ArchiveOpensTheConfiguredSiteThroughTheShell) {
    commandtest::BrowserRecorder browser;
    CommandHost host(kOddCodes);
    host.start();
    host.setSystem(AssembleFinanceGrid::kArchiveSiteKey, L"https://archive.example.com/");

    // Nothing for the two codes without a product; nothing for a site that is not on the web.
    for (const wchar_t* code : {L"--"}) {
        ASSERT_TRUE(host.select(code));
        ModalAnswers answers;
        answers.chooseMenuItem(L"转到基金档案 F10");
        host.rightClickSelected();
        EXPECT_TRUE(answers.menuItemFound);
    }
    ASSERT_TRUE(host.select(L"100001"));
    host.setSystem(AssembleFinanceGrid::kArchiveSiteKey, L"C:\\windows\\system32\\notepad.exe");
    SendMessageW(host.gridWindow(), WM_COMMAND, AssembleFinanceGrid::CmdOpenArchive, 0);

    host.setSystem(AssembleFinanceGrid::kArchiveSiteKey, L"https://archive.example.com/");
    {
        ModalAnswers answers;
        answers.chooseMenuItem(L"转到基金档案 F10");
        host.rightClickSelected();
    }
    ASSERT_TRUE(host.select(L"..\\x?y=1#z \"c\""));
    SendMessageW(host.gridWindow(), WM_COMMAND, AssembleFinanceGrid::CmdOpenArchive, 0);
    std::vector<std::wstring> opened = browser.addresses(2);
    wguitest::pumpFor(300); // a stray third start would show here
    opened = browser.addresses(2);
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened,
              (std::vector<std::wstring>{L"https://archive.example.com/html/..%5Cx%3Fy%3D1%23z%20%22c%22/",
                                         L"https://archive.example.com/html/100001/"}));
}

TEST(GridCommands, HotKeysRunThroughTheClientsMessageLoop) {
    commandtest::BrowserRecorder browser;
    CommandHost host;
    host.start();
    host.setSystem(AssembleFinanceGrid::kArchiveSiteKey, L"http://archive.example.com");
    KeyTarget target;
    ASSERT_TRUE(host.select(L"100002"));

    // The client's bindings: Insert adds, Delete removes, F10 opens the archive, F5 reloads.
    const int loads = host.database->productQueries();
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_INSERT});
    EXPECT_TRUE(host.watched->has(L"100002"));
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_DELETE});
    EXPECT_FALSE(host.watched->has(L"100002"));
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_F5, VK_F10});
    EXPECT_EQ(host.database->productQueries(), loads + 1);
    EXPECT_EQ(browser.addresses(1), std::vector<std::wstring>{L"http://archive.example.com/html/100002/"});
    EXPECT_TRUE(target.keys.empty()); // every one consumed
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_F6, 'K'});
    EXPECT_EQ(target.keys, (std::vector<int>{VK_F6, 'K'}));

    // Ctrl+Shift+K: Ctrl is the one modifier tested. Changed in the menu tool, it counts from the
    // next key, and Insert is free again.
    target.keys.clear();
    host.menuTool->setHotKey(Client::MenuToolModule::AddWatch, binding('K', true, true));
    pressThroughClientLoop(host.app.get(), target.hwnd, {'K', VK_INSERT});
    EXPECT_FALSE(host.watched->has(L"100002"));
    EXPECT_EQ(target.keys, (std::vector<int>{'K', VK_INSERT}));
    target.keys.clear();
    {
        KeyHeld ctrl(VK_CONTROL);
        pressThroughClientLoop(host.app.get(), target.hwnd, {'K'});
    }
    EXPECT_TRUE(host.watched->has(L"100002"));
    EXPECT_TRUE(target.keys.empty());
    // The same for Alt when it is the one asked for, as a system key: not without Alt down...
    host.menuTool->setHotKey(Client::MenuToolModule::RemoveWatch, binding('K', false, false, true));
    PostMessageW(target.hwnd, WM_SYSKEYDOWN, 'K', 1 | (1 << 29));
    PostQuitMessage(0);
    host.app->run();
    EXPECT_TRUE(host.watched->has(L"100002"));
    EXPECT_EQ(target.keys, std::vector<int>{'K'});
    // ... and with it, consumed.
    target.keys.clear();
    {
        KeyHeld alt(VK_MENU);
        PostMessageW(target.hwnd, WM_SYSKEYDOWN, 'K', 1 | (1 << 29));
        PostQuitMessage(0);
        host.app->run();
    }
    // Alt pressed and released alone would open a window's menu: its own key messages are
    // taken off the queue unseen.
    for (MSG msg; PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);) {
    }
    EXPECT_FALSE(host.watched->has(L"100002"));
    EXPECT_TRUE(target.keys.empty());

    // A hidden page consumes nothing and does nothing.
    host.page().hide();
    target.keys.clear();
    const int before = host.database->productQueries();
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_F5, VK_DELETE, VK_F10});
    EXPECT_EQ(target.keys, (std::vector<int>{VK_F5, VK_DELETE, VK_F10}));
    EXPECT_EQ(host.database->productQueries(), before);
    EXPECT_EQ(browser.addresses(1).size(), 1u);
}

TEST(GridCommands, AProductNoLongerShownIsNoLongerActedOn) {
    commandtest::BrowserRecorder browser;
    CommandHost host;
    host.start();
    host.setSystem(AssembleFinanceGrid::kArchiveSiteKey, L"http://archive.example.com");
    KeyTarget target;
    Data::IDataView* view = host.grid().GetDisplayView();
    ASSERT_GE(view->rowCount(), 3);
    auto text = [&](int row, const wchar_t* column) {
        return std::wstring(view->getRow(row).getItem(column).getText().c_str());
    };
    // The first row's product, hidden by keywords that keep every other one (their names): its
    // row number then holds another product.
    const std::wstring hidden = text(0, L"code");
    std::wstring others;
    for (int i = 1; i < view->rowCount(); ++i)
        others += text(i, L"name") + L" ";
    ASSERT_TRUE(host.select(hidden.c_str()));
    FilterWnd* bar = host.page().getFilterBar();
    ASSERT_TRUE(bar->addKeywordCondition(others.c_str()));
    ASSERT_GE(view->rowCount(), 2);
    EXPECT_EQ(host.grid().GetCurrSel(), -1);

    // Insert, Delete, F10, Enter and the context menu's commands change nothing, open nothing.
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_INSERT, VK_DELETE, VK_F10});
    SendMessageW(host.gridWindow(), WM_KEYDOWN, VK_RETURN, 1);
    for (int id : {AssembleFinanceGrid::CmdAddToWatchList, AssembleFinanceGrid::CmdRemoveFromWatchList,
                   AssembleFinanceGrid::CmdOpenArchive, AssembleFinanceGrid::CmdAddToFundsPool})
        SendMessageW(host.gridWindow(), WM_COMMAND, WPARAM(id), 0);
    wguitest::pumpFor(300);
    EXPECT_EQ(host.watched->adds, 0);
    EXPECT_EQ(host.watched->removes, 0);
    EXPECT_TRUE(host.fundsPool->list().codes().empty());
    EXPECT_EQ(host.chart->window(), nullptr);
    EXPECT_TRUE(browser.addresses(0).empty());

    // A product the filter keeps stays selected, on its new row, and the keys act on it.
    bar->removeCondition(0);
    const std::wstring kept = text(1, L"code");
    ASSERT_TRUE(host.select(kept.c_str()));
    ASSERT_TRUE(bar->addKeywordCondition(text(1, L"name").c_str()));
    ASSERT_EQ(view->rowCount(), 1);
    EXPECT_EQ(host.grid().GetCurrSel(), 0);
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_INSERT});
    EXPECT_TRUE(host.watched->has(kept.c_str()));
}

TEST(GridCommands, UninitialiseLetsGoOfTheHostsModules) {
    CommandHost host;
    auto references = [](IXUnknown* object) {
        object->addRef();
        return object->release();
    };
    IXUnknown* const modules[] = {host.app.get(), host.menuTool.get(), host.watched.get(), host.chart.get()};
    std::vector<int> before;
    for (IXUnknown* m : modules)
        before.push_back(references(m));
    host.start();
    // A key read against the menu tool's bindings, and the grid painted (watched products are
    // highlighted): the grid holds on to both modules.
    KeyTarget target;
    pressThroughClientLoop(host.app.get(), target.hwnd, {VK_F6});
    host.grid().Invalidate(false);
    UpdateWindow(host.gridWindow());
    EXPECT_GT(references(host.menuTool.get()), before[1]);
    EXPECT_GT(references(host.watched.get()), before[2]);

    // Here, not when the library unloads: nothing of the host is released under the loader lock.
    host.module->uninitialize();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(references(modules[i]), before[i]) << "module " << i;
}
