#include "TestControls.h"
#include "VelRootControl.h"
#include "VelTimer.h"

#include <gtest/gtest.h>
#include <cstring>
#include <thread>

namespace {

// A window of 200x200 with two windowless children.
class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        left.Create(&window, kVisible, VelRect(10, 10, 90, 90));
        right.Create(&window, kVisible, VelRect(100, 10, 190, 90));
    }
    LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageW(window.GetHandle(), message, w, l); }

    RecordingControl window;
    RecordingControl left;
    RecordingControl right{RGB(255, 255, 255), -1};
};

}  // namespace

TEST_F(DispatchTest, MouseGoesToTheControlUnderThePointInItsCoordinates)
{
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, At(15, 20)), 0);
    ASSERT_EQ(left.inputs.size(), 1u);
    EXPECT_EQ(left.inputs[0].point, VelPoint(5, 10));
    EXPECT_FALSE(window.ReachedDefault(WM_LBUTTONDOWN));

    // Not handled (-1): the window's default procedure gets it.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 50));
    ASSERT_EQ(right.inputs.size(), 1u);
    EXPECT_EQ(right.inputs[0].point, VelPoint(50, 40));
    EXPECT_TRUE(window.ReachedDefault(WM_LBUTTONDOWN));

    Send(WM_MOUSEMOVE, 0, At(5, 150));
    ASSERT_EQ(window.inputs.size(), 1u);
    EXPECT_EQ(window.inputs[0].point, VelPoint(5, 150));
}

TEST_F(DispatchTest, CaptureTakesEveryMouseMessage)
{
    left.SetCapture();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 50));
    Send(WM_LBUTTONUP, 0, At(300, 300));
    ASSERT_EQ(left.inputs.size(), 2u);
    EXPECT_EQ(left.inputs[0].point, VelPoint(140, 40));
    EXPECT_EQ(left.inputs[1].point, VelPoint(290, 290));
    EXPECT_TRUE(right.inputs.empty());

    // A captured control that dies leaves no dangling target, and the window
    // no longer holds the platform's pointer.
    ASSERT_EQ(::GetCapture(), window.GetHandle());
    left.Destroy();
    EXPECT_EQ(::GetCapture(), nullptr);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 50));
    EXPECT_EQ(right.inputs.size(), 1u);
}

TEST_F(DispatchTest, IgnoredMouseWaitsForTheNextPress)
{
    VelControlCore::Instance->SetIgnoreMouse(true);
    EXPECT_EQ(Send(WM_LBUTTONUP, 0, At(15, 20)), 0);
    EXPECT_EQ(Send(WM_MOUSEMOVE, 0, At(15, 20)), 0);
    EXPECT_TRUE(left.inputs.empty());
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(15, 20));
    Send(WM_LBUTTONUP, 0, At(15, 20));
    EXPECT_EQ(left.inputs.size(), 2u);
}

