#include "TestControls.h"

#include <gtest/gtest.h>
#include <thread>
#include <map>
#include <string>

namespace {

// Window W with children A (holding A1) and B; a second window V.
class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        a.Create(&w, kVisible, VelRect(0, 0, 100, 100));
        a1.Create(&a, kVisible, VelRect(10, 10, 50, 50));
        b.Create(&w, kVisible, VelRect(100, 0, 200, 100));
        v.Create(nullptr, kVisible, VelRect(0, 300, 100, 400));
        named = {{"W", &w}, {"A", &a}, {"A1", &a1}, {"B", &b}, {"V", &v}};
    }

    RecordingControl w, a, a1, b, v;
    std::map<std::string, VelAbstractControl*> named;
};

struct MergeCase {
    std::vector<std::pair<const char*, BYTE>> requests;
    std::vector<std::pair<const char*, BYTE>> expected;
};

}  // namespace

TEST_F(UpdateTest, UpdatesInsideADispatchMergePerWindow)
{
    const MergeCase cases[] = {
        {{{"A1", 0}, {"A", 0}}, {{"A", 0}}},           // child, then its parent
        {{{"A", 0}, {"A1", 0}}, {{"A", 0}}},           // parent absorbs child
        {{{"A1", 0}, {"B", 0}}, {{"W", 0}}},           // unrelated, same window
        {{{"A", 0}, {"A1", 1}}, {{"A", 1}}},           // flags OR-ed
        {{{"A", 1}, {"A", 0}}, {{"A", 1}}},            // never back to 0
        {{{"A", 0}, {"V", 1}}, {{"A", 0}, {"V", 1}}},  // two windows
    };
    VelControlCore* core = VelControlCore::Instance;
    for (const MergeCase& c : cases) {
        core->SetDispatching(true);
        for (const auto& r : c.requests)
            core->UpdateControl(named[r.first], r.second);
        std::vector<std::pair<VelAbstractControl*, BYTE>> expected;
        for (const auto& e : c.expected)
            expected.push_back(std::make_pair(named[e.first], e.second));
        EXPECT_EQ(core->GetPendingUpdates(), expected) << c.requests[0].first << " " << c.requests[1].first;
        core->SetDispatching(false);
        EXPECT_TRUE(core->GetPendingUpdates().empty());
    }
}

TEST_F(UpdateTest, OnlyTheOutermostDispatchFlushes)
{
    VelControlCore* core = VelControlCore::Instance;
    core->UpdateControl(&a, 1);  // outside any dispatch: at once
    EXPECT_TRUE(core->GetPendingUpdates().empty());

    core->SetDispatching(true);
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    core->SetDispatching(false);
    EXPECT_EQ(core->GetPendingUpdates().size(), 1u);
    core->SetDispatching(false);
    EXPECT_TRUE(core->GetPendingUpdates().empty());

    // A message above the table opens and closes an empty dispatch.
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    core->SetDispatching(false);
    EXPECT_TRUE(core->GetPendingUpdates().empty());
}

TEST_F(UpdateTest, APendingEntryOfADestroyedControlMovesToItsParent)
{
    VelControlCore* core = VelControlCore::Instance;
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    a1.Destroy();
    auto pending = core->GetPendingUpdates();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].first, &a);
    core->SetDispatching(false);

    // A whole window destroyed inside a handler leaves nothing behind for the flush.
    RecordingControl* popup = new RecordingControl;
    popup->Create(nullptr, kVisible, VelRect(0, 0, 20, 20));
    core->SetDispatching(true);
    core->UpdateControl(popup, 1);
    delete popup;
    EXPECT_TRUE(core->GetPendingUpdates().empty());
    core->SetDispatching(false);
}

TEST_F(UpdateTest, AnotherThreadsInvalidationRunsOnTheOwnerThread)
{
    ::UpdateWindow(w.GetHandle());
    Pump();
    a.paints.clear();
    a.paintThreads.clear();

    InvalidateFromAnotherThread(&a);
    Pump();  // the posted request, then the paint it causes
    ::UpdateWindow(w.GetHandle());
    ASSERT_FALSE(a.paints.empty());
    for (DWORD t : a.paintThreads)
        EXPECT_EQ(t, ::GetCurrentThreadId());
}

namespace {

struct PlainObject : VelObject {
    std::vector<int> codes;
    int OnUserMessage(const VelUserMessageEventArgs* a) override
    {
        codes.push_back(a->code);
        return 0;
    }
};

}  // namespace

