#include "FakeTick.h"
#include "VelControl.h"
#include "VelControlCore.h"
#include "VelScrollableControl.h"
#include "VelTimer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// What the three events reported, in order.
struct ScrollLog {
    struct Entry {
        char kind;  // 'S'crolled, fling 'B'egan, fling 'E'nded
        int position;
        bool flinging;
    };
    void OnScrolled(VelScrollableControl*, const VelScrollEventArgs* a) { Note('S', a); }
    void OnStarted(VelScrollableControl*, const VelScrollEventArgs* a) { Note('B', a); }
    void OnStopped(VelScrollableControl*, const VelScrollEventArgs* a) { Note('E', a); }
    void Note(char kind, const VelScrollEventArgs* a)
    {
        entries.push_back(Entry{kind, a->state.position, a->state.flinging != 0});
    }
    void Watch(VelScrollableControl& s)
    {
        s.Scrolled += VelBind(this, &ScrollLog::OnScrolled);
        s.FlingStarted += VelBind(this, &ScrollLog::OnStarted);
        s.FlingStopped += VelBind(this, &ScrollLog::OnStopped);
    }
    std::string Kinds() const
    {
        std::string k;
        for (const Entry& e : entries)
            k += e.kind;
        return k;
    }
    std::vector<Entry> entries;
};

// The physics alone: a plain object owns the fling timer, the clock is fake,
// and the test plays the host, handing over pointer input and ticks.
class KineticTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(scroller.Init(&owner), 0u);
        scroller.GetScrollState()->maximum = 500;
        log.Watch(scroller);
    }
    int Press(int y)
    {
        VelMouseEventArgs a(VelPoint(10, y), MK_LBUTTON);
        return scroller.OnPointerDown(&a);
    }
    int MoveTo(int y, DWORD afterMs)
    {
        tick.Advance(afterMs);
        VelMouseEventArgs a(VelPoint(10, y), MK_LBUTTON);
        return scroller.OnPointerMove(&a);
    }
    int Release(DWORD afterMs)
    {
        tick.Advance(afterMs);
        VelMouseEventArgs a(VelPoint(10, scroller.GetLastPoint().y), 0);
        return scroller.OnPointerUp(&a);
    }
    int Tick(DWORD afterMs)
    {
        tick.Advance(afterMs);
        VelTimerEventArgs a(scroller.GetTimerId());
        return scroller.OnScrollTimer(&a);
    }
    // Leaves the content at the position with the finger lifted and nothing running.
    void Place(int position)
    {
        scroller.SetScrollPosition(position, 0);
        log.entries.clear();
    }
    int Position() { return scroller.GetScrollPosition(); }

    VelObject owner{nullptr, "contact-list"};
    VelScrollableControl scroller;
    ScrollLog log;
    FakeTick tick{100000};
};

}  // namespace

TEST_F(KineticTest, TheContentFollowsTheFingerPastEitherEnd)
{
    Press(100);
    EXPECT_EQ(MoveTo(60, 20), VelScrollableControl::kResultMoved);
    EXPECT_EQ(Position(), 40);
    EXPECT_EQ(MoveTo(60, 20), 0) << "no distance, no scroll";
    EXPECT_EQ(MoveTo(300, 20), VelScrollableControl::kResultMoved);
    EXPECT_EQ(Position(), -200) << "pulled past the top, not clamped";
    Place(480);
    Press(300);
    MoveTo(200, 30);
    EXPECT_EQ(Position(), 580) << "pulled past the bottom";

    ASSERT_EQ(log.Kinds(), "S");
    EXPECT_EQ(log.entries[0].position, 580);
    EXPECT_EQ(scroller.GetLastMoveDelta().y, 0) << "the delta lives only while Scrolled is raised";
    EXPECT_EQ(scroller.GetLastPoint(), VelPoint(10, 200));
    EXPECT_EQ(scroller.GetPressPoint(), VelPoint(10, 300));
}

