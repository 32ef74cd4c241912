// Reference counting for the client's host objects: each concrete class deletes itself when its
// last XComPtr lets go, as every host interface requires.
#pragma once

#include <atomic>

namespace Client {

template <class Base> class RefCounted : public Base {
public:
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            destroySelf();
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    void destroySelf() { delete this; }
    std::atomic<int> refs_{0};
};

} // namespace Client
