#include "wgui/GifWnd.h"

#include <climits>
#include <cstring>
#include <set>
#include <gdiplus.h>
#include "wgui/GdiHandles.h"

using namespace Gdiplus::DllExports;

namespace {

const wchar_t kClassName[] = L"Client2_GifWnd";
const PROPID kFrameDelayTag = 0x5100;

class WindowLock {
public:
    explicit WindowLock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~WindowLock() { LeaveCriticalSection(cs_); }
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

// The process-wide animation state. Members are destroyed in reverse order: the worker ends
// before the task and the window set it uses go away.
struct GifShared {
    GifShared() { InitializeCriticalSection(&lock); }
    ~GifShared() {
        worker.stop();
        worker.wait(30000);
        DeleteCriticalSection(&lock);
    }
    GifShared(const GifShared&) = delete;
    GifShared& operator=(const GifShared&) = delete;

    CRITICAL_SECTION lock;     // guards windows
    std::set<GifWnd*> windows; // windows with an image, from WM_CREATE to WM_DESTROY
    int running = 0;           // windows whose animating flag is set; UI thread only
    GifWnd::GifTask task;
    WGUI::thread worker{INT_MAX};
};

GifShared& shared() {
    static GifShared state;
    return state;
}

// Built as the program or library loads, before any object that owns indicators (a module object
// made on first use): statics end in reverse order, so the worker and the window set are still
// there while such an object destroys its indicators.
[[maybe_unused]] GifShared& sharedFromLoad = shared();

} // namespace

void GifWnd::GifTask::run() {
    GifShared& s = shared();
    while (!cancelled) {
        {
            WindowLock lock(&s.lock);
            DWORD now = GetTickCount();
            for (GifWnd* window : s.windows)
                window->advance(now);
        }
        Sleep(10);
    }
}

GifWnd::GifWnd(const void* data, size_t length, COLORREF background) : backgroundColor(background) {
    if (!data || length == 0)
        return;
    WGUI::UniqueGlobal block(GlobalAlloc(GMEM_FIXED, length));
    if (!block)
        return;
    std::memcpy(block.get(), data, length);
    WGUI::ComRef<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, stream.put())))
        return;
    block.release(); // the stream frees the block when its last reference goes
    // GDI+ keeps its own reference to the stream for as long as the image lives.
    Gdiplus::GpImage* loaded = nullptr;
    if (GdipLoadImageFromStream(stream.get(), &loaded) != Gdiplus::Ok || !loaded)
        return;
    image = loaded;
    GdipGetImageWidth(image, &imageWidth);
    GdipGetImageHeight(image, &imageHeight);

    UINT dimensions = 0;
    if (GdipImageGetFrameDimensionsCount(image, &dimensions) == Gdiplus::Ok && dimensions > 0) {
        frameDimensions.resize(dimensions);
        if (GdipImageGetFrameDimensionsList(image, frameDimensions.data(), dimensions) == Gdiplus::Ok) {
            UINT frames = 0;
            if (GdipImageGetFrameCount(image, &frameDimensions[0], &frames) == Gdiplus::Ok)
                frameCount = static_cast<int>(frames);
        } else {
            frameDimensions.clear();
        }
    }
    UINT size = 0;
    if (GdipGetPropertyItemSize(image, kFrameDelayTag, &size) == Gdiplus::Ok &&
        size >= sizeof(Gdiplus::PropertyItem)) {
        frameDelayBytes.resize(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(frameDelayBytes.data());
        if (GdipGetPropertyItem(image, kFrameDelayTag, size, item) == Gdiplus::Ok)
            frameDelays = item;
    }
}

GifWnd::~GifWnd() {
    if (isWindow())
        destroyWindow();
    // A window destroyed by someone else has already left the set at its WM_DESTROY; this only
    // covers a window that never got that far.
    stopAnimating();
    {
        WindowLock lock(&shared().lock);
        shared().windows.erase(this);
    }
    // Only a worker that was asked to stop is about to end; one that still animates other
    // windows would keep this thread waiting for nothing.
    if (shared().worker.state() == WGUI::thread::Stopping)
        shared().worker.wait(30000);
    if (image)
        GdipDisposeImage(image);
}

HWND GifWnd::create(DWORD style, DWORD exStyle, const wchar_t* title, const RECT& rect, HWND parent, UINT id,
                    HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, kClassName, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &WGUI::WindowProc::windowProcedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc))
            return nullptr;
    }
    return WindowBase::create(style, exStyle, kClassName, title, rect, parent, id, instance, &thunk);
}

