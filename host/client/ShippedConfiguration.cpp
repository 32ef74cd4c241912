#include "ShippedConfiguration.h"

#include <windows.h>

namespace Client {

void installShippedConfiguration(const std::wstring& profileDir, const std::wstring& programDir,
                                 std::wstring& note) {
    note.clear();
    const std::wstring shipped = programDir + L"\\system.conf", target = profileDir + L"\\system.conf";
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES ||
        GetFileAttributesW(shipped.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    // Fails rather than overwrites when another client made the file in the meantime.
    if (CopyFileW(shipped.c_str(), target.c_str(), TRUE))
        note = L"system settings installed from " + shipped;
    else if (GetLastError() != ERROR_FILE_EXISTS)
        note = L"cannot copy " + shipped + L" into the profile; built-in defaults in use";
}

} // namespace Client
