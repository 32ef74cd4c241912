// Owners of GDI objects, device contexts, menus, global memory and COM pointers.
//
// Every owner is move-only: a copy of a GDI handle owner would delete the object twice. The
// guards restore what they changed into the same device context, in reverse order of
// construction, so that a font or bitmap is never deleted while still selected.
//
// Self-contained on purpose (Windows headers only): the toolkit, the grid framework and the page
// all use it.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <utility>

namespace WGUI {

// Traits: Handle is the handle type; close(h) frees a non-null handle.
template <typename H> struct GdiObjectTraits {
    using Handle = H;
    static void close(H h) { DeleteObject(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static void close(HMENU h) { DestroyMenu(h); }
};
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static void close(HGLOBAL h) { GlobalFree(h); }
};
// A device context made with CreateCompatibleDC or CreateDCW (not one from GetDC).
struct MemoryDcTraits {
    using Handle = HDC;
    static void close(HDC h) { DeleteDC(h); }
};
// A kernel handle that is null when absent (threads, events, semaphores).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static void close(HANDLE h) { CloseHandle(h); }
};

// Move-only owner of one handle. release() hands the handle over without freeing it: use it
// when Windows takes ownership (a menu inserted as a sub-menu, a global block given to a stream
// with delete-on-release), and say so where it happens.
template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    Handle release() { return std::exchange(h_, nullptr); }
    void reset(Handle h = nullptr) {
        Handle old = std::exchange(h_, h);
        if (old)
            Traits::close(old);
    }

private:
    Handle h_ = nullptr;
};

using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueGlobal = UniqueHandle<GlobalMemoryTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// GetDC on construction, ReleaseDC on destruction. get() is null when GetDC failed (for example
// on a window that is already gone); callers check before drawing.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint on construction, EndPaint on destruction; only for WM_PAINT handlers.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const PAINTSTRUCT& paintStruct() const { return ps_; }

private:
    HWND hwnd_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};

// Selects an object into a DC and selects the previous one back on destruction. A null object
// selects nothing (WM_GETFONT returns null for the system font).
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc) {
        if (dc && object)
            previous_ = SelectObject(dc, object);
    }
    ~SelectObjectGuard() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// Holds one reference to a COM object and releases it. Assign through put() for out-parameters.
template <typename T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* p) : p_(p) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (T* old = std::exchange(p_, nullptr))
            old->Release();
    }

private:
    T* p_ = nullptr;
};

} // namespace WGUI
