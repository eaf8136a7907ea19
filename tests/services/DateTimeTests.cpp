#include <gtest/gtest.h>

#include "FakeDate.h"
#include "VelDateTime.h"
#include "VelLocalizedStrings.h"

namespace {

// A date with its day of week, as the platform's clock and conversions give it.
VelDateTime Day(int year, int month, int day, int hour = 12, int minute = 0)
{
    return VelDateTime(VelDateTime(year, month, day, hour, minute).ToFileTime());
}

class DateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadLanguage(L"English"));
        LoadDateNames();
    }

    void SetToday(int year, int month, int day) { date.Set(Day(year, month, day, 9, 30).ToSystemTime()); }

    FakeDate date;
};

struct LabelCase {
    int today[3];
    int date[3];
    const wchar_t* label;
};

const LabelCase kLabelCases[] = {
    // A Wednesday.
    {{2025, 6, 18}, {2025, 6, 18}, L"Today"},
    {{2025, 6, 18}, {2025, 6, 17}, L"Yesterday"},
    {{2025, 6, 18}, {2025, 6, 16}, L"Monday"},
    {{2025, 6, 18}, {2025, 6, 15}, L"Sunday"},
    {{2025, 6, 18}, {2025, 6, 14}, L"Last week"},
    {{2025, 6, 18}, {2025, 6, 8}, L"Last week"},
    {{2025, 6, 18}, {2025, 6, 7}, L"2 weeks ago"},
    {{2025, 6, 18}, {2025, 6, 1}, L"2 weeks ago"},
    {{2025, 6, 18}, {2025, 5, 31}, L"3 weeks ago"},
    {{2025, 6, 18}, {2025, 5, 25}, L"3 weeks ago"},
    {{2025, 6, 18}, {2025, 5, 24}, L"Earlier"},
    {{2025, 6, 18}, {2025, 5, 19}, L"Earlier"},
    {{2025, 6, 18}, {2025, 5, 18}, L"Last month"},
    {{2025, 6, 18}, {2025, 4, 10}, L"April"},
    {{2025, 6, 18}, {2024, 6, 18}, L"Older"},
    {{2025, 6, 18}, {2025, 6, 19}, L"June"},
    {{2025, 6, 18}, {2026, 1, 2}, L"January of 2026"},
    // A Saturday: every earlier day of the week goes by its name.
    {{2025, 6, 21}, {2025, 6, 20}, L"Yesterday"},
    {{2025, 6, 21}, {2025, 6, 19}, L"Thursday"},
    {{2025, 6, 21}, {2025, 6, 18}, L"Wednesday"},
    {{2025, 6, 21}, {2025, 6, 17}, L"Tuesday"},
    {{2025, 6, 21}, {2025, 6, 16}, L"Monday"},
    {{2025, 6, 21}, {2025, 6, 15}, L"Sunday"},
    {{2025, 6, 21}, {2025, 6, 14}, L"Last week"},
    {{2025, 6, 21}, {2025, 6, 30}, L"June"},
    // A Sunday: only today and yesterday precede the week labels.
    {{2025, 6, 22}, {2025, 6, 21}, L"Yesterday"},
    {{2025, 6, 22}, {2025, 6, 20}, L"Last week"},
    {{2025, 6, 22}, {2025, 6, 15}, L"Last week"},
    {{2025, 6, 22}, {2025, 6, 14}, L"2 weeks ago"},
    // Early in a month, the days of the previous one go by weeks first.
    {{2025, 7, 5}, {2025, 6, 30}, L"Monday"},
    {{2025, 7, 5}, {2025, 6, 15}, L"2 weeks ago"},
    {{2025, 7, 5}, {2025, 6, 4}, L"Last month"},
    {{2025, 3, 2}, {2025, 2, 28}, L"Last week"},
    {{2025, 3, 2}, {2025, 1, 31}, L"Earlier"},
    {{2025, 3, 2}, {2025, 1, 30}, L"January"},
    // On the last day of a month.
    {{2025, 1, 31}, {2025, 1, 1}, L"Earlier"},
    {{2025, 1, 31}, {2024, 12, 31}, L"Older"},
    {{2025, 3, 31}, {2025, 3, 1}, L"Earlier"},
    {{2025, 3, 31}, {2025, 2, 28}, L"Last month"},
    {{2025, 3, 31}, {2025, 1, 31}, L"January"},
    // After a leap day.
    {{2024, 3, 1}, {2024, 2, 29}, L"Yesterday"},
    {{2024, 3, 1}, {2024, 2, 25}, L"Sunday"},
    {{2024, 3, 1}, {2024, 1, 31}, L"Earlier"},
    {{2024, 3, 1}, {2024, 1, 30}, L"January"},
    // Across the turn of the year.
    {{2026, 1, 1}, {2025, 12, 31}, L"Yesterday"},
    {{2026, 1, 1}, {2025, 12, 28}, L"Sunday"},
    {{2026, 1, 1}, {2025, 12, 27}, L"Last week"},
    {{2026, 1, 1}, {2025, 12, 2}, L"Earlier"},
    {{2026, 1, 1}, {2025, 12, 1}, L"Older"},
    {{2026, 1, 3}, {2025, 12, 28}, L"Sunday"},
    {{2026, 1, 3}, {2025, 12, 27}, L"Last week"},
    {{2026, 1, 3}, {2025, 12, 1}, L"Older"},
    {{2025, 12, 31}, {2026, 1, 1}, L"January of 2026"},
    {{2025, 12, 31}, {2025, 11, 30}, L"Last month"},
    {{2025, 12, 31}, {2025, 1, 1}, L"January"},
    {{2025, 12, 31}, {2024, 12, 31}, L"Older"},
};

