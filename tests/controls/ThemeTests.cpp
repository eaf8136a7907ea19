#include <gtest/gtest.h>

#include "VelBackground.h"
#include "VelGDIRenderer.h"
#include "VelThemeDefault.h"
#include "VelVisualObject.h"
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

const VelColor kWhite(255, 255, 255);

// Distinct colours where the default would take system colours, so a test
// sees which one a paint part chose.
class ProbeTheme : public VelThemeDefault {
public:
    VelColor selected = VelColor(0, 0, 0);
    VelColor& GetSelectedItemColor(VelColor& c) override { return c = selected; }
    VelColor& GetButtonFaceColor(VelColor& c) override { return c = VelColor(10, 20, 30); }
    VelColor& GetButtonAltFaceColor(VelColor& c) override { return c = VelColor(40, 50, 60); }
    VelColor& GetButtonPressedFaceColor(VelColor& c) override { return c = VelColor(70, 80, 90); }
    VelColor& GetBackgroundColor(VelColor& c) override { return c = VelColor(1, 2, 3); }
    VelColor& GetMenuSeparatorColor(VelColor& c) override { return c = VelColor(200, 0, 0); }
};

class RecordingBackground : public VelBackground {
public:
    void Draw(VelCanvas*, const RECT& rect) override { drawn.push_back(rect); }
    std::vector<RECT> drawn;
};

class ThemeTest : public ::testing::Test {
protected:
    ThemeTest() : canvas(renderer.CreateCanvas(120, 60))
    {
        canvas->SetBackColor(kWhite);
        canvas->FillRect(VelRect(0, 0, 120, 60));
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(canvas->GetDC(), x, y); }

    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas;
    ProbeTheme theme;
};

TEST_F(ThemeTest, PressedColourIsTheSelectedOneLightened)
{
    struct Case {
        VelColor selected;
        VelColor pressed;
    };
    const Case cases[] = {
        {VelColor(0, 0, 0), VelColor(76, 76, 76)},
        {VelColor(200, 100, 0), VelColor(216, 146, 76)},
        {VelColor(255, 255, 255), VelColor(255, 255, 255)},
    };
    for (const Case& c : cases) {
        theme.selected = c.selected;
        VelColor pressed;
        EXPECT_EQ(theme.GetPressedItemColor(pressed), c.pressed);
        EXPECT_EQ(theme.GetMenuPressedItemColor(pressed), c.pressed);
    }
}

