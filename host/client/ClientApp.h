// The client's IApp: the module registry, the host services and the pre-message handlers.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "App.h"
#include "RefCounted.h"

namespace Client {

class ClientApp final : public RefCounted<IApp> {
public:
    XComPtr<IModule> getModule(const char* name) override;
    XComPtr<IThemeMgr> getThemeManager() override { return themeMgr_; }
    XComPtr<Conf::IConfManager> getSystemConfManager() override { return systemConf_; }
    XComPtr<Conf::IConfManager> getUserConfManager() override { return userConf_; }
    bool addPreMessageHandler(int priority, IPreMessageHandler* handler) override;

    // Registers a module under its name; a later registration of the same name replaces it.
    void addModule(const char* name, IModule* module);
    void removeModule(const char* name);
    void setThemeManager(IThemeMgr* mgr) { themeMgr_ = mgr; }
    void setConfManagers(Conf::IConfManager* system, Conf::IConfManager* user) {
        systemConf_ = system;
        userConf_ = user;
    }

    // Keys typed into other top-level windows of the client (the chart, the lists) belong to
    // those windows: with a root set, the loop offers only the keys of the root's own windows.
    void setKeyRoot(HWND root) { keyRoot_ = root; }

    // Offers a key-down to the handlers, higher priority first (equal priorities in the order
    // added); true when one consumed it. Other messages are never offered.
    bool preTranslate(const MSG& msg);
    // The message loop: pre-translation, then TranslateMessage/DispatchMessage. Returns the
    // WM_QUIT exit code.
    int run();
    // Called by run() whenever the queue is empty, so everything posted, painted or due by then
    // is done (the modal loops of menus and dialogs never call it). While it returns true it is
    // called again at the next empty queue; once false, only after another message.
    void setIdleHandler(std::function<bool()> handler) { idle_ = std::move(handler); }
    // Drops every module and handler reference; the modules' uninitialize is the caller's.
    void clear();

private:
    struct Entry {
        std::string name;
        XComPtr<IModule> module;
    };
    struct Handler {
        int priority;
        XComPtr<IPreMessageHandler> handler;
    };
    std::vector<Entry> modules_;
    std::vector<Handler> handlers_;
    XComPtr<IThemeMgr> themeMgr_;
    XComPtr<Conf::IConfManager> systemConf_;
    XComPtr<Conf::IConfManager> userConf_;
    HWND keyRoot_ = nullptr;
    std::function<bool()> idle_;
};

} // namespace Client
