#include "ConfManager.h"

#include <windows.h>
#include <string>
#include "ConfKey.h"
#include "FileWriter.h"
#include "HeldFiles.h"

namespace Conf {

namespace {

const char kHeader[] = "# configuration store 1";

std::string toUtf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

bool fromUtf8(const std::string& bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty())
        return true;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(size_t(n));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), &out[0], n);
    return true;
}

void escapeInto(std::wstring& out, const std::wstring& text) {
    for (wchar_t c : text) {
        switch (c) {
        case L'\\':
            out += L"\\\\";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'=':
            out += L"\\=";
            break;
        default:
            out += c;
        }
    }
}

// Splits "path=value" at the first unescaped "="; false for a line that is not one.
bool parseLine(const std::wstring& line, std::wstring& path, std::wstring& value) {
    path.clear();
    value.clear();
    std::wstring* target = &path;
    bool sawEquals = false;
    for (size_t i = 0; i < line.size(); ++i) {
        wchar_t c = line[i];
        if (c == L'\\') {
            if (++i == line.size())
                return false;
            switch (line[i]) {
            case L'\\':
                *target += L'\\';
                break;
            case L'n':
                *target += L'\n';
                break;
            case L'r':
                *target += L'\r';
                break;
            case L'=':
                *target += L'=';
                break;
            default:
                return false;
            }
        } else if (c == L'=' && !sawEquals) {
            sawEquals = true;
            target = &value;
        } else {
            *target += c;
        }
    }
    return sawEquals && !path.empty();
}

enum class ReadResult { Missing, Read, Failed };

ReadResult readFile(const std::wstring& file, std::string& bytes) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                      : ReadResult::Failed;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < (1LL << 30);
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (ReadFile(h, &bytes[0], DWORD(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    CloseHandle(h);
    return ok ? ReadResult::Read : ReadResult::Failed;
}

void createParentFolders(const std::wstring& file) {
    for (size_t i = 1; i < file.size(); ++i) {
        if ((file[i] == L'\\' || file[i] == L'/') && file[i - 1] != L':')
            CreateDirectoryW(file.substr(0, i).c_str(), nullptr);
    }
}

} // namespace

ConfManager::ConfManager(const wchar_t* storeFile, const wchar_t* pathPrefix)
    : file_(storeFile ? storeFile : L""), prefix_(pathPrefix ? pathPrefix : L""), heldFile_(file_) {
    // Held even when unreadable and kept aside: no export or dump may take the store's place.
    HeldFiles::hold(heldFile_.c_str());
    load();
}

ConfManager::~ConfManager() {
    HeldFiles::release(heldFile_.c_str());
}

bool ConfManager::accepts(const wchar_t* path) const {
    return path && *path && std::wstring(path).compare(0, prefix_.size(), prefix_) == 0;
}

XComPtr<IConfKey> ConfManager::getKey(const wchar_t* path) {
    if (!accepts(path) || !hasKey(path))
        return nullptr;
    XComPtr<IConfKey> key;
    key.attach(new ConfKey(this, path));
    return key;
}

XComPtr<IConfKey> ConfManager::openKey(const wchar_t* path) {
    if (!accepts(path))
        return nullptr;
    if (!hasKey(path)) {
        values_[path];
        save();
    }
    XComPtr<IConfKey> key;
    key.attach(new ConfKey(this, path));
    return key;
}

bool ConfManager::removeKey(const wchar_t* path) {
    if (!accepts(path) || values_.erase(path) == 0)
        return false;
    save();
    return true;
}

XStringW ConfManager::value(const std::wstring& path) const {
    auto it = values_.find(path);
    return it == values_.end() ? XStringW() : XStringW(it->second.c_str(), int(it->second.size()));
}

bool ConfManager::setValue(const std::wstring& path, const XStringW& text) {
    // Kept in memory even when the file cannot be written, so this session still reads it.
    values_[path] = std::wstring(text.c_str(), size_t(text.length()));
    return save();
}

void ConfManager::load() {
    if (file_.empty())
        return;
    std::string bytes;
    ReadResult result = readFile(file_, bytes);
    if (result == ReadResult::Missing)
        return;
    std::map<std::wstring, std::wstring> values;
    bool ok = result == ReadResult::Read;
    if (ok && bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    std::wstring text;
    ok = ok && fromUtf8(bytes, text);
    if (ok && !text.empty()) {
        bool header = false;
        size_t start = 0;
        while (ok && start <= text.size()) {
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos)
                end = text.size();
            std::wstring line = text.substr(start, end - start);
            if (!line.empty() && line.back() == L'\r')
                line.pop_back();
            start = end + 1;
            if (!header) {
                ok = toUtf8(line) == kHeader;
                header = true;
                continue;
            }
            if (line.empty() || line[0] == L'#')
                continue;
            std::wstring path, value;
            ok = parseLine(line, path, value);
            if (ok)
                values[path] = value;
        }
    }
    if (ok) {
        values_.swap(values);
        readFromFile_ = true;
        return;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[64];
    wsprintfW(stamp, L".corrupt-%04d%02d%02d-%02d%02d%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    for (int n = 0; n < 100; ++n) {
        std::wstring aside = file_ + stamp;
        if (n > 0)
            aside += L"-" + std::to_wstring(n);
        if (MoveFileW(file_.c_str(), aside.c_str())) {
            movedAside_ = aside;
            return;
        }
    }
    // It could not be moved: the store stays empty and never writes over the unread file.
    file_.clear();
}

bool ConfManager::save() const {
    if (file_.empty())
        return false;
    std::wstring text;
    for (const auto& entry : values_) {
        escapeInto(text, entry.first);
        text += L'=';
        escapeInto(text, entry.second);
        text += L"\r\n";
    }
    std::string bytes = std::string(kHeader) + "\r\n" + toUtf8(text);
    createParentFolders(file_);
    saveFailed_ = !FileWriter::writeAll(file_.c_str(), bytes.data(), int64_t(bytes.size()));
    return !saveFailed_;
}

bool ConfManager::keepsChanges() const {
    if (file_.empty() || saveFailed_)
        return false;
    // A folder still to be made is made by the first save; one that exists must take a file.
    size_t slash = file_.find_last_of(L"\\/");
    if (slash != std::wstring::npos &&
        GetFileAttributesW(file_.substr(0, slash).c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    FileWriter probe; // released without close: the temporary file goes, the store is untouched
    return probe.openOwnFile(file_.c_str());
}

} // namespace Conf
