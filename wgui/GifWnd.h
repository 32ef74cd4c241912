// A small child window that plays an animated GIF. Every GifWnd of the process is animated by
// one shared worker thread running one long task (GifTask) that redraws whichever windows are
// due for their next frame.
//
// GDI+ must have been started by the process (the host does it) before a GifWnd is built.
#pragma once

#include <windows.h>
#include <atomic>
#include <vector>
#include "wgui/Thread.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

namespace Gdiplus {
class GpImage;
struct PropertyItem;
} // namespace Gdiplus

class GifWnd : public WGUI::WindowBase {
public:
    // The animation loop over the window set; one instance serves every window.
    class GifTask : public WGUI::thread::task {
    public:
        void cancel() override { cancelled = true; }
        void reset() override { cancelled = false; }
        void run() override;

    private:
        std::atomic<bool> cancelled{false};
    };

    // Decodes the image from a copy of the bytes; without bytes (or with bytes that are no
    // image) the window has no image and never animates.
    GifWnd(const void* data, size_t length, COLORREF backgroundColor);
    // Destroys the window, then frees the image.
    ~GifWnd() override;
    GifWnd(const GifWnd&) = delete;
    GifWnd& operator=(const GifWnd&) = delete;

    // Registers "Client2_GifWnd" in the instance once and creates the window; a window with an
    // image takes the image's size.
    HWND create(DWORD style, DWORD exStyle, const wchar_t* title, const RECT& rect, HWND parent, UINT id,
                HINSTANCE instance);

    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // User-interface thread only.
    void startAnimating();
    void stopAnimating();

    bool hasImage() const { return image != nullptr; }
    bool isAnimating() const { return animating.load(); }
    int getFrameCount() const { return frameCount; }
    int getCurrentFrame() const { return currentFrame.load(); }
    int getCurrentDelay() const { return currentDelay.load(); }
    // Frames drawn by the worker since the window was built.
    int getFramesDrawn() const { return framesDrawn.load(); }

    // The shared worker's state (WGUI::thread::State), for the page and the tests.
    static int workerState();
    // Waits until the worker is idle; false when it is still busy after the time.
    static bool waitForWorker(DWORD milliseconds);
    static bool inWindowSet(const GifWnd* window);
    static int runningCount();

private:
    void advance(DWORD now);
    void drawCurrentFrame();
    // Delay of a frame in milliseconds: the stored hundredths of a second, 100 ms for 0.
    int frameDelayMs(int frame) const;

    WGUI::WindowProc thunk;
    COLORREF backgroundColor;
    Gdiplus::GpImage* image = nullptr;
    std::vector<GUID> frameDimensions;
    int frameCount = 0;
    unsigned imageWidth = 0;
    unsigned imageHeight = 0;
    std::vector<unsigned char> frameDelayBytes; // the frame-delay property item and its values
    Gdiplus::PropertyItem* frameDelays = nullptr;
    // Written by the worker during a pass, read by anyone.
    std::atomic<int> currentFrame{0};
    std::atomic<DWORD> lastTick{0};
    std::atomic<int> currentDelay{0};
    std::atomic<int> framesDrawn{0};
    // Changed on the user-interface thread only; the worker reads it under the window lock.
    std::atomic<bool> animating{false};
};
