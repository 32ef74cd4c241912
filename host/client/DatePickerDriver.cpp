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

PickerResult setPickerDate(HWND picker, int year, int month, int day) {
    if (!picker || !IsWindow(picker))
        return PickerResult::NoPicker;
    NMDATETIMECHANGE change{};
    change.st.wYear = static_cast<WORD>(year);
    change.st.wMonth = static_cast<WORD>(month);
    change.st.wDay = static_cast<WORD>(day);
    if (!SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&change.st)))
        return PickerResult::Refused;
    // The control fills in the weekday; send back what it now holds, which is not always what
    // was asked for.
    if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&change.st)) != GDT_VALID ||
        change.st.wYear != year || change.st.wMonth != month || change.st.wDay != day)
        return PickerResult::Refused;
    change.dwFlags = GDT_VALID;
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker));
    change.nmhdr.code = DTN_DATETIMECHANGE;
    SendMessageW(GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    return PickerResult::Set;
}

} // namespace Client
