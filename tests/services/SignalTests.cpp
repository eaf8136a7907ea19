#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VelSignal.h"

namespace {

std::vector<std::string> s_calls;

class Receiver : public VelSlotHolder {
public:
    explicit Receiver(std::string name) : m_name(std::move(name)) {}

    void OnNone() { s_calls.push_back(m_name); }
    void OnCount(int count) { s_calls.push_back(m_name + ":" + std::to_string(count)); }
    void OnPair(int a, int b) { s_calls.push_back(m_name + ":" + std::to_string(a) + "," + std::to_string(b)); }

    // Set before an emit to act from inside the call.
    Receiver* toDelete = nullptr;
    VelSignal<>* toDeleteSignal = nullptr;
    VelSignal<>* toDisconnect = nullptr;
    void OnAct()
    {
        s_calls.push_back(m_name);
        if (toDisconnect)
            toDisconnect->DisconnectAll();
        if (toDeleteSignal)
            delete toDeleteSignal;
        if (toDelete)
            delete toDelete;
    }

private:
    std::string m_name;
};

class SignalTest : public ::testing::Test {
protected:
    void SetUp() override { s_calls.clear(); }
};

typedef std::vector<std::string> Calls;

TEST_F(SignalTest, EmitsInConnectionOrderWithArguments)
{
    Receiver a("a"), b("b");
    VelSignal<> none;
    VelSignal<int> count;
    VelSignal<int, int> pair;
    none.Emit();  // nobody connected
    none.Connect(&b, &Receiver::OnNone);
    none.Connect(&a, &Receiver::OnNone);
    count.Connect(&a, &Receiver::OnCount);
    pair.Connect(&b, &Receiver::OnPair);
    none.Emit();
    count.Emit(7);
    pair.Emit(1, 2);
    EXPECT_EQ(s_calls, (Calls{"b", "a", "a:7", "b:1,2"}));
}

TEST_F(SignalTest, TwiceConnectedRunsTwiceAndLeavesWithBoth)
{
    VelSignal<int> signal;
    {
        Receiver a("a");
        signal.Connect(&a, &Receiver::OnCount);
        signal.Connect(&a, &Receiver::OnCount);
        signal.Emit(1);
        EXPECT_EQ(s_calls, (Calls{"a:1", "a:1"}));
    }
    signal.Emit(2);
    EXPECT_EQ(s_calls.size(), 2u);
}

TEST_F(SignalTest, DyingReceiverLeavesEverySignal)
{
    VelSignal<> one;
    VelSignal<int> two;
    Receiver keep("keep");
    {
        Receiver gone("gone");
        one.Connect(&gone, &Receiver::OnNone);
        two.Connect(&gone, &Receiver::OnCount);
        one.Connect(&keep, &Receiver::OnNone);
    }
    one.Emit();
    two.Emit(3);
    EXPECT_EQ(s_calls, (Calls{"keep"}));
}

TEST_F(SignalTest, DyingSignalLeavesItsReceivers)
{
    // The receiver outlives the signal; its destruction must not reach it.
    Receiver* receiver = new Receiver("a");
    {
        VelSignal<> signal;
        signal.Connect(receiver, &Receiver::OnNone);
    }
    VelSignal<> other;
    other.Connect(receiver, &Receiver::OnNone);
    delete receiver;
    other.Emit();
    EXPECT_TRUE(s_calls.empty());
}

TEST_F(SignalTest, DisconnectAllStopsEveryCall)
{
    Receiver a("a");
    VelSignal<> signal;
    signal.Connect(&a, &Receiver::OnNone);
    signal.DisconnectAll();
    signal.Emit();
    EXPECT_TRUE(s_calls.empty());
}

TEST_F(SignalTest, CopiedReceiverGetsItsOwnConnections)
{
    VelSignal<int> signal;
    Receiver original("a");
    signal.Connect(&original, &Receiver::OnCount);
    {
        Receiver copy(original);
        signal.Emit(1);
        EXPECT_EQ(s_calls.size(), 2u);
    }
    s_calls.clear();
    signal.Emit(2);
    EXPECT_EQ(s_calls, (Calls{"a:2"}));
}

TEST_F(SignalTest, DuplicatingOntoItselfAddsNothing)
{
    VelSignal<> signal;
    Receiver a("a");
    signal.Connect(&a, &Receiver::OnNone);
    signal.SlotDuplicate(&a, &a);
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"a"}));
}

