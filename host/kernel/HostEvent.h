// A named event with its subscribers.
#pragma once

#include <string>
#include <vector>
#include "Kernel.h"

class HostEvent final : public IEvent {
public:
    explicit HostEvent(const char* name) : name_(name) {}

    int addRef() override;
    int release() override;
    const char* name() const override { return name_.c_str(); }
    bool subscribe(EventHandler handler, void* context) override;
    bool unsubscribe(EventHandler handler, void* context) override;
    void raise(void* argument) override;
    int subscriberCount() const override;

private:
    struct Subscriber {
        EventHandler handler;
        void* context;
        bool removed;
    };

    void compact();

    long refs_ = 1;
    std::string name_;
    // Raises may nest (a subscriber raising this event again). Removals during a raise only mark
    // the entry, and the list is compacted when the outermost raise ends, so that indices held by
    // the raises in progress stay valid.
    std::vector<Subscriber> subscribers_;
    int raiseDepth_ = 0;
};
