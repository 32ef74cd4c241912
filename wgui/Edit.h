// A system "Edit" control.
#pragma once

#include "wgui/ControlBase.h"

namespace WGUI {

class Edit : public ControlBase {
public:
    using ControlBase::ControlBase;
    ~Edit() override = default;

    void limitText(int characters) { sendMessage(EM_LIMITTEXT, static_cast<WPARAM>(characters)); }
};

} // namespace WGUI
