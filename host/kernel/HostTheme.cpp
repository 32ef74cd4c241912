#include "HostTheme.h"

#include <cwctype>

namespace {

std::wstring trim(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::iswspace(s[b]))
        ++b;
    while (e > b && std::iswspace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string ascii(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) {
        if (c > 0x7F)
            return std::string(); // keys are ASCII; anything else can never be asked for
        out += char(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    return out;
}

bool readBytes(const std::wstring& file, std::vector<unsigned char>& bytes) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < (64LL << 20);
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (ReadFile(h, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    CloseHandle(h);
    return ok;
}

// A resource of type THEMEFILE in this library.
bool readResource(const wchar_t* name, std::vector<unsigned char>& bytes) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&readResource), &self))
        return false;
    HRSRC info = FindResourceW(self, name, L"THEMEFILE");
    HGLOBAL handle = info ? LoadResource(self, info) : nullptr;
    const auto* data = handle ? static_cast<const unsigned char*>(LockResource(handle)) : nullptr;
    DWORD size = info ? SizeofResource(self, info) : 0;
    if (!data || size == 0)
        return false;
    bytes.assign(data, data + size);
    return true;
}

bool parseInt(const std::wstring& text, int& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    long v = std::wcstol(text.c_str(), &end, 0);
    if (!end || *end)
        return false;
    value = int(v);
    return true;
}

// "#RRGGBB" as written in web colours; COLORREF keeps the bytes in the order 0x00BBGGRR.
bool parseColour(const std::wstring& text, COLORREF& colour) {
    if (text.size() != 7 || text[0] != L'#')
        return false;
    unsigned v = 0;
    for (size_t i = 1; i < 7; ++i) {
        wchar_t c = text[i];
        unsigned d = c >= L'0' && c <= L'9'   ? c - L'0'
                     : c >= L'a' && c <= L'f' ? c - L'a' + 10
                     : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                              : 16;
        if (d > 15)
            return false;
        v = v << 4 | d;
    }
    colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    return true;
}

// Keys are matched without regard to ASCII case, as theme authors spell them variously.
std::string lowerKey(const char* key) {
    std::string out(key);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

std::wstring xmlAttribute(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

bool HostTheme::load(const std::wstring& file) {
    std::vector<unsigned char> bytes;
    if (!readBytes(file, bytes))
        return false;
    size_t skip = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    std::wstring text;
    if (bytes.size() > skip) {
        const char* p = reinterpret_cast<const char*>(bytes.data()) + skip;
        int n = MultiByteToWideChar(CP_UTF8, 0, p, int(bytes.size() - skip), nullptr, 0);
        text.resize(size_t(n > 0 ? n : 0));
        if (n > 0)
            MultiByteToWideChar(CP_UTF8, 0, p, int(bytes.size() - skip), &text[0], n);
    }
    size_t slash = file.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
    std::wstring stem = file.substr(slash == std::wstring::npos ? 0 : slash + 1);
    size_t dot = stem.rfind(L'.');
    name_ = dot == std::wstring::npos ? stem : stem.substr(0, dot);
    parse(text, folder);
    return true;
}

void HostTheme::parse(const std::wstring& text, const std::wstring& folder) {
    parse(text, [&folder](const std::wstring& name, std::vector<unsigned char>& bytes) {
        // A file name beside the theme file; no way out of the theme's folder.
        if (name.empty() || name.find(L"..") != std::wstring::npos || name.find(L':') != std::wstring::npos ||
            name[0] == L'\\' || name[0] == L'/')
            return false;
        return readBytes(folder + name, bytes);
    });
}

bool HostTheme::loadBuiltIn() {
    std::vector<unsigned char> bytes;
    if (!readResource(L"BUILTIN_THEME", bytes))
        return false;
    std::wstring text;
    int n = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()),
                                nullptr, 0);
    text.resize(size_t(n > 0 ? n : 0));
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()),
                            &text[0], n);
    name_ = L"dark";
    parse(text, [](const std::wstring& name, std::vector<unsigned char>& data) {
        std::wstring resource;
        for (wchar_t c : name)
            resource += c == L'.' ? L'_' : c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c;
        return readResource(resource.c_str(), data);
    });
    return true;
}

