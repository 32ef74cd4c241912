// Move-only owners for the GDI and COM objects the grid makes, and guards that restore what
// they changed in a DC.
#pragma once

#include <windows.h>

#include <utility>

template <class H, BOOL(WINAPI* Free)(H)> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    // Gives up ownership: for handles that Windows takes over.
    H release() { return std::exchange(h_, nullptr); }
    void reset(H h = nullptr) {
        if (h_)
            Free(h_);
        h_ = h;
    }

private:
    H h_ = nullptr;
};

inline BOOL WINAPI deleteGdiObject(HGDIOBJ h) {
    return DeleteObject(h);
}
inline BOOL WINAPI deleteFont(HFONT h) {
    return DeleteObject(h);
}
inline BOOL WINAPI deleteBitmap(HBITMAP h) {
    return DeleteObject(h);
}
inline BOOL WINAPI freeGlobal(HGLOBAL h) {
    return GlobalFree(h) == nullptr;
}

using UniqueFont = UniqueHandle<HFONT, deleteFont>;
using UniqueBitmap = UniqueHandle<HBITMAP, deleteBitmap>;
using UniqueDC = UniqueHandle<HDC, DeleteDC>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueGlobal = UniqueHandle<HGLOBAL, freeGlobal>;

// Selects an object into a DC and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_)
            SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

class PaintGuard {
public:
    explicit PaintGuard(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    ~PaintGuard() { EndPaint(hwnd_, &ps_); }
    HDC dc() const { return dc_; }
    const PAINTSTRUCT& ps() const { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_ = {};
    HDC dc_;
};

class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A COM reference owned by the grid (MSXML objects).
template <class T> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef& o) : p_(o.p_) {
        if (p_)
            p_->AddRef();
    }
    ComRef& operator=(const ComRef& o) {
        ComRef(o).swap(*this);
        return *this;
    }
    ~ComRef() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    void swap(ComRef& o) noexcept { std::swap(p_, o.p_); }

private:
    T* p_ = nullptr;
};

// A BSTR owned until it goes out of scope.
class Bstr {
public:
    explicit Bstr(const wchar_t* text = nullptr) : s_(text ? SysAllocString(text) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR get() const { return s_; }
    BSTR* put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }

private:
    BSTR s_;
};
