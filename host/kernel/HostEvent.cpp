#include "HostEvent.h"

#include <windows.h>
#include <algorithm>

int HostEvent::addRef() {
    return int(InterlockedIncrement(&refs_));
}

int HostEvent::release() {
    long n = InterlockedDecrement(&refs_);
    if (n == 0)
        delete this;
    return int(n);
}

bool HostEvent::subscribe(EventHandler handler, void* context) {
    if (!handler)
        return false;
    for (const Subscriber& s : subscribers_)
        if (!s.removed && s.handler == handler && s.context == context)
            return false;
    subscribers_.push_back({handler, context, false});
    return true;
}

bool HostEvent::unsubscribe(EventHandler handler, void* context) {
    for (Subscriber& s : subscribers_) {
        if (!s.removed && s.handler == handler && s.context == context) {
            s.removed = true;
            if (raiseDepth_ == 0)
                compact();
            return true;
        }
    }
    return false;
}

void HostEvent::raise(void* argument) {
    addRef(); // a subscriber may drop the last outside reference
    ++raiseDepth_;
    // Only those subscribed when the raise began are called; later ones wait for the next raise.
    const size_t count = subscribers_.size();
    for (size_t i = 0; i < count; ++i) {
        Subscriber s = subscribers_[i]; // copy: a nested subscribe may reallocate the list
        if (s.removed)
            continue;
        try {
            s.handler(argument, s.context);
        } catch (...) {
            // A failing subscriber must not keep the others from hearing the event.
        }
    }
    if (--raiseDepth_ == 0)
        compact();
    release();
}

int HostEvent::subscriberCount() const {
    return int(std::count_if(subscribers_.begin(), subscribers_.end(),
                             [](const Subscriber& s) { return !s.removed; }));
}

void HostEvent::compact() {
    subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                      [](const Subscriber& s) { return s.removed; }),
                       subscribers_.end());
}
