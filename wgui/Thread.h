// A worker thread with a blocking task queue. The user-interface thread starts and stops it and
// posts tasks; the worker runs them one after the other.
//
// States: idle (0) -> start -> starting (2) -> the thread function begins -> running (1) ->
// stop -> stopping (3) -> the thread function ends -> idle (0). A start is refused unless idle.
#pragma once

#include <windows.h>
#include <atomic>
#include <deque>
#include "wgui/GdiHandles.h"

namespace WGUI {

class thread {
public:
    enum State { Idle = 0, Running = 1, Starting = 2, Stopping = 3 };

    class task {
    public:
        virtual ~task() = default;
        // Asks a running task to return soon; called from another thread.
        virtual void cancel() = 0;
        // Clears a previous cancel; called when the task is posted.
        virtual void reset() = 0;
        virtual void run() = 0;
    };

    // Told about every posted task once: after it ran, or when it was discarded unrun.
    class completion {
    public:
        virtual ~completion() = default;
        virtual void done(task* finished) = 0;
    };

    struct Item {
        task* work = nullptr; // null asks the thread function to end
        completion* whenDone = nullptr;
    };

    class TaskQueue {
    public:
        explicit TaskQueue(int capacity);
        ~TaskQueue();
        TaskQueue(const TaskQueue&) = delete;
        TaskQueue& operator=(const TaskQueue&) = delete;

        // Waits for a free place.
        void push(const Item& item);
        // Waits for an item.
        Item pop();
        // Takes the front item without waiting; false when the queue is empty.
        bool tryPop(Item* item);

    private:
        Item takeFront();

        CRITICAL_SECTION lock_;
        UniqueKernelHandle freePlaces_;
        UniqueKernelHandle filledPlaces_;
        std::deque<Item> items_;
    };

    explicit thread(int queueCapacity);
    // Stops a thread that still runs and waits for it.
    virtual ~thread();
    thread(const thread&) = delete;
    thread& operator=(const thread&) = delete;

    // 0 when started, 1 when not idle.
    int start();
    // Only while running or starting: ends the thread after its current task, which is asked to
    // cancel. Tasks still queued are discarded (their completions are told).
    void stop();
    // Waits for the thread function to end; true when it has (or no thread exists). The thread
    // counts as ended once it has let go of this object, before its exit: at library unload the
    // loader lock keeps a thread from exiting until the unload is over.
    bool wait(DWORD milliseconds);
    // False for a null task. The task is reset, then queued.
    bool post(task* work, completion* whenDone);
    int state() const { return state_.load(); }

protected:
    virtual void onBeforeCreate() {}
    virtual void onAfterCreate() {}
    virtual void onStopRequested() {}
    virtual void onThreadEnd() {}

private:
    static unsigned __stdcall threadFunction(void* self);
    void runLoop();

    // The thread handle belongs to the controlling thread: the worker never closes it, so a
    // wait never meets a closed or reused handle.
    UniqueKernelHandle handle_;
    // Manual reset; set by the thread function as its last use of this object.
    UniqueKernelHandle finished_;
    TaskQueue queue_;
    // Guards current_ together with the running-to-stopping change, so that a stop either sees
    // the item about to run (and cancels it) or the worker sees the stop (and does not run it).
    CRITICAL_SECTION stateLock_;
    Item* current_ = nullptr;
    std::atomic<int> state_{Idle};
};

} // namespace WGUI
