#include <VelDelegate.h>
#include <VelEventArgs.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Sender;
typedef VelDelegate<Sender*, const VelTimerEventArgs*> TestEvent;

struct Sender {
    TestEvent Event;
};

// Records each call as "<name><timer id>".
struct Recorder {
    explicit Recorder(std::string* log, const char* name) : log(log), name(name) {}
    void Handle(Sender*, const VelTimerEventArgs* args) { *log += name + std::to_string(args->timerId); }
    std::string* log;
    std::string name;
};

class DelegateTest : public ::testing::Test {
protected:
    void Raise(UINT id = 0)
    {
        VelTimerEventArgs args(id);
        sender.Event.Invoke(&sender, &args);
    }

    std::string log;
    Recorder a{&log, "a"};
    Recorder b{&log, "b"};
    Recorder c{&log, "c"};
    Sender sender;
};

TEST_F(DelegateTest, CallsHandlersInSubscriptionOrderAndTwiceWhenSubscribedTwice)
{
    Raise(1);  // no subscriber: nothing happens
    sender.Event += VelBind(&a, &Recorder::Handle);
    sender.Event += VelBind(&b, &Recorder::Handle);
    sender.Event += VelBind(&a, &Recorder::Handle);
    Raise(1);
    Raise(2);
    EXPECT_EQ(log, "a1b1a1a2b2a2");
}

// Adds `c` to the event the first time it runs.
struct Adder {
    Adder(TestEvent* event, Recorder* added) : event(event), added(added) {}
    void Handle(Sender*, const VelTimerEventArgs*)
    {
        if (!done)
            *event += VelBind(added, &Recorder::Handle);
        done = true;
    }
    TestEvent* event;
    Recorder* added;
    bool done = false;
};

TEST_F(DelegateTest, HandlerAddedByANonLastHandlerRunsInTheSameRaise)
{
    Adder adder(&sender.Event, &c);
    sender.Event += VelBind(&adder, &Adder::Handle);
    sender.Event += VelBind(&a, &Recorder::Handle);
    Raise(1);
    EXPECT_EQ(log, "a1c1");
}

TEST_F(DelegateTest, HandlerAddedByTheLastHandlerFirstRunsInTheNextRaise)
{
    Adder adder(&sender.Event, &c);
    sender.Event += VelBind(&a, &Recorder::Handle);
    sender.Event += VelBind(&adder, &Adder::Handle);
    Raise(1);
    EXPECT_EQ(log, "a1");
    Raise(2);
    EXPECT_EQ(log, "a1a2c2");
}

TEST_F(DelegateTest, ListGrowingDuringARaiseIsWalkedSafely)
{
    // Enough additions to reallocate the list's storage mid-walk.
    struct Grower {
        void Handle(Sender*, const VelTimerEventArgs*)
        {
            for (int i = 0; i < 64; ++i)
                *event += VelBind(added, &Recorder::Handle);
        }
        TestEvent* event;
        Recorder* added;
    } grower{&sender.Event, &c};
    sender.Event += VelBind(&grower, &Grower::Handle);
    sender.Event += VelBind(&a, &Recorder::Handle);
    Raise(1);
    std::string expected = "a1";
    for (int i = 0; i < 64; ++i)
        expected += "c1";
    EXPECT_EQ(log, expected);
}

TEST_F(DelegateTest, CopySharesCallbacksButNotLaterSubscriptions)
{
    sender.Event += VelBind(&a, &Recorder::Handle);
    TestEvent copy(sender.Event);
    copy += VelBind(&b, &Recorder::Handle);
    VelTimerEventArgs args(1);
    copy.Invoke(&sender, &args);
    Raise(2);
    EXPECT_EQ(log, "a1b1a2");
}

struct CountedCallback : TestEvent::AbstractCallback {
    explicit CountedCallback(int* alive) : alive(alive) { ++*alive; }
    ~CountedCallback() override { --*alive; }
    void Invoke(Sender*, const VelTimerEventArgs*) override {}
    const void* GetReceiver() const override { return nullptr; }
    int* alive;
};

