#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>
#include "tests/wgui/TestWindows.h"
#include "wgui/Button.h"
#include "wgui/ControlBase.h"

using wguitest::HostWindow;
using wguitest::toolkitClass;

namespace {

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

// A control object that may swallow its own WM_COMMAND notifications.
class ReflectingButton : public WGUI::Button {
public:
    bool onReflectedMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        if (msg != WM_COMMAND)
            return false;
        ++reflected;
        *result = 0;
        return handleCommands;
    }
    bool handleCommands = true;
    int reflected = 0;
};

class RecordingWindow : public WGUI::WindowBase {
public:
    bool onMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        if (msg == WM_CREATE)
            createdWith = hwnd;
        if (msg == WM_USER + 1)
            throw std::runtime_error("handler failed");
        if (msg == WM_USER + 2) {
            *result = 42;
            return true;
        }
        return false;
    }
    HWND createdWith = nullptr;
};

LRESULT CALLBACK countingProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
int g_ncDestroyCount = 0;
LRESULT CALLBACK countingProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY)
        ++g_ncDestroyCount;
    if (msg == WM_USER + 3)
        return 7;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND createCountingWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &countingProcedure;
    wc.hInstance = instance();
    wc.lpszClassName = L"WguiTestCounting";
    RegisterClassExW(&wc);
    return CreateWindowExW(0, L"WguiTestCounting", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance(),
                           nullptr);
}

} // namespace

TEST(WindowProcTest, UnroutedWindowGetsDefaultHandling) {
    HWND hwnd = CreateWindowExW(0, toolkitClass(L"WguiTestPlain"), L"", WS_POPUP, 0, 0, 50, 50, nullptr,
                                nullptr, instance(), nullptr);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), nullptr);
    // Text storage and hit testing are DefWindowProcW's work.
    EXPECT_TRUE(SetWindowTextW(hwnd, L"plain"));
    wchar_t text[16] = {};
    GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(text, L"plain");
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTCLIENT);
    DestroyWindow(hwnd);
}

TEST(WindowProcTest, OwnClassWindowIsRoutedFromCreationToItsLastMessage) {
    RecordingWindow window;
    WGUI::WindowProc router;
    HWND hwnd = window.create(WS_POPUP, 0, toolkitClass(L"WguiTestPlain"), L"t", RECT{0, 0, 30, 20}, nullptr,
                              0, instance(), &router);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(window.createdWith, hwnd);
    EXPECT_EQ(router.owner, &window);
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), &router);
    EXPECT_EQ(window.sendMessage(WM_USER + 2), 42);
    RECT rc = window.windowRect();
    EXPECT_EQ(rc.right - rc.left, 30);

    // A handler that throws does not take the process with it.
    EXPECT_EQ(window.sendMessage(WM_USER + 1), 0);

    // A parent's destruction ends the window: the object forgets the handle.
    DestroyWindow(hwnd);
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), nullptr);
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_FALSE(window.isWindow());
}

TEST(WindowProcTest, WindowOutlivingItsObjectFallsBackToDefaultHandling) {
    HWND hwnd = nullptr;
    {
        RecordingWindow window;
        WGUI::WindowProc router;
        hwnd = window.create(WS_POPUP, 0, toolkitClass(L"WguiTestPlain"), L"", RECT{0, 0, 10, 10}, nullptr, 0,
                             instance(), &router);
        ASSERT_TRUE(hwnd);
    }
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), nullptr);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER + 2, 0, 0), 0);
    EXPECT_TRUE(DestroyWindow(hwnd));
}

TEST(WindowProcTest, ControlCommandIsReflectedAndHandledCommandSkipsParent) {
    HostWindow host;
    ReflectingButton button;
    ASSERT_TRUE(button.create(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, L"Button", L"go", RECT{5, 5, 80, 30},
                              host.hwnd, 7, instance(), nullptr));
    WGUI::WindowProc router;
    ASSERT_TRUE(router.subclass(&button));

    button.sendMessage(BM_CLICK);
    EXPECT_EQ(button.reflected, 1);
    EXPECT_EQ(host.commands, 0);

    button.handleCommands = false;
    button.sendMessage(BM_CLICK);
    EXPECT_EQ(button.reflected, 2);
    EXPECT_EQ(host.commands, 1);
    EXPECT_EQ(LOWORD(host.lastCommand), 7);

    // The plain wrappers reach the control through the routing.
    EXPECT_EQ(host.child(7).hwnd, button.hwnd);
    EXPECT_EQ(button.checkState(), BST_UNCHECKED);
}

