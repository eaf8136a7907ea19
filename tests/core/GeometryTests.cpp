#include <VelRect.h>
#include <VelRegion.h>
#include <VelScreenMetrics.h>

#include <gtest/gtest.h>

namespace {

TEST(Rect, MeasuresAbsoluteSizesAndIsEmptyOnlyWithoutBothSides)
{
    struct Case {
        VelRect rect;
        int width, height;
        bool empty;
    } cases[] = {
        {VelRect(0, 0, 10, 20), 10, 20, false}, {VelRect(10, 20, 0, 0), 10, 20, false},  // edges swapped
        {VelRect(5, 5, 5, 9), 0, 4, false},     {VelRect(3, 3, 3, 3), 0, 0, true},      {VelRect(), 0, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.rect.GetWidth(), c.width) << c.rect.ToString().c_str();
        EXPECT_EQ(c.rect.GetHeight(), c.height);
        EXPECT_EQ(c.rect.IsEmpty(), c.empty);
        EXPECT_EQ(c.rect.GetSize().cx, c.width);
    }
}

TEST(Rect, ContainmentTouchesEdgesButPointsExcludeRightAndBottom)
{
    const VelRect rect(0, 0, 10, 10);
    EXPECT_TRUE(rect.Contains(VelRect(0, 0, 10, 10)));
    EXPECT_TRUE(rect.Contains(VelRect(2, 2, 5, 5)));
    EXPECT_FALSE(rect.Contains(VelRect(2, 2, 11, 5)));
    EXPECT_TRUE(rect.ContainsPoint(VelPoint(0, 0)));
    EXPECT_TRUE(rect.ContainsPoint(VelPoint(9, 9)));
    EXPECT_FALSE(rect.ContainsPoint(VelPoint(10, 5)));
    EXPECT_FALSE(rect.ContainsPoint(VelPoint(5, 10)));
}

TEST(Rect, MovesInflatesIntersectsAndFormats)
{
    VelRect rect(10, 20, 30, 60);
    rect.MoveToOrigin();
    EXPECT_EQ(rect, VelRect(0, 0, 20, 40));
    rect.Offset(5, 6);
    rect.Inflate(1, 2);
    EXPECT_EQ(rect, VelRect(4, 4, 26, 48));
    rect.Intersect(VelRect(20, 0, 100, 10));
    EXPECT_EQ(rect, VelRect(20, 4, 26, 10));
    rect.SetLeft(0);
    EXPECT_EQ(rect.GetRight(), 26);
    EXPECT_NE(rect, VelRect(20, 4, 26, 10));
    EXPECT_EQ(VelRect(0, 0, 10, 20).ToString(), L"left=0 top=0 right=10 bottom=20");
    EXPECT_TRUE(VelRect::IsZero(SIZE{0, 0}));
    EXPECT_FALSE(VelRect::IsZero(POINT{0, 1}));
}

TEST(Region, EmptyFlagFromConstruction)
{
    struct Case {
        VelRect rect;
        bool flagged;
    } cases[] = {
        {VelRect(5, 5, 5, 9), false},  // empty to GDI, yet not flagged
        {VelRect(3, 3, 3, 3), true},
        {VelRect(0, 0, 10, 10), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VelRegion(c.rect).IsEmpty(), c.flagged) << c.rect.ToString().c_str();
    EXPECT_TRUE(VelRegion().IsEmpty());
    const VelRegion square(VelRect(0, 0, 4, 4));
    const VelRegion line(VelRect(5, 5, 5, 9));
    EXPECT_FALSE(VelRegion(square).IsEmpty());
    EXPECT_TRUE(VelRegion(line).IsEmpty());  // a copy asks GDI
}

TEST(Region, OperationsSetTheFlagFromTheResultAndOffsetKeepsIt)
{
    VelRegion region(VelRect(0, 0, 10, 10));
    EXPECT_EQ(region.Intersect(VelRegion(VelRect(20, 20, 30, 30))), NULLREGION);
    EXPECT_TRUE(region.IsEmpty());
    region.Offset(3, 3);
    EXPECT_TRUE(region.IsEmpty());

    EXPECT_EQ(region.Union(VelRegion(VelRect(0, 0, 10, 10))), SIMPLEREGION);
    EXPECT_FALSE(region.IsEmpty());
    EXPECT_EQ(region.Union(VelRegion(VelRect(20, 0, 30, 10))), COMPLEXREGION);
    EXPECT_EQ(region.GetBounds(), VelRect(0, 0, 30, 10));
    EXPECT_EQ(region.GetRectCount(), 2);
    EXPECT_EQ(region.GetRect(1), VelRect(20, 0, 30, 10));
    EXPECT_EQ(region.GetRect(2), VelRect());
    EXPECT_EQ(region.GetRect(-1), VelRect());

    EXPECT_EQ(region.Xor(VelRegion(VelRect(20, 0, 30, 10))), SIMPLEREGION);
    EXPECT_TRUE(region.Equals(VelRegion(VelRect(0, 0, 10, 10))));
    EXPECT_EQ(region.Subtract(VelRegion(VelRect(0, 0, 10, 10))), NULLREGION);
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(region.GetRectCount(), 0);
    EXPECT_EQ(region.GetBounds(), VelRect());
}

TEST(Region, SetRectAssignAndAttachRefreshTheFlag)
{
    VelRegion region;
    region.SetRect(VelRect(0, 0, 8, 8));
    EXPECT_FALSE(region.IsEmpty());  // a real rectangle never claims to be empty
    region.SetRect(VelRect(2, 2, 2, 2));
    EXPECT_TRUE(region.IsEmpty());

    VelRegion source(VelRect(1, 1, 4, 4));
    region.Assign(source);
    EXPECT_FALSE(region.IsEmpty());
    EXPECT_TRUE(region.Equals(source));
    source.Offset(1, 0);
    EXPECT_FALSE(region.Equals(source));  // a copy, not a shared handle

    region.Attach(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_TRUE(region.IsEmpty());
    region.Attach(::CreateRectRgn(0, 0, 5, 5));
    EXPECT_FALSE(region.IsEmpty());
    EXPECT_EQ(region.GetBounds(), VelRect(0, 0, 5, 5));
}

int g_metricReads = 0;
int g_width = 0;
int g_height = 0;

int WINAPI FakeMetrics(int index)
{
    ++g_metricReads;
    return index == SM_CXSCREEN ? g_width : index == SM_CYSCREEN ? g_height : 0;
}

class ScreenMetricsTest : public ::testing::Test {
protected:
    void TearDown() override { VelScreenMetrics::SetMetricSource(nullptr); }
};

TEST_F(ScreenMetricsTest, SidesOfPhoneScreensInEitherOrientation)
{
    struct Case {
        int width, height, longer, shorter;
    } cases[] = {{240, 320, 320, 240}, {320, 240, 320, 240}, {480, 640, 640, 480}, {640, 480, 640, 480}};
    for (const Case& c : cases) {
        g_width = c.width;
        g_height = c.height;
        VelScreenMetrics::SetMetricSource(FakeMetrics);
        EXPECT_EQ(VelScreenMetrics::GetLongerSide(), c.longer) << c.width << "x" << c.height;
        EXPECT_EQ(VelScreenMetrics::GetShorterSide(), c.shorter);
        EXPECT_EQ(VelScreenMetrics::GetSize().cx, c.width);
        EXPECT_EQ(VelScreenMetrics::GetHeight(), c.height);
    }
}

TEST_F(ScreenMetricsTest, SizeIsReadOnceAndNeverRefreshed)
{
    g_width = 240;
    g_height = 320;
    g_metricReads = 0;
    VelScreenMetrics::SetMetricSource(FakeMetrics);
    VelScreenMetrics::GetLongerSide();
    g_width = 480;  // an orientation change after the first read is not seen
    EXPECT_EQ(VelScreenMetrics::GetWidth(), 240);
    VelScreenMetrics::GetShorterSide();
    EXPECT_EQ(g_metricReads, 2);
}

TEST_F(ScreenMetricsTest, RealSourceIsTheSystemMetrics)
{
    EXPECT_EQ(VelScreenMetrics::GetWidth(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(VelScreenMetrics::GetHeight(), ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_GE(VelScreenMetrics::GetColorDepth(), 16);
}

}  // namespace