TEST_F(KineticTest, VelocityIsTheAverageSinceThePressWithinOnePixelPerMillisecond)
{
    struct Case {
        int from, to;
        DWORD ms;
        float velocity;
    };
    const Case cases[] = {
        {100, 70, 60, -0.2f},                       // up: towards larger positions
        {100, 130, 40, 0.3f}, {100, 0, 20, -1.0f},  // -2 px/ms, limited
        {100, 250, 10, 1.0f},                       // +6 px/ms, limited
        {100, 90, 0, -1.0f},                        // the same clock step as the press: no division by zero
    };
    for (const Case& c : cases) {
        Place(200);
        Press(c.from);
        MoveTo(c.to, c.ms);
        EXPECT_FLOAT_EQ(scroller.GetSpeed(), c.velocity) << c.from << " -> " << c.to << " in " << c.ms;
    }

    // Back at the press point within the press's clock step: still a number.
    Place(200);
    Press(100);
    MoveTo(90, 0);
    MoveTo(100, 0);
    EXPECT_EQ(scroller.GetSpeed(), 0.0f);
    EXPECT_EQ(Release(0), 0);
    EXPECT_FALSE(scroller.IsScrolling());
}

TEST_F(KineticTest, OnlyAQuickFastReleaseFlingsInsideTheRange)
{
    struct Case {
        const char* what;
        int to;
        DWORD moveMs;
        DWORD releaseMs;
        bool flings;
    };
    const Case cases[] = {
        {"quick flick", 150, 50, 50, true},  // -0.4 px/ms, released 100 ms after the press
        {"just inside the window", 150, 50, 549, true},
        {"600 ms after the press", 150, 50, 550, false},
        {"slow drag", 195, 100, 10, false},             // -0.02 px/ms
        {"exactly the threshold", 205, 40, 10, false},  // +0.05 px/ms is not above it
        {"just above it", 205, 39, 10, true},
    };
    for (const Case& c : cases) {
        Place(300);
        Press(200);
        MoveTo(c.to, c.moveMs);
        Release(c.releaseMs);
        EXPECT_EQ(scroller.IsScrolling(), c.flings) << c.what;
        EXPECT_EQ(log.Kinds(), c.flings ? "SB" : "S") << c.what;
        scroller.StopScrolling();
    }
}

TEST_F(KineticTest, AReleasePastEitherEndAlwaysSpringsBack)
{
    for (int past : {-30, 530}) {
        Place(past);
        Press(100);
        Release(5000);  // long after the press, with no speed at all
        EXPECT_TRUE(scroller.IsScrolling()) << past;
        EXPECT_EQ(log.Kinds(), "B");
        scroller.StopScrolling();
    }
}

TEST_F(KineticTest, SpringBackCoversHalfTheOvershootPerTickAndEndsExactlyOnTheEnd)
{
    struct Case {
        int start;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {-40, {-20, -10, -5, -2, -1, 0}},
        {540, {520, 510, 505, 503, 502, 501, 500}},
        {-1, {0}},
    };
    const DWORD intervals[] = {30, 15, 45, 1, 30, 990, 30};
    for (const Case& c : cases) {
        Place(c.start);
        Press(100);
        Release(10);
        std::vector<int> seen;
        for (size_t i = 0; i < c.positions.size(); ++i) {
            EXPECT_EQ(Tick(intervals[i]), VelScrollableControl::kResultTickMoved) << c.start << " tick " << i;
            seen.push_back(Position());
        }
        EXPECT_EQ(seen, c.positions) << "from " << c.start;
        if (c.start > 500) {
            EXPECT_FALSE(scroller.IsScrolling()) << "the last half pixel lands on the end and stops";
        } else {
            EXPECT_TRUE(scroller.IsScrolling());
            EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickIdle) << "a tick of no pixel ends it";
            EXPECT_FALSE(scroller.IsScrolling());
        }
        EXPECT_EQ(scroller.GetSpeed(), 0.0f);
        EXPECT_EQ(log.Kinds(), "B" + std::string(c.positions.size(), 'S'))
            << "a fling that runs out raises no FlingStopped";
    }
}