TEST_F(ThemeTest, SystemColoursAreReadWithoutThePhonesFlag)
{
    VelThemeDefault plain;
    VelColor window;
    plain.GetWindowColor(window);
    EXPECT_EQ(window.ToColorRef(), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(window.GetFlag(), 0);
    VelColor grid;
    EXPECT_EQ(plain.GetGridBackgroundColor(grid), VelColor(220, 220, 220));
}

TEST_F(ThemeTest, LinesAndSeparatorsFillTheirBands)
{
    theme.DrawMenuSeparator(canvas.get(), VelRect(0, 10, 100, 30));
    EXPECT_EQ(Pixel(50, 20), RGB(200, 0, 0));
    EXPECT_EQ(Pixel(50, 19), kWhite.ToColorRef());
    EXPECT_EQ(Pixel(50, 21), kWhite.ToColorRef());
    EXPECT_EQ(Pixel(100, 20), kWhite.ToColorRef());

    const int thick = ::GetSystemMetrics(SM_CXBORDER) + 1;
    theme.DrawGridThickLine(canvas.get(), VelPoint(0, 40), VelPoint(50, 40));
    EXPECT_NE(Pixel(10, 40 + thick - 1), kWhite.ToColorRef());
    EXPECT_EQ(Pixel(10, 40 + thick), kWhite.ToColorRef());
    EXPECT_EQ(canvas->GetBackColor(), kWhite) << "the canvas's background colour is put back";
}

TEST_F(ThemeTest, ScrollbarIsTheRightStrip)
{
    RECT strip;
    EXPECT_EQ(VelRect(theme.GetScrollbarRect(strip, VelRect(0, 0, 240, 300))), VelRect(220, 0, 240, 300));
}

TEST_F(ThemeTest, ButtonFaceColourFollowsTheState)
{
    struct Case {
        int state;
        COLORREF face;
    };
    const Case cases[] = {{0, RGB(10, 20, 30)}, {1, RGB(40, 50, 60)}, {2, RGB(70, 80, 90)}, {7, RGB(0, 0, 0)}};
    VelBrush* brush = canvas->GetBrush();
    for (const Case& c : cases) {
        theme.DrawButtonFace(canvas.get(), VelRect(0, 0, 60, 40), c.state, nullptr);
        EXPECT_EQ(Pixel(30, 20), c.face) << "state " << c.state;
    }
    EXPECT_EQ(canvas->GetBrush(), brush);
    EXPECT_EQ(::GetCurrentObject(canvas->GetDC(), OBJ_BRUSH), brush->GetHandle());
}

TEST_F(ThemeTest, ButtonFaceKeepsInsideTheControlsMargins)
{
    VelVisualObject control;
    control.SetMargins(RECT{20, 0, 0, 0});
    theme.DrawButtonFace(canvas.get(), VelRect(0, 0, 60, 40), 0, &control);
    EXPECT_EQ(Pixel(10, 20), kWhite.ToColorRef());
    EXPECT_EQ(Pixel(40, 20), RGB(10, 20, 30));
}

TEST_F(ThemeTest, ABackgroundObjectDrawsInsteadOfTheFlatColour)
{
    VelVisualObject control;
    RecordingBackground background;
    control.SetBackground(&background);
    theme.DrawControlBackground(canvas.get(), VelRect(0, 0, 10, 10), &control);
    theme.DrawToolbarBackground(canvas.get(), VelRect(0, 0, 5, 5), VelRect(0, 0, 20, 20), &control);
    ASSERT_EQ(background.drawn.size(), 2u);
    EXPECT_EQ(VelRect(background.drawn[1]), VelRect(0, 0, 20, 20));
    EXPECT_EQ(Pixel(5, 5), kWhite.ToColorRef());

    theme.DrawControlBackground(canvas.get(), VelRect(0, 0, 10, 10), nullptr);
    EXPECT_EQ(Pixel(5, 5), RGB(1, 2, 3));
}

TEST_F(ThemeTest, TextMetricsComeFromTheFirstCanvas)
{
    VelGDIRenderer other;
    std::unique_ptr<VelCanvas> second(other.CreateCanvas(10, 10));
    VelFont huge(L"Tahoma", 40, 700);
    second->SetFont(&huge);
    const VelTextMetrics* first = theme.GetTextMetrics(canvas.get());
    const LONG height = first->metrics.tmHeight;
    EXPECT_EQ(theme.GetTextMetrics(second.get())->metrics.tmHeight, height);
    EXPECT_EQ(first->stale, 0);
    EXPECT_EQ(height, canvas->GetTextMetrics(theme.GetItemFont()).metrics.tmHeight);
}

TEST_F(ThemeTest, FontsAreTheSharedDefaults)
{
    EXPECT_EQ(theme.GetToolbarItemFont(), theme.GetToolbarTextFont());
    EXPECT_EQ(theme.GetLargeFont()->GetPointSize(), 16);
    EXPECT_EQ(theme.GetLargeFont()->GetLogFont().lfWeight, 700);
    EXPECT_EQ(theme.GetKeySubFont()->GetPointSize(), 8);
    EXPECT_EQ(std::wstring(theme.GetItemFont()->GetLogFont().lfFaceName), L"Tahoma");
    EXPECT_STREQ(theme.GetClassName(), L"VelTheme");
}

TEST_F(ThemeTest, TextPartsPutTheCanvasBack)
{
    VelFont* font = canvas->GetFont();
    const UINT format = canvas->GetTextFormat();
    theme.DrawMenuItemText(canvas.get(), VelPoint(0, 0), L"Menu", SIZE{100, 30});
    theme.DrawPressedItemText(canvas.get(), VelPoint(0, 0), L"Item", SIZE{100, 30});
    theme.DrawGroupHeaderText(canvas.get(), VelPoint(0, 0), L"A", SIZE{100, 30});
    EXPECT_EQ(canvas->GetFont(), font);
    EXPECT_EQ(canvas->GetTextFormat(), format);
    EXPECT_TRUE(canvas->IsOpaque());
}

}  // namespace

namespace {

// The vtable slot a virtual member function pointer names: the Itanium C++
// ABI, which mingw-w64's compiler follows, stores 1 + the slot's byte offset.
template <typename Operation>
long SlotOf(Operation operation)
{
    struct Pointer {
        uintptr_t pointer;
        ptrdiff_t adjust;
    } raw;
    static_assert(sizeof(operation) == sizeof(raw), "a member function pointer of two words");
    memcpy(&raw, &operation, sizeof(raw));
    return raw.pointer & 1 ? static_cast<long>((raw.pointer - 1) / sizeof(void*)) : -1;
}

}  // namespace

