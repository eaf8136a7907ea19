#include "VelCanvas.h"
#include "VelControlCore.h"
#include "VelScrollbar.h"
#include "VelThemeDefault.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kTrack = RGB(128, 128, 128);  // the default theme's greys
const COLORREF kThumb = RGB(179, 179, 179);

class WhiteWindow : public VelControl {
public:
    int OnPaint(const VelPaintEventArgs* args) override
    {
        args->canvas->SetBackColor(VelColor::FromColorRef(kWhite));
        args->canvas->FillRect(GetClientRect());
        return 0;
    }
};

// A 200x300 window with a vertical bar over its right 20 pixels, as a list
// places its touch strip.
class ScrollbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousTheme = CurrentTheme;
        CurrentTheme = &theme;
        window.Create(nullptr, kVelStyleVisible, VelRect(0, 0, 200, 300));
        bar = new VelScrollbar(&window, "scrollbar");
        bar->ValueChanged += VelBind(this, &ScrollbarTest::OnValueChanged);
        bar->Create(&window, kVelStyleVisible, VelRect(180, 0, 200, 300));
    }
    void TearDown() override
    {
        window.Destroy();
        CurrentTheme = previousTheme;
    }
    void OnValueChanged(VelScrollbar*, int value) { values.push_back(value); }

    LRESULT Send(UINT message, int x, int y)
    {
        return ::SendMessageW(window.GetHandle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }
    // What the screen shows at a point of the window.
    COLORREF PixelAt(int x, int y)
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::UpdateWindow(window.GetHandle());
        HDC dc = ::GetDC(window.GetHandle());
        const COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(window.GetHandle(), dc);
        return c;
    }

    VelThemeDefault theme;
    VelTheme* previousTheme = nullptr;
    WhiteWindow window;
    VelScrollbar* bar = nullptr;  // owned by the window
    std::vector<int> values;
};

}  // namespace

TEST_F(ScrollbarTest, TheRangeSetsTheMaximumAndTheThumb)
{
    EXPECT_EQ(bar->GetOrientation(), VelScrollbar::kVertical);
    EXPECT_EQ(bar->GetTrackLength(), 300);
    EXPECT_EQ(bar->GetMaximum(), 1);
    EXPECT_EQ(bar->GetThumbLength(), 20) << "no range yet";

    struct Case {
        int range;
        int maximum;
        int thumb;
    };
    const Case cases[] = {
        {1000, 700, 30},                 // the track's percentage of the range, as pixels
        {3000, 2700, 20},                // never below 20
        {302, 2, 99},     {301, 1, 99},  // a maximum below 2 is 1
        {100, 1, 300},    {0, 1, 300},   // ignored
        {-5, 1, 300},                    // ignored
    };
    for (const Case& c : cases) {
        bar->SetRange(c.range);
        EXPECT_EQ(bar->GetMaximum(), c.maximum) << c.range;
        EXPECT_EQ(bar->GetThumbLength(), c.thumb) << c.range;
    }
    EXPECT_EQ(bar->GetRange(), 100);
}

TEST_F(ScrollbarTest, ThePositionStaysWithinTheMaximumAndRaisesNothing)
{
    bar->SetRange(1000);
    bar->SetPosition(-3);
    EXPECT_EQ(bar->GetPosition(), 0);
    bar->SetPosition(350);
    bar->SetPosition(-20);  // a list pulled past its top
    EXPECT_EQ(bar->GetPosition(), 350);
    bar->SetPosition(900);
    EXPECT_EQ(bar->GetPosition(), 700);

    // A list at its end stays at the end of the bar when the content grows.
    bar->SetRange(1100);
    EXPECT_EQ(bar->GetPosition(), 700);
    bar->SetRange(900);
    EXPECT_EQ(bar->GetPosition(), 600);
    EXPECT_TRUE(values.empty());
}

TEST_F(ScrollbarTest, AutoHideShowsTheBarOnlyForContentLongerThanTheTrack)
{
    bar->SetAutoHide(true);
    bar->SetRange(200);
    EXPECT_FALSE(bar->IsVisible());
    bar->SetRange(1000);
    EXPECT_TRUE(bar->IsVisible());

    // A taller view holds it all: hidden again, though the range is unchanged.
    bar->SetBounds(VelRect(180, 0, 200, 1200));
    EXPECT_FALSE(bar->IsVisible());
    bar->SetBounds(VelRect(180, 0, 200, 300));
    EXPECT_TRUE(bar->IsVisible());

    bar->SetAutoHide(false);
    bar->SetRange(100);
    EXPECT_TRUE(bar->IsVisible());
}

TEST_F(ScrollbarTest, AResizeRefitsTheMaximumAndThePage)
{
    bar->SetRange(1000);
    bar->SetPosition(700);
    bar->SetBounds(VelRect(180, 0, 200, 400));
    EXPECT_EQ(bar->GetMaximum(), 600);
    EXPECT_EQ(bar->GetPosition(), 600);
    EXPECT_EQ(bar->GetThumbLength(), 40);
    EXPECT_EQ(bar->GetPageSize(), 400);

    bar->SetPageSize(0);
    EXPECT_EQ(bar->GetPageSize(), 400);
    bar->SetPageSize(5000);
    EXPECT_EQ(bar->GetPageSize(), 600);

    // A list at its end stays at the end of the bar when its content grows.
    bar->SetPageSize(400);
    bar->SetRange(1100);
    EXPECT_EQ(bar->GetPosition(), 600) << "a page short of the end would be 200";
}