TEST_F(DispatchTest, KeysGoToTheRememberedFocusOnly)
{
    Send(WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(window.ReachedDefault(WM_KEYDOWN));  // no focus: -1

    right.SetFocus();
    EXPECT_TRUE(right.HasFocus());
    window.defaults.clear();
    Send(WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(right.keys, std::vector<UINT>{'B'});
    EXPECT_TRUE(window.ReachedDefault(WM_KEYDOWN));  // right returns -1

    left.SetFocus();
    window.defaults.clear();
    EXPECT_EQ(Send(WM_KEYDOWN, 'C', 0), 0);
    EXPECT_EQ(left.keys, std::vector<UINT>{'C'});
    EXPECT_FALSE(window.ReachedDefault(WM_KEYDOWN));

    // The focused control dies: keys fall through instead of reaching freed memory.
    left.Destroy();
    EXPECT_EQ(VelControlCore::Instance->GetFocus(), nullptr);
    Send(WM_KEYDOWN, 'D', 0);
    EXPECT_TRUE(window.ReachedDefault(WM_KEYDOWN));
}

TEST_F(DispatchTest, UnhandledAndUnlistedMessagesReachDefWindowProc)
{
    const struct {
        UINT message;
        WPARAM w;
    } cases[] = {
        {WM_QUIT, 0}, {WM_SETFOCUS, 0}, {WM_USER + 2, 0}, {WM_IME_SETCONTEXT, 0}, {WM_ERASEBKGND, 0},
    };
    for (const auto& c : cases) {
        window.defaults.clear();
        Send(c.message, c.w, 0);
        EXPECT_TRUE(window.ReachedDefault(c.message)) << std::hex << c.message;
    }
    EXPECT_EQ(Send(WM_NULL), 0);
    EXPECT_FALSE(window.ReachedDefault(WM_NULL));
}

TEST_F(DispatchTest, TimersTickTheirTargetById)
{
    VelTimer first(1000u, &left, nullptr, "first");
    VelTimer second(1000u, &left, nullptr, "second");
    EXPECT_GT(first.GetTimerId(), 5555u);
    EXPECT_EQ(second.GetTimerId(), first.GetTimerId() + 1);

    first.Start();
    first.Start();  // restarts, still one
    EXPECT_TRUE(first.IsActive());
    EXPECT_EQ(Send(WM_TIMER, first.GetTimerId(), 0), 0);
    EXPECT_EQ(left.ticks, std::vector<UINT>{first.GetTimerId()});

    // A stopped timer's id reaches nobody.
    first.Stop();
    window.defaults.clear();
    Send(WM_TIMER, first.GetTimerId(), 0);
    EXPECT_EQ(left.ticks.size(), 1u);
    EXPECT_TRUE(window.ReachedDefault(WM_TIMER));

    // A real tick of the platform reaches its target through the target's window.
    VelTimer real(10u, &right, nullptr, "real");
    real.Start();
    const DWORD start = ::GetTickCount();
    while (right.ticks.empty() && ::GetTickCount() - start < 5000) {
        Pump();
        ::Sleep(5);
    }
    ASSERT_FALSE(right.ticks.empty());
    EXPECT_EQ(right.ticks[0], real.GetTimerId());
    EXPECT_EQ(left.ticks.size(), 1u);
}

TEST_F(DispatchTest, ATickForADestroyedTargetReachesNobody)
{
    RecordingControl* target = new RecordingControl;
    target->Create(&window, kVisible, VelRect(0, 100, 50, 150));
    VelTimer timer(1000u, target, nullptr, "orphan");
    timer.Start();
    delete target;
    window.defaults.clear();
    Send(WM_TIMER, timer.GetTimerId(), 0);
    EXPECT_TRUE(window.ReachedDefault(WM_TIMER));
    // The dead timer was killed: it is gone from the window.
    EXPECT_FALSE(::KillTimer(window.GetHandle(), timer.GetTimerId()));
}

namespace {

struct PlainTarget : VelObject {
    std::vector<UINT> ticks;
    std::vector<int> codes;
    int OnTimer(const VelTimerEventArgs* a) override
    {
        ticks.push_back(a->timerId);
        return 0;
    }
    int OnUserMessage(const VelUserMessageEventArgs* a) override
    {
        codes.push_back(a->code);
        return 0;
    }
};

}  // namespace

TEST_F(DispatchTest, ObjectsThatAreNoControlsUseTheCallbackWindow)
{
    PlainTarget target;
    VelTimer timer(1000u, &target, nullptr, "app");
    timer.Start();
    ::SendMessageW(VelControlCore::Instance->GetCallbackWindow(), WM_TIMER, timer.GetTimerId(), 0);
    EXPECT_EQ(target.ticks, std::vector<UINT>{timer.GetTimerId()});

    PlainTarget* dead = new PlainTarget;
    VelControlCore::Instance->PostUserMessage(6, dead, 60);
    delete dead;  // its message must reach nobody
    VelControlCore::Instance->PostUserMessage(7, &target, 70);
    VelControlCore::Instance->PostUserMessage(8, &left, 80);
    Pump();
    EXPECT_EQ(target.codes, std::vector<int>{7});
    ASSERT_EQ(left.userMessages.size(), 1u);
    EXPECT_EQ(left.userMessages[0], std::make_pair(8, LPARAM(80)));
}

TEST_F(DispatchTest, OnRequestDeliversARecordOfTheCoreOnceAndFreesIt)
{
    VelControlCore* core = VelControlCore::Instance;
    const size_t live = core->GetLiveRequestCount();
    core->PostUserMessage(9, &left, 90);
    MSG posted = {};
    ASSERT_TRUE(::PeekMessageW(&posted, window.GetHandle(), WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(core->GetLiveRequestCount(), live + 1);
    VelRequestRecord* record = reinterpret_cast<VelRequestRecord*>(posted.wParam);
    left.userMessages.clear();
    EXPECT_EQ(core->OnRequest(record), -1);
    ASSERT_EQ(left.userMessages.size(), 1u);
    EXPECT_EQ(left.userMessages[0], std::make_pair(9, LPARAM(90)));
    EXPECT_EQ(core->GetLiveRequestCount(), live) << "freed";
    // Taken already: the pointer is only looked up, never read.
    EXPECT_EQ(core->OnRequest(record), -1);
    EXPECT_EQ(left.userMessages.size(), 1u);
}

TEST_F(DispatchTest, ForeignRequestsAndWindowsWithoutControlAreHarmless)
{
    // A stray WM_USER+1 from elsewhere carries a pointer that is not ours.
    static char junk[32];
    window.defaults.clear();
    Send(WM_USER + 1, reinterpret_cast<WPARAM>(junk), 0);
    Send(WM_USER + 1, 0x12345678, 0);
    EXPECT_TRUE(window.ReachedDefault(WM_USER + 1));

    // Even a well-formed request posted by another thread is not ours: it is
    // neither carried out nor freed.
    ::UpdateWindow(window.GetHandle());
    const size_t paints = left.paints.size();
    VelRegionRequest* argument = new VelRegionRequest{VelRegion(VelRect(0, 0, 50, 50)), left.GetId(), 0};
    VelRequestRecord* forged =
        new VelRequestRecord{reinterpret_cast<INT_PTR>(argument), VelControlCore::kRequestInvalidateControl,
                             VelControlCore::Instance->GetRoot()->GetId()};
    std::thread poster([&] { ::PostMessageW(window.GetHandle(), WM_USER + 1, reinterpret_cast<WPARAM>(forged), 0); });
    poster.join();
    Pump();
    ::UpdateWindow(window.GetHandle());
    EXPECT_EQ(left.paints.size(), paints);
    EXPECT_EQ(forged->code, VelControlCore::kRequestInvalidateControl);
    EXPECT_EQ(argument->controlId, left.GetId());
    delete argument;
    delete forged;

    HWND bare = ::CreateWindowExW(0, L"_VELWINDOW_WC_", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(::IsWindow(bare));
    for (UINT m : {UINT(WM_PAINT), UINT(WM_USER + 1), UINT(WM_LBUTTONDOWN), UINT(WM_TIMER), UINT(WM_KEYDOWN)})
        ::SendMessageW(bare, m, 1, 0);
    ::DestroyWindow(bare);
}

namespace {

struct DeactivationCounter : RecordingControl {
    int deactivations = 0;
    int OnDeactivate(const VelEventArgs* args) override
    {
        ++deactivations;
        return RecordingControl::OnDeactivate(args);
    }
};

}  // namespace

TEST(Deactivation, AnInputContextSwitchedOffDeactivatesAndStillReachesTheDefault)
{
    // Wine sends it with 0 when the focus moves to another window; which window
    // is active is shared with every other test on the display, so it is sent here.
    DeactivationCounter window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 100, 100));
    const struct {
        WPARAM on;
        int deactivations;
    } cases[] = {{1, 0}, {0, 1}, {2, 2}};
    for (const auto& c : cases) {
        window.defaults.clear();
        ::SendMessageW(window.GetHandle(), WM_IME_SETCONTEXT, c.on, 0);
        EXPECT_EQ(window.deactivations, c.deactivations) << c.on;
        EXPECT_TRUE(window.ReachedDefault(WM_IME_SETCONTEXT)) << c.on;
    }
}

namespace {

// A window that deletes itself from the handler of one message and answers -1,
// so the window procedure falls through to the default. Its memory is wiped and
// kept until the end of the test: a call through the dead control then faults
// instead of finding what it left behind.
class SelfDeletingWindow : public RecordingControl {
public:
    explicit SelfDeletingWindow(UINT trigger) : m_trigger(trigger) {}

    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* memory, size_t size)
    {
        std::memset(memory, 0, size);
        Graveyard().push_back(memory);
    }
    static std::vector<void*>& Graveyard()
    {
        static std::vector<void*> kept;
        return kept;
    }
    static void Bury()
    {
        for (void* memory : Graveyard())
            ::operator delete(memory);
        Graveyard().clear();
    }

    int OnUserMessage(const VelUserMessageEventArgs*) override { return Die(WM_USER + 1); }
    int OnClose(const VelEventArgs*) override { return Die(WM_CLOSE); }
    int OnMouseDown(const VelMouseEventArgs*) override { return Die(WM_LBUTTONDOWN); }

private:
    int Die(UINT message)
    {
        if (message != m_trigger)
            return 0;
        delete this;
        return -1;
    }

    UINT m_trigger;
};

}  // namespace

TEST(SelfDestruction, AHandlerThatDeletesItsOwnWindowEndsTheMessageCleanly)
{
    VelControlCore* core = VelControlCore::Instance;
    const size_t requestsBefore = core->GetLiveRequestCount();
    const UINT triggers[] = {WM_USER + 1, WM_CLOSE, WM_LBUTTONDOWN};
    for (UINT trigger : triggers) {
        SelfDeletingWindow* window = new SelfDeletingWindow(trigger);
        window->Create(nullptr, kVisible, VelRect(0, 0, 100, 100));
        const int id = window->GetId();
        HWND handle = window->GetHandle();
        ASSERT_TRUE(::IsWindow(handle));
        if (trigger == WM_USER + 1) {
            core->PostUserMessage(7, window, 0);
            Pump();
        } else {
            ::SendMessageW(handle, trigger, trigger == WM_LBUTTONDOWN ? MK_LBUTTON : 0, At(10, 10));
        }
        EXPECT_EQ(core->FindControl(id), nullptr) << std::hex << trigger;
        EXPECT_EQ(VelObject::FindById(id), nullptr) << std::hex << trigger;
        EXPECT_FALSE(::IsWindow(handle)) << std::hex << trigger;
        Pump();
    }
    EXPECT_EQ(core->GetLiveRequestCount(), requestsBefore);
    SelfDeletingWindow::Bury();
}
