// Host parts the product grid talks to, kept in memory: the user configuration, the watched list
// and the application that hands them out.
#pragma once

#include <map>
#include <set>
#include <string>
#include "module/host/App.h"

template <class Interface> class Counted : public Interface {
public:
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~Counted() = default;

private:
    int refs_ = 0;
};

class FakeConfValue final : public Counted<Conf::IConfValue> {
public:
    XStringW getString() const override { return text; }
    void setString(const wchar_t* value) override { text = value; }
    double getDouble() const override { return text.toDouble(); }
    XStringW text;
};

class FakeConfManager;

class FakeConfKey final : public Counted<Conf::IConfKey> {
public:
    FakeConfKey(FakeConfManager* owner, std::wstring path) : owner_(owner), path_(std::move(path)) {}
    XStringW getPath() const override { return path_.c_str(); }
    XComPtr<Conf::IConfValue> getValue() override;
    bool setValue(Conf::IConfValue* value) override;

private:
    FakeConfManager* owner_;
    std::wstring path_;
};

class FakeConfManager final : public Counted<Conf::IConfManager> {
public:
    XComPtr<Conf::IConfKey> getKey(const wchar_t* path) override {
        return values.count(path) ? XComPtr<Conf::IConfKey>(new FakeConfKey(this, path)) : nullptr;
    }
    XComPtr<Conf::IConfKey> openKey(const wchar_t* path) override {
        values.emplace(path, std::wstring());
        return XComPtr<Conf::IConfKey>(new FakeConfKey(this, path));
    }
    bool removeKey(const wchar_t* path) override { return values.erase(path) > 0; }
    std::map<std::wstring, std::wstring> values;
};

inline XComPtr<Conf::IConfValue> FakeConfKey::getValue() {
    XComPtr<FakeConfValue> value(new FakeConfValue);
    value->text = owner_->values[path_].c_str();
    return value;
}

inline bool FakeConfKey::setValue(Conf::IConfValue* value) {
    owner_->values[path_] = value->getString().c_str();
    return true;
}

class FakeConcern final : public Counted<IConcernFundModule> {
public:
    bool getModuleInfo(ModuleInfo&) override { return true; }
    int32_t notify(int32_t, int32_t) override { return 0; }
    int32_t initialize(IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
    bool isWatched(const XStringW& code) override { return codes.count(code.c_str()) > 0; }
    void addWatched(const XStringW& code) override { codes.insert(code.c_str()); }
    void removeWatched(const XStringW& code) override { codes.erase(code.c_str()); }
    std::set<std::wstring> codes;
};

class FakeApp final : public Counted<IApp> {
public:
    XComPtr<IModule> getModule(const char* name) override {
        ++moduleRequests;
        return std::string(name) == "mod_ConcernFund" ? XComPtr<IModule>(concern.get()) : nullptr;
    }
    XComPtr<IThemeMgr> getThemeManager() override { return nullptr; }
    XComPtr<Conf::IConfManager> getSystemConfManager() override { return nullptr; }
    XComPtr<Conf::IConfManager> getUserConfManager() override { return userConf; }
    bool addPreMessageHandler(int, IPreMessageHandler*) override { return true; }

    XComPtr<FakeConfManager> userConf{new FakeConfManager};
    XComPtr<FakeConcern> concern;
    int moduleRequests = 0;
};
