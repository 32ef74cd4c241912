// Base of the typed wrappers over system controls; adds nothing but the type.
#pragma once

#include "wgui/WindowBase.h"

namespace WGUI {

class ControlBase : public WindowBase {
public:
    using WindowBase::WindowBase;
    ~ControlBase() override = default;
};

} // namespace WGUI