// Controls call the theme by its place in the table: the table keeps the
// order, each operation right after the one before, the default theme's two
// of its own last.
TEST(ThemeTable, TheOperationsKeepTheirPlacesInTheTable)
{
    typedef VelThemeDefault T;
    const long slots[] = {
        SlotOf(&T::GetBackgroundColor),
        SlotOf(&T::GetWindowColor),
        SlotOf(&T::GetGridBackgroundColor),
        SlotOf(&T::GetCaptionTextColor),
        SlotOf(&T::GetStaticTextColor),
        SlotOf(&T::GetButtonTextColor),
        SlotOf(&T::GetButtonFaceColor),
        SlotOf(&T::GetButtonPressedFaceColor),
        SlotOf(&T::GetButtonAltFaceColor),
        SlotOf(&T::GetButtonDisabledFaceColor),
        SlotOf(&T::GetItemColor),
        SlotOf(&T::GetItemTextColor),
        SlotOf(&T::GetSelectedItemColor),
        SlotOf(&T::GetSelectedItemTextColor),
        SlotOf(&T::GetPressedItemColor),
        SlotOf(&T::GetPressedItemTextColor),
        SlotOf(&T::GetMenuItemColor),
        SlotOf(&T::GetMenuItemTextColor),
        SlotOf(&T::GetMenuPressedItemColor),
        SlotOf(&T::GetMenuPressedItemTextColor),
        SlotOf(&T::GetMenuDisabledItemColor),
        SlotOf(&T::GetMenuDisabledItemTextColor),
        SlotOf(&T::GetHighlightedItemColor),
        SlotOf(&T::GetDimTextColor),
        SlotOf(&T::GetMenuBorderColor),
        SlotOf(&T::GetGroupHeaderColor),
        SlotOf(&T::GetGroupHeaderTextColor),
        SlotOf(&T::GetToolbarButtonColor),
        SlotOf(&T::GetToolbarButtonTextColor),
        SlotOf(&T::GetToolbarColor),
        SlotOf(&T::GetToolbarTextColor),
        SlotOf(&T::GetGridLineColor),
        SlotOf(&T::GetGridLineWidth),
        SlotOf(&T::GetGridThickLineColor),
        SlotOf(&T::GetFrameWidth),
        SlotOf(&T::GetScrollTrackColor),
        SlotOf(&T::GetScrollTrackActiveColor),
        SlotOf(&T::GetScrollThumbColor),
        SlotOf(&T::GetScrollThumbActiveColor),
        SlotOf(&T::GetExtraMetric),
        SlotOf(&T::GetKeypadColor),
        SlotOf(&T::GetThemeImage),
        SlotOf(&T::GetThemeImageAlt),
        SlotOf(&T::GetScrollbarRect),
        SlotOf(&T::GetTextFont),
        SlotOf(&T::GetItemFont),
        SlotOf(&T::GetTextMetrics),
        SlotOf(&T::GetGroupHeaderFont),
        SlotOf(&T::GetToolbarButtonFont),
        SlotOf(&T::GetToolbarTextFont),
        SlotOf(&T::GetKeyFont),
        SlotOf(&T::GetKeySubFont),
        SlotOf(&T::GetKeySize),
        SlotOf(&T::GetToolbarItemFont),
        SlotOf(&T::GetLargeFont),
        SlotOf(&T::DrawFrame),
        SlotOf(&T::DrawHook),
        SlotOf(&T::DrawControlBackground),
        SlotOf(&T::DrawGridBackground),
        SlotOf(&T::DrawWindowBackground),
        SlotOf(&T::DrawStaticText),
        SlotOf(&T::DrawDisabledOverlay),
        SlotOf(&T::DrawGridLine),
        SlotOf(&T::DrawGridThickLine),
        SlotOf(&T::DrawGridLabel),
        SlotOf(&T::DrawSelectedItemBackground),
        SlotOf(&T::DrawPressedItemBackground),
        SlotOf(&T::DrawPressedItemText),
        SlotOf(&T::DrawDimItemText),
        SlotOf(&T::DrawHighlightedItemBackground),
        SlotOf(&T::DrawSelectedItemText),
        SlotOf(&T::DrawItemBackground),
        SlotOf(&T::DrawMenuFrame),
        SlotOf(&T::DrawMenuSeparator),
        SlotOf(&T::DrawMenuItemBackground),
        SlotOf(&T::DrawMenuPressedItemBackground),
        SlotOf(&T::DrawMenuDisabledItemBackground),
        SlotOf(&T::DrawMenuItemText),
        SlotOf(&T::DrawMenuPressedItemText),
        SlotOf(&T::DrawMenuDisabledItemText),
        SlotOf(&T::DrawItemText),
        SlotOf(&T::DrawGroupHeaderBackground),
        SlotOf(&T::DrawGroupHeaderText),
        SlotOf(&T::DrawCollapsedGroupMark),
        SlotOf(&T::DrawExpandedGroupMark),
        SlotOf(&T::DrawToolbarButtonBackground),
        SlotOf(&T::DrawToolbarButtonText),
        SlotOf(&T::DrawToolbarBackground),
        SlotOf(&T::DrawToolbarText),
        SlotOf(&T::DrawButtonBackground),
        SlotOf(&T::DrawButtonFace),
        SlotOf(&T::DrawButtonContent),
        SlotOf(&T::DrawButtonOverlay),
        SlotOf(&T::DrawScrollTrack),
        SlotOf(&T::DrawScrollThumb),
        SlotOf(&T::DrawKeyBackground),
        SlotOf(&T::DrawKeyFace),
        SlotOf(&T::DrawKeyOverlay),
        SlotOf(&T::DrawKeyCaption),
        SlotOf(&T::DrawKeypadBackground),
        SlotOf(&T::DrawInsetBackground),
        SlotOf(&T::GetMenuSeparatorColor),
        SlotOf(&T::GetGridLabelColor),
    };
    // Right after the object's own operations.
    const long first = SlotOf(&VelObject::OnTimer) + 1;
    for (size_t i = 0; i < sizeof(slots) / sizeof(slots[0]); ++i)
        EXPECT_EQ(first + static_cast<long>(i), slots[i]) << "operation " << i;
}
