#include <gtest/gtest.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
#include "module/host/Kernel.h"

namespace {

struct Log {
    std::vector<std::string> calls;
};

struct Subscriber {
    Log* log;
    std::string name;
    std::function<void(void*)> extra;
};

void record(void* argument, void* context) {
    auto* s = static_cast<Subscriber*>(context);
    s->log->calls.push_back(s->name + ":" + std::to_string(argument ? *static_cast<int*>(argument) : -1));
    if (s->extra)
        s->extra(argument);
}

TEST(Events, CreateAndGet) {
    EXPECT_EQ(getEvent("test_never_created").get(), nullptr);
    XComPtr<IEvent> created = createEvent("test_create_get");
    ASSERT_NE(created.get(), nullptr);
    EXPECT_EQ(getEvent("test_create_get").get(), created.get());
    EXPECT_EQ(createEvent("test_create_get").get(), created.get());
    EXPECT_STREQ(created->name(), "test_create_get");
    EXPECT_EQ(createEvent("").get(), nullptr);
}

TEST(Events, SubscribersAreCalledInOrderWithTheArgument) {
    XComPtr<IEvent> e = createEvent("test_order");
    Log log;
    Subscriber a{&log, "a", {}}, b{&log, "b", {}};
    EXPECT_TRUE(e->subscribe(record, &a));
    EXPECT_TRUE(e->subscribe(record, &b));
    EXPECT_FALSE(e->subscribe(record, &a)); // the same pair once
    EXPECT_FALSE(e->subscribe(nullptr, &a));
    int value = 7;
    e->raise(&value);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"a:7", "b:7"}));
    EXPECT_TRUE(e->unsubscribe(record, &a));
    EXPECT_FALSE(e->unsubscribe(record, &a));
    e->raise(nullptr);
    EXPECT_EQ(log.calls.back(), "b:-1");
    EXPECT_EQ(e->subscriberCount(), 1);
    e->unsubscribe(record, &b);
}

TEST(Events, SubscribingDuringARaiseTakesEffectNextTime) {
    XComPtr<IEvent> e = createEvent("test_subscribe_during_raise");
    Log log;
    Subscriber late{&log, "late", {}};
    Subscriber first{&log, "first", [&](void*) { e->subscribe(record, &late); }};
    e->subscribe(record, &first);
    // Enough subscriptions to force the list to grow while it is being walked.
    std::vector<Subscriber> many(50, Subscriber{&log, "m", {}});
    int n = 0;
    first.extra = [&](void*) {
        e->subscribe(record, &late);
        for (auto& m : many)
            if (n++ < 50)
                e->subscribe(record, &m);
    };
    int value = 1;
    e->raise(&value);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"first:1"}));
    log.calls.clear();
    e->raise(&value);
    ASSERT_GE(log.calls.size(), 2u);
    EXPECT_EQ(log.calls[1], "late:1");
    EXPECT_EQ(log.calls.size(), 52u);
}

TEST(Events, UnsubscribingDuringARaiseSkipsTheRemovedOne) {
    XComPtr<IEvent> e = createEvent("test_unsubscribe_during_raise");
    Log log;
    Subscriber b{&log, "b", {}};
    Subscriber a{&log, "a", [&](void*) {
                     e->unsubscribe(record, &b);
                 }};
    Subscriber self{&log, "self", {}};
    self.extra = [&](void*) { e->unsubscribe(record, &self); };
    e->subscribe(record, &self);
    e->subscribe(record, &a);
    e->subscribe(record, &b);
    e->raise(nullptr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"self:-1", "a:-1"}));
    EXPECT_EQ(e->subscriberCount(), 1);
}

TEST(Events, RaisingAnotherEventAndTheSameEventFromASubscriber) {
    XComPtr<IEvent> outer = createEvent("test_outer");
    XComPtr<IEvent> inner = createEvent("test_inner");
    Log log;
    Subscriber innerSub{&log, "inner", {}};
    inner->subscribe(record, &innerSub);
    int depth = 0;
    Subscriber outerSub{&log, "outer", {}};
    outerSub.extra = [&](void* arg) {
        inner->raise(arg);
        if (++depth < 3)
            outer->raise(arg); // re-entrant raise of the same event
    };
    outer->subscribe(record, &outerSub);
    int value = 3;
    outer->raise(&value);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"outer:3", "inner:3", "outer:3", "inner:3", "outer:3", "inner:3"}));
}

TEST(Events, AThrowingSubscriberDoesNotSilenceTheOthers) {
    XComPtr<IEvent> e = createEvent("test_throwing");
    Log log;
    Subscriber thrower{&log, "thrower", [](void*) { throw std::runtime_error("boom"); }};
    Subscriber after{&log, "after", {}};
    e->subscribe(record, &thrower);
    e->subscribe(record, &after);
    EXPECT_NO_THROW(e->raise(nullptr));
    EXPECT_EQ(log.calls.back(), "after:-1");
}

} // namespace