TEST_F(UpdateTest, RequestsForDestroyedTargetsReachNobodyAndLeakNothing)
{
    VelControlCore* core = VelControlCore::Instance;
    PlainObject witness;
    // Each round: a windowless control, a child window and a plain object get
    // requests and user messages, then die before any of them arrives.
    auto round = [&]() {
        RecordingControl* windowless = new RecordingControl;
        windowless->Create(&w, kVisible, VelRect(150, 150, 190, 190));
        RecordingControl* child = new RecordingControl;
        child->SetHasNativeWindow(true);
        child->Create(&w, kVisible, VelRect(100, 120, 140, 190));
        Pump();
        ::UpdateWindow(w.GetHandle());
        ::UpdateWindow(child->GetHandle());
        PlainObject* object = new PlainObject;
        InvalidateFromAnotherThread(windowless);
        InvalidateFromAnotherThread(child);
        core->PostUserMessage(5, windowless, 50);
        core->PostUserMessage(6, child, 60);
        core->PostUserMessage(7, object, 70);
        EXPECT_EQ(core->GetLiveRequestCount(), 5u);
        delete windowless;
        delete child;  // its queue goes with its window
        delete object;
        core->PostUserMessage(8, &witness, 80);
        Pump();
        ::UpdateWindow(w.GetHandle());
    };
    round();  // fills the canvas cache
    const int before = FreeGdiSlots();
    for (int i = 0; i < 20; ++i)
        round();
    EXPECT_EQ(core->GetLiveRequestCount(), 0u);
    EXPECT_EQ(FreeGdiSlots(), before);
    EXPECT_EQ(witness.codes, std::vector<int>(21, 8));  // the only message with a live target
    for (RecordingControl* c : {&w, &a, &a1, &b})
        EXPECT_TRUE(c->userMessages.empty());
}

namespace {

// Moves, hides and adds children from inside its press handler.
struct Rearranging : RecordingControl {
    VelAbstractControl* moving = nullptr;
    VelAbstractControl* hiding = nullptr;
    RecordingControl added{RGB(0, 255, 0)};
    std::vector<std::pair<VelAbstractControl*, BYTE>> pendingAtEnd;
    int OnMouseDown(const VelMouseEventArgs*) override
    {
        moving->MoveTo(VelPoint(120, 120));
        hiding->Hide();
        added.Create(this, kVisible, VelRect(0, 150, 50, 200));
        moving->InvalidateRect(VelRect());
        pendingAtEnd = VelControlCore::Instance->GetPendingUpdates();
        return 0;
    }
};

COLORREF WindowPixel(HWND window, int x, int y)
{
    HDC dc = ::GetDC(window);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return c;
}

}  // namespace

TEST(UpdateMerge, AHandlersUpdatesMergeIntoOneAndRunWhenItEnds)
{
    Rearranging window;
    RecordingControl mover(RGB(255, 0, 0)), hidden(RGB(0, 0, 255));
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    mover.Create(&window, kVisible, VelRect(0, 0, 40, 40));
    hidden.Create(&window, kVisible, VelRect(60, 0, 100, 40));
    window.moving = &mover;
    window.hiding = &hidden;
    Pump();
    ::UpdateWindow(window.GetHandle());

    ::SendMessageW(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(150, 10));
    // Five changes of three controls of one window: one entry, for the window, rebuilding.
    const std::vector<std::pair<VelAbstractControl*, BYTE>> one = {{&window, BYTE(1)}};
    EXPECT_EQ(window.pendingAtEnd, one);
    EXPECT_TRUE(VelControlCore::Instance->GetPendingUpdates().empty());

    ::UpdateWindow(window.GetHandle());
    const HWND h = window.GetHandle();
    EXPECT_EQ(WindowPixel(h, 130, 130), RGB(255, 0, 0));
    EXPECT_EQ(WindowPixel(h, 10, 10), RGB(255, 255, 255));
    EXPECT_EQ(WindowPixel(h, 80, 20), RGB(255, 255, 255));
    EXPECT_EQ(WindowPixel(h, 20, 170), RGB(0, 255, 0));
}

TEST_F(UpdateTest, EachThreadQueuesAndFlushesOnlyItsOwnUpdates)
{
    VelControlCore* core = VelControlCore::Instance;
    HANDLE queued = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE mainDone = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::vector<std::pair<VelAbstractControl*, BYTE>> otherBefore, otherAfterMain, otherAfterOwn;
    RecordingControl* other = nullptr;

    auto body = [&]() {
        RecordingControl window;
        window.Create(nullptr, kVisible, VelRect(300, 0, 350, 50));
        other = &window;
        core->SetDispatching(true);
        core->UpdateControl(&window, 0);
        otherBefore = core->GetPendingUpdates();
        ::SetEvent(queued);
        ::WaitForSingleObject(mainDone, INFINITE);
        otherAfterMain = core->GetPendingUpdates();
        core->SetDispatching(false);
        otherAfterOwn = core->GetPendingUpdates();
        window.Destroy();
    };
    std::thread thread(body);
    EXPECT_EQ(::WaitForSingleObject(queued, 10000), DWORD(WAIT_OBJECT_0));

    // The other thread is inside a dispatch; this one is not, so its update runs at once.
    EXPECT_TRUE(core->GetPendingUpdates().empty());
    core->UpdateControl(&a, 1);
    EXPECT_TRUE(core->GetPendingUpdates().empty());
    // This thread's own outermost dispatch flushes its own queue only.
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    EXPECT_EQ(core->GetPendingUpdates().size(), 1u);
    core->SetDispatching(false);
    EXPECT_TRUE(core->GetPendingUpdates().empty());
    ::SetEvent(mainDone);
    thread.join();
    ::CloseHandle(queued);
    ::CloseHandle(mainDone);

    const std::vector<std::pair<VelAbstractControl*, BYTE>> pending = {{other, BYTE(0)}};
    EXPECT_EQ(otherBefore, pending);
    EXPECT_EQ(otherAfterMain, pending);
    EXPECT_TRUE(otherAfterOwn.empty());
}
