#include <gtest/gtest.h>
#include <windows.h>
#include "tests/wgui/GdiplusEnvironment.h"
#include <map>
#include <memory>
#include <random>
#include "tests/wgui/GifEncoder.h"
#include "tests/wgui/TestWindows.h"
#include "wgui/GdiHandles.h"
#include "wgui/GifWnd.h"

using wguitest::GifFrame;
using wguitest::HostWindow;
using wguitest::makeGif;
using wguitest::pumpFor;
using wguitest::pumpUntil;

namespace {

::testing::Environment* const g_gdiplus =
    ::testing::AddGlobalTestEnvironment(new wguitest::GdiplusEnvironment);

const COLORREF kBackground = RGB(10, 20, 30);

std::unique_ptr<GifWnd> makeIndicator(const std::vector<uint8_t>& bytes, HWND parent, DWORD style,
                                      int x = 0) {
    auto window = std::make_unique<GifWnd>(bytes.empty() ? nullptr : bytes.data(), bytes.size(), kBackground);
    window->create(WS_CHILD | style, 0, L"", RECT{x, 0, x + 5, 5}, parent, 0, GetModuleHandleW(nullptr));
    return window;
}

bool workerIdle() {
    return GifWnd::waitForWorker(5000);
}

} // namespace

TEST(GifWndTest, WindowWithoutImageNeverAnimates) {
    HostWindow host;
    for (const auto& bytes :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{'n', 'o', 't', ' ', 'g', 'i', 'f'}}) {
        auto window = makeIndicator(bytes, host.hwnd, WS_VISIBLE);
        ASSERT_TRUE(window->isWindow());
        EXPECT_FALSE(window->hasImage());
        EXPECT_FALSE(GifWnd::inWindowSet(window.get()));
        window->show(SW_HIDE);
        window->show(SW_SHOW);
        EXPECT_FALSE(window->isAnimating());
        EXPECT_EQ(GifWnd::workerState(), WGUI::thread::Idle);
        EXPECT_EQ(GifWnd::runningCount(), 0);
        // It keeps the size it was given.
        EXPECT_EQ(window->clientRect().right, 5);
    }
}

TEST(GifWndTest, FramesAdvanceWithTheirDelaysAndZeroMeansAHundredMilliseconds) {
    HostWindow host;
    auto bytes = makeGif(16, 12, {{wguitest::Red, 7}, {wguitest::Green, 0}, {wguitest::Blue, 25}});
    auto window = makeIndicator(bytes, host.hwnd, WS_VISIBLE);
    ASSERT_TRUE(window->hasImage());
    EXPECT_EQ(window->getFrameCount(), 3);
    EXPECT_TRUE(GifWnd::inWindowSet(window.get()));
    RECT client = window->clientRect();
    EXPECT_EQ(client.right, 16);
    EXPECT_EQ(client.bottom, 12);
    EXPECT_TRUE(window->isAnimating());

    // The index advances before drawing: the first frame shown is frame 1.
    ASSERT_TRUE(pumpUntil([&] { return window->getFramesDrawn() >= 1; }, 3000));
    EXPECT_EQ(window->getCurrentFrame(), 1);

    std::map<int, int> delayOfFrame;
    pumpUntil(
        [&] {
            delayOfFrame[window->getCurrentFrame()] = window->getCurrentDelay();
            return delayOfFrame.size() == 3 && window->getFramesDrawn() >= 5;
        },
        5000);
    EXPECT_EQ(delayOfFrame[0], 70);
    EXPECT_EQ(delayOfFrame[1], 100);
    EXPECT_EQ(delayOfFrame[2], 250);
}

TEST(GifWndTest, AllZeroDelaysAdvanceEveryHundredMilliseconds) {
    HostWindow host;
    auto bytes = makeGif(8, 8, {{wguitest::Red, 0}, {wguitest::Green, 0}});
    auto window = makeIndicator(bytes, host.hwnd, WS_VISIBLE);
    ASSERT_TRUE(pumpUntil([&] { return window->getFramesDrawn() >= 1; }, 3000));
    int first = window->getFramesDrawn();
    DWORD start = GetTickCount();
    pumpFor(600);
    DWORD elapsed = GetTickCount() - start;
    int advanced = window->getFramesDrawn() - first;
    EXPECT_EQ(window->getCurrentDelay(), 100);
    // Roughly one frame per 100 ms: neither every pass of the worker nor stalled.
    EXPECT_GE(advanced, 2);
    EXPECT_LE(advanced, static_cast<int>(elapsed / 100) + 1);
}

