// The small host modules the page talks to: menu tool (hot keys), watched list, funds pool and
// charts. The lists are kept in the user configuration store.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "App.h"
#include "RefCounted.h"

namespace Client {

template <class Base> class HostModule : public RefCounted<Base> {
public:
    HostModule(const char* name, const wchar_t* description) : name_(name), description_(description) {}
    bool getModuleInfo(ModuleInfo& info) override {
        info.name = XStringA(name_);
        info.description = description_;
        info.moduleNumber = 0;
        info.moduleVersion = 0x01000000;
        return true;
    }
    int32_t notify(int32_t, int32_t) override { return 0; }
    int32_t initialize(IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
    const char* name() const { return name_; }

private:
    const char* name_;
    const wchar_t* description_;
};

// "mod_MenuTool": archive F10, add to the watched list Insert, remove Delete, refresh F5.
class MenuToolModule final : public HostModule<IMenuToolModule> {
public:
    enum Which { AddWatch, RemoveWatch, Archive, Refresh };
    MenuToolModule();
    void getAddWatchHotKey(HotKey& key) override { key = keys_[AddWatch]; }
    void getRemoveWatchHotKey(HotKey& key) override { key = keys_[RemoveWatch]; }
    void getArchiveHotKey(HotKey& key) override { key = keys_[Archive]; }
    void getRefreshHotKey(HotKey& key) override { key = keys_[Refresh]; }
    void setHotKey(Which which, const HotKey& key) { keys_[which] = key; }

private:
    HotKey keys_[4];
};

// A list of product codes kept under one user configuration key, one code per line.
class CodeList {
public:
    CodeList(Conf::IConfManager* store, const wchar_t* path);
    bool contains(const std::wstring& code) const;
    // False when the list did not change.
    bool add(const std::wstring& code);
    bool remove(const std::wstring& code);
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
    explicit ConcernFundModule(Conf::IConfManager* userStore);
    bool isWatched(const XStringW& code) override;
    void addWatched(const XStringW& code) override;
    void removeWatched(const XStringW& code) override;
    const CodeList& list() const { return list_; }

private:
    CodeList list_;
};

// "mod_FundsPool": the user's funds pool.
class FundsPoolModule final : public HostModule<IFundsPoolModule> {
public:
    static constexpr const wchar_t* kKey = L"/Client2/UserConfig/FundsPool/Codes";
    explicit FundsPoolModule(Conf::IConfManager* userStore);
    void addFund(XStringW code) override;
    const CodeList& list() const { return list_; }

private:
    CodeList list_;
};

// "mod_Chart": a plain window per product showing its values; archives are left to the caller.
class ChartModule final : public HostModule<IChartModule> {
public:
    ChartModule();
    ~ChartModule() override;
    void showChart(const wchar_t* code, int kind, Data::IDataContainer* products, int flags) override;
    bool showArchive(const wchar_t*) override { return false; }
    HWND lastWindow() const { return last_; }

private:
    HWND last_ = nullptr;
};

} // namespace Client
