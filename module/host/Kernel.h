// Kernel.dll: components created by name and named events.
#pragma once

#include "HostApi.h"
#include "XComPtr.h"
#include "XUnknown.h"

// A subscriber: called with the raiser's argument and the context given at subscription.
using EventHandler = void (*)(void* argument, void* context);

class IEvent : public IXUnknown {
public:
    virtual const char* name() const = 0;
    // Adds a subscriber; the same (handler, context) pair is kept once. Returns false for a
    // null handler or a pair already subscribed.
    virtual bool subscribe(EventHandler handler, void* context) = 0;
    virtual bool unsubscribe(EventHandler handler, void* context) = 0;
    // Calls the subscribers in subscription order on the calling thread. A subscriber added
    // during a raise is first called by the next raise; one removed is not called again.
    virtual void raise(void* argument) = 0;
    virtual int subscriberCount() const = 0;

protected:
    ~IEvent() = default;
};

// A factory returns a new object carrying one reference, which passes to the caller.
using ComponentFactory = IXUnknown* (*)();

// A new object for a registered name ("Data.DataTable", "Data.DataView", "Data.FieldSorter",
// "Data.TopSorter", "Conf.ConfValue", "File.File", ...), or null for an unknown name.
KERNEL_API XComPtr<IXUnknown> createInstance(const char* name);
// Adds or replaces a factory; the host's libraries register their components with it.
KERNEL_API bool registerComponent(const char* name, ComponentFactory factory);
// The named event, created when missing; null only for an empty name.
KERNEL_API XComPtr<IEvent> createEvent(const char* name);
// The named event if some party created it, otherwise null.
KERNEL_API XComPtr<IEvent> getEvent(const char* name);

// createInstance followed by the run-time type check to T.
template <class T>
XComPtr<T> createInstanceAs(const char* name) {
    XComPtr<IXUnknown> object = createInstance(name);
    return XComPtr<T>(object);
}