TEST(DelegateLifetime, DestroyingADelegateDeletesCallbacksNoCopyHolds)
{
    int alive = 0;
    TestEvent* source = new TestEvent;
    *source += new CountedCallback(&alive);
    TestEvent* copy = new TestEvent(*source);
    *source += new CountedCallback(&alive);
    EXPECT_EQ(alive, 2);
    delete source;
    EXPECT_EQ(alive, 1);  // the first is still held by the copy
    delete copy;
    EXPECT_EQ(alive, 0);
}

// Deletes the heap sender that raised the event.
struct Deleter {
    void Handle(Sender* sender, const VelTimerEventArgs*) { delete sender; }
};

TEST(DelegateLifetime, RaiseEndsSafelyWhenAHandlerDeletesTheSender)
{
    std::string log;
    Recorder before(&log, "x");
    Recorder after(&log, "y");
    Deleter deleter;
    for (bool deleterLast : {false, true}) {
        log.clear();
        Sender* sender = new Sender;
        sender->Event += VelBind(&before, &Recorder::Handle);
        sender->Event += VelBind(&deleter, &Deleter::Handle);
        if (!deleterLast)
            sender->Event += VelBind(&after, &Recorder::Handle);
        VelTimerEventArgs args(1);
        sender->Event.Invoke(sender, &args);
        EXPECT_EQ(log, "x1") << "deleter last: " << deleterLast;
    }
}

// Raises the event again from inside a handler, then deletes the sender.
struct NestedDeleter {
    void Handle(Sender* sender, const VelTimerEventArgs* args)
    {
        if (args->timerId == 1) {
            VelTimerEventArgs inner(2);
            sender->Event.Invoke(sender, &inner);
        } else {
            delete sender;
        }
    }
};

TEST(DelegateLifetime, NestedRaisesAllStopWhenTheSenderIsDeleted)
{
    std::string log;
    Recorder after(&log, "y");
    NestedDeleter nested;
    Sender* sender = new Sender;
    sender->Event += VelBind(&nested, &NestedDeleter::Handle);
    sender->Event += VelBind(&after, &Recorder::Handle);
    VelTimerEventArgs args(1);
    sender->Event.Invoke(sender, &args);
    EXPECT_EQ(log, "");
}

TEST_F(DelegateTest, RemovingAReceiverDuringARaiseSkipsNoOtherHandler)
{
    struct Remover {
        void Handle(Sender*, const VelTimerEventArgs*) { event->RemoveReceiver(target); }
        TestEvent* event;
        const void* target;
    };
    Remover removeSelf{&sender.Event, nullptr};
    removeSelf.target = &removeSelf;
    sender.Event += VelBind(&a, &Recorder::Handle);
    sender.Event += VelBind(&removeSelf, &Remover::Handle);
    sender.Event += VelBind(&b, &Recorder::Handle);
    sender.Event += VelBind(&c, &Recorder::Handle);
    Raise(1);
    Raise(2);
    EXPECT_EQ(log, "a1b1c1a2b2c2");
    EXPECT_EQ(sender.Event.GetCount(), 3u);

    sender.Event.RemoveReceiver(&b);
    Raise(3);
    EXPECT_EQ(log, "a1b1c1a2b2c2a3c3");
}

TEST_F(DelegateTest, ExceptionFromAHandlerSkipsTheRestAndLeavesTheEventUsable)
{
    struct Thrower {
        void Handle(Sender*, const VelTimerEventArgs* args)
        {
            if (args->timerId == 1)
                throw std::runtime_error("handler failed");
        }
    } thrower;
    sender.Event += VelBind(&thrower, &Thrower::Handle);
    sender.Event += VelBind(&a, &Recorder::Handle);
    EXPECT_THROW(Raise(1), std::runtime_error);
    EXPECT_EQ(log, "");
    sender.Event.RemoveReceiver(&thrower);  // erased at once: no raise is in progress any more
    EXPECT_EQ(sender.Event.GetCount(), 1u);
    Raise(2);
    EXPECT_EQ(log, "a2");
}

