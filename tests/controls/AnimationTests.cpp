#include <gtest/gtest.h>

#include "FakeTick.h"
#include "../core_windows/TestControls.h"
#include "VelKeypadDockTransition.h"
#include "VelMoveToTransition.h"
#include "VelScheduler.h"

#include <string>
#include <vector>

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

// Records every progress it is given; tells the test when it is deleted.
class ProgressProbe : public VelTransition {
public:
    explicit ProgressProbe(float durationMs, bool* deleted = nullptr) : VelTransition(durationMs), m_deleted(deleted) {}
    ~ProgressProbe() override
    {
        if (m_deleted)
            *m_deleted = true;
    }
    void Apply(float progress) override { applied.push_back(progress); }

    std::vector<float> applied;

private:
    bool* m_deleted;
};

// What a target control hears of its transitions, in order.
class EventLog {
public:
    void Watch(VelAbstractControl& control)
    {
        control.TransitionStarted += VelBind(this, &EventLog::OnStarted);
        control.TransitionFinished += VelBind(this, &EventLog::OnFinished);
    }
    void OnStarted(VelObject* sender, const VelTransitionEventArgs* args) { Note("started", sender, args); }
    void OnFinished(VelObject* sender, const VelTransitionEventArgs* args) { Note("finished", sender, args); }

    struct Entry {
        std::string what;
        VelObject* sender;
        VelTransitionBase* transition;
    };
    std::vector<Entry> entries;
    std::vector<std::string> What() const
    {
        std::vector<std::string> out;
        for (const Entry& e : entries)
            out.push_back(e.what);
        return out;
    }

private:
    void Note(const char* what, VelObject* sender, const VelTransitionEventArgs* args)
    {
        entries.push_back(Entry{what, sender, args->transition});
    }
};

// Stands in for the keypad: records the rectangles it is asked to show.
class DockProbe : public VelControl, public VelKeypadDockTarget {
public:
    DockProbe() { TransitionFinished += VelBind(this, &DockProbe::OnFinished); }
    void SetClipRect(const RECT& rect) override
    {
        rects.push_back(VelRect(rect));
        calls.push_back("rect");
    }
    void OnFinished(VelObject*, const VelTransitionEventArgs*) { calls.push_back("finished"); }
    std::vector<VelRect> rects;
    std::vector<std::string> calls;
};

COLORREF ScreenPixel(HWND window, int x, int y)
{
    HDC dc = ::GetDC(window);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return c;
}

class AnimationTest : public ::testing::Test {
protected:
    FakeTick tick{1000};
};

}  // namespace