TEST_F(KineticTest, AFlingSlowsByTheTimePassedUntilATickMovesLessThanAPixel)
{
    scroller.GetScrollState()->maximum = 100000;
    Place(1000);
    Press(400);
    MoveTo(100, 100);  // -1.2 px/ms, limited to -1
    Release(0);
    ASSERT_TRUE(scroller.IsScrolling());

    // A tick 30 ms after the last move: speed x 0.97, then 29.1 px.
    EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickMoved);
    EXPECT_FLOAT_EQ(scroller.GetSpeed(), -0.97f);
    EXPECT_EQ(Position(), 1300 + 29);
    // A late tick covers the time it missed.
    const int before = Position();
    Tick(90);
    EXPECT_FLOAT_EQ(scroller.GetSpeed(), -0.97f * (1 - 0.09f));
    EXPECT_EQ(Position() - before, int(-0.97f * (1 - 0.09f) * -90));

    int ticks = 0;
    float speed = scroller.GetSpeed();
    int last = Position();
    while (scroller.IsScrolling() && ticks < 1000) {
        const int result = Tick(30);
        ++ticks;
        EXPECT_GE(Position(), last);
        EXPECT_LE(std::abs(scroller.GetSpeed()), std::abs(speed));
        speed = scroller.GetSpeed();
        if (!scroller.IsScrolling()) {
            EXPECT_EQ(result, VelScrollableControl::kResultTickIdle);
        }
        last = Position();
    }
    EXPECT_FALSE(scroller.IsScrolling());
    EXPECT_LT(ticks, 200);
    EXPECT_EQ(log.Kinds(), "SB" + std::string(size_t(2 + ticks - 1), 'S'));

    // A second or more without a tick leaves no speed at all.
    Place(1000);
    Press(400);
    MoveTo(100, 100);
    Release(0);
    EXPECT_EQ(Tick(1001), VelScrollableControl::kResultTickIdle);
    EXPECT_FALSE(scroller.IsScrolling());
}

TEST_F(KineticTest, AFlingThatCrossesTheTopSpringsBackToIt)
{
    Place(100);
    Press(100);
    MoveTo(160, 60);  // position 40, +0.4 px/ms: towards the top
    Release(0);
    std::vector<int> seen;
    for (int i = 0; i < 20 && scroller.IsScrolling(); ++i) {
        Tick(30);
        seen.push_back(Position());
    }
    EXPECT_EQ(seen, (std::vector<int>{29, 18, 8, -2, -1, 0, 0}));
    EXPECT_FALSE(scroller.IsScrolling());
}

TEST_F(KineticTest, AReleaseAtTheTopHeadingDownSnapsToItAndStops)
{
    Place(-10);
    Press(100);
    MoveTo(90, 20);  // position 0, -0.2 px/ms
    ASSERT_EQ(Position(), 0);
    Release(10);
    ASSERT_TRUE(scroller.IsScrolling());
    log.entries.clear();
    EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickIdle);
    EXPECT_EQ(Position(), 0);
    EXPECT_FALSE(scroller.IsScrolling());
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(KineticTest, ATouchOrStopScrollingEndsAFlingWithFlingStopped)
{
    for (bool byTouch : {true, false}) {
        Place(-40);
        Press(100);
        Release(10);
        Tick(30);
        ASSERT_TRUE(scroller.IsScrolling());
        log.entries.clear();
        if (byTouch)
            Press(150);
        else
            scroller.StopScrolling();
        EXPECT_FALSE(scroller.IsScrolling());
        EXPECT_EQ(scroller.GetSpeed(), 0.0f);
        ASSERT_EQ(log.Kinds(), "E");
        EXPECT_FALSE(log.entries[0].flinging);
        EXPECT_EQ(Position(), -20) << "left where it was";
    }
    log.entries.clear();
    scroller.StopScrolling();
    Press(100);
    EXPECT_TRUE(log.entries.empty()) << "nothing to stop";
}

