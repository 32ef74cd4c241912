#include "HeldFiles.h"

#include <windows.h>
#include <map>
#include <mutex>
#include <string>
#include "FilePaths.h"

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

bool sameName(const std::wstring& a, const std::wstring& b) {
    const std::wstring x = FilePaths::fullPath(a), y = FilePaths::fullPath(b);
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
    const bool exists = FilePaths::identity(path, target);
    std::lock_guard<std::mutex> lock(guard());
    // A target that does not exist can only be a held file by name; the held files need not be
    // opened for it (an export to a new file skips a few system calls each).
    if (!exists) {
        for (const auto& entry : held())
            if (sameName(entry.first, path))
                return true;
        return false;
    }
    for (const auto& entry : held()) {
        BY_HANDLE_FILE_INFORMATION file{};
        if (FilePaths::identity(entry.first, file) && FilePaths::sameIdentity(file, target))
            return true;
    }
    return false;
}

} // namespace HeldFiles
