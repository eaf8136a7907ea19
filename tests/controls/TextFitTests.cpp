#include <gtest/gtest.h>

#include "VelFont.h"
#include "VelFontFit.h"
#include "VelGDIRenderer.h"
#include "VelScreenMetrics.h"
#include "VelTheme.h"

#include <memory>
#include <string>

namespace {

// A phone's screen and the dots per inch it reports, with the sizes of the
// contact view's faces that Silver draws for that screen (make_silver.py).
struct Phone {
    int width, height, dpi;
    SIZE action;  // each action button
    SIZE name;    // the contact's name
};
const Phone kPhones[] = {{240, 320, 96, {106, 38}, {128, 32}}, {480, 640, 192, {212, 76}, {300, 40}}};

const Phone* g_phone = nullptr;

int WINAPI PhoneScreen(int index)
{
    return index == SM_CXSCREEN ? g_phone->width : index == SM_CYSCREEN ? g_phone->height : ::GetSystemMetrics(index);
}

class TextFitTest : public ::testing::TestWithParam<Phone> {
protected:
    void SetUp() override
    {
        g_phone = &GetParam();
        VelScreenMetrics::SetMetricSource(&PhoneScreen);
        VelFont::SetScreenDpiY(GetParam().dpi);
    }
    void TearDown() override
    {
        VelFont::SetScreenDpiY(0);
        VelScreenMetrics::SetMetricSource(nullptr);
    }

    // The width of the text at that size of the face, as the canvas draws it.
    int WidthOf(const VelFont& font, int points, const std::wstring& text)
    {
        VelFont sized(font);
        sized.SetPointSize(points);
        canvas->SetFont(&sized);
        const int width = canvas->MeasureText(text).cx;
        canvas->SetFont(nullptr);
        return width;
    }

    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas{renderer.CreateCanvas(16, 16)};
};

std::wstring TailOf(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() ? text.substr(text.size() - tail.size()) : std::wstring();
}

// The tab captions of the main view in a tab button's width, with the counts
// they carry, long ones too: the count is never cut and the caption is within
// its box; a caption that fits keeps the font's own size.
TEST_P(TextFitTest, ATabCaptionKeepsItsCountWholeAndStaysInItsBox)
{
    VelFont font(L"verdana", 8, 400);
    // The main view gives each of its five tabs a fifth of the screen.
    const int box = GetParam().width / 5;
    struct Case {
        const wchar_t* text;
        const wchar_t* count;  // what must be seen whole; empty: nothing
    } const cases[] = {
        {L"Favorites", L""},
        {L"Contacts", L""},
        {L"Calls (2)", L"(2)"},
        {L"Messages (3)", L"(3)"},
        {L"Messages (12345)", L"(12345)"},
        {L"Dial", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        canvas->SetFont(&font);
        const VelFittedLine line = FitLine(canvas.get(), c.text, box);
        EXPECT_TRUE(line.fits);
        EXPECT_LE(WidthOf(font, line.points, line.text), box);
        EXPECT_GE(line.points, std::min(font.GetPointSize(), kLegibleFloorPoints));
        if (*c.count) {
            EXPECT_EQ(TailOf(line.text, c.count), c.count);
        }
        if (WidthOf(font, font.GetPointSize(), c.text) <= box) {
            EXPECT_EQ(line.text, c.text);
            EXPECT_EQ(line.points, font.GetPointSize());
        }
    }
}

// A number is shown whole whatever the box, smaller when that is what it takes.
TEST_P(TextFitTest, ANumberIsNeverCut)
{
    VelFont font(L"verdana", 8, 700);
    for (const wchar_t* number : {L"+44 7700 900111", L"+44 (0) 7700 900 111 222 333 444"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(number)));
        const int box = WidthOf(font, font.GetPointSize(), number) * 2 / 3;
        canvas->SetFont(&font);
        const VelFittedLine line = FitLine(canvas.get(), number, box);
        EXPECT_EQ(line.text, number);
        EXPECT_EQ(line.fits, WidthOf(font, line.points, number) <= box);
    }
}

// The contact view's actions on the faces the theme gives them at the phone
// of that screen, as the button lays them out: the caption whole on one line,
// or else on two above the number, and the number whole.
TEST_P(TextFitTest, AContactActionShowsItsCaptionAndNumberWhole)
{
    VelFont captionFont(L"verdana", 8, 700);
    VelFont numberFont(L"verdana", 8, 400);
    const SIZE face = GetParam().action;
    // The button's text box: 36 pixels in, 8 clear on the right.
    const int box = face.cx - 44;
    const int numberHeight = canvas->GetTextMetrics(&numberFont).metrics.tmHeight +
                             canvas->GetTextMetrics(&numberFont).metrics.tmExternalLeading;
    for (const wchar_t* caption : {L"Call mobile", L"Send text message", L"Send MMS", L"Call home", L"Call work"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(caption)));
        canvas->SetFont(&captionFont);
        if (FitLine(canvas.get(), caption, box).text == caption)
            continue;
        VelWrappedLines lines;
        ASSERT_TRUE(FitTwoLines(canvas.get(), caption, box, face.cy - 2 * 2 - numberHeight, &lines));
        EXPECT_EQ(lines.first + L" " + lines.second, caption);
        EXPECT_LE(WidthOf(captionFont, lines.points, lines.first), box);
        EXPECT_LE(WidthOf(captionFont, lines.points, lines.second), box);
        EXPECT_GE(lines.points, kLegibleFloorPoints);
    }
    for (const wchar_t* number : {L"+44 7700 900101", L"+44 20 7946 0101"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(number)));
        canvas->SetFont(&numberFont);
        const VelFittedLine line = FitLine(canvas.get(), number, box);
        EXPECT_EQ(line.text, number);
        // Wider than the text box it runs on left, right-aligned, but stays on the face.
        EXPECT_LE(WidthOf(numberFont, line.points, line.text), face.cx - 8 - 2);
    }
}

// The contact's name on its face, in the middle of it 4 pixels in from each
// side: a usual one whole at the font's own size, a long one shortened at
// the legible floor, and either within the face.
TEST_P(TextFitTest, AContactsNameStaysOnItsFace)
{
    VelFont font(L"verdana", 8, 700);
    const SIZE face = GetParam().name;
    const int box = face.cx - 2 * 4;
    struct Case {
        const wchar_t* name;
        bool whole;
    } const cases[] = {
        {L"Brenner, Alba", true},
        {L"Lee, Ann", true},
        {L"Featherstonehaugh-Cholmondeley, Bartholomew Alexander", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        canvas->SetFont(&font);
        const VelFittedLine line = FitLine(canvas.get(), c.name, box);
        EXPECT_TRUE(line.fits);
        EXPECT_LE(WidthOf(font, line.points, line.text), box);
        if (c.whole) {
            EXPECT_EQ(line.text, c.name);
            EXPECT_EQ(line.points, font.GetPointSize());
        } else {
            EXPECT_EQ(line.points, kLegibleFloorPoints);
            ASSERT_GE(line.text.size(), 2u);
            EXPECT_EQ(line.text.back(), L'\u2026');
            EXPECT_EQ(std::wstring(c.name).find(line.text.substr(0, line.text.size() - 1)), 0u);
        }
        VelFont sized(font);
        sized.SetPointSize(line.points);
        EXPECT_LE(canvas->GetTextMetrics(&sized).metrics.tmHeight, face.cy);
    }
}

INSTANTIATE_TEST_SUITE_P(AtThePhonesDpi, TextFitTest, ::testing::ValuesIn(kPhones),
                         [](const ::testing::TestParamInfo<Phone>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