TEST_F(DateTest, RelativeLabels)
{
    for (const LabelCase& c : kLabelCases) {
        SetToday(c.today[0], c.today[1], c.today[2]);
        const VelDateTime date = Day(c.date[0], c.date[1], c.date[2], 23, 59);
        EXPECT_EQ(GetRelativeDateLabel(date), c.label) << c.today[0] << "-" << c.today[1] << "-" << c.today[2] << " / "
                                                       << c.date[0] << "-" << c.date[1] << "-" << c.date[2];
    }
}

TEST_F(DateTest, LabelsCountFromMidnight)
{
    SetToday(2025, 6, 18);
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 18, 0, 0)), L"Today");
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 17, 23, 59)), L"Yesterday");

    // The clock at the last second of a day and at the first of the next.
    date.Set((Day(2025, 6, 18, 23, 59) + 59 * kTicksPerSecond).ToSystemTime());
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 18, 0, 0)), L"Today");
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 19, 0, 0)), L"June");
    date.Set(Day(2025, 6, 19, 0, 0).ToSystemTime());
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 18, 23, 59) + 59 * kTicksPerSecond), L"Yesterday");
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 19, 0, 0)), L"Today");
}

TEST_F(DateTest, CurrentWeekRunsFromSunday)
{
    SetToday(2025, 6, 18);
    EXPECT_TRUE(Day(2025, 6, 15, 0, 0).IsInCurrentWeek());
    EXPECT_TRUE(Day(2025, 6, 25).IsInCurrentWeek());
    EXPECT_FALSE(Day(2025, 6, 14, 23, 59).IsInCurrentWeek());
}

TEST_F(DateTest, FormatsTheViewsUse)
{
    const VelDateTime march = Day(2009, 3, 5, 13, 7) + 9 * kTicksPerSecond;
    const VelDateTime newYearsEve = Day(2026, 12, 31, 0, 5);
    const struct {
        const VelDateTime& date;
        const wchar_t* format;
        const wchar_t* text;
    } cases[] = {
        {march, L"%H:%M", L"13:07"},
        {march, L"%e-%b", L"5-Mar"},
        {march, L"%Y-%m-%d %H:%M:%S", L"2009-03-05 13:07:09"},
        {march, L"%Y/%m/%d %H:%M", L"2009/03/05 13:07"},
        {march, L"%B", L"March"},
        {march, L"%B of %Y", L"March of 2009"},
        {march, L"%A", L"Thursday"},
        {march, L"%w", L"4"},
        {march, L"%y %I", L"09 01"},
        {march, L"100%%", L"100%"},
        {march, L"a%qb", L"ab"},
        {march, L"end%", L"end"},
        {newYearsEve, L"%H:%M", L"00:05"},
        {newYearsEve, L"%e-%b", L"31-Dec"},
        {newYearsEve, L"%Y-%m-%d %H:%M:%S", L"2026-12-31 00:05:00"},
        {newYearsEve, L"%Y/%m/%d %H:%M", L"2026/12/31 00:05"},
        {newYearsEve, L"%B of %Y", L"December of 2026"},
        {newYearsEve, L"%A", L"Thursday"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.date, c.format), c.text) << c.format;
}

