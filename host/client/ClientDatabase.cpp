#include "ClientDatabase.h"

#include <windows.h>

namespace Client {

bool generateSampleDatabase(const std::wstring& path, const std::wstring& programDir, std::wstring& message) {
    std::wstring exe = programDir + L"\\sampledata.exe";
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        message = L"no database at " + path + L" and no sampledata.exe to make one";
        return false;
    }
    std::wstring command = L"\"" + exe + L"\" \"" + path + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi)) {
        message = L"cannot start " + exe;
        return false;
    }
    WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code != 0 || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        message = L"sampledata.exe failed (" + std::to_wstring(code) + L")";
        return false;
    }
    message = L"sample database generated: " + path;
    return true;
}

XComPtr<IModule> openDatabaseModule(const std::wstring& path, const std::wstring& programDir,
                                    std::wstring& message) {
    (void)path;
    (void)programDir;
    message = L"no database module in this build; the page has no data";
    return nullptr;
}

void appendValuationDay(IModule* database, const std::wstring& path) {
    (void)database;
    (void)path;
}

} // namespace Client
