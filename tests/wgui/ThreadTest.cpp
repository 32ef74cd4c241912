#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include "wgui/Thread.h"

namespace {

// Runs until cancelled; counts its runs. While `hold` is set it ignores cancellation, so the
// worker stays in the stopping state.
class LoopTask : public WGUI::thread::task {
public:
    void cancel() override { cancelled = true; }
    void reset() override { cancelled = false; }
    void run() override {
        ++runs;
        started = true;
        while (!cancelled || hold)
            Sleep(1);
    }
    std::atomic<bool> cancelled{false};
    std::atomic<bool> hold{false};
    std::atomic<bool> started{false};
    std::atomic<int> runs{0};
};

class OnceTask : public WGUI::thread::task {
public:
    void cancel() override {}
    void reset() override {}
    void run() override { ++runs; }
    std::atomic<int> runs{0};
};

class CountingCompletion : public WGUI::thread::completion {
public:
    void done(WGUI::thread::task*) override { ++calls; }
    std::atomic<int> calls{0};
};

// Records the hooks in order.
class HookedThread : public WGUI::thread {
public:
    HookedThread() : WGUI::thread(16) {}
    ~HookedThread() override {
        stop();
        wait(5000);
    }
    std::string log;
    std::atomic<bool> ended{false};

protected:
    void onBeforeCreate() override { log += "B"; }
    void onAfterCreate() override { log += "A"; }
    void onStopRequested() override { log += "S"; }
    void onThreadEnd() override { ended = true; }
};

bool waitFor(const std::atomic<bool>& flag) {
    for (int i = 0; i < 5000 && !flag; ++i)
        Sleep(1);
    return flag;
}

} // namespace

TEST(ThreadTest, RunsPostedTasksAndStopsACancellableOne) {
    HookedThread worker;
    OnceTask once;
    LoopTask loop;
    CountingCompletion completion;
    EXPECT_EQ(worker.state(), WGUI::thread::Idle);
    EXPECT_FALSE(worker.post(nullptr, &completion));
    ASSERT_EQ(worker.start(), 0);
    EXPECT_EQ(worker.start(), 1);
    EXPECT_TRUE(worker.post(&once, &completion));
    EXPECT_TRUE(worker.post(&loop, &completion));
    ASSERT_TRUE(waitFor(loop.started));
    EXPECT_EQ(worker.state(), WGUI::thread::Running);
    EXPECT_EQ(once.runs, 1);

    worker.stop();
    EXPECT_TRUE(worker.wait(5000));
    EXPECT_EQ(worker.state(), WGUI::thread::Idle);
    EXPECT_EQ(completion.calls, 2);
    EXPECT_EQ(worker.log, "BAS");
    EXPECT_TRUE(worker.ended);
}

TEST(ThreadTest, StartWhileStoppingIsRefusedAndQueuedTasksAreDiscarded) {
    HookedThread worker;
    LoopTask loop;
    OnceTask behind;
    CountingCompletion completion;
    loop.hold = true;
    ASSERT_EQ(worker.start(), 0);
    worker.post(&loop, &completion);
    worker.post(&behind, &completion);
    ASSERT_TRUE(waitFor(loop.started));

    worker.stop();
    EXPECT_EQ(worker.state(), WGUI::thread::Stopping);
    EXPECT_TRUE(loop.cancelled);
    EXPECT_EQ(worker.start(), 1);
    EXPECT_FALSE(worker.wait(50));

    loop.hold = false;
    EXPECT_TRUE(worker.wait(5000));
    EXPECT_EQ(worker.state(), WGUI::thread::Idle);
    EXPECT_EQ(behind.runs, 0);
    EXPECT_EQ(completion.calls, 2);
    EXPECT_EQ(worker.start(), 0);
}

TEST(ThreadTest, EveryRestartRunsItsTask) {
    // A stop right after a start (before the thread runs) and a stop during a task must both
    // leave nothing behind that would end the next start at once.
    WGUI::thread worker(1000);
    LoopTask loop;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(worker.start(), 0) << i;
        loop.started = false;
        worker.post(&loop, nullptr);
        if (i % 2 == 0)
            worker.stop();
        else {
            ASSERT_TRUE(waitFor(loop.started)) << i;
            worker.stop();
        }
        ASSERT_TRUE(worker.wait(5000)) << i;
        ASSERT_EQ(worker.state(), WGUI::thread::Idle) << i;
    }
    int before = loop.runs;
    ASSERT_EQ(worker.start(), 0);
    loop.started = false;
    worker.post(&loop, nullptr);
    EXPECT_TRUE(waitFor(loop.started));
    EXPECT_EQ(loop.runs, before + 1);
    worker.stop();
    EXPECT_TRUE(worker.wait(5000));
}