TEST(WindowProcTest, UnsubclassRestoresThePreviousProcedure) {
    HWND hwnd = createCountingWindow();
    ASSERT_TRUE(hwnd);
    WGUI::ControlBase control(hwnd);
    WGUI::WindowProc router;
    EXPECT_FALSE(router.unsubclass());
    ASSERT_TRUE(router.subclass(&control));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&WGUI::WindowProc::windowProcedure));
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), &router);
    // Unhandled messages still reach the control's own procedure.
    EXPECT_EQ(control.sendMessage(WM_USER + 3), 7);

    EXPECT_TRUE(router.unsubclass());
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&countingProcedure));
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), nullptr);
    EXPECT_EQ(router.owner, nullptr);
    EXPECT_EQ(router.previousProc, nullptr);
    EXPECT_FALSE(router.unsubclass());
    DestroyWindow(hwnd);
}

TEST(WindowProcTest, SubclassedControlGetsItsLastMessageAndItsObjectCanRouteTheNextOne) {
    g_ncDestroyCount = 0;
    HWND hwnd = createCountingWindow();
    ASSERT_TRUE(hwnd);
    WGUI::ControlBase control(hwnd);
    WGUI::WindowProc router;
    ASSERT_TRUE(router.subclass(&control));
    DestroyWindow(hwnd);
    // The control frees its own data at WM_NCDESTROY; skipping its procedure there would leak it.
    EXPECT_EQ(g_ncDestroyCount, 1);
    EXPECT_EQ(WGUI::WindowProc::fromHandle(hwnd), nullptr);
    EXPECT_EQ(control.hwnd, nullptr);

    // The same objects route the control made next, and hand it back its own procedure later.
    control.hwnd = createCountingWindow();
    ASSERT_TRUE(control.hwnd);
    ASSERT_TRUE(router.subclass(&control));
    EXPECT_EQ(WGUI::WindowProc::fromHandle(control.hwnd), &router);
    EXPECT_EQ(control.sendMessage(WM_USER + 3), 7);
    HWND second = control.hwnd;
    EXPECT_TRUE(router.unsubclass());
    EXPECT_EQ(GetWindowLongPtrW(second, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&countingProcedure));
    DestroyWindow(second);
}

namespace {

// A control that answers the notifications its parent receives about it.
class NotifiedControl : public WGUI::ControlBase {
public:
    using WGUI::ControlBase::ControlBase;
    bool onReflectedMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        reflected.push_back(msg);
        *result = 100 + static_cast<LRESULT>(reflected.size());
        return handles;
    }
    std::vector<UINT> reflected;
    bool handles = true;
};

class NotificationParent : public WGUI::WindowBase {
public:
    bool onMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        if (msg != WM_NOTIFY && msg != WM_DRAWITEM && msg != WM_MEASUREITEM)
            return false;
        seen.push_back(msg);
        *result = 7;
        return true;
    }
    std::vector<UINT> seen;
};

} // namespace

TEST(WindowProcTest, NotifyDrawAndMeasureAreReflectedToTheControlNamedInThem) {
    HostWindow host;
    NotificationParent parent;
    WGUI::WindowProc parentRouter;
    ASSERT_TRUE(parent.create(WS_CHILD | WS_VISIBLE, 0, toolkitClass(L"WguiTestPlain"), L"",
                              RECT{0, 0, 200, 100}, host.hwnd, 3, instance(), &parentRouter));
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 20, 20, parent.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(9)), instance(), nullptr);
    HWND stranger = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 30, 0, 20, 20, parent.hwnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(10)), instance(), nullptr);
    ASSERT_TRUE(child && stranger);
    NotifiedControl control(child);
    WGUI::WindowProc controlRouter;
    ASSERT_TRUE(controlRouter.subclass(&control));

    // Each names its control its own way: the sender's handle, the item's handle, the id.
    NMHDR notify{child, 9, 0xFFFFFFFE}; // NM_CLICK
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_STATIC;
    draw.CtlID = 9;
    draw.hwndItem = child;
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = 9;
    auto sendAll = [&] {
        return std::vector<LRESULT>{
            parent.sendMessage(WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&notify)),
            parent.sendMessage(WM_DRAWITEM, 9, reinterpret_cast<LPARAM>(&draw)),
            parent.sendMessage(WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure))};
    };
    EXPECT_EQ(sendAll(), (std::vector<LRESULT>{101, 102, 103}));
    EXPECT_EQ(control.reflected, (std::vector<UINT>{WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM}));
    EXPECT_TRUE(parent.seen.empty());

    // Not handled by the control, or about a control without an object: the parent has them.
    control.handles = false;
    EXPECT_EQ(sendAll(), (std::vector<LRESULT>{7, 7, 7}));
    EXPECT_EQ(control.reflected.size(), 6u);
    notify.hwndFrom = stranger;
    draw.hwndItem = stranger;
    measure.CtlID = 10;
    control.handles = true;
    EXPECT_EQ(sendAll(), (std::vector<LRESULT>{7, 7, 7}));
    EXPECT_EQ(control.reflected.size(), 6u);
    EXPECT_EQ(parent.seen.size(), 6u);
}
