#include <VelColor.h>
#include <VelGradient.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

void ExpectRgb(const VelColor& color, int red, int green, int blue)
{
    EXPECT_EQ(color.GetRed(), red);
    EXPECT_EQ(color.GetGreen(), green);
    EXPECT_EQ(color.GetBlue(), blue);
}

TEST(Color, ConversionsAndTheNoColourFlag)
{
    VelColor none;
    EXPECT_EQ(none.GetFlag(), 1);
    ExpectRgb(none, 0, 0, 0);

    const VelColor rgb = VelColor::FromRgb(0x123456);
    ExpectRgb(rgb, 0x12, 0x34, 0x56);
    EXPECT_EQ(rgb.GetFlag(), 0);
    EXPECT_EQ(rgb.ToColorRef(), 0x563412u);
    ExpectRgb(VelColor::FromColorRef(0x563412), 0x12, 0x34, 0x56);

    VelColor set;
    set.SetGreen(9);
    EXPECT_EQ(set.GetFlag(), 0);
    VelColor copy(none);
    EXPECT_EQ(copy.GetFlag(), 1);  // a copy keeps the flag
}

TEST(Color, BlendsTruncateAndClamp)
{
    struct Case {
        const char* name;
        void (VelColor::*blend)(float);
        VelColor from;
        float f;
        int red, green, blue;
    } cases[] = {
        {"darken", &VelColor::Darken, VelColor(200, 100, 0), 0.5f, 100, 50, 0},
        {"lighten", &VelColor::Lighten, VelColor(0, 0, 0), 0.5f, 127, 127, 127},
        {"lighten", &VelColor::Lighten, VelColor(255, 100, 10), 0.25f, 255, 138, 71},
        {"brighten", &VelColor::Brighten, VelColor(200, 100, 0), 0.5f, 255, 227, 127},
        {"brighten", &VelColor::Brighten, VelColor(10, 20, 30), -1.0f, 0, 0, 0},
        {"darken", &VelColor::Darken, VelColor(10, 20, 30), 2.0f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.f));
        VelColor color = c.from;
        (color.*c.blend)(c.f);
        ExpectRgb(color, c.red, c.green, c.blue);
        EXPECT_EQ(color.GetFlag(), 0);
    }
    VelColor none;
    none.Darken(0.5f);
    EXPECT_EQ(none.GetFlag(), 1);  // blends leave the flag as it was
}

TEST(Gradient, OnePointInTheMiddleBringsBothEndsAndRamps)
{
    VelGradient gradient(100);
    gradient.AddColorPointAbsolute(50, VelColor(255, 0, 0));
    EXPECT_EQ(gradient.GetControlPoints(), (std::vector<unsigned>{0, 50, 99}));
    const std::vector<VelColor>& table = gradient.GetTable();
    ASSERT_EQ(table.size(), 100u);
    ExpectRgb(table[50], 255, 0, 0);
    ExpectRgb(table[0], 0, 0, 0);
    ExpectRgb(table[99], 0, 0, 0);
    ExpectRgb(table[25], 127, 0, 0);
    ExpectRgb(table[74], 127, 0, 0);
    for (unsigned level = 0; level < 50; ++level)
        EXPECT_LE(table[level].GetRed(), table[level + 1].GetRed()) << level;
    EXPECT_EQ(table[25].GetFlag(), 0);
}

TEST(Gradient, PercentsMapToLevelsAndOutOfRangeThrowsBeforeAnyChange)
{
    VelGradient gradient(100);
    gradient.AddColorPoint(100, VelColor(0, 0, 255));
    ExpectRgb(gradient.GetTable()[99], 0, 0, 255);
    gradient.AddColorPoint(50, VelColor(0, 255, 0));
    ExpectRgb(gradient.GetTable()[50], 0, 255, 0);
    gradient.AddColorPoint(0, VelColor(9, 9, 9));
    ExpectRgb(gradient.GetTable()[0], 9, 9, 9);

    const std::vector<unsigned> points = gradient.GetControlPoints();
    for (int percent : {101, -1, 1000}) {
        try {
            gradient.AddColorPoint(percent, VelColor(1, 1, 1));
            ADD_FAILURE() << percent << " accepted";
        } catch (const std::range_error& e) {
            EXPECT_STREQ(e.what(), "Color point must be in range 0,100.");
        }
    }
    try {
        gradient.AddColorPointAbsolute(100, VelColor(1, 1, 1));
        ADD_FAILURE() << "level N accepted";
    } catch (const std::range_error& e) {
        EXPECT_STREQ(e.what(), "Absolute color point exceeds number of gradient levels.");
    }
    EXPECT_EQ(gradient.GetControlPoints(), points);
    EXPECT_NO_THROW(gradient.AddColorPointAbsolute(99, VelColor(1, 1, 1)));
}

TEST(Gradient, SameLevelTwiceKeepsOnePointAndTheLaterColour)
{
    VelGradient gradient(10);
    gradient.AddColorPointAbsolute(0, VelColor(10, 10, 10));
    gradient.AddColorPointAbsolute(0, VelColor(20, 20, 20));
    EXPECT_EQ(gradient.GetControlPoints(), (std::vector<unsigned>{0, 9}));
    ExpectRgb(gradient.GetTable()[0], 20, 20, 20);
    ExpectRgb(gradient.GetTable()[4], 10, 10, 10);  // (20 + 0) / 2 at the midpoint
}

TEST(Gradient, DeferredTableWaitsAndResetBlackens)
{
    VelGradient gradient(10, true);
    gradient.AddColorPointAbsolute(9, VelColor(200, 0, 0));
    ExpectRgb(gradient.GetTable()[9], 200, 0, 0);
    ExpectRgb(gradient.GetTable()[4], 0, 0, 0);
    gradient.Reset();
    ExpectRgb(gradient.GetTable()[9], 0, 0, 0);
    EXPECT_EQ(gradient.GetControlPoints().size(), 2u);
}

TEST(Gradient, ControlPointPositionsAlongAnExtent)
{
    VelGradient gradient(11);
    gradient.AddColorPointAbsolute(5, VelColor(1, 1, 1));
    EXPECT_EQ(gradient.GetControlPointPosition(0, 200), 0);
    EXPECT_EQ(gradient.GetControlPointPosition(1, 200), 100);
    EXPECT_EQ(gradient.GetControlPointPosition(2, 200), 200);
    EXPECT_EQ(gradient.GetControlPointPosition(1, 99), 49);
}

TEST(Gradient, SingleLevelHasOnePointAndNoSpan)
{
    VelGradient gradient(1);
    gradient.AddColorPointAbsolute(0, VelColor(5, 5, 5));
    EXPECT_EQ(gradient.GetControlPoints(), std::vector<unsigned>{0});
    EXPECT_EQ(gradient.GetControlPointPosition(0, 100), 0);
}

}  // namespace
