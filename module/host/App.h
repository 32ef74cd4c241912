// The host application as a module sees it, and the host modules this module talks to.
#pragma once

#include <windows.h>
#include <cstdint>
#include "Conf.h"
#include "Data.h"
#include "Kernel.h"
#include "Module.h"
#include "Theme.h"

// Offered key messages before they are dispatched; true consumes the message.
class IPreMessageHandler : public IXUnknown {
public:
    virtual bool preTranslateMessage(const MSG& msg) = 0;

protected:
    ~IPreMessageHandler() = default;
};

class IApp : public IXUnknown {
public:
    // The loaded module of that name, or null.
    virtual XComPtr<IModule> getModule(const char* name) = 0;
    virtual XComPtr<IThemeMgr> getThemeManager() = 0;
    virtual XComPtr<Conf::IConfManager> getSystemConfManager() = 0;
    virtual XComPtr<Conf::IConfManager> getUserConfManager() = 0;
    // Handlers of higher priority are asked first.
    virtual bool addPreMessageHandler(int priority, IPreMessageHandler* handler) = 0;

protected:
    ~IApp() = default;
};

class ITabCtrl;

// A page of the main frame's tab control.
class ITabPage : public IXUnknown {
public:
    virtual HWND create(HWND parent, ITabCtrl* tabCtrl) = 0;
    virtual bool isCreated() = 0;
    virtual XComPtr<ITabCtrl> tabControl() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void redraw() = 0;
    virtual void move(int x, int y, int width, int height) = 0;
    virtual XStringW getTitle() = 0;
    virtual void changeFilters(Data::IDataFilter* displayRemove, Data::IDataFilter* displayAdd,
                               Data::IDataFilter* mainRemove, Data::IDataFilter* mainAdd) = 0;
    virtual void refreshData() = 0;

protected:
    ~ITabPage() = default;
};

class ITabCtrl : public IXUnknown {
public:
    // Creates the page's window inside the tab control and adds its tab; false on failure.
    virtual bool addPage(ITabPage* page) = 0;
    virtual bool activatePage(ITabPage* page) = 0;
    virtual HWND getHwnd() = 0;

protected:
    ~ITabCtrl() = default;
};

// A toolbar button that raises commandEvent when clicked.
struct ToolButtonInfo {
    int32_t kind = 0;
    int32_t reserved1 = 0;
    XStringW caption;
    XStringW text2;
    int32_t reserved2 = 0;
    XComPtr<IEvent> commandEvent;
};

class IMainFrameModule : public IModule {
public:
    virtual XComPtr<ITabCtrl> getTabCtrl(const char* name) = 0;
    virtual bool activatePage(ITabPage* page) = 0;
    virtual bool addToolButton(const char* name, const char* closedName, const ToolButtonInfo& info) = 0;

protected:
    ~IMainFrameModule() = default;
};

// A hot key as the menu tool module defines it.
struct HotKey {
    uint8_t ctrl = 0;
    uint8_t shift = 0;
    uint8_t alt = 0;
    uint8_t padding = 0;
    int32_t key = 0;

    // A key-down of vk is this binding: the key is the same and the one modifier that counts
    // (Ctrl, else Alt, else Shift, whichever is required first) is down now. Only the key's
    // current state is asked; "pressed at some time since the last call" is not "down".
    bool Matches(int vk) const {
        if (key != vk)
            return false;
        if (ctrl)
            return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
        if (alt)
            return (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
        if (shift)
            return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
        return true;
    }
};
static_assert(sizeof(HotKey) == 8, "HotKey layout is shared with the host");

class IMenuToolModule : public IModule {
public:
    virtual void getAddWatchHotKey(HotKey& key) = 0;
    virtual void getRemoveWatchHotKey(HotKey& key) = 0;
    virtual void getArchiveHotKey(HotKey& key) = 0;
    virtual void getRefreshHotKey(HotKey& key) = 0;

protected:
    ~IMenuToolModule() = default;
};

class IConcernFundModule : public IModule {
public:
    virtual bool isWatched(const XStringW& code) = 0;
    virtual void addWatched(const XStringW& code) = 0;
    virtual void removeWatched(const XStringW& code) = 0;

protected:
    ~IConcernFundModule() = default;
};

class IFundsPoolModule : public IModule {
public:
    virtual void addFund(XStringW code) = 0;

protected:
    ~IFundsPoolModule() = default;
};

class IChartModule : public IModule {
public:
    virtual void showChart(const wchar_t* code, int kind, Data::IDataContainer* products, int flags) = 0;
    // True when the host showed the product's archive itself.
    virtual bool showArchive(const wchar_t* code) = 0;

protected:
    ~IChartModule() = default;
};

// Argument of "event_update_lastvalue" and "event_update_buyredeemstate".
struct UpdateEventArg {
    int32_t kind = 0;
    int32_t state = 0;
    uint8_t flag = 0;
};
