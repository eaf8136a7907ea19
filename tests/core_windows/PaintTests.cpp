#include "TestControls.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0),
               kMagenta = RGB(255, 0, 255);

COLORREF PixelOf(HWND window, int x, int y)
{
    HDC dc = ::GetDC(window);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return c;
}

void Repaint(VelAbstractControl& window)
{
    Pump();
    ::UpdateWindow(window.GetHandle());
}

VelRect Box(const RECT& r) { return VelRect(r); }

std::vector<const VelAbstractControl*> s_order;

struct OrderedControl : RecordingControl {
    using RecordingControl::RecordingControl;
    int OnPaint(const VelPaintEventArgs* args) override
    {
        s_order.push_back(this);
        return RecordingControl::OnPaint(args);
    }
};

}  // namespace

TEST(Paint, BackToFrontAndTheScreenShowsIt)
{
    OrderedControl window(kWhite), lower(kRed), upper(kBlue);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    lower.Create(&window, kVisible, VelRect(0, 0, 100, 100));
    upper.Create(&window, kVisible, VelRect(50, 50, 150, 150));
    s_order.clear();
    Repaint(window);

    const std::vector<const VelAbstractControl*> order = {&window, &lower, &upper};
    EXPECT_EQ(s_order, order);
    HWND h = window.GetHandle();
    EXPECT_EQ(PixelOf(h, 25, 25), kRed);
    EXPECT_EQ(PixelOf(h, 75, 75), kBlue);
    EXPECT_EQ(PixelOf(h, 125, 125), kBlue);
    EXPECT_EQ(PixelOf(h, 175, 175), kWhite);

    // Raising the lower one repaints the overlap in its colour.
    lower.BringToFront();
    Repaint(window);
    EXPECT_EQ(PixelOf(h, 75, 75), kRed);
    EXPECT_EQ(PixelOf(h, 125, 125), kBlue);
}

TEST(Paint, AnOpaqueSiblingHidesWhatLiesBeneathATransparentOneDoesNot)
{
    for (bool transparent : {false, true}) {
        RecordingControl window, lower(kRed), upper(kBlue);
        window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        lower.Create(&window, kVisible, VelRect(0, 0, 100, 100));
        upper.Create(&window, kVisible | (transparent ? DWORD(kVelStyleTransparent) : 0u), VelRect(50, 0, 150, 100));
        Repaint(window);
        ASSERT_EQ(lower.paints.size(), 1u) << transparent;
        EXPECT_EQ(Box(lower.paints[0]), transparent ? VelRect(0, 0, 100, 100) : VelRect(0, 0, 50, 100));

        // Invalidating the covered half repaints the lower one only when it shows there.
        lower.paints.clear();
        lower.InvalidateRect(VelRect(60, 10, 90, 90));
        Repaint(window);
        EXPECT_EQ(lower.paints.size(), transparent ? 1u : 0u) << transparent;
    }
}

TEST(Paint, ChildrenStopAtTheParentOnlyWhenAskedTo)
{
    for (bool clip : {true, false}) {
        RecordingControl window, panel(kGreen), child(kMagenta);
        window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        panel.Create(&window, kVisible, VelRect(0, 0, 100, 100));
        child.Create(&panel, kVisible | (clip ? DWORD(kVelStyleClipToAncestors) : 0u), VelRect(50, 50, 150, 150));
        Repaint(window);
        ASSERT_EQ(child.paints.size(), 1u);
        EXPECT_EQ(Box(child.paints[0]), clip ? VelRect(0, 0, 50, 50) : VelRect(0, 0, 100, 100));
        EXPECT_EQ(PixelOf(window.GetHandle(), 75, 75), kMagenta);
        EXPECT_EQ(PixelOf(window.GetHandle(), 125, 125), clip ? kWhite : kMagenta) << clip;
    }
}