TEST_F(AnimationTest, StepTurnsElapsedTimeIntoProgressAndEndsOneStepAfterReachingOne)
{
    struct Case {
        const char* name;
        float duration;
        DWORD start;
        std::vector<DWORD> elapsed;
        std::vector<float> applied;
        std::vector<int> goesOn;
    };
    const Case cases[] = {
        {"every 25 ms over 150 ms",
         150.0f,
         1000,
         {25, 50, 75, 100, 125, 150, 175, 200},
         {25 / 150.0f, 50 / 150.0f, 75 / 150.0f, 100 / 150.0f, 125 / 150.0f, 1.0f, 1.0f},
         {1, 1, 1, 1, 1, 1, 1, 0}},
        {"a late tick applies 1 once", 300.0f, 1000, {400, 425}, {1.0f}, {1, 0}},
        {"exactly on the duration is not the end",
         300.0f,
         1000,
         {300, 300, 301, 302},
         {1.0f, 1.0f, 1.0f},
         {1, 1, 1, 0}},
        {"the tick count wraps", 100.0f, 0xFFFFFFF0u, {0x30, 0x40, 0x70, 0x80}, {0.48f, 0.64f, 1.0f}, {1, 1, 1, 0}},
        {"zero duration is over at once", 0.0f, 1000, {0, 10}, {1.0f}, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressProbe probe(c.duration);
        probe.Start(c.start);
        EXPECT_FALSE(probe.IsFinished());
        std::vector<int> goesOn;
        for (DWORD e : c.elapsed)
            goesOn.push_back(probe.Step(c.start + e));
        EXPECT_EQ(goesOn, c.goesOn);
        ASSERT_EQ(probe.applied.size(), c.applied.size());
        for (size_t i = 0; i < c.applied.size(); ++i)
            EXPECT_FLOAT_EQ(probe.applied[i], c.applied[i]) << "step " << i;
        EXPECT_TRUE(probe.IsFinished());
    }
}

TEST_F(AnimationTest, SchedulerRunsATransitionToItsEndDeletesItAndStopsOneTickLater)
{
    VelControl target;
    EventLog log;
    log.Watch(target);
    bool deleted = false;
    ProgressProbe* probe = new ProgressProbe(150.0f, &deleted);
    probe->SetTarget(&target);
    {
        VelScheduler scheduler;
        EXPECT_STREQ(scheduler.GetClassName(), L"VelScheduler");
        scheduler.AddTransition(probe);
        EXPECT_TRUE(log.entries.empty());
        EXPECT_FALSE(scheduler.IsRunning());

        scheduler.Start();
        EXPECT_TRUE(scheduler.IsRunning());
        EXPECT_EQ(probe->GetStartTick(), 1000u);
        ASSERT_EQ(log.What(), std::vector<std::string>{"started"});
        EXPECT_EQ(log.entries[0].sender, &target);
        EXPECT_EQ(log.entries[0].transition, probe);

        for (DWORD t = 25; t <= 175; t += 25)
            scheduler.OnTick(1000 + t);
        EXPECT_EQ(probe->applied.size(), 7u);
        EXPECT_FLOAT_EQ(probe->applied.front(), 1 / 6.0f);
        EXPECT_FLOAT_EQ(probe->applied.back(), 1.0f);
        EXPECT_FALSE(deleted);
        EXPECT_EQ(log.entries.size(), 1u);

        scheduler.OnTick(1200);
        EXPECT_TRUE(deleted);
        EXPECT_EQ(scheduler.GetTransitionCount(), 0u);
        ASSERT_EQ(log.What(), (std::vector<std::string>{"started", "finished"}));
        EXPECT_EQ(log.entries[1].transition, probe);
        EXPECT_TRUE(scheduler.IsRunning());

        scheduler.OnTick(1225);
        EXPECT_FALSE(scheduler.IsRunning());
    }
}

TEST_F(AnimationTest, SchedulerIsDrivenByItsOwnTimerOnTheInjectedClock)
{
    bool deleted = false;
    ProgressProbe* probe = new ProgressProbe(300.0f, &deleted);
    VelScheduler scheduler;
    scheduler.AddTransition(probe);
    scheduler.Start();
    // Far past the end on the fake clock, however slowly the real timer ticks.
    tick.Set(5000);
    const DWORD deadline = ::GetTickCount() + 5000;
    while ((!deleted || scheduler.IsRunning()) && ::GetTickCount() < deadline) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(scheduler.IsRunning());
}

TEST_F(AnimationTest, StartingAgainLeavesRunningTransitionsOnTheirTimeLineAndAddedOnesWaitForIt)
{
    VelControl target;
    EventLog log;
    log.Watch(target);
    VelScheduler scheduler;
    ProgressProbe* first = new ProgressProbe(100.0f);
    first->SetTarget(&target);
    scheduler.AddTransition(first);
    scheduler.AddTransition(first);  // owned once, deleted once
    EXPECT_EQ(scheduler.GetTransitionCount(), 1u);
    scheduler.Start();
    scheduler.OnTick(1050);

    ProgressProbe* second = new ProgressProbe(100.0f);
    second->SetTarget(&target);
    scheduler.AddTransition(second);
    scheduler.OnTick(1060);
    EXPECT_TRUE(second->applied.empty());  // not started: nothing to measure from

    tick.Set(1060);
    scheduler.Start();
    EXPECT_EQ(first->GetStartTick(), 1000u);
    EXPECT_EQ(second->GetStartTick(), 1060u);
    EXPECT_EQ(log.What(), (std::vector<std::string>{"started", "started"}));

    scheduler.OnTick(1080);
    EXPECT_FLOAT_EQ(first->applied.back(), 0.8f);
    EXPECT_FLOAT_EQ(second->applied.back(), 0.2f);
}

TEST_F(AnimationTest, SchedulerWithOnlyUnstartedTransitionsStopsItsTimer)
{
    VelScheduler scheduler;
    scheduler.Start();
    bool deleted = false;
    scheduler.AddTransition(new ProgressProbe(100.0f, &deleted));
    scheduler.OnTick(1025);
    EXPECT_FALSE(scheduler.IsRunning());
    EXPECT_EQ(scheduler.GetTransitionCount(), 1u);
    EXPECT_FALSE(deleted);
}

TEST_F(AnimationTest, MoveAppliesTruncatedStepsAlongTheWay)
{
    struct Case {
        VelPoint from;
        VelPoint to;
        float progress;
        VelPoint expected;
    };
    const Case cases[] = {
        {VelPoint(100, 0), VelPoint(0, 0), 0.5f, VelPoint(50, 0)},
        {VelPoint(100, 0), VelPoint(0, 0), 0.333f, VelPoint(67, 0)},     // 100 + trunc(-33.3)
        {VelPoint(0, 10), VelPoint(100, -10), 0.333f, VelPoint(33, 4)},  // 10 + trunc(-6.66)
        {VelPoint(-240, 0), VelPoint(0, 0), 1.0f, VelPoint(0, 0)},
        {VelPoint(7, 7), VelPoint(7, 7), 0.5f, VelPoint(7, 7)},
    };
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    for (const Case& c : cases) {
        RecordingControl child;
        child.Create(&window, kVisible, VelRect(c.from.x, c.from.y, c.from.x + 20, c.from.y + 20));
        VelMoveToTransition move(c.to, 300.0f);
        move.SetTarget(&child);
        move.Start(1000);
        move.Apply(c.progress);
        EXPECT_EQ(VelPoint(child.GetLeft(), child.GetTop()), c.expected) << c.progress;
        EXPECT_EQ(child.GetWidth(), 20);
        child.Destroy();
    }
}

TEST_F(AnimationTest, WindowlessTargetSlidesOnItsOwnCanvasAndGivesItBackAtTheEnd)
{
    RecordingControl window(kWhite), mover(kRed);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 100));
    mover.Create(&window, kVisible, VelRect(100, 10, 140, 50));
    Pump();
    ::UpdateWindow(window.GetHandle());
    HWND h = window.GetHandle();
    EventLog log;
    log.Watch(mover);

    VelScheduler scheduler;
    VelMoveToTransition* move = new VelMoveToTransition(VelPoint(0, 10), 300.0f);
    move->SetTarget(&mover);
    scheduler.AddTransition(move);
    ASSERT_NE(mover.GetCanvas(), nullptr);
    EXPECT_EQ(mover.GetStateFlag(), 1);
    EXPECT_EQ(mover.GetCanvas()->GetAuxiliaryValue(), 1u);
    EXPECT_EQ(::GetPixel(mover.GetCanvas()->GetDC(), 20, 20), kRed);

    scheduler.Start();
    scheduler.OnTick(1150);
    EXPECT_EQ(mover.GetLeft(), 50);
    // Painted within the tick: nothing is left for a later WM_PAINT.
    EXPECT_FALSE(::GetUpdateRect(h, nullptr, FALSE));
    EXPECT_EQ(ScreenPixel(h, 60, 30), kRed);
    EXPECT_EQ(ScreenPixel(h, 130, 30), kWhite);

    scheduler.OnTick(1400);  // late: lands on the destination in one go
    EXPECT_EQ(mover.GetLeft(), 0);
    EXPECT_NE(mover.GetCanvas(), nullptr);
    scheduler.OnTick(1425);
    EXPECT_EQ(log.What(), (std::vector<std::string>{"started", "finished"}));
    EXPECT_EQ(mover.GetCanvas(), nullptr);
    EXPECT_EQ(mover.GetStateFlag(), 0);
    EXPECT_EQ(VelRect(mover.GetBounds()), VelRect(0, 10, 40, 50));
    Pump();
    ::UpdateWindow(h);
    EXPECT_EQ(ScreenPixel(h, 20, 30), kRed);
    EXPECT_EQ(ScreenPixel(h, 60, 30), kWhite);
}

