// Sets a page's end date the way a user does: through its date picker control.
#pragma once

#include <windows.h>

namespace Client {

// The first "SysDateTimePick32" among the window's descendants, or null.
HWND findDatePicker(HWND root);
enum class PickerResult { Set, NoPicker, Refused };

// Puts the date into the picker (DTM_SETSYSTEMTIME) and tells its parent, as the control does
// after a user's change (WM_NOTIFY with DTN_DATETIMECHANGE). The date is read back: a picker
// keeps its own date for one outside its range (before 1752-09-14), and then nobody is told.
PickerResult setPickerDate(HWND picker, int year, int month, int day);

} // namespace Client
