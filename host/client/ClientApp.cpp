#include "ClientApp.h"

#include <algorithm>

namespace Client {

XComPtr<IModule> ClientApp::getModule(const char* name) {
    if (!name)
        return nullptr;
    for (Entry& e : modules_)
        if (e.name == name)
            return e.module;
    return nullptr;
}

bool ClientApp::addPreMessageHandler(int priority, IPreMessageHandler* handler) {
    if (!handler)
        return false;
    for (const Handler& h : handlers_)
        if (h.handler.get() == handler)
            return false;
    // Insert after every handler of the same or higher priority: stable among equals.
    auto at = std::find_if(handlers_.begin(), handlers_.end(),
                           [priority](const Handler& h) { return h.priority < priority; });
    handlers_.insert(at, Handler{priority, XComPtr<IPreMessageHandler>(handler)});
    return true;
}

void ClientApp::addModule(const char* name, IModule* module) {
    for (Entry& e : modules_)
        if (e.name == name) {
            e.module = module;
            return;
        }
    modules_.push_back(Entry{name, XComPtr<IModule>(module)});
}

void ClientApp::removeModule(const char* name) {
    modules_.erase(
        std::remove_if(modules_.begin(), modules_.end(), [name](const Entry& e) { return e.name == name; }),
        modules_.end());
}

bool ClientApp::preTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    // A handler may register another while being asked; work on a snapshot.
    std::vector<Handler> snapshot = handlers_;
    for (Handler& h : snapshot) {
        try {
            if (h.handler->preTranslateMessage(msg))
                return true;
        } catch (...) {
            // A failing handler does not keep the key from the others or from the window.
        }
    }
    return false;
}

int ClientApp::run() {
    MSG msg;
    BOOL got;
    bool idleDue = true;
    for (;;) {
        // PeekMessage also reports due paints and timers, so an empty queue means all is drawn.
        if (idleDue && idle_ && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            idleDue = idle_();
            continue;
        }
        if ((got = GetMessageW(&msg, nullptr, 0, 0)) == 0)
            break;
        idleDue = true;
        if (got == -1)
            return -1;
        const bool offered = !keyRoot_ || !msg.hwnd || GetAncestor(msg.hwnd, GA_ROOT) == keyRoot_;
        if (offered && preTranslate(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void ClientApp::clear() {
    idle_ = nullptr;
    handlers_.clear();
    modules_.clear();
    themeMgr_ = nullptr;
    systemConf_ = nullptr;
    userConf_ = nullptr;
}

} // namespace Client