TEST_F(AnimationTest, TwoMovesInOneWindowRepaintItOncePerTick)
{
    RecordingControl window(kWhite), left(kRed), right(kBlue);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 100));
    left.Create(&window, kVisible, VelRect(0, 0, 20, 20));
    right.Create(&window, kVisible, VelRect(180, 50, 200, 70));
    Pump();
    ::UpdateWindow(window.GetHandle());

    VelScheduler scheduler;
    VelMoveToTransition* a = new VelMoveToTransition(VelPoint(100, 0), 100.0f);
    VelMoveToTransition* b = new VelMoveToTransition(VelPoint(80, 50), 100.0f);
    a->SetTarget(&left);
    b->SetTarget(&right);
    scheduler.AddTransition(a);
    scheduler.AddTransition(b);
    scheduler.Start();
    Pump();
    ::UpdateWindow(window.GetHandle());
    for (DWORD t : {1025u, 1050u, 1075u}) {
        const size_t before = window.paints.size();
        scheduler.OnTick(t);
        EXPECT_EQ(window.paints.size(), before + 1) << t;
        EXPECT_FALSE(::GetUpdateRect(window.GetHandle(), nullptr, FALSE)) << t;
    }
    EXPECT_EQ(left.GetLeft(), 75);
    EXPECT_EQ(right.GetLeft(), 105);
    EXPECT_EQ(ScreenPixel(window.GetHandle(), 85, 10), kRed);
    EXPECT_EQ(ScreenPixel(window.GetHandle(), 115, 60), kBlue);
}

