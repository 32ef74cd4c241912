#include "Screenshot.h"

#include <objidl.h>
#include <gdiplus.h>
#include "OutputFile.h"

namespace Client {

namespace {

// GDI+'s built-in PNG encoder.
const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc)
            ReleaseDC(nullptr, dc);
    }
};
struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc)
            DeleteDC(dc);
    }
};
struct Bitmap {
    HBITMAP bmp;
    ~Bitmap() {
        if (bmp)
            DeleteObject(bmp);
    }
};

} // namespace

bool saveWindowPng(HWND hwnd, const std::wstring& path, std::wstring& error) {
    // The menu bar and the client area: the caption and frame belong to the window manager,
    // and a virtual display without one leaves them unpainted.
    RECT rc{};
    if (IsWindow(hwnd) && GetClientRect(hwnd, &rc)) {
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        MENUBARINFO bar{};
        bar.cbSize = sizeof(bar);
        if (GetMenu(hwnd) && GetMenuBarInfo(hwnd, OBJID_MENU, 0, &bar) && bar.rcBar.top < rc.top)
            rc.top = bar.rcBar.top;
    }
    if (rc.right <= rc.left || rc.bottom <= rc.top) {
        error = L"no window to capture";
        return false;
    }
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    // Copy from the screen: it holds the children exactly as painted, which WM_PRINT may not.
    ScreenDc screen;
    MemoryDc mem(screen.dc);
    Bitmap bmp{CreateCompatibleBitmap(screen.dc, w, h)};
    if (!screen.dc || !mem.dc || !bmp.bmp) {
        error = L"cannot create the capture bitmap";
        return false;
    }
    HGDIOBJ old = SelectObject(mem.dc, bmp.bmp);
    BOOL copied = BitBlt(mem.dc, 0, 0, w, h, screen.dc, rc.left, rc.top, SRCCOPY);
    SelectObject(mem.dc, old);
    if (!copied) {
        error = L"cannot copy the window from the screen";
        return false;
    }
    return saveBitmapPng(bmp.bmp, path, error);
}

bool saveBitmapPng(HBITMAP bitmap, const std::wstring& path, std::wstring& error) {
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok || !image) {
        error = L"GDI+ cannot take the bitmap (is GDI+ started?)";
        return false;
    }
    // Encoded in memory first: the file is replaced only by a whole image.
    std::string png;
    IStream* stream = nullptr;
    Gdiplus::Status st = Gdiplus::GenericError;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) == S_OK) {
        st = Gdiplus::DllExports::GdipSaveImageToStream(image, stream, &kPngEncoder, nullptr);
        STATSTG stat{};
        if (st == Gdiplus::Ok && stream->Stat(&stat, STATFLAG_NONAME) == S_OK) {
            png.resize(size_t(stat.cbSize.QuadPart));
            LARGE_INTEGER start{};
            ULONG read = 0;
            if (png.empty() || stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK ||
                stream->Read(&png[0], ULONG(png.size()), &read) != S_OK || read != png.size())
                st = Gdiplus::GenericError;
        }
        stream->Release();
    }
    Gdiplus::DllExports::GdipDisposeImage(image);
    if (st != Gdiplus::Ok) {
        error = L"GDI+ cannot encode the PNG";
        return false;
    }
    return writeFileReplacing(path, png, error);
}

} // namespace Client
