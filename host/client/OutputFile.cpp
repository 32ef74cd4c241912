#include "OutputFile.h"

#include <windows.h>
#include "File.h"
#include "Kernel.h"

namespace Client {

namespace {

// Opened only to read its identity: any sharing, so an open database does not refuse it.
bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    return ok;
}

} // namespace

bool isSameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    if (a.empty() || b.empty() || !fileIdentity(a, first) || !fileIdentity(b, second))
        return false;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

bool writeFileReplacing(const std::wstring& path, const std::string& bytes, std::wstring& error) {
    XComPtr<IFile> file = createInstanceAs<IFile>("File.File");
    if (!file) {
        error = L"the host offers no file writer";
        return false;
    }
    if (!file->open(path.c_str(), FileModeCreateWrite)) {
        error = L"cannot write " + path;
        return false;
    }
    // Without close the writer drops its temporary file when released.
    if (!file->write(bytes.data(), int64_t(bytes.size())) || !file->close()) {
        error = L"cannot write " + path;
        return false;
    }
    return true;
}

std::string utf8(const std::wstring& w) {
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

} // namespace Client
