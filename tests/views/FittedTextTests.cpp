#include <gtest/gtest.h>

#include "VelFittedText.h"
#include "ViewTestSupport.h"

namespace {

// Red normal runs and blue highlighted ones on black: every pixel of a run
// carries only its own channel, whatever the smoothing.
const VelColor kNormal(255, 0, 0);
const VelColor kHighlight(0, 0, 255);

bool Red(COLORREF c) { return GetRValue(c) != 0; }
bool Blue(COLORREF c) { return GetBValue(c) != 0; }

class FittedTextTest : public CanvasTest {
protected:
    // Rows draw their text transparent, as here.
    FittedTextTest() : CanvasTest(400, 60), normal(L"verdana", 20, 0), bold(L"verdana", 20, 700)
    {
        canvas->SetOpaque(false);
    }

    void Draw(const std::wstring& text, int start, int length, int boxWidth = 400)
    {
        DrawFittedText(canvas.get(), text, VelPoint(kX, kY), SIZE{boxWidth, 40}, &normal, &bold, kNormal, kHighlight,
                       start, length);
    }
    // The width of the text in the font, as the canvas measures it.
    int Width(const std::wstring& text, VelFont* font)
    {
        canvas->SetFont(font);
        return canvas->MeasureText(text).cx;
    }
    RECT Columns(int from, int to) const { return VelRect(from, 0, to, 60); }

    static const int kX = 10;
    static const int kY = 8;
    VelFont normal;
    VelFont bold;
};

TEST_F(FittedTextTest, TheHighlightTakesItsOwnFontAndColour)
{
    struct Case {
        const char* name;
        int start, length;
        bool red, blue, endsHighlighted;
    };
    const Case cases[] = {
        {"no highlight: the whole text is the third run", 0, 0, true, false, false},
        {"everything highlighted, no third run", 0, 7, false, true, true},
        {"a highlighted head", 0, 3, true, true, false},
        {"a highlighted tail", 4, 3, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        canvas->SetBackColor(VelColor(0, 0, 0));
        canvas->FillRect(VelRect(0, 0, 400, 60));
        Draw(L"Johnson", c.start, c.length);
        const RECT all = Columns(0, 400);
        EXPECT_EQ(Holds(all, Red), c.red);
        EXPECT_EQ(Holds(all, Blue), c.blue);
        EXPECT_EQ(canvas->GetFont(), c.endsHighlighted ? &bold : &normal) << "the last run's font stays";
        EXPECT_EQ(canvas->GetTextColor(), c.endsHighlighted ? kHighlight : kNormal);
    }
}

TEST_F(FittedTextTest, EachRunStartsWhereTheMeasuredOnesBeforeItEnd)
{
    // "Jo" normal, "hns" bold, "on" normal: the bold run is wider than the
    // same letters in the normal font, and the last run must clear it.
    const int head = Width(L"Jo", &normal);
    const int middle = Width(L"hns", &bold);
    ASSERT_GT(middle, Width(L"hns", &normal));
    Draw(L"Johnson", 2, 3);

    const int highlightStart = kX + head;
    const int tailStart = highlightStart + middle;
    EXPECT_FALSE(Holds(Columns(0, highlightStart), Blue));
    EXPECT_FALSE(Holds(Columns(tailStart, 400), Blue));
    EXPECT_TRUE(Holds(Columns(highlightStart, tailStart), Blue));
    EXPECT_FALSE(Holds(Columns(highlightStart, tailStart), Red)) << "nothing normal overlaps the bold run";
    EXPECT_TRUE(Holds(Columns(kX, highlightStart), Red));
    EXPECT_TRUE(Holds(Columns(tailStart, 400), Red));
    EXPECT_LE(Lit(Columns(0, 400)).right, tailStart + Width(L"on", &normal) + 2);
    EXPECT_EQ(canvas->GetFont(), &normal);
    EXPECT_EQ(canvas->GetTextColor(), kNormal);
}

TEST_F(FittedTextTest, RunsAreNotCutToTheBox)
{
    const int head = Width(L"Jo", &normal);
    Draw(L"Johnson", 2, 5, 12);
    EXPECT_TRUE(Holds(Columns(kX + head, 400), Blue)) << "drawn past a box narrower than the text";
    EXPECT_EQ(canvas->GetFont(), &bold);
    EXPECT_EQ(canvas->GetTextColor(), kHighlight);
}

TEST_F(FittedTextTest, ARangePastTheTextIsCutToIt)
{
    // A match range kept from a longer name, after the name got shorter.
    Draw(L"Ann", 2, 10);
    const int head = Width(L"An", &normal);
    EXPECT_TRUE(Holds(Columns(kX + head, 400), Blue));
    EXPECT_FALSE(Holds(Columns(0, kX + head), Blue));

    canvas->SetBackColor(VelColor(0, 0, 0));
    canvas->FillRect(VelRect(0, 0, 400, 60));
    Draw(L"Ann", 5, 3);
    EXPECT_TRUE(Holds(Columns(0, 400), Red)) << "the whole name, normal";
    EXPECT_FALSE(Holds(Columns(0, 400), Blue));

    canvas->FillRect(VelRect(0, 0, 400, 60));
    Draw(L"Ann", -4, -1);
    EXPECT_TRUE(Holds(Columns(0, 400), Red));
    EXPECT_FALSE(Holds(Columns(0, 400), Blue));
}

}  // namespace