TEST(Paint, TheCoreRecomputesAndPaintsAWindowOnRequest)
{
    RecordingControl window, lower(kRed), upper(kBlue);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    lower.Create(&window, kVisible, VelRect(0, 0, 100, 100));
    upper.Create(&window, kVisible, VelRect(50, 50, 150, 150));
    Repaint(window);
    VelControlCore* core = VelControlCore::Instance;

    // Only the dirty part of the window is shared out.
    core->ComputeDirtyRegions(&window, VelRegion(VelRect(0, 0, 40, 40)), true);
    EXPECT_EQ(core->GetExposedArea(&lower).GetBounds(), VelRect(0, 0, 40, 40));
    EXPECT_TRUE(core->GetExposedArea(&upper).IsEmpty());
    core->ComputeDirtyRegions(&window, VelRegion(window.GetClientRect()), true);
    EXPECT_EQ(core->GetExposedArea(&upper).GetBounds(), VelRect(50, 50, 150, 150));
    const VelRegion lowerShows = core->GetExposedArea(&lower);
    EXPECT_EQ(lowerShows.GetBounds(), VelRect(0, 0, 100, 100));
    EXPECT_FALSE(::PtInRegion(lowerShows.GetHandle(), 75, 75)) << "under the opaque upper one";

    // Painted where the canvas is dirty and no further.
    lower.paints.clear();
    upper.paints.clear();
    lower.InvalidateRect(VelRect(10, 10, 20, 20));
    core->PaintRegion(&window, window.GetCanvas(), window.GetAbsoluteBounds(), VelRegion(window.GetClientRect()));
    ASSERT_EQ(lower.paints.size(), 1u);
    EXPECT_EQ(Box(lower.paints[0]), VelRect(10, 10, 20, 20));
    EXPECT_TRUE(upper.paints.empty());
    ::ValidateRect(window.GetHandle(), nullptr);
}

TEST(Paint, ASecondPaintReplaysOnlyWhatMeetsTheNewRegion)
{
    RecordingControl window, left(kRed), right(kBlue);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    left.Create(&window, kVisible, VelRect(0, 0, 100, 100));
    right.Create(&window, kVisible, VelRect(100, 0, 200, 100));
    Repaint(window);
    ASSERT_EQ(left.paints.size(), 1u);
    ASSERT_EQ(right.paints.size(), 1u);
    const size_t windowPaints = window.paints.size();

    left.InvalidateRect(VelRect(10, 10, 20, 20));
    Repaint(window);
    ASSERT_EQ(left.paints.size(), 2u);
    EXPECT_EQ(Box(left.paints[1]), VelRect(10, 10, 20, 20));
    EXPECT_EQ(right.paints.size(), 1u);
    EXPECT_EQ(window.paints.size(), windowPaints);
    EXPECT_EQ(PixelOf(window.GetHandle(), 15, 15), kRed);
}

TEST(Paint, AChildWindowIsCompositedAndShownByItsOwnWindow)
{
    RecordingControl window(kWhite), child(kGreen);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    child.SetHasNativeWindow(true);
    child.Create(&window, kVisible, VelRect(20, 20, 80, 80));
    Repaint(window);
    Repaint(child);
    EXPECT_EQ(PixelOf(child.GetHandle(), 10, 10), kGreen);
    EXPECT_EQ(PixelOf(window.GetHandle(), 100, 100), kWhite);

    // The child's picture also lands in the parent's canvas.
    HDC dc = window.GetCanvas()->GetDC();
    EXPECT_EQ(::GetPixel(dc, 30, 30), kGreen);
}

namespace {

struct ThrowingControl : RecordingControl {
    using RecordingControl::RecordingControl;
    int OnPaint(const VelPaintEventArgs* args) override
    {
        RecordingControl::OnPaint(args);
        throw std::runtime_error("broken painter");
    }
};

}  // namespace

TEST(Paint, APainterThatThrowsLeavesTheRestPaintedAndTheWindowClean)
{
    RecordingControl window(kWhite), upper(kBlue);
    ThrowingControl broken(kRed);
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    broken.Create(&window, kVisible, VelRect(0, 0, 100, 100));
    upper.Create(&window, kVisible, VelRect(50, 50, 150, 150));
    Repaint(window);
    const HWND h = window.GetHandle();
    EXPECT_EQ(upper.paints.size(), 1u);
    EXPECT_EQ(PixelOf(h, 125, 125), kBlue);
    EXPECT_EQ(PixelOf(h, 25, 25), kRed);
    // The paint ended: nothing left to paint, and new invalidations are not deferred.
    EXPECT_FALSE(::GetUpdateRect(h, nullptr, FALSE));
    EXPECT_FALSE(VelControlCore::Instance->IsPaintingWindow(window.GetId()));
    upper.InvalidateRect(VelRect());
    EXPECT_TRUE(::GetUpdateRect(h, nullptr, FALSE));
    Repaint(window);
    EXPECT_EQ(upper.paints.size(), 2u);
}