TEST_F(DateTest, EveryNameInOrderFromTheLanguageLibrary)
{
    const wchar_t* const days[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(FormatDateTime(Day(2025, 6, 15 + i), L"%A %w"), days[i] + (L" " + std::to_wstring(i)));
    const wchar_t* const months[] = {L"January Jan",   L"February Feb", L"March Mar",    L"April Apr",
                                     L"May May",       L"June Jun",     L"July Jul",     L"August Aug",
                                     L"September Sep", L"October Oct",  L"November Nov", L"December Dec"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(FormatDateTime(Day(2025, m, 1), L"%B %b"), months[m - 1]) << m;
}

TEST_F(DateTest, FormatEdges)
{
    EXPECT_EQ(FormatDateTime(VelDateTime(2020, 1, 1, 0), L"%I"), L"12");
    EXPECT_EQ(FormatDateTime(VelDateTime(2020, 1, 1, 12), L"%I"), L"12");
    EXPECT_EQ(FormatDateTime(VelDateTime(999, 1, 1), L"%Y"), L"0999");
}

TEST_F(DateTest, NamesOutOfRangeGiveNothing)
{
    SYSTEMTIME bad = VelDateTime(2020, 13, 1).ToSystemTime();
    bad.wDayOfWeek = 9;
    EXPECT_EQ(FormatDateTime(VelDateTime(bad), L"[%B|%b|%A|%m]"), L"[|||13]");
    EXPECT_EQ(FormatDateTime(VelDateTime(2020, 0, 1), L"[%B]"), L"[]");
}

TEST_F(DateTest, NamesWithoutALanguageAreEmpty)
{
    EXPECT_FALSE(LoadLanguage(L"NoSuchLanguage"));
    LoadDateNames();
    EXPECT_EQ(FormatDateTime(Day(2009, 3, 5), L"%A %e %B"), L" 5 ");
    SetToday(2025, 6, 18);
    EXPECT_EQ(GetRelativeDateLabel(Day(2025, 6, 18)), L"");
}

TEST_F(DateTest, ComparisonsCountMillisecondsNotTheWeekday)
{
    SYSTEMTIME a = VelDateTime(2020, 5, 1, 8).ToSystemTime();
    SYSTEMTIME b = a;
    b.wMilliseconds = 1;
    EXPECT_FALSE(VelDateTime(a) == VelDateTime(b));
    EXPECT_TRUE(VelDateTime(a) < VelDateTime(b));
    EXPECT_TRUE(VelDateTime(a).IsEarlier(VelDateTime(b)));
    b = a;
    b.wDayOfWeek = 4;
    EXPECT_TRUE(VelDateTime(a) == VelDateTime(b));
    EXPECT_TRUE(VelDateTime(a) <= VelDateTime(b));
    EXPECT_FALSE(VelDateTime(a) > VelDateTime(b));
}

TEST_F(DateTest, ArithmeticCrossesMonthsAndTruncates)
{
    const VelDateTime leap = VelDateTime(2024, 2, 28, 23) + kTicksPerDay;
    EXPECT_EQ(leap.GetMonth(), 2);
    EXPECT_EQ(leap.GetDay(), 29);
    EXPECT_EQ(leap.GetDayOfWeek(), 4);  // Thursday, recomputed
    const VelDateTime march = leap + 2 * kTicksPerHour;
    EXPECT_EQ(march.GetMonth(), 3);
    EXPECT_EQ(march.GetDay(), 1);

    const int64_t back = VelDateTime::Subtract(VelDateTime(2024, 1, 1), VelDateTime(2024, 1, 2, 12));
    EXPECT_EQ(TicksToDays(back), -1);
    EXPECT_EQ(TicksToHours(back), -36);
    EXPECT_EQ(TicksToSeconds(-kTicksPerSecond + 1), 0);
}

TEST(DateClock, NowComesFromThePlatformByDefault)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    const VelDateTime now;
    EXPECT_GE(now.GetYear(), before.wYear);
    EXPECT_LE(TicksToSeconds(VelDateTime::Subtract(now, VelDateTime(before))), 2);
}

}  // namespace