// A receiver whose handler is virtual and sits behind a second base class.
struct OtherBase {
    virtual ~OtherBase() {}
    int padding = 7;
};
struct BaseReceiver {
    virtual ~BaseReceiver() {}
    virtual void Handle(Sender*, const VelTimerEventArgs*) { log += "base"; }
    std::string log;
};
struct DerivedReceiver : OtherBase, BaseReceiver {
    void Handle(Sender*, const VelTimerEventArgs*) override { log += "derived"; }
};

TEST_F(DelegateTest, VirtualHandlerOfAMultiplyDerivedReceiverReachesTheOverride)
{
    DerivedReceiver receiver;
    sender.Event += VelBind(static_cast<BaseReceiver*>(&receiver), &BaseReceiver::Handle);
    Raise(1);
    EXPECT_EQ(receiver.log, "derived");
}

}  // namespace

// The list goes when the last handler does; the event must work the same
// before, while and after, and a copy taken at any point stays apart.
TEST_F(DelegateTest, EventEmptiedAndRefilledBehavesAsNew)
{
    EXPECT_EQ(0u, sender.Event.GetCount());
    Raise(1);  // nothing to call
    sender.Event += VelBind(&a, &Recorder::Handle);
    sender.Event += VelBind(&b, &Recorder::Handle);
    sender.Event.RemoveReceiver(&a);
    sender.Event.RemoveReceiver(&b);
    EXPECT_EQ(0u, sender.Event.GetCount());
    TestEvent emptyCopy(sender.Event);
    Raise(2);
    sender.Event += VelBind(&c, &Recorder::Handle);
    Raise(3);
    VelTimerEventArgs args(4);
    emptyCopy.Invoke(&sender, &args);
    EXPECT_EQ(0u, emptyCopy.GetCount());
    EXPECT_EQ(log, "c3");

    // Every handler removed inside a raise, then one added by a handler that
    // is not the last: it runs in the same raise, and the list lives on.
    struct Churn {
        void Handle(Sender* s, const VelTimerEventArgs*)
        {
            s->Event.RemoveReceiver(self);
            s->Event.RemoveReceiver(other);
            s->Event += VelBind(added, &Recorder::Handle);
        }
        Churn* self;
        const void* other;
        Recorder* added;
    };
    log.clear();
    sender.Event.RemoveReceiver(&c);
    Churn churn{&churn, &b, &a};
    sender.Event += VelBind(&churn, &Churn::Handle);
    sender.Event += VelBind(&b, &Recorder::Handle);
    Raise(5);
    EXPECT_EQ(log, "a5");
    EXPECT_EQ(1u, sender.Event.GetCount());
    Raise(6);
    EXPECT_EQ(log, "a5a6");
}

// Lists that go give their place to lists that come: thousands of events,
// half of them replaced, must each still reach only their own handlers.
TEST(DelegateLifetime, ManyEventsMadeAndDestroyedKeepTheirOwnHandlers)
{
    std::string log;
    std::vector<Recorder> recorders;
    for (int i = 0; i < 9000; ++i)
        recorders.emplace_back(&log, "r");
    std::vector<std::unique_ptr<TestEvent>> events(recorders.size());
    auto fill = [&](size_t i) {
        events[i].reset(new TestEvent);
        *events[i] += VelBind(&recorders[i], &Recorder::Handle);
    };
    for (size_t i = 0; i < events.size(); ++i)
        fill(i);
    for (size_t i = 1; i < events.size(); i += 2)
        events[i].reset();
    for (size_t i = 1; i < events.size(); i += 4)
        fill(i);
    for (size_t i = 0; i < events.size(); ++i) {
        const bool expected = i % 2 == 0 || i % 4 == 1;
        ASSERT_EQ(events[i] != nullptr, expected) << i;
        if (!events[i])
            continue;
        ASSERT_EQ(events[i]->GetCount(), 1u) << i;
        log.clear();
        VelTimerEventArgs args(static_cast<UINT>(i));
        events[i]->Invoke(nullptr, &args);
        ASSERT_EQ(log, "r" + std::to_string(i)) << i;
    }
}
