#include "FallbackServices.h"

#include <windows.h>
#include <cstdio>
#include <vector>
#include "RefCounted.h"

namespace Client {

namespace {

class Value final : public RefCounted<Conf::IConfValue> {
public:
    explicit Value(std::wstring text) : text_(std::move(text)) {}
    XStringW getString() const override { return XStringW(text_.c_str()); }
    void setString(const wchar_t* text) override { text_ = text ? text : L""; }
    double getDouble() const override {
        wchar_t* end = nullptr;
        double d = wcstod(text_.c_str(), &end);
        return end && end != text_.c_str() && *end == 0 ? d : 0;
    }

private:
    std::wstring text_;
};

std::string toUtf8(const std::wstring& w) {
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring fromUtf8(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::wstring escape(const std::wstring& t) {
    std::wstring out;
    for (wchar_t c : t)
        out += c == L'\\'   ? L"\\\\"
               : c == L'\n' ? L"\\n"
               : c == L'\t' ? L"\\t"
               : c == L'\r' ? L"\\r"
                            : std::wstring(1, c);
    return out;
}

std::wstring unescape(const std::wstring& t) {
    std::wstring out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != L'\\' || i + 1 == t.size()) {
            out += t[i];
            continue;
        }
        wchar_t c = t[++i];
        out += c == L'n' ? L'\n' : c == L't' ? L'\t' : c == L'r' ? L'\r' : c;
    }
    return out;
}

class Store final : public RefCounted<Conf::IConfManager> {
public:
    explicit Store(std::wstring file) : file_(std::move(file)) { load(); }

    XComPtr<Conf::IConfKey> getKey(const wchar_t* path) override;
    XComPtr<Conf::IConfKey> openKey(const wchar_t* path) override;
    bool removeKey(const wchar_t* path) override {
        if (!path || !values_.erase(path))
            return false;
        save();
        return true;
    }