TEST(GifWndTest, SingleFrameImageRedrawsFrameZero) {
    HostWindow host;
    auto bytes = makeGif(10, 10, {{wguitest::Blue, 5}});
    auto window = makeIndicator(bytes, host.hwnd, WS_VISIBLE);
    ASSERT_EQ(window->getFrameCount(), 1);
    ASSERT_TRUE(pumpUntil([&] { return window->getFramesDrawn() >= 3; }, 3000));
    EXPECT_EQ(window->getCurrentFrame(), 0);
    WGUI::WindowDc dc(window->hwnd);
    EXPECT_EQ(GetPixel(dc.get(), 4, 4), RGB(0, 0, 255));
}

TEST(GifWndTest, HidingTheLastVisibleIndicatorStopsTheWorkerAndShowingRestartsIt) {
    HostWindow host;
    auto bytes = makeGif(8, 8, {{wguitest::Red, 2}, {wguitest::Green, 2}});
    auto first = makeIndicator(bytes, host.hwnd, WS_VISIBLE, 0);
    auto second = makeIndicator(bytes, host.hwnd, WS_VISIBLE, 20);
    EXPECT_EQ(GifWnd::runningCount(), 2);
    EXPECT_NE(GifWnd::workerState(), WGUI::thread::Idle);

    first->show(SW_HIDE);
    EXPECT_FALSE(first->isAnimating());
    // The worker may still be starting on a loaded machine; it must reach running, not stop.
    EXPECT_TRUE(pumpUntil([] { return GifWnd::workerState() == WGUI::thread::Running; }, 3000));
    second->show(SW_HIDE);
    EXPECT_EQ(GifWnd::runningCount(), 0);
    EXPECT_TRUE(workerIdle());
    int drawn = second->getFramesDrawn();
    pumpFor(100);
    EXPECT_EQ(second->getFramesDrawn(), drawn);

    second->show(SW_SHOW);
    EXPECT_TRUE(second->isAnimating());
    EXPECT_NE(GifWnd::workerState(), WGUI::thread::Idle);
    EXPECT_TRUE(pumpUntil([&] { return second->getFramesDrawn() > drawn; }, 3000));
    // Frames go on from where they stood.
    EXPECT_EQ(second->getFramesDrawn(), drawn + 1);
}

TEST(GifWndTest, ACreatedHiddenIndicatorShownBySetWindowPosAnimates) {
    HostWindow host;
    auto bytes = makeGif(8, 8, {{wguitest::Red, 1}, {wguitest::Green, 1}});
    auto window = makeIndicator(bytes, host.hwnd, 0);
    ASSERT_TRUE(window->hasImage());
    // SetWindowPos shows a window without WM_SHOWWINDOW.
    window->setWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    ASSERT_TRUE(IsWindowVisible(window->hwnd));
    EXPECT_TRUE(window->isAnimating());
    EXPECT_TRUE(pumpUntil([&] { return window->getFramesDrawn() >= 2; }, 3000));
}

TEST(GifWndTest, AnimationGoesOnFromTheFrameWhereItStood) {
    HostWindow host;
    // Long delays: the test reads the frame shown before the next one is due.
    auto bytes = makeGif(8, 8, {{wguitest::Red, 30}, {wguitest::Green, 30}, {wguitest::Blue, 30}});
    auto window = makeIndicator(bytes, host.hwnd, WS_VISIBLE);
    // Stopped on a frame other than the first, so that going on and starting over differ.
    int stood = 0;
    for (int attempt = 0; attempt < 5 && stood == 0; ++attempt) {
        window->show(SW_SHOW);
        ASSERT_TRUE(pumpUntil([&] { return window->getCurrentFrame() != 0; }, 3000));
        window->show(SW_HIDE);
        ASSERT_TRUE(workerIdle());
        stood = window->getCurrentFrame();
    }
    ASSERT_NE(stood, 0);
    int drawn = window->getFramesDrawn();
    window->show(SW_SHOW);
    ASSERT_TRUE(pumpUntil([&] { return window->getFramesDrawn() > drawn; }, 3000));
    EXPECT_EQ(window->getCurrentFrame(), (stood + 1) % 3);
}

