#include "wgui/Thread.h"

#include <process.h>

namespace WGUI {

namespace {

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~CriticalSectionLock() { LeaveCriticalSection(cs_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

} // namespace

thread::TaskQueue::TaskQueue(int capacity)
    : freePlaces_(CreateSemaphoreW(nullptr, capacity, capacity, nullptr)),
      filledPlaces_(CreateSemaphoreW(nullptr, 0, capacity, nullptr)) {
    InitializeCriticalSection(&lock_);
}

thread::TaskQueue::~TaskQueue() {
    DeleteCriticalSection(&lock_);
}

void thread::TaskQueue::push(const Item& item) {
    WaitForSingleObject(freePlaces_.get(), INFINITE);
    {
        CriticalSectionLock lock(&lock_);
        items_.push_back(item);
    }
    ReleaseSemaphore(filledPlaces_.get(), 1, nullptr);
}

thread::Item thread::TaskQueue::pop() {
    WaitForSingleObject(filledPlaces_.get(), INFINITE);
    return takeFront();
}

bool thread::TaskQueue::tryPop(Item* item) {
    if (WaitForSingleObject(filledPlaces_.get(), 0) != WAIT_OBJECT_0)
        return false;
    *item = takeFront();
    return true;
}

thread::Item thread::TaskQueue::takeFront() {
    Item item;
    {
        CriticalSectionLock lock(&lock_);
        item = items_.front();
        items_.pop_front();
    }
    ReleaseSemaphore(freePlaces_.get(), 1, nullptr);
    return item;
}

thread::thread(int queueCapacity)
    : finished_(CreateEventW(nullptr, TRUE, TRUE, nullptr)), queue_(queueCapacity) {
    InitializeCriticalSection(&stateLock_);
}

thread::~thread() {
    stop();
    wait(30000);
    DeleteCriticalSection(&stateLock_);
}

int thread::start() {
    if (state_.load() != Idle)
        return 1;
    // The previous thread has set idle; let it finish its last lines before its handle goes.
    if (handle_ && !wait(30000))
        return 1;
    state_ = Starting;
    onBeforeCreate();
    if (finished_)
        ResetEvent(finished_.get());
    handle_.reset(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &thread::threadFunction, this, 0, nullptr)));
    if (!handle_) {
        state_ = Idle;
        if (finished_)
            SetEvent(finished_.get());
    }
    onAfterCreate();
    return handle_ ? 0 : 1;
}

void thread::stop() {
    {
        CriticalSectionLock lock(&stateLock_);
        int s = state_.load();
        if (s != Running && s != Starting)
            return;
        state_ = Stopping;
        if (current_ && current_->work)
            current_->work->cancel();
    }
    onStopRequested();
    // Exactly one end marker per stop: the thread function ends when it takes it, so none is
    // left behind to end the next start at once.
    queue_.push(Item{});
}

bool thread::wait(DWORD milliseconds) {
    if (!handle_)
        return true;
    // The handle alone covers a thread that was ended from outside (at process exit).
    const HANDLE ends[2] = {handle_.get(), finished_.get()};
    const DWORD count = finished_ ? 2 : 1;
    const DWORD waited = WaitForMultipleObjects(count, ends, FALSE, milliseconds);
    if (waited >= WAIT_OBJECT_0 + count)
        return false;
    // A thread that has only signalled is a few instructions from its exit; closing the handle
    // does not stop it.
    handle_.reset();
    return true;
}

bool thread::post(task* work, completion* whenDone) {
    if (!work)
        return false;
    work->reset();
    queue_.push(Item{work, whenDone});
    return true;
}

unsigned __stdcall thread::threadFunction(void* self) {
    auto* owner = static_cast<thread*>(self);
    const HANDLE finished = owner->finished_.get();
    owner->runLoop();
    // The last use of the object: its owner may destroy it as soon as wait returns. Only the
    // return is left of this library's code, so an unload can go on as well.
    if (finished)
        SetEvent(finished);
    return 0;
}

void thread::runLoop() {
    // A stop that came before the thread began keeps the state at stopping.
    int expected = Starting;
    state_.compare_exchange_strong(expected, Running);
    for (;;) {
        Item item = queue_.pop();
        if (!item.work)
            break;
        bool runIt;
        {
            CriticalSectionLock lock(&stateLock_);
            runIt = state_.load() == Running;
            if (runIt)
                current_ = &item;
        }
        if (runIt) {
            item.work->run();
            CriticalSectionLock lock(&stateLock_);
            current_ = nullptr;
        }
        // Tasks taken while stopping are discarded unrun; their completions still hear of them.
        if (item.whenDone)
            item.whenDone->done(item.work);
    }
    Item left;
    while (queue_.tryPop(&left)) {
        if (left.work && left.whenDone)
            left.whenDone->done(left.work);
    }
    state_ = Idle;
    onThreadEnd();
}

} // namespace WGUI
