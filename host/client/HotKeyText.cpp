#include "HotKeyText.h"

#include <cwctype>
#include <vector>

namespace Client {

namespace {

struct NamedKey {
    const wchar_t* name;
    int vk;
};

const NamedKey kNamedKeys[] = {{L"Insert", VK_INSERT}, {L"Delete", VK_DELETE}, {L"Home", VK_HOME},
                               {L"End", VK_END},       {L"PageUp", VK_PRIOR},  {L"PageDown", VK_NEXT},
                               {L"Up", VK_UP},         {L"Down", VK_DOWN},     {L"Left", VK_LEFT},
                               {L"Right", VK_RIGHT},   {L"Space", VK_SPACE},   {L"Enter", VK_RETURN},
                               {L"Tab", VK_TAB},       {L"Escape", VK_ESCAPE}, {L"Backspace", VK_BACK}};

std::wstring trimmed(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::iswspace(s[b]))
        ++b;
    while (e > b && std::iswspace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool sameWord(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return i == a.size() && !b[i];
}

// The virtual-key code of one key name, or 0.
int keyCode(const std::wstring& name) {
    if (name.size() == 1) {
        wchar_t c = static_cast<wchar_t>(std::towupper(name[0]));
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
            return c;
        return 0;
    }
    if ((name[0] == L'F' || name[0] == L'f') && name.size() <= 3) {
        int n = 0;
        for (size_t i = 1; i < name.size(); ++i) {
            if (name[i] < L'0' || name[i] > L'9')
                return 0;
            n = n * 10 + (name[i] - L'0');
        }
        if (name[1] != L'0' && n >= 1 && n <= 24)
            return VK_F1 + n - 1;
        return 0;
    }
    for (const NamedKey& k : kNamedKeys)
        if (sameWord(name, k.name))
            return k.vk;
    return 0;
}

} // namespace

bool parseHotKey(const std::wstring& text, HotKey& key) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t plus = text.find(L'+', start);
        parts.push_back(
            trimmed(text.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start)));
        if (plus == std::wstring::npos)
            break;
        start = plus + 1;
    }
    HotKey k;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        uint8_t* flag = nullptr;
        if (sameWord(parts[i], L"Ctrl") || sameWord(parts[i], L"Control"))
            flag = &k.ctrl;
        else if (sameWord(parts[i], L"Shift"))
            flag = &k.shift;
        else if (sameWord(parts[i], L"Alt"))
            flag = &k.alt;
        if (!flag || *flag)
            return false;
        *flag = 1;
    }
    if (parts.back().empty())
        return false;
    k.key = keyCode(parts.back());
    if (k.key == 0)
        return false;
    key = k;
    return true;
}

std::wstring hotKeyText(const HotKey& key) {
    std::wstring text;
    if (key.ctrl)
        text += L"Ctrl+";
    if (key.shift)
        text += L"Shift+";
    if (key.alt)
        text += L"Alt+";
    int vk = key.key;
    if ((vk >= L'A' && vk <= L'Z') || (vk >= L'0' && vk <= L'9'))
        return text + static_cast<wchar_t>(vk);
    if (vk >= VK_F1 && vk <= VK_F24)
        return text + L"F" + std::to_wstring(vk - VK_F1 + 1);
    for (const NamedKey& k : kNamedKeys)
        if (k.vk == vk)
            return text + k.name;
    return text + L"?";
}

} // namespace Client