TEST(Paint, TheCanvasCacheKeepsFourOfExactSize)
{
    VelControlCore* core = VelControlCore::Instance;
    std::vector<VelCanvas*> canvases;
    for (int i = 0; i < 5; ++i)
        canvases.push_back(core->AcquireCanvas(10 + i, 10));
    for (VelCanvas* c : canvases)
        core->ReleaseCanvas(c);
    EXPECT_EQ(core->GetCachedCanvasCount(), 4u);

    EXPECT_EQ(core->AcquireCanvas(14, 10), canvases[4]);
    EXPECT_EQ(core->GetCachedCanvasCount(), 3u);
    VelCanvas* fresh = core->AcquireCanvas(14, 11);  // no exact match: a new one
    EXPECT_EQ(core->GetCachedCanvasCount(), 3u);
    core->ReleaseCanvas(fresh);
    core->ReleaseCanvas(canvases[4]);
}

TEST(Paint, NoGdiHandleLeaksOverAHundredChildWindows)
{
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    auto cycle = [&window](int n) {
        for (int i = 0; i < n; ++i) {
            RecordingControl child(kBlue);
            child.SetHasNativeWindow(true);
            child.Create(&window, kVisible, VelRect(10, 10, 60 + i % 3, 60));
            RecordingControl inner(kRed);
            inner.Create(&child, kVisible, VelRect(5, 5, 20, 20));
            Repaint(window);
            Repaint(child);
            inner.InvalidateRect(VelRect());
        }
        Repaint(window);
    };
    cycle(5);  // fills the canvas cache
    const int before = FreeGdiSlots();
    cycle(100);
    const int after = FreeGdiSlots();
    EXPECT_EQ(after, before);

    // A hundred open at once, painted, then all closed.
    auto crowd = [&window]() {
        std::vector<std::unique_ptr<RecordingControl>> children;
        for (int i = 0; i < 100; ++i) {
            children.emplace_back(new RecordingControl(kGreen));
            children.back()->SetHasNativeWindow(true);
            children.back()->Create(&window, kVisible, VelRect(i, i, i + 40, i + 40));
        }
        Repaint(window);
        for (const auto& child : children)
            ::UpdateWindow(child->GetHandle());
        const int open = FreeGdiSlots();
        children.clear();
        Repaint(window);
        return open;
    };
    crowd();  // the cache now holds canvases of the crowd's size
    const int beforeCrowd = FreeGdiSlots();
    const int whileOpen = crowd();
    const int afterCrowd = FreeGdiSlots();
    EXPECT_GT(beforeCrowd - whileOpen, 100);  // the count does see the windows' handles
    EXPECT_EQ(afterCrowd, beforeCrowd);
    RecordProperty("FreeSlotsBeforeAfterOneByOne", std::to_string(before) + " " + std::to_string(after));
    RecordProperty("FreeSlotsBeforeOpenAfterCrowd",
                   std::to_string(beforeCrowd) + " " + std::to_string(whileOpen) + " " + std::to_string(afterCrowd));
}

namespace {

// A red windowless control under a green child window, all painted.
class ChildWindowPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        under.Create(&window, kVisible, VelRect(0, 0, 100, 100));
        child.SetHasNativeWindow(true);
        child.Create(&window, kVisible, VelRect(20, 20, 80, 80));
        RepaintBoth();
        h = window.GetHandle();
    }
    void RepaintBoth()
    {
        Repaint(window);
        Repaint(child);
    }
    COLORREF InCanvas(int x, int y) { return ::GetPixel(window.GetCanvas()->GetDC(), x, y); }

    RecordingControl window{kWhite}, under{kRed}, child{kGreen};
    HWND h = nullptr;
};

}  // namespace

TEST_F(ChildWindowPaint, AMovedOrShrunkChildWindowLeavesNoGhostInItsParent)
{
    child.SetBounds(120, 120, 180, 180);
    RepaintBoth();
    EXPECT_EQ(PixelOf(h, 50, 50), kRed);
    EXPECT_EQ(InCanvas(50, 50), kRed);
    EXPECT_EQ(PixelOf(h, 150, 150), kGreen);
    EXPECT_EQ(PixelOf(h, 110, 110), kWhite);

    // Shrinking it gives the rest back as well.
    child.SetBounds(120, 120, 150, 150);
    RepaintBoth();
    EXPECT_EQ(PixelOf(h, 170, 170), kWhite);
    EXPECT_EQ(PixelOf(h, 130, 130), kGreen);
}

TEST_F(ChildWindowPaint, AHiddenChildWindowLeavesNoGhostAndShowsAgain)
{
    child.Hide();
    Repaint(window);
    EXPECT_EQ(PixelOf(h, 50, 50), kRed);
    EXPECT_EQ(InCanvas(50, 50), kRed);
    child.Show();
    RepaintBoth();
    EXPECT_EQ(InCanvas(50, 50), kGreen);
    EXPECT_EQ(PixelOf(child.GetHandle(), 30, 30), kGreen);
}