TEST_F(KineticTest, LocksEndAFlingAndTheDragLockKeepsTheContentStill)
{
    Place(-40);
    Press(100);
    Release(10);
    log.entries.clear();
    scroller.SetLocks(true, false);
    EXPECT_FALSE(scroller.IsScrolling()) << "no fling left marked as running without its timer";
    EXPECT_EQ(log.Kinds(), "E");
    EXPECT_EQ(scroller.GetScrollState()->dragLock, 1);

    Place(200);
    Press(100);
    EXPECT_EQ(MoveTo(10, 20), 0);
    EXPECT_EQ(Position(), 200);
    EXPECT_EQ(scroller.GetSpeed(), 0.0f);
    Release(10);
    EXPECT_FALSE(scroller.IsScrolling());
    EXPECT_TRUE(log.entries.empty());

    scroller.SetLocks(false, true);
    EXPECT_EQ(scroller.GetScrollState()->secondLock, 1);
    EXPECT_EQ(MoveTo(60, 20), VelScrollableControl::kResultMoved) << "the second lock does not hold the finger";
    EXPECT_EQ(Position(), 240);
    Release(10);
    ASSERT_TRUE(scroller.IsScrolling());
    scroller.SetLocks(false, true);
    EXPECT_FALSE(scroller.IsScrolling());
}

TEST_F(KineticTest, SetScrollPositionAlwaysReportsAndForgetsTheMove)
{
    Press(100);
    scroller.RecordMove(VelPoint(10, 90), tick.Now());
    EXPECT_EQ(scroller.GetLastMoveDelta().y, 10);
    scroller.SetScrollPosition(0, 7);
    scroller.SetScrollPosition(0, 7);
    EXPECT_EQ(scroller.GetLastMoveDelta().y, 0);
    EXPECT_EQ(scroller.GetSecondPosition(), 7);
    ASSERT_EQ(log.Kinds(), "SS");
    EXPECT_EQ(log.entries[1].position, 0);
}

TEST_F(KineticTest, TicksThatAreNotAFlingsOwnMoveNothing)
{
    Place(-40);
    VelTimerEventArgs other(scroller.GetTimerId() + 1);
    EXPECT_EQ(scroller.OnScrollTimer(&other), 0) << "another timer's tick";
    EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickIdle) << "a tick queued before the fling ended";
    EXPECT_EQ(Position(), -40);

    Press(100);
    Release(10);
    EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickMoved);
    EXPECT_EQ(Tick(0), VelScrollableControl::kResultTickIdle) << "no time since the last tick";
    EXPECT_EQ(Position(), -20);
    EXPECT_TRUE(scroller.IsScrolling());
    EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickMoved);
    EXPECT_EQ(Position(), -10);
}

TEST_F(KineticTest, RaiseScrolledGatesOnlyTheTicks)
{
    scroller.SetRaiseScrolled(false);
    Place(-40);
    Press(100);
    MoveTo(90, 20);
    Release(10);
    EXPECT_EQ(Tick(30), VelScrollableControl::kResultTickMoved);
    EXPECT_EQ(Position(), -15);
    EXPECT_EQ(log.Kinds(), "SB");
}

