// Full paths and file identities for the host's own checks on both sides of Kernel.dll: the
// files "File.File" refuses to replace, and the client's guards for its outputs.
#pragma once

#include <windows.h>
#include <string>

namespace FilePaths {

// The path made absolute and canonical ("\" only, "." and ".." resolved); the path itself when
// the system cannot make it so.
inline std::wstring fullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), n, &full[0], nullptr));
    return full;
}

// The volume and file index of an existing file or folder. Opened only to read them, with any
// sharing, so a file open elsewhere (the database) does not refuse it.
inline bool identity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    return ok;
}

inline bool sameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace FilePaths
