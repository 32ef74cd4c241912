#include "DatePickerDriver.h"

#include <commctrl.h>
#include <cwchar>
#include "WindowSearch.h"

namespace Client {

HWND findDatePicker(HWND root) {
    return findDescendant(root, DATETIMEPICK_CLASSW);
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
