// The reference count of the filters: the host's views may hold a filter from more than one
// place, so the count is guarded by the filter's own lock.
#pragma once

#include <windows.h>

class FilterRefCount {
public:
    FilterRefCount() { InitializeCriticalSection(&lock); }
    ~FilterRefCount() { DeleteCriticalSection(&lock); }
    FilterRefCount(const FilterRefCount&) = delete;
    FilterRefCount& operator=(const FilterRefCount&) = delete;

    int increment() {
        EnterCriticalSection(&lock);
        int now = ++count;
        LeaveCriticalSection(&lock);
        return now;
    }
    int decrement() {
        EnterCriticalSection(&lock);
        int now = --count;
        LeaveCriticalSection(&lock);
        return now;
    }

private:
    int count = 1; // the creator's reference
    CRITICAL_SECTION lock;
};
