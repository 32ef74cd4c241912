#include "HeldFiles.h"

#include <windows.h>
#include <map>
#include <mutex>
#include <string>

namespace HeldFiles {

namespace {

std::mutex& guard() {
    static std::mutex mutex;
    return mutex;
}

// Path as given -> hold count.
std::map<std::wstring, int>& held() {
    static std::map<std::wstring, int> files;
    return files;
}

// Opened only to read its identity: any sharing, so a file open elsewhere does not refuse it.
bool identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    return ok;
}

std::wstring fullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    full.resize(n);
    return full;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    const std::wstring x = fullPath(a), y = fullPath(b);
    return CompareStringOrdinal(x.c_str(), int(x.size()), y.c_str(), int(y.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

void hold(const wchar_t* path) {
    if (!path || !*path)
        return;
    std::lock_guard<std::mutex> lock(guard());
    ++held()[path];
}

void release(const wchar_t* path) {
    if (!path || !*path)
        return;
    std::lock_guard<std::mutex> lock(guard());
    auto found = held().find(path);
    if (found != held().end() && --found->second <= 0)
        held().erase(found);
}

bool holds(const wchar_t* path) {
    if (!path || !*path)
        return false;
    BY_HANDLE_FILE_INFORMATION target{};
    const bool exists = identity(path, target);
    std::lock_guard<std::mutex> lock(guard());
    for (const auto& entry : held()) {
        BY_HANDLE_FILE_INFORMATION file{};
        if (identity(entry.first, file)) {
            if (exists && file.dwVolumeSerialNumber == target.dwVolumeSerialNumber &&
                file.nFileIndexHigh == target.nFileIndexHigh && file.nFileIndexLow == target.nFileIndexLow)
                return true;
        } else if (!exists && sameName(entry.first, path)) {
            return true;
        }
    }
    return false;
}

} // namespace HeldFiles