TEST_F(KineticTest, TheFlingTimerIsTheOwnersAndRunsOnlyWhileFlinging)
{
    VelObject host(nullptr, "call-list");
    std::vector<VelObject*> added;
    struct Watch {
        std::vector<VelObject*>* out;
        void OnAdded(VelObject*, const VelObjectEventArgs* a) { out->push_back(a->child); }
    } watch{&added};
    host.ChildAdded += VelBind(&watch, &Watch::OnAdded);

    VelScrollableControl part;
    EXPECT_EQ(part.Init(&host), 0u);
    ASSERT_EQ(added.size(), 1u);
    VelTimer* timer = dynamic_cast<VelTimer*>(added[0]);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->GetName(), "scrollable-class for call-list");
    EXPECT_EQ(timer->GetTimerId(), part.GetTimerId());
    EXPECT_NE(part.GetTimerId(), scroller.GetTimerId());
    EXPECT_EQ(timer->GetTargetId(), host.GetId());
    EXPECT_EQ(timer->GetInterval(), 30u);
    EXPECT_EQ(part.Init(&host), 0u);
    EXPECT_EQ(added.size(), 1u) << "a second Init keeps the timer it has";

    part.SetScrollPosition(-10, 0);
    VelMouseEventArgs at(VelPoint(0, 0), 0);
    part.OnPointerDown(&at);
    part.OnPointerUp(&at);
    EXPECT_TRUE(timer->IsActive());
    part.StopScrolling();
    EXPECT_FALSE(timer->IsActive());
}

TEST_F(KineticTest, WithoutItsTimerNothingFlings)
{
    VelScrollableControl never;
    EXPECT_EQ(never.Init(nullptr), VelScrollableControl::kStatusTimerFailed);

    std::unique_ptr<VelObject> host(new VelObject(nullptr, "short-lived"));
    std::unique_ptr<VelScrollableControl> orphan(new VelScrollableControl);
    ASSERT_EQ(orphan->Init(host.get()), 0u);
    host.reset();  // the timer goes with its owner

    for (VelScrollableControl* part : {&never, orphan.get()}) {
        ScrollLog seen;
        seen.Watch(*part);
        part->SetScrollPosition(-30, 0);
        VelMouseEventArgs at(VelPoint(0, 0), 0);
        part->OnPointerDown(&at);
        EXPECT_EQ(part->OnPointerUp(&at), 0);
        EXPECT_FALSE(part->IsScrolling());
        EXPECT_EQ(seen.Kinds(), "S");
    }
    orphan.reset();  // and the part outlives it quietly
}

namespace {

// A control that scrolls as the list does: pointer input and ticks forwarded.
class KineticHost : public VelControl, public VelScrollableControl {
public:
    int OnMouseDown(const VelMouseEventArgs* a) override { return OnPointerDown(a); }
    int OnMouseMove(const VelMouseEventArgs* a) override { return OnPointerMove(a); }
    int OnMouseUp(const VelMouseEventArgs* a) override { return OnPointerUp(a); }
    int OnTimer(const VelTimerEventArgs* a) override
    {
        results.push_back(OnScrollTimer(a));
        return 0;
    }
    std::vector<int> results;
};

}  // namespace

TEST_F(KineticTest, InAWindowTheFlingTicksReachTheHostUntilItEnds)
{
    KineticHost host;
    host.Create(nullptr, kVelStyleVisible, VelRect(0, 0, 120, 200));
    ASSERT_EQ(host.Init(&host), 0u);
    host.GetScrollState()->maximum = 50;
    HWND window = host.GetHandle();

    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 100));
    tick.Advance(40);
    ::SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 112));
    EXPECT_EQ(host.GetScrollPosition(), -12);
    tick.Advance(2000);
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 112));
    ASSERT_TRUE(host.IsScrolling());

    const WPARAM timerId = host.GetTimerId();
    std::vector<int> positions;
    while (host.IsScrolling() && positions.size() < 10) {
        tick.Advance(30);
        ::SendMessageW(window, WM_TIMER, timerId, 0);
        positions.push_back(host.GetScrollPosition());
    }
    EXPECT_EQ(positions, (std::vector<int>{-6, -3, -1, 0, 0}));
    const size_t ticks = host.results.size();
    ::SendMessageW(window, WM_TIMER, timerId, 0);
    EXPECT_EQ(host.results.size(), ticks) << "the stopped timer no longer reaches the host";
    host.Destroy();
}
