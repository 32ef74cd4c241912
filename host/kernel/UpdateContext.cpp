#include "UpdateContext.h"

namespace Data {

void UpdateContext::commit() {
    UpdateTarget* target = target_;
    if (!target)
        return;
    target_ = nullptr;
    try {
        target->endUpdate();
    } catch (...) {
        // A sink that throws must not take the committer down with it.
    }
    owner_ = nullptr;
}

} // namespace Data
