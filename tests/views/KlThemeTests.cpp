#include <gtest/gtest.h>

#include "VelKlTheme.h"
#include "ViewTestSupport.h"

namespace {

typedef VelColor& (VelKlTheme::*ColourOperation)(VelColor&);

TEST(KlTheme, ColoursAreTheProgramsPalette)
{
    struct Case {
        const char* name;
        ColourOperation operation;
        VelColor expected;
    };
    const VelColor slate(58, 69, 85);
    const VelColor white(255, 255, 255);
    const Case cases[] = {
        {"background", &VelKlTheme::GetBackgroundColor, slate},
        {"grid background", &VelKlTheme::GetGridBackgroundColor, slate},
        {"static text", &VelKlTheme::GetStaticTextColor, VelColor(0, 0, 0)},
        {"button face", &VelKlTheme::GetButtonFaceColor, VelColor(206, 235, 206)},
        {"button pressed", &VelKlTheme::GetButtonPressedFaceColor, VelColor(226, 255, 226)},
        {"button alt", &VelKlTheme::GetButtonAltFaceColor, VelColor(164, 188, 164)},
        {"button disabled", &VelKlTheme::GetButtonDisabledFaceColor, VelColor(76, 76, 76)},
        {"item", &VelKlTheme::GetItemColor, slate},
        {"item text", &VelKlTheme::GetItemTextColor, VelColor(245, 245, 245)},
        {"menu item", &VelKlTheme::GetMenuItemColor, VelColor(233, 238, 238)},
        {"menu item text", &VelKlTheme::GetMenuItemTextColor, VelColor(0, 0, 187)},
        {"menu pressed", &VelKlTheme::GetMenuPressedItemColor, VelColor(199, 121, 75)},
        {"menu pressed text", &VelKlTheme::GetMenuPressedItemTextColor, VelColor(79, 79, 79)},
        {"menu disabled", &VelKlTheme::GetMenuDisabledItemColor, VelColor(233, 238, 238)},
        {"menu disabled text", &VelKlTheme::GetMenuDisabledItemTextColor, VelColor(119, 119, 255)},
        {"dim text", &VelKlTheme::GetDimTextColor, VelColor(179, 179, 179)},
        {"menu border", &VelKlTheme::GetMenuBorderColor, VelColor(101, 147, 207)},
        {"group header", &VelKlTheme::GetGroupHeaderColor, VelColor(44, 52, 63)},
        {"group header text", &VelKlTheme::GetGroupHeaderTextColor, white},
        {"toolbar button", &VelKlTheme::GetToolbarButtonColor, VelColor(0, 58, 19)},
        {"toolbar button text", &VelKlTheme::GetToolbarButtonTextColor, white},
        {"toolbar", &VelKlTheme::GetToolbarColor, slate},
        {"toolbar text", &VelKlTheme::GetToolbarTextColor, white},
        {"grid line", &VelKlTheme::GetGridLineColor, VelColor(82, 94, 110)},
        {"scroll track", &VelKlTheme::GetScrollTrackColor, VelColor(214, 217, 220)},
        {"scroll track active", &VelKlTheme::GetScrollTrackActiveColor, VelColor(214, 217, 220)},
        {"scroll thumb", &VelKlTheme::GetScrollThumbColor, VelColor(84, 102, 130)},
        {"scroll thumb active", &VelKlTheme::GetScrollThumbActiveColor, VelColor(84, 102, 130)},
        {"keypad", &VelKlTheme::GetKeypadColor, VelColor(58, 70, 86)},
        {"menu separator", &VelKlTheme::GetMenuSeparatorColor, VelColor(154, 198, 255)},
        {"grid label", &VelKlTheme::GetGridLabelColor, white},
        {"favourite name", &VelKlTheme::GetFavoriteNameColor, VelColor(222, 125, 57)},
        {"missed call", &VelKlTheme::GetMissedCallColor, VelColor(222, 85, 49)},
        {"outgoing call", &VelKlTheme::GetOutgoingCallColor, VelColor(222, 255, 222)},
        {"incoming call", &VelKlTheme::GetIncomingCallColor, VelColor(255, 255, 222)},
        {"received message", &VelKlTheme::GetReceivedMessageColor, VelColor(222, 255, 222)},
        {"sent message", &VelKlTheme::GetSentMessageColor, VelColor(222, 255, 255)},
        {"title bar top", &VelKlTheme::GetTitleBarTopColor, VelColor(70, 85, 103)},
        {"title bar bottom", &VelKlTheme::GetTitleBarBottomColor, VelColor(46, 52, 62)},
        {"tab bar top", &VelKlTheme::GetTabBarTopColor, VelColor(72, 85, 104)},
        {"tab bar bottom", &VelKlTheme::GetTabBarBottomColor, VelColor(44, 50, 57)},
        {"contact background top", &VelKlTheme::GetContactBackgroundTopColor, VelColor(73, 87, 100)},
        {"contact background bottom", &VelKlTheme::GetContactBackgroundBottomColor, VelColor(43, 54, 60)},
        {"contact caption", &VelKlTheme::GetContactCaptionColor, white},
    };
    VelKlTheme theme;
    for (const Case& c : cases) {
        VelColor colour;
        EXPECT_EQ((theme.*c.operation)(colour), c.expected) << c.name;
        EXPECT_EQ(colour.GetFlag(), 0) << c.name;
    }
    // Not the program's: still the default theme's answer.
    VelColor selected;
    VelThemeDefault plain;
    VelColor plainSelected;
    EXPECT_EQ(theme.GetSelectedItemColor(selected), plain.GetSelectedItemColor(plainSelected));
}

TEST(KlTheme, FontsAreVerdanaBySize)
{
    VelKlTheme theme;
    struct Case {
        const char* name;
        VelFont* font;
        int points;
        int weight;
    };
    const Case cases[] = {
        {"small", theme.GetSmallFont(), 9, 0},    {"small bold", theme.GetSmallBoldFont(), 9, 700},
        {"tiny", theme.GetTinyFont(), 8, 0},      {"tiny bold", theme.GetTinyBoldFont(), 8, 700},
        {"medium", theme.GetMediumFont(), 11, 0}, {"medium bold", theme.GetMediumBoldFont(), 11, 700},
        {"large", theme.GetLargeFont(), 24, 0},
    };
    for (const Case& c : cases) {
        const LOGFONTW& font = c.font->GetLogFont();
        EXPECT_EQ(c.font->GetPointSize(), c.points) << c.name;
        EXPECT_EQ(font.lfWeight, c.weight) << c.name;
        EXPECT_EQ(std::wstring(font.lfFaceName), L"verdana") << c.name;
        EXPECT_EQ(font.lfQuality, CLEARTYPE_QUALITY) << c.name;
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut) << c.name;
        EXPECT_NE(c.font->GetHandle(), nullptr) << c.name;
    }
    EXPECT_EQ(theme.GetGroupHeaderFont(), theme.GetMediumFont());
    EXPECT_EQ(theme.GetKeyFont(), theme.GetTinyBoldFont());
    EXPECT_EQ(theme.GetKeySubFont(), theme.GetTinyFont());
    EXPECT_EQ(theme.GetToolbarItemFont(), theme.GetKeySubFont());
    // The fonts not overridden stay the default theme's shared ones.
    VelThemeDefault plain;
    EXPECT_EQ(theme.GetItemFont(), plain.GetItemFont());
}