void HostTheme::parse(const std::wstring& text, const DataReader& readData) {
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == L'#' || line[0] == L';')
            continue;
        if (line[0] == L'[') {
            size_t close = line.find(L']');
            section = close == std::wstring::npos ? std::string() : ascii(trim(line.substr(1, close - 1)));
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos)
            continue;
        std::string key = ascii(trim(line.substr(0, eq)));
        if (!key.empty())
            setEntry(section, key, trim(line.substr(eq + 1)), readData);
    }
}

void HostTheme::setEntry(const std::string& section, const std::string& key, const std::wstring& value,
                         const DataReader& readData) {
    if (section == "theme") {
        if (key == "name" && !value.empty())
            name_ = value;
        else if (key == "default")
            default_ = value == L"yes" || value == L"true" || value == L"1";
    } else if (section == "colors") {
        COLORREF c;
        if (parseColour(value, c))
            colours_[key] = c;
    } else if (section == "ints") {
        int v;
        if (parseInt(value, v))
            ints_[key] = v;
    } else if (section == "fonts") {
        // face, size[, bold][, italic][, underline]
        Font font;
        size_t pos = 0;
        int field = 0;
        bool ok = true;
        while (pos <= value.size()) {
            size_t comma = value.find(L',', pos);
            if (comma == std::wstring::npos)
                comma = value.size();
            std::wstring part = trim(value.substr(pos, comma - pos));
            pos = comma + 1;
            if (field == 0)
                font.face = part;
            else if (field == 1)
                ok = parseInt(part, font.size) && font.size > 0;
            else if (part == L"bold")
                font.bold = true;
            else if (part == L"italic")
                font.italic = true;
            else if (part == L"underline")
                font.underline = true;
            else
                ok = false;
            ++field;
        }
        if (ok && field >= 2 && !font.face.empty())
            fonts_[key] = font;
    } else if (section == "data") {
        std::vector<unsigned char> bytes;
        if (readData(value, bytes) && !bytes.empty())
            data_[key] = std::move(bytes);
    }
}

bool HostTheme::getColor(const char* key, COLORREF& colour) {
    auto it = key ? colours_.find(lowerKey(key)) : colours_.end();
    if (it == colours_.end())
        return false;
    colour = it->second;
    return true;
}

bool HostTheme::getFont(const char* key, FontInfo& font) {
    auto it = key ? fonts_.find(lowerKey(key)) : fonts_.end();
    if (it == fonts_.end())
        return false;
    const Font& f = it->second;
    font.faceName = f.face.c_str();
    font.size = f.size;
    font.italic = f.italic;
    font.bold = f.bold;
    font.underline = f.underline;
    std::wstring style;
    if (f.bold)
        style += L"bold";
    if (f.italic)
        style += style.empty() ? L"italic" : L" italic";
    if (f.underline)
        style += style.empty() ? L"underline" : L" underline";
    if (style.empty())
        style = L"normal";
    std::wstring attributes = L"font-family=\"" + xmlAttribute(f.face) + L"\" font-size=\"" +
                              std::to_wstring(f.size) + L"\" font-style=\"" + style + L"\"";
    font.attributes = attributes.c_str();
    return true;
}

int HostTheme::getInt(const char* key) {
    auto it = key ? ints_.find(lowerKey(key)) : ints_.end();
    return it == ints_.end() ? 0 : it->second;
}

bool HostTheme::getData(const char* key, const unsigned char** bytes, int* size, int) {
    auto it = key ? data_.find(lowerKey(key)) : data_.end();
    if (it == data_.end())
        return false;
    if (bytes)
        *bytes = it->second.data();
    if (size)
        *size = int(it->second.size());
    return true;
}