TEST_F(AnimationTest, NativeTargetIsPaintedWholeOnlyWhileItMoves)
{
    RecordingControl window(kWhite), view(kBlue);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 100));
    view.SetHasNativeWindow(true);
    view.Create(&window, kVisible, VelRect(200, 0, 400, 100));
    ASSERT_NE(view.GetHandle(), nullptr);
    ASSERT_NE(view.GetCanvas(), nullptr);
    EXPECT_EQ(view.GetCanvas()->GetAuxiliaryValue(), 0u);

    VelScheduler scheduler;
    VelMoveToTransition* slide = new VelMoveToTransition(VelPoint(0, 0), 300.0f);
    slide->SetTarget(&view);
    scheduler.AddTransition(slide);
    EXPECT_EQ(view.GetCanvas()->GetAuxiliaryValue(), 1u);
    scheduler.Start();
    scheduler.OnTick(1150);
    EXPECT_EQ(view.GetLeft(), 100);
    RECT placed;
    ::GetWindowRect(view.GetHandle(), &placed);
    ::MapWindowPoints(nullptr, window.GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 100);
    scheduler.OnTick(1325);
    scheduler.OnTick(1350);
    EXPECT_EQ(scheduler.GetTransitionCount(), 0u);
    EXPECT_EQ(view.GetLeft(), 0);
    ASSERT_NE(view.GetCanvas(), nullptr);
    EXPECT_EQ(view.GetCanvas()->GetAuxiliaryValue(), 0u);
}

TEST_F(AnimationTest, SchedulerDestroyedMidMoveGivesTheCanvasBackWithoutFinishing)
{
    RecordingControl window(kWhite), mover(kRed);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 100));
    mover.Create(&window, kVisible, VelRect(100, 10, 140, 50));
    EventLog log;
    log.Watch(mover);
    {
        VelScheduler scheduler;
        VelMoveToTransition* move = new VelMoveToTransition(VelPoint(0, 10), 300.0f);
        move->SetTarget(&mover);
        scheduler.AddTransition(move);
        scheduler.Start();
        scheduler.OnTick(1150);
        ASSERT_NE(mover.GetCanvas(), nullptr);
    }
    EXPECT_EQ(mover.GetCanvas(), nullptr);
    EXPECT_EQ(mover.GetStateFlag(), 0);
    EXPECT_EQ(log.What(), std::vector<std::string>{"started"});
}

TEST_F(AnimationTest, TargetDestroyedMidMoveIsLeftAloneAndTheTransitionStillEnds)
{
    RecordingControl window(kWhite);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 100));
    RecordingControl* mover = new RecordingControl(kRed);
    mover->Create(&window, kVisible, VelRect(100, 10, 140, 50));
    VelScheduler scheduler;
    VelMoveToTransition* move = new VelMoveToTransition(VelPoint(0, 10), 100.0f);
    move->SetTarget(mover);
    scheduler.AddTransition(move);
    scheduler.Start();
    scheduler.OnTick(1050);
    delete mover;
    EXPECT_EQ(move->GetTarget(), nullptr);
    scheduler.OnTick(1075);
    scheduler.OnTick(1125);
    scheduler.OnTick(1150);
    EXPECT_EQ(scheduler.GetTransitionCount(), 0u);
}