TEST(GifWndTest, ShowingRightAfterHidingStillAnimates) {
    HostWindow host;
    auto bytes = makeGif(8, 8, {{wguitest::Red, 1}, {wguitest::Green, 1}});
    auto window = makeIndicator(bytes, host.hwnd, WS_VISIBLE);
    ASSERT_TRUE(pumpUntil([&] { return window->getFramesDrawn() >= 1; }, 3000));
    // The hide asks the worker to stop; the show comes before it has ended.
    window->show(SW_HIDE);
    window->show(SW_SHOW);
    int drawn = window->getFramesDrawn();
    EXPECT_TRUE(pumpUntil([&] { return window->getFramesDrawn() >= drawn + 3; }, 3000));
}

TEST(GifWndTest, DestroyingOneIndicatorDoesNotWaitForTheWorkerOfAnother) {
    HostWindow host;
    auto bytes = makeGif(8, 8, {{wguitest::Red, 2}, {wguitest::Green, 2}});
    auto staying = makeIndicator(bytes, host.hwnd, WS_VISIBLE, 0);
    auto leaving = makeIndicator(bytes, host.hwnd, WS_VISIBLE, 20);
    ASSERT_TRUE(pumpUntil([&] { return leaving->getFramesDrawn() >= 1; }, 3000));

    DWORD start = GetTickCount();
    leaving.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(GifWnd::runningCount(), 1);
    int drawn = staying->getFramesDrawn();
    EXPECT_TRUE(pumpUntil([&] { return staying->getFramesDrawn() > drawn; }, 3000));

    staying.reset();
    EXPECT_TRUE(workerIdle());
}

TEST(GifWndTest, ParentDestructionTakesTheIndicatorOutOfTheSet) {
    auto host = std::make_unique<HostWindow>();
    auto bytes = makeGif(8, 8, {{wguitest::Red, 2}, {wguitest::Green, 2}});
    auto window = makeIndicator(bytes, host->hwnd, WS_VISIBLE);
    ASSERT_TRUE(GifWnd::inWindowSet(window.get()));
    host.reset();
    EXPECT_FALSE(GifWnd::inWindowSet(window.get()));
    EXPECT_FALSE(window->isWindow());
    EXPECT_EQ(GifWnd::runningCount(), 0);
    window.reset();
    EXPECT_TRUE(workerIdle());
}

TEST(GifWndTest, StressShowHideDestroyInRandomOrder) {
    HostWindow host;
    auto bytes = makeGif(12, 12, {{wguitest::Red, 0}, {wguitest::Green, 1}, {wguitest::Blue, 3}});
    std::unique_ptr<GifWnd> slots[3];
    std::mt19937 random(20240601);
    DWORD start = GetTickCount();
    for (int i = 0; i < 1000; ++i) {
        auto& slot = slots[random() % 3];
        if (!slot) {
            slot = makeIndicator(bytes, host.hwnd, (random() % 2) ? WS_VISIBLE : 0,
                                 20 * static_cast<int>(i % 3));
            continue;
        }
        switch (random() % 3) {
        case 0:
            slot->show(SW_SHOW);
            break;
        case 1:
            slot->show(SW_HIDE);
            break;
        default:
            slot.reset();
            break;
        }
        if (i % 16 == 0)
            wguitest::pumpMessages();
    }
    for (auto& slot : slots)
        slot.reset();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 30000u);
    EXPECT_EQ(GifWnd::runningCount(), 0);
    EXPECT_TRUE(workerIdle());
    EXPECT_EQ(GifWnd::workerState(), WGUI::thread::Idle);
    std::printf("stress: 1000 operations in %lu ms\n", static_cast<unsigned long>(elapsed));
}