    std::wstring get(const std::wstring& path) const {
        auto it = values_.find(path);
        return it == values_.end() ? std::wstring() : it->second;
    }
    bool set(const std::wstring& path, const std::wstring& value) {
        values_[path] = value;
        return save();
    }

private:
    void load() {
        FILE* f = _wfopen(file_.c_str(), L"rb");
        if (!f)
            return;
        std::string all;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            all.append(buf, n);
        fclose(f);
        std::wstring text = fromUtf8(all);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos)
                end = text.size();
            std::wstring line = text.substr(start, end - start);
            size_t tab = line.find(L'\t');
            if (tab != std::wstring::npos)
                values_[unescape(line.substr(0, tab))] = unescape(line.substr(tab + 1));
            start = end + 1;
        }
    }
    // Written beside the store and renamed over it, so a crash never leaves half a file.
    bool save() {
        if (file_.empty())
            return true;
        std::string out;
        for (auto& kv : values_)
            out += toUtf8(escape(kv.first) + L"\t" + escape(kv.second)) + "\n";
        std::wstring tmp = file_ + L".tmp";
        FILE* f = _wfopen(tmp.c_str(), L"wb");
        if (!f)
            return false;
        bool ok = fwrite(out.data(), 1, out.size(), f) == out.size();
        ok = fclose(f) == 0 && ok;
        return ok &&
               MoveFileExW(tmp.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }

    std::wstring file_;
    std::map<std::wstring, std::wstring> values_;
};

class Key final : public RefCounted<Conf::IConfKey> {
public:
    Key(Store* store, std::wstring path) : store_(store), path_(std::move(path)) {}
    XStringW getPath() const override { return XStringW(path_.c_str()); }
    XComPtr<Conf::IConfValue> getValue() override {
        return XComPtr<Conf::IConfValue>(new Value(store_->get(path_)));
    }
    bool setValue(Conf::IConfValue* value) override {
        return value && store_->set(path_, value->getString().c_str());
    }

private:
    XComPtr<Store> store_;
    std::wstring path_;
};

XComPtr<Conf::IConfKey> Store::getKey(const wchar_t* path) {
    if (!path || !values_.count(path))
        return nullptr;
    return XComPtr<Conf::IConfKey>(new Key(this, path));
}

XComPtr<Conf::IConfKey> Store::openKey(const wchar_t* path) {
    if (!path || !*path)
        return nullptr;
    if (!values_.count(path))
        set(path, L"");
    return XComPtr<Conf::IConfKey>(new Key(this, path));
}

class Theme final : public RefCounted<ITheme> {
public:
    Theme(const wchar_t* name, std::map<std::string, COLORREF> colours)
        : name_(name), colours_(std::move(colours)) {}
    XStringW getName() const override { return XStringW(name_.c_str()); }
    bool getColor(const char* key, COLORREF& colour) override {
        auto it = key ? colours_.find(key) : colours_.end();
        if (it == colours_.end())
            return false;
        colour = it->second;
        return true;
    }
    bool getFont(const char* key, FontInfo& font) override {
        if (!key)
            return false;
        std::string k = key;
        bool bold = k.find("bold") != std::string::npos || k == "fntn_font_name";
        font.faceName = L"WenQuanYi Micro Hei";
        font.size = 9;
        font.bold = bold ? 1 : 0;
        font.italic = font.underline = 0;
        font.attributes = XStringW::format(L"font-family=\"%s\" font-size=\"9\" font-style=\"%s\"",
                                           font.faceName.c_str(), bold ? L"bold" : L"normal");
        return true;
    }
    int getInt(const char*) override { return 0; }
    bool getData(const char*, const unsigned char**, int*, int) override { return false; }

private:
    std::wstring name_;
    std::map<std::string, COLORREF> colours_;
};

class ThemeMgr final : public RefCounted<IThemeMgr> {
public:
    ThemeMgr() {
        themes_.emplace_back(new Theme(L"dark", {{"wnd_general_bg", RGB(24, 24, 28)},
                                                 {"list_bg", RGB(0, 0, 0)},
                                                 {"list_column_bg", RGB(30, 30, 36)},
                                                 {"list_border", RGB(70, 70, 70)},
                                                 {"list_border_inside", RGB(40, 40, 40)},
                                                 {"list_title", RGB(220, 220, 220)},
                                                 {"list_name", RGB(255, 215, 80)},
                                                 {"list_cur_data", RGB(230, 230, 230)},
                                                 {"list_value_positive", RGB(255, 60, 60)},
                                                 {"list_value_negative", RGB(0, 200, 0)}}));
        themes_.emplace_back(new Theme(L"light", {{"wnd_general_bg", RGB(240, 240, 240)},
                                                  {"list_bg", RGB(255, 255, 255)},
                                                  {"list_column_bg", RGB(225, 230, 240)},
                                                  {"list_border", RGB(160, 160, 160)},
                                                  {"list_border_inside", RGB(215, 215, 215)},
                                                  {"list_title", RGB(20, 20, 20)},
                                                  {"list_name", RGB(0, 60, 160)},
                                                  {"list_cur_data", RGB(30, 30, 30)},
                                                  {"list_value_positive", RGB(210, 0, 0)},
                                                  {"list_value_negative", RGB(0, 140, 0)}}));
    }
    XComPtr<ITheme> getCurrentTheme() override { return themes_[current_]; }
    int themeCount() const override { return static_cast<int>(themes_.size()); }
    XComPtr<ITheme> getTheme(int index) override {
        return index >= 0 && index < themeCount() ? themes_[index] : nullptr;
    }
    bool setCurrentTheme(const wchar_t* name) override {
        for (size_t i = 0; name && i < themes_.size(); ++i)
            if (themes_[i]->getName().compare(name) == 0) {
                current_ = i;
                return true;
            }
        return false;
    }

private:
    std::vector<XComPtr<ITheme>> themes_;
    size_t current_ = 0;
};

} // namespace

XComPtr<Conf::IConfManager> createFallbackConfStore(const std::wstring& file) {
    return XComPtr<Conf::IConfManager>(new Store(file));
}

XComPtr<IThemeMgr> createFallbackThemeManager() {
    return XComPtr<IThemeMgr>(new ThemeMgr());
}

} // namespace Client
