// Reference counting shared by the components of this library: one reference on construction,
// destroyed by the release that brings the count to zero.
#pragma once

#include <windows.h>

template <class... Interfaces> class RefCounted : public Interfaces... {
public:
    int addRef() override { return int(InterlockedIncrement(&refs_)); }
    int release() override {
        long n = InterlockedDecrement(&refs_);
        if (n == 0)
            delete this;
        return int(n);
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    long refs_ = 1;
};