TEST(KlTheme, ScrollbarOverlaysTheWholeControl)
{
    VelKlTheme theme;
    RECT bar;
    EXPECT_EQ(VelRect(theme.GetScrollbarRect(bar, VelRect(3, 4, 240, 300))), VelRect(3, 4, 240, 300));
}

class KlThemePaint : public CanvasTest {
protected:
    VelKlTheme theme;
};

TEST_F(KlThemePaint, GradientsRunTopToBottomAtEveryLevel)
{
    typedef void (VelKlTheme::*Fill)(VelCanvas*, const RECT&);
    VelColor pressedTop(100, 121, 149);
    VelColor pressedBottom(64, 77, 95);
    pressedTop.Lighten(0.15f);
    pressedBottom.Lighten(0.15f);
    struct Case {
        const char* name;
        Fill fill;
        VelColor top;
        VelColor bottom;
    };
    const Case cases[] = {
        {"selected", &VelKlTheme::DrawSelectedItemBackground, VelColor(100, 121, 149), VelColor(64, 77, 95)},
        {"pressed", &VelKlTheme::DrawPressedItemBackground, pressedTop, pressedBottom},
        {"group header", &VelKlTheme::DrawGroupHeaderBackground, VelColor(106, 130, 166), VelColor(59, 70, 88)},
    };
    // Both ways a canvas fills: one gradient call, or a band per level.
    for (int mode : {1, 0}) {
        Gdi()->SetGradientMode(mode);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (mode ? " gradient fill" : " bands"));
            (theme.*c.fill)(canvas.get(), VelRect(10, 0, 30, 64));
            const VelColor top = VelColor::FromColorRef(Pixel(20, 0));
            const VelColor middle = VelColor::FromColorRef(Pixel(20, 32));
            const VelColor bottom = VelColor::FromColorRef(Pixel(20, 63));
            EXPECT_EQ(top, c.top);
            EXPECT_NEAR(bottom.GetRed(), c.bottom.GetRed(), 3);
            EXPECT_NEAR(bottom.GetBlue(), c.bottom.GetBlue(), 3);
            EXPECT_NEAR(middle.GetBlue(), (c.top.GetBlue() + c.bottom.GetBlue()) / 2, 4) << "no level is black";
            EXPECT_EQ(Pixel(9, 10), ground);
            EXPECT_EQ(Pixel(30, 10), ground);
        }
    }
}

