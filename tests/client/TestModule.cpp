// A module built like the real one, for the client's tests: it adds two pages to the tab control
// "vex_tab_fundvalue" (the first with a date picker), a toolbar button whose event brings the
// first page forward, two pre-message handlers (priorities 100 and 200, registered in that
// order), offers a one-row product table, and records every host event it hears.
#include <windows.h>
#include <commctrl.h>
#include "Kernel.h"
#include "module/IAssembleFinanceModule.h"
#include "TestModuleState.h"

namespace {

TestModuleState g_state;

class TestPage final : public ITabPage {
public:
    TestPage(int index, const wchar_t* title) : index_(index), title_(title) {}
    int addRef() override { return 1; }
    int release() override { return 1; }

    HWND create(HWND parent, ITabCtrl* tabCtrl) override {
        static ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &TestPage::proc;
            wc.hInstance = GetModuleHandleW(L"TestModule.dll");
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = L"TestModulePage";
            return RegisterClassExW(&wc);
        }();
        if (!atom)
            return nullptr;
        tab_ = tabCtrl;
        hwnd_ = CreateWindowExW(0, L"TestModulePage", L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                                nullptr, GetModuleHandleW(L"TestModule.dll"), this);
        if (hwnd_ && index_ == 0)
            CreateWindowExW(0, DATETIMEPICK_CLASSW, L"", WS_CHILD | WS_VISIBLE, 305, 5, 85, 20, hwnd_,
                            reinterpret_cast<HMENU>(1001), GetModuleHandleW(L"TestModule.dll"), nullptr);
        g_state.pages[index_] = hwnd_;
        return hwnd_;
    }
    bool isCreated() override { return hwnd_ != nullptr; }
    XComPtr<ITabCtrl> tabControl() override { return tab_; }
    void show() override {
        ++g_state.showCalls[index_];
        ShowWindow(hwnd_, SW_SHOW);
    }
    void hide() override {
        ++g_state.hideCalls[index_];
        ShowWindow(hwnd_, SW_HIDE);
    }
    void redraw() override { InvalidateRect(hwnd_, nullptr, TRUE); }
    void move(int x, int y, int w, int h) override {
        g_state.lastMove[index_] = RECT{x, y, x + w, y + h};
        SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    XStringW getTitle() override { return XStringW(title_); }
    void changeFilters(Data::IDataFilter*, Data::IDataFilter*, Data::IDataFilter*,
                       Data::IDataFilter*) override {}
    void refreshData() override {}

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<TestPage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self && self->index_ == 0) {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (hdr->code == DTN_DATETIMECHANGE) {
                ++g_state.pickerChanges;
                g_state.lastPickerDate = reinterpret_cast<NMDATETIMECHANGE*>(lParam)->st;
            }
        }
        if (msg == WM_NCDESTROY && self) {
            self->hwnd_ = nullptr;
            self->tab_ = nullptr;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    int index_;
    const wchar_t* title_;
    HWND hwnd_ = nullptr;
    XComPtr<ITabCtrl> tab_;
};

class KeyHandler final : public IPreMessageHandler {
public:
    explicit KeyHandler(int priority) : priority_(priority) {}
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool preTranslateMessage(const MSG& msg) override {
        if (g_state.keyLogCount < 16)
            g_state.keyLog[g_state.keyLogCount++] = priority_;
        return priority_ == 200 && g_state.consumeKey != 0 &&
               static_cast<int>(msg.wParam) == g_state.consumeKey;
    }

private:
    int priority_;
};

// Offers the product table as the real module does, so the client's --dump has rows to write.
class TestModule final : public IAssembleFinanceModule {
public:
    XComPtr<Data::IDataTable> getDataTable() override {
        XComPtr<Data::IDataTable> table = createInstanceAs<Data::IDataTable>("Data.DataTable");
        if (table) {
            table->addColumn(L"code", Data::ValueText);
            table->getRow(table->addRow()).getItem(0).setText(L"T00001");
        }
        return table;
    }
    bool selectByCode(const wchar_t*) override { return false; }
    void refresh() override {}

    int addRef() override { return 1; }
    int release() override { return 1; }
    bool getModuleInfo(ModuleInfo& info) override {
        info.name = XStringA("mod_TestModule");
        info.description = L"测试模块";
        info.moduleNumber = 1;
        info.moduleVersion = 1;
        return true;
    }
    int32_t notify(int32_t, int32_t) override { return 0; }

    int32_t initialize(IApp* app, XStringW& error) override {
        ++g_state.initializeCalls;
        subscribe("event_update_lastvalue", &TestModule::onValue);
        subscribe("event_update_buyredeemstate", &TestModule::onBuyRedeem);
        subscribe("event_theme_changed", &TestModule::onTheme);
        subscribe("event_ConcernChanged", &TestModule::onConcern);
        frame_ = XComPtr<IMainFrameModule>(app->getModule("mod_MainFrame"));
        if (!frame_)
            return 1;
        app->addPreMessageHandler(100, &low_);
        app->addPreMessageHandler(200, &high_);
        XComPtr<ITabCtrl> tab = frame_->getTabCtrl("vex_tab_fundvalue");
        if (!tab) {
            error = L"无法获取vex_tab_fundvalue控件。";
            return 1;
        }
        if (!tab->addPage(&first_) || !tab->addPage(&second_))
            return 1;
        XComPtr<IEvent> command = createEvent("Event_TestModuleCmd");
        command->subscribe(&TestModule::onCommand, this);
        ToolButtonInfo button;
        button.caption = L"测试页面";
        button.commandEvent = command;
        frame_->addToolButton("button_test", "button_test_closed", button);
        return 0;
    }
    void uninitialize() override { frame_ = nullptr; }

private:
    void subscribe(const char* name, EventHandler handler) {
        if (XComPtr<IEvent> e = createEvent(name))
            e->subscribe(handler, this);
    }
    static void onCommand(void*, void* self) {
        ++g_state.commandEvents;
        auto* m = static_cast<TestModule*>(self);
        if (m->frame_)
            m->frame_->activatePage(&m->first_);
    }
    static void onValue(void* arg, void*) {
        ++g_state.valueEvents;
        g_state.lastValue = *static_cast<UpdateEventArg*>(arg);
    }
    static void onBuyRedeem(void* arg, void*) {
        ++g_state.buyRedeemEvents;
        g_state.lastBuyRedeem = *static_cast<UpdateEventArg*>(arg);
    }
    static void onTheme(void* arg, void*) {
        ++g_state.themeEvents;
        g_state.lastTheme = static_cast<ITheme*>(arg);
    }
    static void onConcern(void*, void*) { ++g_state.concernEvents; }

    TestPage first_{0, L"测试页一"};
    TestPage second_{1, L"测试页二"};
    KeyHandler low_{100};
    KeyHandler high_{200};
    XComPtr<IMainFrameModule> frame_;
};

} // namespace

extern "C" __declspec(dllexport) void* ModuleInstance() {
    static TestModule module;
    return static_cast<IModule*>(&module);
}

extern "C" __declspec(dllexport) TestModuleState* GetTestModuleState() {
    return &g_state;
}