bool GifWnd::onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    switch (msg) {
    case WM_CREATE:
        if (image) {
            {
                WindowLock lock(&shared().lock);
                shared().windows.insert(this);
            }
            SetWindowPos(hwnd, nullptr, 0, 0, static_cast<int>(imageWidth), static_cast<int>(imageHeight),
                         SWP_NOMOVE | SWP_NOZORDER);
            // Hidden or not: a window shown later by SetWindowPos gets no WM_SHOWWINDOW.
            startAnimating();
        }
        return false;
    case WM_SHOWWINDOW:
        if (wParam)
            startAnimating();
        else
            stopAnimating();
        return false;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_DESTROY:
        stopAnimating();
        {
            WindowLock lock(&shared().lock);
            shared().windows.erase(this);
        }
        return false;
    default:
        return false;
    }
}

void GifWnd::startAnimating() {
    if (animating || !image)
        return;
    animating = true;
    GifShared& s = shared();
    ++s.running;
    // A worker asked to stop ends within one pass; waiting for it lets this window animate now
    // instead of standing still until some later start.
    if (s.worker.state() == WGUI::thread::Stopping)
        s.worker.wait(30000);
    if (s.worker.state() == WGUI::thread::Idle && s.worker.start() == 0)
        s.worker.post(&s.task, nullptr);
}

void GifWnd::stopAnimating() {
    if (!animating)
        return;
    animating = false;
    GifShared& s = shared();
    if (--s.running == 0)
        s.worker.stop();
}

int GifWnd::workerState() {
    return shared().worker.state();
}

bool GifWnd::waitForWorker(DWORD milliseconds) {
    return shared().worker.wait(milliseconds) && shared().worker.state() == WGUI::thread::Idle;
}

bool GifWnd::inWindowSet(const GifWnd* window) {
    WindowLock lock(&shared().lock);
    return shared().windows.count(const_cast<GifWnd*>(window)) != 0;
}

int GifWnd::runningCount() {
    return shared().running;
}

int GifWnd::frameDelayMs(int frame) const {
    unsigned hundredths = 0;
    if (frameDelays && frameDelays->value && frame >= 0 &&
        (static_cast<size_t>(frame) + 1) * sizeof(UINT) <= frameDelays->length)
        std::memcpy(&hundredths, static_cast<const unsigned char*>(frameDelays->value) + frame * sizeof(UINT),
                    sizeof(UINT));
    if (hundredths == 0)
        return 100;
    return static_cast<int>(hundredths > 100000u ? 1000000u : hundredths * 10u);
}

// Worker thread, under the window lock.
void GifWnd::advance(DWORD now) {
    if (!animating || !IsWindow(hwnd) || !image || frameCount <= 0 || frameDimensions.empty())
        return;
    // Elapsed time, so that the tick counter's wrap after 49 days does not stall the animation.
    if (now - lastTick.load() < static_cast<DWORD>(currentDelay.load()))
        return;
    int frame = currentFrame.load() + 1;
    if (frame >= frameCount)
        frame = 0;
    GdipImageSelectActiveFrame(image, &frameDimensions[0], static_cast<UINT>(frame));
    currentFrame = frame;
    currentDelay = frameDelayMs(frame);
    lastTick = now;
    drawCurrentFrame();
    ++framesDrawn;
}

void GifWnd::drawCurrentFrame() {
    WGUI::WindowDc dc(hwnd);
    if (!dc)
        return;
    RECT client{};
    GetClientRect(hwnd, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;
    WGUI::UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
    if (!memory)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    WGUI::UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return;
    WGUI::SelectObjectGuard select(memory.get(), bitmap.get());
    WGUI::UniqueBrush brush(CreateSolidBrush(backgroundColor));
    FillRect(memory.get(), &client, brush.get());
    Gdiplus::GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(memory.get(), &graphics) == Gdiplus::Ok) {
        const Gdiplus::Point corners[3] = {Gdiplus::Point(0, 0),
                                           Gdiplus::Point(static_cast<INT>(imageWidth), 0),
                                           Gdiplus::Point(0, static_cast<INT>(imageHeight))};
        GdipDrawImagePointsI(graphics, image, corners, 3);
        GdipDeleteGraphics(graphics);
    }
    BitBlt(dc.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}
