// Holds a file open without sharing, as a spreadsheet holds the file it shows, for the export
// tests: file_holder.exe FILE READY_EVENT RELEASE_EVENT. Sets the first named event once the file
// is open and lets it go when the second is set (or after a minute).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release)
        return 1;
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return 0;
}