TEST_F(ScrollbarTest, ATapOnTheTrackMovesTheThumbsMiddleThere)
{
    bar->SetRange(1000);  // maximum 700, thumb 30: the thumb's top runs over 270 pixels
    struct Case {
        int y;
        int position;
    };
    const Case cases[] = {{150, 350}, {100, 220}, {0, 0}, {285, 700}, {299, 700}, {15, 0}};
    std::vector<int> expected;
    for (const Case& c : cases) {
        const int before = bar->GetPosition();
        Send(WM_LBUTTONDOWN, 190, c.y);
        Send(WM_LBUTTONUP, 190, c.y);
        EXPECT_EQ(bar->GetPosition(), c.position) << c.y;
        if (c.position != before)
            expected.push_back(c.position);
    }
    EXPECT_EQ(values, expected) << "ValueChanged only when the value changes";
}

TEST_F(ScrollbarTest, TheDragHoldsTheMouseUntilTheRelease)
{
    bar->SetRange(1000);
    Send(WM_LBUTTONDOWN, 190, 150);
    EXPECT_TRUE(bar->IsDragging());
    Send(WM_MOUSEMOVE, 190, 150);
    Send(WM_MOUSEMOVE, 10, 285);  // far off the bar: still its drag
    Send(WM_MOUSEMOVE, 190, 400);
    Send(WM_LBUTTONUP, 50, 15);
    EXPECT_FALSE(bar->IsDragging());
    Send(WM_MOUSEMOVE, 190, 150);  // no button: no drag
    EXPECT_EQ(values, (std::vector<int>{350, 700, 0}));
    EXPECT_EQ(bar->GetPosition(), 0);

    // A release whose press the bar never saw moves nothing.
    Send(WM_LBUTTONUP, 190, 285);
    EXPECT_EQ(bar->GetPosition(), 0);
    EXPECT_EQ(values.size(), 3u);
}

TEST_F(ScrollbarTest, TheThumbIsDrawnWhereThePositionIsOverTheTrack)
{
    // Before any range: a 20-pixel thumb at the top.
    EXPECT_EQ(PixelAt(190, 19), kThumb);
    EXPECT_EQ(PixelAt(190, 20), kTrack);

    bar->SetRange(1000);
    bar->SetPosition(350);  // top = ceil(350 x 270 / 700) = 135, 30 long
    EXPECT_EQ(PixelAt(181, 134), kTrack);
    EXPECT_EQ(PixelAt(181, 135), kThumb);
    EXPECT_EQ(PixelAt(199, 164), kThumb);
    EXPECT_EQ(PixelAt(199, 165), kTrack);

    // A 4-pixel bar at the right edge; the rest of the touch strip shows the window.
    bar->SetBarWidth(4);
    bar->SetPosition(700);
    EXPECT_EQ(PixelAt(195, 280), kWhite);
    EXPECT_EQ(PixelAt(196, 280), kThumb);
    EXPECT_EQ(PixelAt(196, 299), kThumb);
    EXPECT_EQ(PixelAt(196, 269), kTrack);

    // A thumb longer than what is left below its top is cut at the bar's end.
    bar->SetRange(100);
    bar->SetPosition(1);
    EXPECT_EQ(PixelAt(197, 0), kTrack);
    EXPECT_EQ(PixelAt(197, 1), kThumb);
    EXPECT_EQ(PixelAt(197, 299), kThumb);

    bar->SetAutoHide(true);
    bar->SetRange(150);
    EXPECT_EQ(PixelAt(197, 150), kWhite) << "hidden";
}

TEST_F(ScrollbarTest, AHorizontalBarRunsAlongItsWidth)
{
    VelScrollbar* across = new VelScrollbar(VelScrollbar::kHorizontal, &window, "across");
    across->Create(&window, kVelStyleVisible, VelRect(0, 270, 200, 290));
    EXPECT_EQ(across->GetTrackLength(), 200);
    across->SetRange(800);  // maximum 600, thumb 25 over 175 pixels
    across->SetPosition(300);
    EXPECT_EQ(PixelAt(87, 280), kTrack);
    EXPECT_EQ(PixelAt(88, 280), kThumb) << "the thumb's start is rounded up";
    EXPECT_EQ(PixelAt(112, 280), kThumb);
    EXPECT_EQ(PixelAt(113, 280), kTrack);

    across->SetBarWidth(5);
    EXPECT_EQ(across->GetBarRect(), VelRect(0, 15, 200, 20));
    EXPECT_EQ(PixelAt(100, 280), kWhite);
    EXPECT_EQ(PixelAt(100, 287), kThumb);

    std::vector<int> seen;
    struct Watch {
        std::vector<int>* out;
        void OnValue(VelScrollbar*, int v) { out->push_back(v); }
    } watch{&seen};
    across->ValueChanged += VelBind(&watch, &Watch::OnValue);
    Send(WM_LBUTTONDOWN, 187 + 12, 280);  // the thumb's middle on x = 199
    Send(WM_LBUTTONUP, 187 + 12, 280);
    EXPECT_EQ(seen, std::vector<int>{600});
}
