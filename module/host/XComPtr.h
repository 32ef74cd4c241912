// Reference-counting pointer to a host interface.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

template <class T>
class XComPtr {
public:
    XComPtr() = default;
    XComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    XComPtr(T* p) : p_(p) {
        if (p_)
            p_->addRef();
    }
    XComPtr(const XComPtr& other) : XComPtr(other.p_) {}
    XComPtr(XComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }

    // Conversion to another interface: an upcast when the types allow it, otherwise a run-time
    // type check that yields null when the object does not implement T.
    template <class U>
    XComPtr(const XComPtr<U>& other) : XComPtr(convert(other.get())) {}

    ~XComPtr() { reset(); }

    XComPtr& operator=(const XComPtr& other) {
        XComPtr(other).swap(*this);
        return *this;
    }
    XComPtr& operator=(XComPtr&& other) noexcept {
        XComPtr(std::move(other)).swap(*this);
        return *this;
    }
    XComPtr& operator=(T* p) {
        XComPtr(p).swap(*this);
        return *this;
    }
    XComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Takes over a reference the caller already owns (no addRef).
    void attach(T* p) {
        reset();
        p_ = p;
    }
    // Gives up the reference without releasing it.
    T* detach() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset() {
        if (T* p = detach())
            p->release();
    }
    void swap(XComPtr& other) noexcept { std::swap(p_, other.p_); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    operator T*() const { return p_; }

private:
    template <class U>
    static T* convert(U* p) {
        if constexpr (std::is_convertible_v<U*, T*>)
            return p;
        else
            return dynamic_cast<T*>(p);
    }

    T* p_ = nullptr;
};

// Run-time checked cast of a raw interface pointer; null when the object is not a T.
template <class T, class U>
XComPtr<T> xcom_cast(U* p) {
    return XComPtr<T>(dynamic_cast<T*>(p));
}
