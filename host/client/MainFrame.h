// "mod_MainFrame": the main window with its menu, toolbar, the tab control "vex_tab_fundvalue"
// and a status line.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "App.h"
#include "RefCounted.h"
#include "TabControl.h"

namespace Client {

class MainFrame final : public RefCounted<IMainFrameModule> {
public:
    static constexpr const char* kTabName = "vex_tab_fundvalue";
    static constexpr int kFirstToolId = 40000;

    MainFrame();
    ~MainFrame() override;

    // Creates the window (hidden); false when the window or its children could not be made.
    bool create(const wchar_t* title, HMENU menu);
    HWND hwnd() const { return hwnd_; }
    HWND toolbar() const { return toolbar_; }
    TabControl* tabControl() const { return tab_.get(); }

    // Menu commands and timers other than the frame's own go to this handler.
    void setCommandHandler(std::function<void(int)> handler) { onCommand_ = std::move(handler); }
    void setTimerHandler(std::function<void(UINT_PTR)> handler) { onTimer_ = std::move(handler); }
    void setStatus(const std::wstring& text);
    // A second part of the status bar that stays while the client runs (settings that will not
    // be kept); empty removes it.
    void setWarning(const std::wstring& text);
    HWND statusBar() const { return status_; }

    // IModule
    bool getModuleInfo(ModuleInfo& info) override;
    int32_t notify(int32_t, int32_t) override { return 0; }
    int32_t initialize(IApp*, XStringW&) override { return 0; }
    void uninitialize() override;

    // IMainFrameModule
    XComPtr<ITabCtrl> getTabCtrl(const char* name) override;
    bool activatePage(ITabPage* page) override;
    bool addToolButton(const char* name, const char* closedName, const ToolButtonInfo& info) override;

    int toolButtonCount() const { return static_cast<int>(buttons_.size()); }
    // Clicks a toolbar button as the user would (the click arrives as WM_COMMAND).
    void clickToolButton(int index);

private:
    struct ToolButton {
        std::string name;
        std::string closedName;
        std::wstring caption;
        XComPtr<IEvent> event;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void layout();
    void layoutStatusParts();

    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    XComPtr<TabControl> tab_;
    std::vector<ToolButton> buttons_;
    std::wstring warning_;
    std::function<void(int)> onCommand_;
    std::function<void(UINT_PTR)> onTimer_;
};

} // namespace Client
