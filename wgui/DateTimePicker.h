// A "SysDateTimePick32" common control.
#pragma once

#include <commctrl.h>
#include "wgui/ControlBase.h"

namespace WGUI {

class DateTimePicker : public ControlBase {
public:
    using ControlBase::ControlBase;
    ~DateTimePicker() override = default;

    bool setFormat(const wchar_t* format) {
        return sendMessage(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format)) != 0;
    }
    bool setTime(const SYSTEMTIME& time) {
        return sendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0;
    }
};

} // namespace WGUI
