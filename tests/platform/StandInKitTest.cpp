// The stand-ins' kit: what their locks and COM objects rely on.
#include <StandInCom.h>
#include <gtest/gtest.h>

namespace {

DWORD WINAPI TakeAndReturnHolding(void* mutex)
{
    WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
    return 0;  // exits owning it: the mutex is abandoned
}

struct Taken {
    HANDLE mutex;
    volatile LONG held;
};

DWORD WINAPI TryTake(void* param)
{
    Taken* taken = static_cast<Taken*>(param);
    standin::MutexHold hold(taken->mutex);
    InterlockedExchange(&taken->held, hold.Held() ? 1 : 0);
    return 0;
}

// A writer that died holding the store's mutex must not lock the store for
// good, and the hold lets the mutex go at the end of its scope.
TEST(StandInKit, MutexHoldTakesAnAbandonedMutexAndLetsItGo)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    ASSERT_TRUE(mutex);
    HANDLE thread = CreateThread(nullptr, 0, &TakeAndReturnHolding, mutex, 0, nullptr);
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    {
        standin::MutexHold hold(mutex);
        EXPECT_TRUE(hold.Held());
    }
    Taken taken = {mutex, 0};
    thread = CreateThread(nullptr, 0, &TryTake, &taken, 0, nullptr);
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "the hold kept the mutex";
    CloseHandle(thread);
    EXPECT_EQ(1, taken.held);
    CloseHandle(mutex);

    standin::MutexHold none(nullptr);
    EXPECT_FALSE(none.Held());
}

struct Contended {
    standin::Lock lock;
    volatile LONG entered = 0;
};

DWORD WINAPI EnterContended(void* param)
{
    Contended* contended = static_cast<Contended*>(param);
    standin::Guard guard(contended->lock);
    InterlockedExchange(&contended->entered, 1);
    return 0;
}

TEST(StandInKit, GuardHoldsItsLockUntilTheEndOfTheScopeAndMayBeTakenAgainOnItsThread)
{
    Contended contended;
    HANDLE thread = nullptr;
    {
        standin::Guard guard(contended.lock);
        {
            standin::Guard again(contended.lock);  // a listener adding a listener from inside a delivery
        }
        thread = CreateThread(nullptr, 0, &EnterContended, &contended, 0, nullptr);
        ASSERT_TRUE(thread);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 100));
        EXPECT_EQ(0, contended.entered);
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    CloseHandle(thread);
    EXPECT_EQ(1, contended.entered);
}

// {6B1F0C52-3D7E-4A19-8E25-7C4D9A0B3F61}
const IID IID_ITestThing = {0x6b1f0c52, 0x3d7e, 0x4a19, {0x8e, 0x25, 0x7c, 0x4d, 0x9a, 0x0b, 0x3f, 0x61}};

struct ITestThing : IUnknown {};

class TestThing : public standin::ComObject<ITestThing> {
public:
    explicit TestThing(bool* gone) : standin::ComObject<ITestThing>(IID_ITestThing), m_gone(gone) {}
    ~TestThing() override { *m_gone = true; }

private:
    bool* m_gone;
};

TEST(StandInKit, ComObjectAnswersItsOwnInterfaceAndGoesWithItsLastReference)
{
    bool gone = false;
    ITestThing* thing = new TestThing(&gone);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, thing->QueryInterface(IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, thing->QueryInterface(IID_ITestThing, nullptr));
    const IID* answered[] = {&IID_IUnknown, &IID_ITestThing};
    for (const IID* iid : answered) {
        ASSERT_EQ(S_OK, thing->QueryInterface(*iid, &out));
        EXPECT_EQ(static_cast<IUnknown*>(thing), static_cast<IUnknown*>(out));
        EXPECT_EQ(1u, static_cast<IUnknown*>(out)->Release());
    }
    EXPECT_FALSE(gone);
    EXPECT_EQ(0u, thing->Release());
    EXPECT_TRUE(gone);
}

}  // namespace
