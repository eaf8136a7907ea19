#include "ButtonTextTestKit.h"
#include "VelBackgroundGradient.h"
#include "VelGDICanvas.h"
#include "VelGDIRenderer.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <stdexcept>

using namespace kit;

namespace {

const VelColor kBlue(0, 0, 255);
const VelColor kRed(255, 0, 0);

// Every channel within `tolerance` of the expected colour.
::testing::AssertionResult Near(COLORREF actual, COLORREF expected, int tolerance = 6)
{
    const int d[] = {GetRValue(actual) - GetRValue(expected), GetGValue(actual) - GetGValue(expected),
                     GetBValue(actual) - GetBValue(expected)};
    for (int v : d)
        if (std::abs(v) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    return ::testing::AssertionSuccess();
}

// A control that paints the theme's control background with itself as the control.
class Panel : public VelControl {
public:
    int OnPaint(const VelPaintEventArgs* args) override
    {
        CurrentTheme->DrawControlBackground(args->canvas, GetClientRect(), this);
        return VelControl::OnPaint(args);
    }
};

class BackgroundGradientTest : public ::testing::Test {
protected:
    BackgroundGradientTest() : themeScope(&theme)
    {
        gradient.AddColorPoint(0, kBlue);
        gradient.AddColorPoint(100, kRed);
    }

    ProbeTheme theme;
    ThemeScope themeScope;
    VelBackgroundGradient gradient;
};

}  // namespace

TEST_F(BackgroundGradientTest, AControlsBackgroundRunsFromTheFirstColourToTheLast)
{
    HostWindow window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 300, 300));
    Panel panel;
    panel.SetBackground(&gradient);
    panel.Create(&window, kVisible, VelRect(20, 20, 220, 220));

    struct Case {
        int direction;
        POINT first, middle, last;
    };
    const Case cases[] = {
        {kGradientVertical, {120, 20}, {120, 120}, {120, 219}},
        {kGradientHorizontal, {20, 120}, {120, 120}, {219, 120}},
    };
    for (const Case& c : cases) {
        gradient.SetDirection(c.direction);
        panel.InvalidateRect(panel.GetClientRect());
        Repaint(window);
        EXPECT_TRUE(Near(PixelOf(window, c.first.x, c.first.y), RGB(0, 0, 255))) << "direction " << c.direction;
        EXPECT_TRUE(Near(PixelOf(window, c.middle.x, c.middle.y), RGB(128, 0, 128))) << "direction " << c.direction;
        EXPECT_TRUE(Near(PixelOf(window, c.last.x, c.last.y), RGB(255, 0, 0))) << "direction " << c.direction;
    }
    EXPECT_EQ(PixelOf(window, 10, 10), kHostColour);
}

TEST_F(BackgroundGradientTest, AMiddlePointAndAnAbsoluteLevelShapeTheRamp)
{
    VelBackgroundGradient peak;
    peak.AddColorPoint(0, VelColor(0, 0, 0));
    peak.AddColorPoint(50, VelColor(255, 255, 255));
    peak.AddColorPointAbsolute(255, VelColor(0, 0, 0));
    EXPECT_EQ(peak.GetDirection(), kGradientHorizontal);

    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas(renderer.CreateCanvas(256, 10));
    peak.Draw(canvas.get(), VelRect(0, 0, 256, 10));
    HDC dc = canvas->GetDC();
    EXPECT_TRUE(Near(::GetPixel(dc, 128, 5), RGB(255, 255, 255)));
    EXPECT_TRUE(Near(::GetPixel(dc, 0, 5), RGB(0, 0, 0)));
    EXPECT_TRUE(Near(::GetPixel(dc, 255, 5), RGB(0, 0, 0)));
    EXPECT_TRUE(Near(::GetPixel(dc, 64, 5), RGB(128, 128, 128), 10));
}

// A canvas that fills in one-pixel bands reads every level of the table, not
// only the control points: the levels between them must not be black.
TEST_F(BackgroundGradientTest, BandFillingCanvasGetsTheLevelsBetweenThePoints)
{
    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas(renderer.CreateCanvas(256, 10));
    static_cast<VelGDICanvas*>(canvas.get())->SetGradientMode(0);
    gradient.Draw(canvas.get(), VelRect(0, 0, 256, 10));
    HDC dc = canvas->GetDC();
    EXPECT_TRUE(Near(::GetPixel(dc, 0, 5), RGB(0, 0, 255)));
    EXPECT_TRUE(Near(::GetPixel(dc, 128, 5), RGB(128, 0, 127), 3));
    EXPECT_TRUE(Near(::GetPixel(dc, 255, 5), RGB(255, 0, 0)));
}

TEST_F(BackgroundGradientTest, PointsOutOfRangeAreRefused)
{
    VelBackgroundGradient g;
    EXPECT_THROW(g.AddColorPoint(101, kRed), std::range_error);
    EXPECT_THROW(g.AddColorPoint(-1, kRed), std::range_error);
    EXPECT_THROW(g.AddColorPointAbsolute(256, kRed), std::range_error);
    EXPECT_NO_THROW(g.AddColorPointAbsolute(255, kRed));
}
