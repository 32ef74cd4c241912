#include "HostModules.h"

#include <algorithm>
#include "HotKeyText.h"
#include "Kernel.h"

namespace Client {

namespace {

struct Binding {
    const wchar_t* path;
    const wchar_t* title;
    int vk;
};

// In the order of MenuToolModule::Which.
const Binding kBindings[MenuToolModule::kBindingCount] = {
    {L"Client2/System/HotKeys/AddWatch", L"加入自选", VK_INSERT},
    {L"Client2/System/HotKeys/RemoveWatch", L"删除自选", VK_DELETE},
    {L"Client2/System/HotKeys/Archive", L"转到基金档案", VK_F10},
    {L"Client2/System/HotKeys/Refresh", L"刷新", VK_F5},
};

} // namespace

MenuToolModule::MenuToolModule() : HostModule("mod_MenuTool", L"菜单工具") {
    for (int i = 0; i < kBindingCount; ++i)
        keys_[i] = defaultKey(static_cast<Which>(i));
}

const wchar_t* MenuToolModule::bindingPath(Which which) {
    return kBindings[which].path;
}

const wchar_t* MenuToolModule::bindingTitle(Which which) {
    return kBindings[which].title;
}

HotKey MenuToolModule::defaultKey(Which which) {
    HotKey k;
    k.key = kBindings[which].vk;
    return k;
}

std::vector<std::wstring> MenuToolModule::loadBindings(Conf::IConfManager* systemStore) {
    std::vector<std::wstring> notes;
    for (int i = 0; i < kBindingCount; ++i) {
        const Which which = static_cast<Which>(i);
        keys_[i] = defaultKey(which);
        XComPtr<Conf::IConfKey> key = systemStore ? systemStore->getKey(bindingPath(which)) : nullptr;
        XComPtr<Conf::IConfValue> value = key ? key->getValue() : nullptr;
        if (!value)
            continue;
        std::wstring text = value->getString().c_str();
        if (!parseHotKey(text, keys_[i]))
            notes.push_back(std::wstring(L"hot key ") + bindingPath(which) + L" = \"" + text +
                            L"\" cannot be read; " + hotKeyText(keys_[i]) + L" in use");
    }
    return notes;
}

CodeList::CodeList(Conf::IConfManager* store, const wchar_t* path) : store_(store), path_(path) {
    if (!store_)
        return;
    XComPtr<Conf::IConfKey> key = store_->getKey(path);
    if (!key)
        return;
    XComPtr<Conf::IConfValue> value = key->getValue();
    if (!value)
        return;
    XStringW text = value->getString();
    std::wstring all(text.c_str());
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(L'\n', start);
        if (end == std::wstring::npos)
            end = all.size();
        std::wstring code = all.substr(start, end - start);
        if (!code.empty() && !contains(code))
            codes_.push_back(code);
        start = end + 1;
    }
}

bool CodeList::contains(const std::wstring& code) const {
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

bool CodeList::add(const std::wstring& code) {
    // A line break would split one code into two on the next start.
    if (code.empty() || code.find(L'\n') != std::wstring::npos || contains(code))
        return false;
    codes_.push_back(code);
    save();
    return true;
}

bool CodeList::remove(const std::wstring& code) {
    auto it = std::find(codes_.begin(), codes_.end(), code);
    if (it == codes_.end())
        return false;
    codes_.erase(it);
    save();
    return true;
}

bool CodeList::remove(const std::vector<std::wstring>& codes) {
    const size_t before = codes_.size();
    codes_.erase(std::remove_if(codes_.begin(), codes_.end(),
                                [&](const std::wstring& c) {
                                    return std::find(codes.begin(), codes.end(), c) != codes.end();
                                }),
                 codes_.end());
    if (codes_.size() == before)
        return false;
    save();
    return true;
}

void CodeList::save() {
    if (!store_)
        return;
    std::wstring text;
    for (const std::wstring& c : codes_)
        text += c + L"\n";
    XComPtr<Conf::IConfKey> key = store_->openKey(path_.c_str());
    XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
    if (!key)
        return;
    if (!value)
        value = key->getValue();
    if (!value)
        return;
    value->setString(text.c_str());
    key->setValue(value);
}

ConcernFundModule::ConcernFundModule(Conf::IConfManager* userStore)
    : HostModule("mod_ConcernFund", L"自选基金"), list_(userStore, kKey),
      window_({L"自选基金", kChangedEvent, [this] { return list_.codes(); },
               [this](const std::vector<std::wstring>& codes) { removeWatched(codes); }, L"ConcernFund", 1}) {
}

bool ConcernFundModule::isWatched(const XStringW& code) {
    return list_.contains(code.c_str());
}

void ConcernFundModule::addWatched(const XStringW& code) {
    if (list_.add(code.c_str()))
        if (XComPtr<IEvent> e = createEvent(kChangedEvent))
            e->raise(nullptr);
}

void ConcernFundModule::removeWatched(const XStringW& code) {
    if (list_.remove(code.c_str()))
        if (XComPtr<IEvent> e = createEvent(kChangedEvent))
            e->raise(nullptr);
}

void ConcernFundModule::removeWatched(const std::vector<std::wstring>& codes) {
    if (list_.remove(codes))
        if (XComPtr<IEvent> e = createEvent(kChangedEvent))
            e->raise(nullptr);
}

FundsPoolModule::FundsPoolModule(Conf::IConfManager* userStore)
    : HostModule("mod_FundsPool", L"基金池"), list_(userStore, kKey),
      window_({L"基金池", kChangedEvent, [this] { return list_.codes(); },
               [this](const std::vector<std::wstring>& codes) { removeFunds(codes); }, L"FundsPool", 2}) {}

void FundsPoolModule::addFund(XStringW code) {
    if (list_.add(code.c_str()))
        if (XComPtr<IEvent> e = createEvent(kChangedEvent))
            e->raise(nullptr);
}

void FundsPoolModule::removeFund(const std::wstring& code) {
    if (list_.remove(code))
        if (XComPtr<IEvent> e = createEvent(kChangedEvent))
            e->raise(nullptr);
}

void FundsPoolModule::removeFunds(const std::vector<std::wstring>& codes) {
    if (list_.remove(codes))
        if (XComPtr<IEvent> e = createEvent(kChangedEvent))
            e->raise(nullptr);
}

} // namespace Client
