// Helpers for tests that need real windows: a visible top-level host window and message pumping.
#pragma once

#include <windows.h>
#include <functional>
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

namespace wguitest {

// Dispatches every waiting message of this thread.
inline void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until the condition holds or the time is up; returns the condition's last value.
inline bool pumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

// Registers a class that runs through the toolkit's procedure (once per name).
inline const wchar_t* toolkitClass(const wchar_t* name) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &WGUI::WindowProc::windowProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
    }
    return name;
}

// A visible top-level window of a toolkit class that records the messages it sees.
class HostWindow : public WGUI::WindowBase {
public:
    explicit HostWindow(const RECT& rect = RECT{0, 0, 400, 200}) {
        // Shown without activation: Wine hands activated windows to the (absent) window manager
        // and then waits two seconds for it whenever they are hidden.
        create(WS_POPUP, WS_EX_TOOLWINDOW, toolkitClass(L"WguiTestHost"), L"host", rect, nullptr, 0,
               GetModuleHandleW(nullptr), &router);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd);
    }
    ~HostWindow() override {
        if (isWindow())
            destroyWindow();
    }
    bool onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT*) override {
        if (msg == WM_COMMAND) {
            ++commands;
            lastCommand = wParam;
        }
        return false;
    }

    WGUI::WindowProc router;
    int commands = 0;
    WPARAM lastCommand = 0;
};

} // namespace wguitest
