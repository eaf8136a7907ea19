#include "ButtonTextTestKit.h"
#include "VelBackground.h"
#include "VelStaticText.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

const COLORREF kImageColour = RGB(255, 0, 0);

class RecordingBackground : public VelBackground {
public:
    void Draw(VelCanvas*, const RECT&) override { ++draws; }
    int draws = 0;
};

// A 200 x 200 window; labels sit at (10, 10) with a 100 x 40 client area.
class StaticTextTest : public ::testing::Test {
protected:
    StaticTextTest() : themeScope(&theme), image(SolidBitmap(16, 16, kImageColour)) {}

    void SetUp() override { window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200)); }

    // A pixel of the label's client area.
    COLORREF LabelPixel(int x, int y) const { return PixelOf(window, 10 + x, 10 + y); }

    ProbeTheme theme;
    ThemeScope themeScope;
    HostWindow window;
    VelBitmap image;
};

}  // namespace

TEST_F(StaticTextTest, ImageAlignmentPlacesTheImage)
{
    struct Case {
        DWORD align;
        int x, y;
    };
    const Case cases[] = {
        {10, 42, 12},  // centred both ways
        {33, 84, 24},  // bottom right
        {0, 0, 0},     // top left
        {3, 0, 24},    // bottom wins over vertical centre
        {40, 84, 0},   // right wins over horizontal centre
        {2, 0, 12},   {8, 42, 0},
    };
    for (const Case& c : cases) {
        VelStaticText label(L"", &image);
        label.SetImageAlign(c.align);
        label.Create(&window, kVisible, VelRect(10, 10, 110, 50));
        Repaint(window);
        EXPECT_EQ(LabelPixel(c.x, c.y), kImageColour) << "align " << c.align;
        EXPECT_EQ(LabelPixel(c.x + 15, c.y + 15), kImageColour) << "align " << c.align;
        EXPECT_NE(LabelPixel(c.x - 1, c.y - 1), kImageColour) << "align " << c.align;
        EXPECT_NE(LabelPixel(c.x + 16, c.y + 16), kImageColour) << "align " << c.align;
        label.Destroy();
    }
}

TEST_F(StaticTextTest, AlignmentChangeRepaints)
{
    VelStaticText label(L"", &image);
    label.Create(&window, kVisible, VelRect(10, 10, 110, 50));
    Repaint(window);
    EXPECT_EQ(LabelPixel(42, 12), kImageColour);
    label.SetImageAlign(VelStaticText::kAlignBottom | VelStaticText::kAlignRight);
    Repaint(window);
    EXPECT_EQ(LabelPixel(84, 24), kImageColour);
    EXPECT_EQ(LabelPixel(42, 12), kBackgroundColour);
}

TEST_F(StaticTextTest, TransparentLabelPaintsImageAndTextButNoBackground)
{
    for (bool transparent : {false, true}) {
        VelStaticText label(L"Name", &image);
        label.Create(&window, kVisible, VelRect(10, 10, 110, 50));
        label.SetTransparent(transparent);
        theme.calls.clear();
        Repaint(window);
        EXPECT_EQ(theme.Last("control background") != nullptr, !transparent);
        ASSERT_NE(theme.Last("static text"), nullptr);
        EXPECT_EQ(theme.Last("static text")->text, L"Name");
        EXPECT_EQ(LabelPixel(50, 20), kImageColour);
        EXPECT_EQ(LabelPixel(98, 38), transparent ? kHostColour : kBackgroundColour);
        label.Destroy();
    }
}

TEST_F(StaticTextTest, AnOwnBackgroundObjectIsNotUsedTheFlatColourIs)
{
    RecordingBackground background;
    VelStaticText label(L"", nullptr);
    label.SetBackground(&background);
    label.Create(&window, kVisible, VelRect(10, 10, 110, 50));
    theme.calls.clear();
    Repaint(window);
    ASSERT_NE(theme.Last("control background"), nullptr);
    EXPECT_EQ(theme.Last("control background")->control, nullptr);
    EXPECT_EQ(background.draws, 0);
    EXPECT_EQ(LabelPixel(50, 20), kBackgroundColour);
}

// The text is laid out in the whole label with the label's own format, so a
// partial repaint or an earlier painter's format does not move it.
TEST_F(StaticTextTest, TextUsesTheClientAreaAndItsOwnFormat)
{
    window.leftFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    VelStaticText plain(L"Plain", nullptr);
    plain.Create(&window, kVisible, VelRect(10, 10, 110, 50));
    const UINT rightAligned = DT_RIGHT | DT_SINGLELINE;
    VelStaticText right(L"Right", rightAligned, nullptr);
    right.Create(&window, kVisible, VelRect(10, 60, 110, 100));
    Repaint(window);

    theme.calls.clear();
    plain.InvalidateRect(VelRect(50, 20, 90, 35));
    Repaint(window);
    const ProbeTheme::Call* text = theme.Last("static text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, L"Plain");
    EXPECT_EQ(text->point, VelPoint(0, 0));
    EXPECT_EQ(text->size.cx, 100);
    EXPECT_EQ(text->size.cy, 40);
    EXPECT_EQ(text->format, VelStaticText::kDefaultFormat);

    theme.calls.clear();
    right.SetText(L"Changed");
    Repaint(window);
    text = theme.Last("static text");
    ASSERT_NE(text, nullptr) << "a new text repaints the label";
    EXPECT_EQ(text->text, L"Changed");
    EXPECT_EQ(text->format, rightAligned);
    EXPECT_EQ(right.GetText(), L"Changed");
}

TEST_F(StaticTextTest, AutoSizeTakesTheImageSize)
{
    VelStaticText early(L"", &image);
    early.SetAutoSize(true);
    early.Create(&window, kVisible, VelRect(10, 10, 110, 50));
    EXPECT_EQ(early.GetBounds(), VelRect(10, 10, 26, 26));

    VelStaticText late(L"", &image);
    late.Create(&window, kVisible, VelRect(10, 60, 110, 100));
    EXPECT_EQ(late.GetBounds(), VelRect(10, 60, 110, 100));
    late.SetAutoSize(true);
    EXPECT_TRUE(late.GetAutoSize());
    EXPECT_EQ(late.GetBounds(), VelRect(10, 60, 26, 76));

    VelStaticText empty;
    EXPECT_STREQ(empty.GetClassName(), L"VelStaticText");
    EXPECT_EQ(empty.GetText(), L"");
    empty.SetAutoSize(true);
    empty.Create(&window, kVisible, VelRect(120, 10, 190, 50));
    EXPECT_EQ(empty.GetBounds(), VelRect(120, 10, 190, 50)) << "no image, no size to take";
}
