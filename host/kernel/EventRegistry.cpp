// The process-wide table of named events. It keeps one reference to every event it created, so
// an event lives as long as the process, as subscribers that never unsubscribe expect.
#include <map>
#include <mutex>
#include <string>
#include "HostEvent.h"

namespace {
struct EventTable {
    std::mutex lock;
    std::map<std::string, XComPtr<IEvent>> events;
};

EventTable& table() {
    static EventTable* t = new EventTable; // never destroyed: late unsubscribes stay safe at exit
    return *t;
}
} // namespace

KERNEL_API XComPtr<IEvent> createEvent(const char* name) {
    if (!name || !*name)
        return nullptr;
    EventTable& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    XComPtr<IEvent>& slot = t.events[name];
    if (!slot)
        slot.attach(new HostEvent(name));
    return slot;
}

KERNEL_API XComPtr<IEvent> getEvent(const char* name) {
    if (!name)
        return nullptr;
    EventTable& t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.events.find(name);
    return it == t.events.end() ? nullptr : it->second;
}