TEST_F(KlThemePaint, GridLineStopsShortOfTheRowEnds)
{
    struct Case {
        int width, height;  // s / 240 high, inset by s / 30 at both ends
        int band, inset;
    };
    const Case cases[] = {{240, 320, 1, 8}, {480, 640, 2, 16}, {640, 480, 2, 16}};
    const COLORREF item = RGB(58, 69, 85);
    const COLORREF line = RGB(82, 94, 110);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ScreenScope screen(c.width, c.height);
        canvas->SetBackColor(VelColor(1, 2, 3));
        theme.DrawGridLine(canvas.get(), VelPoint(10, 20), VelPoint(150, 20));
        const int y = 20 + c.band - 1;
        EXPECT_EQ(Pixel(10, y), item);
        EXPECT_EQ(Pixel(10 + c.inset - 1, y), item);
        EXPECT_EQ(Pixel(10 + c.inset, y), line);
        EXPECT_EQ(Pixel(150 - c.inset - 1, y), line);
        EXPECT_EQ(Pixel(150 - c.inset, y), item);
        EXPECT_EQ(Pixel(149, y), item);
        EXPECT_EQ(Pixel(150, y), ground);
        EXPECT_EQ(Pixel(80, 20 + c.band), ground) << "the bands are s / 240 high";
        EXPECT_EQ(canvas->GetBackColor(), VelColor(1, 2, 3));

        theme.DrawGridThickLine(canvas.get(), VelPoint(10, 60), VelPoint(150, 60));
        EXPECT_EQ(Pixel(10, 60 + c.band - 1), line);
        EXPECT_EQ(Pixel(149, 60), line);
        EXPECT_EQ(Pixel(80, 60 + c.band), ground);
        EXPECT_EQ(canvas->GetBackColor(), VelColor(1, 2, 3));
    }
}

TEST_F(KlThemePaint, FlatPartsAndTheButtonFace)
{
    theme.DrawItemBackground(canvas.get(), VelRect(0, 0, 20, 20));
    EXPECT_EQ(Pixel(10, 10), RGB(58, 69, 85));
    EXPECT_EQ(canvas->GetBackColor(), VelColor(58, 69, 85)) << "the item colour stays the background colour";

    canvas->SetBackColor(VelColor(1, 2, 3));
    theme.DrawKeyBackground(canvas.get(), VelRect(20, 0, 40, 20), 2, nullptr);
    EXPECT_EQ(Pixel(30, 10), RGB(58, 70, 86));
    EXPECT_EQ(canvas->GetBackColor(), VelColor(1, 2, 3));

    for (int state = 0; state < 4; ++state)
        theme.DrawButtonFace(canvas.get(), VelRect(40, 0, 80, 20), state, nullptr);
    EXPECT_EQ(Lit(VelRect(40, 0, 80, 20)), VelRect(0, 0, 0, 0)) << "buttons show only their content";
}

