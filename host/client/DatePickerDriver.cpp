#include "DatePickerDriver.h"

#include <commctrl.h>
#include <cwchar>

namespace Client {

namespace {

BOOL CALLBACK findPicker(HWND hwnd, LPARAM out) {
    wchar_t cls[64];
    if (GetClassNameW(hwnd, cls, 64) && _wcsicmp(cls, DATETIMEPICK_CLASSW) == 0) {
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND findDatePicker(HWND root) {
    HWND found = nullptr;
    if (root)
        EnumChildWindows(root, findPicker, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool setPickerDate(HWND picker, int year, int month, int day) {
    if (!picker || !IsWindow(picker))
        return false;
    NMDATETIMECHANGE change{};
    change.st.wYear = static_cast<WORD>(year);
    change.st.wMonth = static_cast<WORD>(month);
    change.st.wDay = static_cast<WORD>(day);
    if (!SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&change.st)))
        return false;
    // The control fills in the weekday; send back what it now holds.
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&change.st));
    change.dwFlags = GDT_VALID;
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker));
    change.nmhdr.code = DTN_DATETIMECHANGE;
    SendMessageW(GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    return true;
}

} // namespace Client