TEST_F(AnimationTest, DockTransitionSetsTheKeypadRectangleAndEndsExactlyOnTheTarget)
{
    DockProbe keypad;
    EventLog log;
    log.Watch(keypad);
    const VelRect full(0, 200, 240, 320), docked(180, 280, 240, 320);
    VelKeypadDockTransition dock(full, docked);
    EXPECT_FLOAT_EQ(dock.GetDuration(), 150.0f);
    dock.SetTarget(&keypad);
    dock.Start(1000);

    struct Case {
        float progress;
        VelRect expected;
    };
    const Case cases[] = {
        {0.0f, full},
        {0.5f, VelRect(90, 240, 240, 320)},
        // trunc(start + delta × p): 200 + 80 × 0.333 = 226.64 -> 226
        {0.333f, VelRect(59, 226, 240, 320)},
        {1.0f, docked},
    };
    for (const Case& c : cases) {
        dock.Apply(c.progress);
        EXPECT_EQ(keypad.rects.back(), c.expected) << c.progress;
    }
    // Shrinking edges truncate the sum, not the product: 100 - 33.3 = 66.7 -> 66.
    VelKeypadDockTransition shrink(VelRect(0, 0, 100, 100), VelRect(0, 0, 0, 0));
    shrink.SetTarget(&keypad);
    shrink.Start(1000);
    shrink.Apply(0.333f);
    EXPECT_EQ(keypad.rects.back(), VelRect(0, 0, 66, 66));

    keypad.calls.clear();
    EXPECT_EQ(dock.Step(1176), 1);  // past the end: 1 applied, marked
    EXPECT_EQ(dock.Step(1201), 0);
    dock.Finish(1201);
    EXPECT_EQ(keypad.calls, (std::vector<std::string>{"rect", "rect", "finished"}));
    EXPECT_EQ(keypad.rects.back(), docked);
}

TEST_F(AnimationTest, DockTransitionLeavesATargetThatIsNoKeypadAlone)
{
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    RecordingControl plain;
    plain.Create(&window, kVisible, VelRect(10, 10, 50, 50));
    EventLog log;
    log.Watch(plain);
    VelKeypadDockTransition dock(VelRect(10, 10, 50, 50), VelRect(0, 0, 5, 5));
    dock.SetTarget(&plain);
    dock.Start(1000);
    dock.Apply(0.5f);
    dock.Finish(1200);
    EXPECT_EQ(VelRect(plain.GetBounds()), VelRect(10, 10, 50, 50));
    EXPECT_EQ(log.What(), (std::vector<std::string>{"started", "finished"}));
}

namespace {

// Deletes the scheduler from the target's finished event, as an owner torn
// down by that event would.
struct SchedulerKiller {
    VelScheduler* scheduler = nullptr;
    void OnFinished(VelObject*, const VelTransitionEventArgs*)
    {
        delete scheduler;
        scheduler = nullptr;
    }
};

}  // namespace

TEST_F(AnimationTest, AHandlerMayDeleteTheSchedulerWhileItTicks)
{
    VelControl target;
    SchedulerKiller killer;
    target.TransitionFinished += VelBind(&killer, &SchedulerKiller::OnFinished);
    bool firstDeleted = false, secondDeleted = false;
    ProgressProbe* first = new ProgressProbe(50.0f, &firstDeleted);
    ProgressProbe* second = new ProgressProbe(500.0f, &secondDeleted);
    first->SetTarget(&target);
    killer.scheduler = new VelScheduler;
    killer.scheduler->AddTransition(first);
    killer.scheduler->AddTransition(second);
    killer.scheduler->Start();
    killer.scheduler->OnTick(1060);
    killer.scheduler->OnTick(1085);  // first is finished; its handler deletes the scheduler
    EXPECT_EQ(killer.scheduler, nullptr);
    EXPECT_TRUE(firstDeleted);
    EXPECT_TRUE(secondDeleted);
}