TEST_F(KlThemePaint, GroupHeaderTextIsIndentedAndCentredInTheRow)
{
    ScreenScope screen(240, 320);
    const TEXTMETRICW metrics = canvas->GetTextMetrics(theme.GetMediumFont()).metrics;
    VelFont* font = canvas->GetFont();
    canvas->SetBackColor(VelColor(255, 0, 0));
    canvas->SetTextColor(VelColor(1, 2, 3));

    const RECT row = {0, 30, 200, 30 + 50};
    theme.DrawGroupHeaderText(canvas.get(), VelPoint(row.left, row.top), L"Mmg", SIZE{200, 50});

    const RECT lit = Lit(row);
    const int top = row.top + (50 - metrics.tmHeight) / 2;
    EXPECT_GE(lit.left, 240 / 10) << "indented by s / 10";
    EXPECT_GE(lit.top, top);
    EXPECT_LE(lit.bottom, top + metrics.tmHeight);
    EXPECT_EQ(Pixel(lit.left + 2, lit.top - 1), ground) << "transparent: no background behind the text";
    EXPECT_EQ(theme.GetMediumTextMetrics(canvas.get())->metrics.tmHeight, metrics.tmHeight);
    EXPECT_TRUE(Holds(lit, [](COLORREF c) { return c == RGB(255, 255, 255); })) << "white text";
    EXPECT_EQ(canvas->GetFont(), font);
    EXPECT_EQ(canvas->GetTextColor(), VelColor(1, 2, 3));
    EXPECT_TRUE(canvas->IsOpaque());
}

TEST_F(KlThemePaint, MediumTextMetricsComeFromTheFirstCanvas)
{
    VelGDIRenderer other;
    std::unique_ptr<VelCanvas> second(other.CreateCanvas(10, 10));
    const VelTextMetrics* first = theme.GetMediumTextMetrics(canvas.get());
    EXPECT_EQ(first->stale, 0);
    EXPECT_EQ(first->metrics.tmHeight, canvas->GetTextMetrics(theme.GetMediumFont()).metrics.tmHeight);
    EXPECT_NE(first->metrics.tmHeight, canvas->GetTextMetrics(theme.GetLargeFont()).metrics.tmHeight);
    EXPECT_EQ(theme.GetMediumTextMetrics(second.get()), first);
}

TEST_F(KlThemePaint, KeyCaptionStacksTheSubLabelUnderTheLabel)
{
    ScreenScope screen(480, 640);
    const int labelHeight = [&] {
        const TEXTMETRICW m = canvas->GetTextMetrics(theme.GetKeyFont()).metrics;
        return int(m.tmHeight + m.tmExternalLeading);
    }();
    const int subHeight = [&] {
        const TEXTMETRICW m = canvas->GetTextMetrics(theme.GetKeySubFont()).metrics;
        return int(m.tmHeight + m.tmExternalLeading);
    }();
    canvas->SetTextColor(VelColor(0, 255, 0));
    const UINT format = canvas->GetTextFormat();

    const RECT key = {20, 10, 120, 70};
    theme.DrawKeyCaption(canvas.get(), key, L"2", L"ABC", nullptr);
    const int top = key.top + 480 / 120;
    const RECT label = Lit(VelRect(key.left, key.top, key.right, top + labelHeight));
    const RECT sub = Lit(VelRect(key.left, top + labelHeight, key.right, key.bottom));
    EXPECT_GE(label.top, top);
    EXPECT_LT(label.top, label.bottom) << "the label is drawn in its line";
    EXPECT_LT(sub.top, sub.bottom) << "the sub-label is drawn in the line below";
    EXPECT_LE(sub.bottom, top + labelHeight + subHeight);
    EXPECT_TRUE(Holds(label, [](COLORREF c) { return GetGValue(c) > 128; }));
    EXPECT_FALSE(Holds(label, [](COLORREF c) { return GetRValue(c) || GetBValue(c); }))
        << "in the canvas's text colour";
    // Centred across the key.
    EXPECT_NEAR((sub.left + sub.right) / 2, (key.left + key.right) / 2, 3);
    EXPECT_EQ(canvas->GetTextFormat(), format);
    EXPECT_TRUE(canvas->IsOpaque());

    const RECT alone = {130, 10, 190, 70};
    theme.DrawKeyCaption(canvas.get(), alone, L"8", L"", nullptr);
    const RECT centred = Lit(alone);
    EXPECT_NEAR((centred.top + centred.bottom) / 2, 40, labelHeight / 2) << "alone, the label is centred";
}

}  // namespace
