#include "TestControls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Asks for its window to be invalidated while it is being painted.
struct SelfInvalidating : RecordingControl {
    bool ask = true;
    int OnPaint(const VelPaintEventArgs* args) override
    {
        if (ask) {
            ask = false;
            VelControlCore::Instance->InvalidateWindowRect(this, VelRect(0, 0, 5, 5));
        }
        return RecordingControl::OnPaint(args);
    }
};

// Its paint waits for a lock another thread holds: the event stands in for
// the lock, with a time limit so that a deadlock fails the test instead of
// hanging it.
struct WaitingPainter : RecordingControl {
    HANDLE released = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> armed{false};
    std::atomic<bool> painting{false};
    bool timedOut = false;
    ~WaitingPainter() override { ::CloseHandle(released); }
    int OnPaint(const VelPaintEventArgs* args) override
    {
        if (!armed)
            return RecordingControl::OnPaint(args);
        painting = true;
        timedOut = ::WaitForSingleObject(released, 10000) != WAIT_OBJECT_0;
        return RecordingControl::OnPaint(args);
    }
};

// Notes whether another thread's call came back while it painted, under the
// core lock, giving it a while to do so.
struct ObservingPainter : RecordingControl {
    HANDLE returned = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE painting = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool armed = false;
    bool returnedWhilePainting = false;
    ~ObservingPainter() override
    {
        ::CloseHandle(returned);
        ::CloseHandle(painting);
    }
    int OnPaint(const VelPaintEventArgs* args) override
    {
        if (armed) {
            armed = false;
            ::SetEvent(painting);
            returnedWhilePainting = ::WaitForSingleObject(returned, kGraceMs) == WAIT_OBJECT_0;
        }
        return RecordingControl::OnPaint(args);
    }
    static const DWORD kGraceMs = 300;
};

bool RunOneRequest()
{
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE))
        return false;
    ::DispatchMessageW(&msg);
    return true;
}

}  // namespace

TEST(PaintRequests, InvalidationDuringThePaintIsPostedAndRunsAfterIt)
{
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 100, 100));
    SelfInvalidating child;
    child.Create(&window, kVisible, VelRect(10, 10, 60, 60));
    ::UpdateWindow(window.GetHandle());
    EXPECT_FALSE(child.ask);
    // Had it not been posted, the paint would have validated it at once.
    EXPECT_FALSE(::GetUpdateRect(window.GetHandle(), nullptr, FALSE));
    ASSERT_TRUE(RunOneRequest());
    RECT update;
    ASSERT_TRUE(::GetUpdateRect(window.GetHandle(), &update, FALSE));
    EXPECT_EQ(VelRect(update), VelRect(10, 10, 15, 15));
}

TEST(PaintRequests, ACanvasAttachedWithCopyShowsWhatShowedAndDetachesWithoutRepaint)
{
    RecordingControl window(RGB(255, 255, 255));
    RecordingControl moving(RGB(255, 0, 0));
    window.Create(nullptr, kVisible, VelRect(0, 0, 100, 100));
    moving.Create(&window, kVisible, VelRect(10, 10, 50, 50));
    Pump();
    ::UpdateWindow(window.GetHandle());
    ASSERT_EQ(moving.paints.size(), 1u);

    VelControlCore* core = VelControlCore::Instance;
    moving.SetStateFlags(1, 1);
    core->AttachCanvas(&moving, true);
    ASSERT_NE(moving.GetCanvas(), nullptr);
    EXPECT_EQ(::GetPixel(moving.GetCanvas()->GetDC(), 5, 5), RGB(255, 0, 0));
    EXPECT_TRUE(moving.GetCanvas()->GetClipRegion().IsEmpty());  // all of it showed
    EXPECT_EQ(moving.GetCanvas()->GetAuxiliaryValue(), 1u);

    core->PaintControlNow(&moving, VelRegion());
    EXPECT_EQ(moving.paints.size(), 1u);  // nothing dirty, nothing painted

    core->DetachCanvas(&moving, true);
    EXPECT_EQ(moving.GetCanvas(), nullptr);
    EXPECT_EQ(moving.GetStateFlag(), 0);
    EXPECT_FALSE(::GetUpdateRect(window.GetHandle(), nullptr, FALSE));
}

TEST(PaintRequests, AnotherThreadInvalidatesWhileTheOwnerPaintsWaitingForThatThread)
{
    // The other thread holds its lock and asks for a repaint; the owner paints,
    // under the core lock, and waits for that lock. The request must not need
    // the core lock, or each thread waits for the other.
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 100, 100));
    WaitingPainter child;
    child.Create(&window, kVisible, VelRect(10, 10, 60, 60));
    Pump();
    ::UpdateWindow(window.GetHandle());
    child.armed = true;
    std::thread other([&child] {
        for (int i = 0; i < 1000 && !child.painting; ++i)
            ::Sleep(5);
        child.InvalidateRect(VelRect(0, 0, 5, 5));
        ::SetEvent(child.released);
    });
    child.InvalidateRect(VelRect());
    ::UpdateWindow(window.GetHandle());
    other.join();
    ASSERT_TRUE(child.painting);
    EXPECT_FALSE(child.timedOut) << "the other thread's request waited for the painting owner";

    // The request reaches the owner as a posted one and invalidates there.
    EXPECT_FALSE(::GetUpdateRect(window.GetHandle(), nullptr, FALSE));
    ASSERT_TRUE(RunOneRequest());
    RECT update;
    ASSERT_TRUE(::GetUpdateRect(window.GetHandle(), &update, FALSE));
    EXPECT_EQ(VelRect(update), VelRect(10, 10, 15, 15));
}

TEST(PaintRequests, AnotherThreadLooksForATopLevelWindowOnlyUnderTheCoreLock)
{
    // The list of top-level windows changes under the core lock, which the
    // paint holds: the lookup waits for it.
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 100, 100));
    ObservingPainter child;
    child.Create(&window, kVisible, VelRect(10, 10, 60, 60));
    Pump();
    ::UpdateWindow(window.GetHandle());
    RecordingControl stray;  // never created, so in no list: nothing comes forward
    child.armed = true;
    std::thread other([&] {
        if (::WaitForSingleObject(child.painting, 10000) != WAIT_OBJECT_0)
            return;
        VelControlCore::Instance->SetForegroundWindow(&stray);
        ::SetEvent(child.returned);
    });
    child.InvalidateRect(VelRect());
    ::UpdateWindow(window.GetHandle());
    other.join();
    EXPECT_EQ(::WaitForSingleObject(child.returned, 0), WAIT_OBJECT_0) << "the paint ran and the call returned";
    EXPECT_FALSE(child.returnedWhilePainting);
}