TEST_F(SignalTest, ReceiverMayDestroyItself)
{
    VelSignal<> signal;
    Receiver* self = new Receiver("self");
    Receiver after("after");
    self->toDelete = self;
    signal.Connect(self, &Receiver::OnAct);
    signal.Connect(&after, &Receiver::OnNone);
    signal.Emit();
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"self", "after", "after"}));
}

TEST_F(SignalTest, ReceiverMayDestroyTheNextReceiver)
{
    VelSignal<> signal;
    Receiver first("first");
    Receiver* next = new Receiver("next");
    Receiver last("last");
    first.toDelete = next;
    signal.Connect(&first, &Receiver::OnAct);
    signal.Connect(next, &Receiver::OnNone);
    signal.Connect(&last, &Receiver::OnNone);
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"first", "last"}));
}

TEST_F(SignalTest, ReceiverMayDisconnectAllDuringEmit)
{
    VelSignal<> signal;
    Receiver first("first"), second("second");
    first.toDisconnect = &signal;
    signal.Connect(&first, &Receiver::OnAct);
    signal.Connect(&second, &Receiver::OnNone);
    signal.Emit();
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"first"}));
}

TEST_F(SignalTest, ReceiverMayDestroyTheSignal)
{
    VelSignal<>* signal = new VelSignal<>;
    Receiver first("first"), second("second");
    first.toDeleteSignal = signal;
    signal->Connect(&first, &Receiver::OnAct);
    signal->Connect(&second, &Receiver::OnNone);
    signal->Emit();
    EXPECT_EQ(s_calls, (Calls{"first"}));
}

TEST_F(SignalTest, NestedEmitMayDropTheLastReceiverOfTheOuterOne)
{
    // The outer emit ends at the last receiver it saw; the inner one drops it.
    struct Reentrant : VelSlotHolder {
        VelSignal<>* signal = nullptr;
        Receiver* victim = nullptr;
        int depth = 0;
        void OnNone()
        {
            s_calls.push_back("re" + std::to_string(depth));
            if (depth++ == 0)
                signal->Emit();
            else if (victim) {
                delete victim;
                victim = nullptr;
            }
        }
    } reentrant;
    VelSignal<> signal;
    reentrant.signal = &signal;
    reentrant.victim = new Receiver("victim");
    signal.Connect(&reentrant, &Reentrant::OnNone);
    signal.Connect(reentrant.victim, &Receiver::OnNone);
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"re0", "re1"}));
    Receiver late("late");
    signal.Connect(&late, &Receiver::OnNone);
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"re0", "re1", "re2", "late"}));
}

TEST_F(SignalTest, ReceiverConnectedDuringEmitWaitsForTheNext)
{
    struct Connector : VelSlotHolder {
        VelSignal<>* signal = nullptr;
        Receiver* late = nullptr;
        void OnNone() { signal->Connect(late, &Receiver::OnNone); }
    } connector;
    VelSignal<> signal;
    Receiver late("late");
    connector.signal = &signal;
    connector.late = &late;
    signal.Connect(&connector, &Connector::OnNone);
    signal.Emit();
    EXPECT_TRUE(s_calls.empty());
    // The connection of the first emit runs; the one this emit adds does not.
    signal.Emit();
    EXPECT_EQ(s_calls, (Calls{"late"}));
}

}  // namespace
