// The small host modules the page talks to: menu tool (hot keys), watched list, funds pool and
// charts. The lists are kept in the user configuration store, the hot keys in the system store.
#pragma once

#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "App.h"
#include "ChartModule.h"
#include "CodeListWindow.h"
#include "HostModule.h"

namespace Client {

// "mod_MenuTool": the four hot keys, read from the system configuration ("Ctrl+Shift+K" and the
// like); archive F10, add to the watched list Insert, remove Delete, refresh F5 by default.
class MenuToolModule final : public HostModule<IMenuToolModule> {
public:
    enum Which { AddWatch, RemoveWatch, Archive, Refresh };
    static constexpr int kBindingCount = 4;
    MenuToolModule();
    void getAddWatchHotKey(HotKey& key) override { key = keys_[AddWatch]; }
    void getRemoveWatchHotKey(HotKey& key) override { key = keys_[RemoveWatch]; }
    void getArchiveHotKey(HotKey& key) override { key = keys_[Archive]; }
    void getRefreshHotKey(HotKey& key) override { key = keys_[Refresh]; }
    void setHotKey(Which which, const HotKey& key) { keys_[which] = key; }
    const HotKey& hotKey(Which which) const { return keys_[which]; }

    // The system configuration key of a binding ("Client2/System/HotKeys/Archive", ...), its
    // default and what it does, as the menu shows it.
    static const wchar_t* bindingPath(Which which);
    static HotKey defaultKey(Which which);
    static const wchar_t* bindingTitle(Which which);

    // Reads the four bindings. A missing key keeps the default; a text that is not a hot key
    // keeps it too, and gives one line for the client's summary.
    std::vector<std::wstring> loadBindings(Conf::IConfManager* systemStore);

private:
    HotKey keys_[kBindingCount];
};

// A list of product codes kept under one user configuration key, one code per line.
class CodeList {
public:
    CodeList(Conf::IConfManager* store, const wchar_t* path);
    bool contains(const std::wstring& code) const;
    // False when the list did not change.
    bool add(const std::wstring& code);
    bool remove(const std::wstring& code);
    // Removes them all with one save; false when none was in the list.
    bool remove(const std::vector<std::wstring>& codes);
    const std::vector<std::wstring>& codes() const { return codes_; }

private:
    void save();
    XComPtr<Conf::IConfManager> store_;
    std::wstring path_;
    std::vector<std::wstring> codes_;
};

// "mod_ConcernFund": the watched list; raises "event_ConcernChanged" after each change.
class ConcernFundModule final : public HostModule<IConcernFundModule> {
public:
    static constexpr const wchar_t* kKey = L"/Client2/UserConfig/ConcernFund/Codes";
    static constexpr const char* kChangedEvent = "event_ConcernChanged";
    explicit ConcernFundModule(Conf::IConfManager* userStore);
    bool isWatched(const XStringW& code) override;
    void addWatched(const XStringW& code) override;
    void removeWatched(const XStringW& code) override;
    // One change of the list, one event.
    void removeWatched(const std::vector<std::wstring>& codes);
    const CodeList& list() const { return list_; }

    // The watched list's window, reading names and values from db.
    void setDatabase(IDatabase* db) { window_.setDatabase(db); }
    bool showWindow(HWND owner) { return window_.show(owner); }
    CodeListWindow& window() { return window_; }

private:
    CodeList list_;
    CodeListWindow window_;
};

// "mod_FundsPool": the user's funds pool; raises "event_FundsPoolChanged" after each change.
class FundsPoolModule final : public HostModule<IFundsPoolModule> {
public:
    static constexpr const wchar_t* kKey = L"/Client2/UserConfig/FundsPool/Codes";
    static constexpr const char* kChangedEvent = "event_FundsPoolChanged";
    explicit FundsPoolModule(Conf::IConfManager* userStore);
    void addFund(XStringW code) override;
    void removeFund(const std::wstring& code);
    // One change of the list, one event.
    void removeFunds(const std::vector<std::wstring>& codes);
    const CodeList& list() const { return list_; }

    void setDatabase(IDatabase* db) { window_.setDatabase(db); }
    bool showWindow(HWND owner) { return window_.show(owner); }
    CodeListWindow& window() { return window_; }

private:
    CodeList list_;
    CodeListWindow window_;
};

} // namespace Client
