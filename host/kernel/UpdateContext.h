// The context object handed out by beginUpdate of tables and views.
#pragma once

#include "Data.h"
#include "RefCounted.h"

namespace Data {

// What a context ends: the owner counts open contexts and acts when the outermost one ends.
class UpdateTarget {
public:
    virtual void endUpdate() = 0;

protected:
    ~UpdateTarget() = default;
};

class UpdateContext final : public RefCounted<IUpdateContext> {
public:
    // Keeps owner alive until the context ends; target is the same object.
    UpdateContext(IXUnknown* owner, UpdateTarget* target) : owner_(owner), target_(target) {}
    ~UpdateContext() override { commit(); }

    // Ends this context once; later calls do nothing.
    void commit() override;

private:
    XComPtr<IXUnknown> owner_;
    UpdateTarget* target_;
};

} // namespace Data
