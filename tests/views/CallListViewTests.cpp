// The calls tab over calls seeded into a device store of the test's own, on a
// fixed today: the date headers and row order, the four filters a tap on the
// current tab steps through, the missed-call caption, and the rows as they
// are painted with Silver.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestDeviceStore.h"
#include "VelDevStore.h"

#include "DatedListTestKit.h"
#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelCallTable.h"
#include "VelDateGroupItem.h"
#include "VelDetailItem.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelScreenMetrics.h"
#include "VelStringItem.h"
#include "ViewTestSupport.h"

namespace {

struct Call {
    const wchar_t* name;  // null: no stored name
    const wchar_t* number;
    DWORD direction;
    int day, hour, minute;  // December 2026, local time
};

// A device store of the test's own; its calls come back as rows through the
// call log, newest first.
class SeededCalls {
public:
    SeededCalls() : m_device(L"vel-calllist") {}

    void Add(const Call& c)
    {
        VelDevCall call;
        call.start = Utc(c.day, c.hour, c.minute);
        call.end = call.start;
        call.direction = c.direction;
        call.number = VelDevOptText(c.number);
        call.name = VelDevOptText(c.name);
        m_device.Store().AddCall(call);
    }
    std::vector<VelCallListViewItem*> Rows()
    {
        std::vector<VelCallListViewItem*> rows;
        VelCallTable table;
        EXPECT_GT(table.GetCount(), 0);
        while (VelDataItem* item = table.GetEntry()) {
            rows.push_back(new VelCallListViewItem(static_cast<VelCallItem*>(item)));
            table.Seek(1, VelDataTable::kSeekCurrent);
        }
        return rows;
    }

private:
    TestDeviceStore m_device;
};

const Call kAnn = {L"Ann", L"+100", kDevCallOutgoing, 9, 9, 15};
const Call kMissed = {nullptr, L"+200", kDevCallMissed, 8, 18, 30};
const Call kBob = {L"Bob", L"+300", kDevCallIncoming, 6, 8, 0};
const Call kHidden = {nullptr, nullptr, kDevCallIncoming, 5, 20, 45};
const Call kCara = {L"Cara", L"+400", kDevCallOutgoing, 9, 11, 5};

std::wstring TextOf(const VelItem* row)
{
    const VelCallListViewItem* item = dynamic_cast<const VelCallListViewItem*>(row);
    return item ? item->GetCall()->GetDisplayText() : L"?";
}

// The main view at 480 x 640 with Silver, its calls tab the real one.
class CallListViewTest : public DatedListTest {
protected:
    CallListViewTest()
        : DatedListTest(L"Velmora KL call list test", VelMainView::kCallsPageId, &VelMainViewTabs::calls,
                        &MakeView<VelCallListView>, &TextOf)
    {
    }

    void SetUp() override
    {
        DatedListTest::SetUp();
        if (!HasFatalFailure())
            TakeTab(&calls);
    }

    void TapCallsTab() { TapTab(VelMainView::kCallsPageId); }
    void ShowCalls() { ShowTab(); }
    void Seed(const std::vector<Call>& seeded)
    {
        for (const Call& c : seeded)
            store.Add(c);
    }
    std::vector<VelItem*> StoredRows() override
    {
        const std::vector<VelCallListViewItem*> rows = store.Rows();
        return std::vector<VelItem*>(rows.begin(), rows.end());
    }
    VelCallListViewItem* RowOf(const std::wstring& text) { return dynamic_cast<VelCallListViewItem*>(FindRow(text)); }

    SeededCalls store;
    VelCallListView* calls = nullptr;
};

}  // namespace

TEST_F(CallListViewTest, CallsFallUnderRelativeDateHeadersNewestFirstWhateverOrderTheyCome)
{
    Seed({kAnn, kMissed, kBob, kHidden, kCara});
    ShowCalls();
    const std::wstring unknown = LoadLocalizedString(130);
    ASSERT_FALSE(unknown.empty());
    ASSERT_NE(Label(9), Label(8));
    ASSERT_NE(Label(6), Label(5));
    const std::wstring expected =
        Label(9) + L": Cara Ann | " + Label(8) + L": +200 | " + Label(6) + L": Bob | " + Label(5) + L": " + unknown;
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "oldest added first" : "newest added first");
        calls->SetLoading(true);
        calls->ClearList();
        EXPECT_FALSE(calls->IsLoading());
        EXPECT_EQ(Shown(), L"");
        Load(reversed);
        EXPECT_EQ(Shown(), expected);
    }
}

TEST_F(CallListViewTest, RowsOfThisWeekShowTheTimeAndOlderOnesTheDay)
{
    Seed({kAnn, kBob, kHidden, {L"Dan", L"+500", kDevCallIncoming, 1, 7, 5}});
    Load();
    struct Case {
        std::wstring text;
        std::wstring label;
    } const cases[] = {
        {L"Ann", L"09:15"},
        {L"Bob", L"08:00"},  // Sunday, the first day of this week
        {LoadLocalizedString(130), FormatDateTime(VelDateTime(2026, 12, 5), L"%e-%b")},
        {L"Dan", FormatDateTime(VelDateTime(2026, 12, 1), L"%e-%b")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        VelCallListViewItem* row = RowOf(c.text);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->GetTimeLabel(), c.label);
    }
    EXPECT_NE(RowOf(L"Dan")->GetTimeLabel().find(L"Dec"), std::wstring::npos);
}

TEST_F(CallListViewTest, EachTapOnTheCurrentTabMovesToTheNextFilterAndTheFourthShowsEveryCallAgain)
{
    Seed({kAnn, kMissed, kBob, kCara});
    Load();
    ShowCalls();
    calls->UpdateCaption(3);
    const std::wstring base = LoadLocalizedString(118);
    ASSERT_EQ(calls->GetCaption(), base + L"(3)");

    struct Step {
        int filter;
        unsigned title;
        std::wstring shown;
        UINT image, selected, highlighted;
    };
    const Step steps[] = {
        {1, 134, Label(9) + L": Cara Ann", 200, 202, 201},
        {2, 133, Label(6) + L": Bob", 204, 205, 203},
        {3, 135, Label(8) + L": +200", 207, 208, 206},
        {0, 112, Label(9) + L": Cara Ann | " + Label(8) + L": +200 | " + Label(6) + L": Bob", 158, 159, 160},
    };
    for (const Step& s : steps) {
        TapCallsTab();
        SCOPED_TRACE(s.filter);
        EXPECT_EQ(calls->GetFilterIndex(), s.filter);
        EXPECT_EQ(calls->GetTitle(), LoadLocalizedString(s.title));
        EXPECT_EQ(calls->GetCaption(), base) << "the missed-call count goes until the next one comes";
        EXPECT_EQ(calls->GetImage(), GetCurrentTheme()->GetImage(s.image));
        EXPECT_EQ(calls->GetSelectedImage(), GetCurrentTheme()->GetImage(s.selected));
        EXPECT_EQ(calls->GetHighlightedImage(), GetCurrentTheme()->GetImage(s.highlighted));
        EXPECT_EQ(Shown(), s.shown);
    }
}

TEST_F(CallListViewTest, TheFilterOutlivesAReloadAndLeavingTheTab)
{
    Seed({kAnn, kMissed, kBob});
    Load();
    ShowCalls();
    TapCallsTab();
    TapCallsTab();
    TapCallsTab();
    ASSERT_EQ(calls->GetFilterIndex(), VelCallListView::kMissedCalls);
    calls->ClearList();
    Load();
    EXPECT_EQ(Shown(), Label(8) + L": +200");

    // Another tab and back: a page told it is no longer current keeps its filter.
    calls->SetActive(false);
    calls->SetActive(false);
    calls->SetActive(true);
    EXPECT_EQ(calls->GetFilterIndex(), VelCallListView::kMissedCalls);
    EXPECT_EQ(Shown(), Label(8) + L": +200");
}

TEST_F(CallListViewTest, TheCaptionCarriesTheMissedCallCountInBold)
{
    const std::wstring base = LoadLocalizedString(118);
    ASSERT_FALSE(base.empty());
    EXPECT_EQ(calls->GetCaption(), base);
    EXPECT_EQ(calls->GetText(), base);
    EXPECT_EQ(calls->GetValue(), 0);
    struct Case {
        int count;
        std::wstring caption;
        int value;
    } const cases[] = {{3, base + L"(3)", 1}, {12, base + L"(12)", 1}, {0, base, 0}, {1, base + L"(1)", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        calls->UpdateCaption(c.count);
        EXPECT_EQ(calls->GetCaption(), c.caption);
        EXPECT_EQ(calls->GetValue(), c.value);
    }
}

TEST_F(CallListViewTest, OpensOnEveryCallUnderTheAllCallsTitle)
{
    ShowCalls();
    EXPECT_EQ(calls->GetTitle(), LoadLocalizedString(112));
    EXPECT_EQ(std::wstring(calls->GetClassName()), L"VelCallListView");
    VelBitmap* button = GetCurrentTheme()->GetImage(175);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(calls->GetTitleBarHeight(), button->GetHeight() + VelScreenMetrics::GetLongerSide() / 160);
}

TEST_F(CallListViewTest, TheViewFilesACallUnderItsDateLabelAndReadsTheDateBack)
{
    Seed({kAnn, kBob});
    const std::vector<VelCallListViewItem*> rows = store.Rows();
    ASSERT_EQ(rows.size(), 2u);
    const Call* seeded[] = {&kAnn, &kBob};  // newest first
    for (size_t i = 0; i < rows.size(); ++i) {
        std::unique_ptr<VelCallListViewItem> row(rows[i]);
        const Call& c = *seeded[i];
        SCOPED_TRACE(c.day);
        const std::vector<VelListGrouping::GroupKey> keys = calls->GroupKey(row.get());
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].first, Label(c.day));
        wchar_t key[32];
        swprintf(key, 32, L"2026-12-%02d %02d:%02d:00", c.day, c.hour, c.minute);
        EXPECT_EQ(keys[0].second, key);
        std::unique_ptr<VelGroupItem> header(calls->CreateGroupItem(keys[0].first, keys[0].second));
        const VelDateGroupItem* dated = dynamic_cast<const VelDateGroupItem*>(header.get());
        ASSERT_NE(dated, nullptr);
        EXPECT_EQ(dated->GetText(), Label(c.day));
        EXPECT_EQ(dated->GetDate().wDay, c.day);
        EXPECT_EQ(dated->GetDate().wHour, c.hour);
        EXPECT_EQ(dated->GetDate().wMinute, c.minute);
    }
    VelStringItem undated(L"no date", L"", 0);
    EXPECT_TRUE(calls->GroupKey(&undated).empty()) << "left to the default group";
}

TEST(CallListGroupsTest, AHeaderReadsItsDateBackFromTheKey)
{
    struct Case {
        std::wstring key;
        WORD year, month, day, hour, minute, second;
    } const cases[] = {
        {L"2026-12-09 09:15:07", 2026, 12, 9, 9, 15, 7},
        {L"1999-01-31 23:59:59", 1999, 1, 31, 23, 59, 59},
        {L"2026-12", 2026, 12, 0, 0, 0, 0},  // cut short: what is missing reads as 0, not past the end
        {L"", 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key.begin(), c.key.end()));
        std::unique_ptr<VelGroupItem> header(CreateDateGroupItem(L"Label", c.key));
        VelDateGroupItem* dated = dynamic_cast<VelDateGroupItem*>(header.get());
        ASSERT_NE(dated, nullptr);
        EXPECT_EQ(dated->GetText(), L"Label");
        const SYSTEMTIME& d = dated->GetDate();
        EXPECT_EQ(d.wYear, c.year);
        EXPECT_EQ(d.wMonth, c.month);
        EXPECT_EQ(d.wDay, c.day);
        EXPECT_EQ(d.wHour, c.hour);
        EXPECT_EQ(d.wMinute, c.minute);
        EXPECT_EQ(d.wSecond, c.second);
    }
}

namespace {

// Call rows painted on an off-screen canvas.
class CallRowPaintTest : public DatedRowPaintTest {
protected:
    std::unique_ptr<VelCallListViewItem> Row(const Call& c)
    {
        SeededCalls one;
        one.Add(c);
        std::vector<VelCallListViewItem*> rows = one.Rows();
        EXPECT_EQ(rows.size(), 1u);
        return std::unique_ptr<VelCallListViewItem>(rows.empty() ? nullptr : rows[0]);
    }
};

}  // namespace

TEST_F(CallRowPaintTest, TheRowIsAsHighAsAMediumAndATinyLineWithMargins)
{
    std::unique_ptr<VelCallListViewItem> row = Row(kAnn);
    ASSERT_TRUE(row);
    VelKlTheme* theme = GetCurrentTheme();
    EXPECT_EQ(row->Measure(canvas.get()),
              8 + LineHeight(theme->GetMediumFont()) + LineHeight(theme->GetTinyFont()) - 1);
}

TEST_F(CallRowPaintTest, IconAndFirstLineColourFollowTheKindOfCall)
{
    struct Case {
        const char* name;
        Call call;
        COLORREF colour;
        COLORREF others[2];
    } const cases[] = {
        {"missed", kMissed, RGB(222, 85, 49), {RGB(222, 255, 222), RGB(255, 255, 222)}},
        {"outgoing", kAnn, RGB(222, 255, 222), {RGB(222, 85, 49), RGB(255, 255, 222)}},
        {"incoming", kBob, RGB(255, 255, 222), {RGB(222, 85, 49), RGB(222, 255, 222)}},
    };
    const int longer = VelScreenMetrics::GetLongerSide();
    const int h1 = LineHeight(GetCurrentTheme()->GetMediumFont());
    std::vector<std::vector<COLORREF>> icons;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<VelCallListViewItem> row = Row(c.call);
        ASSERT_TRUE(row);
        const VelRect cell = Paint(*row);
        const VelRect firstLine(longer / 10, 4, 200 - longer / 40, 4 + h1);
        EXPECT_TRUE(Holds(firstLine, [&](COLORREF p) { return Near(p, c.colour); }));
        for (COLORREF other : c.others)
            EXPECT_FALSE(Holds(firstLine, [&](COLORREF p) { return p == other; }));

        icons.push_back(IconPixels(cell));
    }
    EXPECT_NE(icons[0], icons[1]);
    EXPECT_NE(icons[1], icons[2]);
    EXPECT_NE(icons[0], icons[2]);
}

TEST_F(CallRowPaintTest, ANamedCallTakesTwoLinesAndOneWithoutANumberOneCentredLine)
{
    const int longer = VelScreenMetrics::GetLongerSide();
    const int h1 = LineHeight(GetCurrentTheme()->GetMediumFont());
    const VelColor background = Background();
    // The text column alone: the icon and the time are left out.
    const int left = longer / 10;
    const int right = left + 40;

    std::unique_ptr<VelCallListViewItem> named = Row(kBob);
    ASSERT_TRUE(named);
    VelRect cell = Paint(*named);
    const VelRect two = LitBounds(canvas->GetDC(), VelRect(left, 0, right, cell.bottom), background.ToColorRef());
    ASSERT_NE(two, VelRect(0, 0, 0, 0));
    EXPECT_GE(two.top, 4);
    EXPECT_GT(two.bottom, 4 + h1) << "the number under the name";

    // Withheld, and known only by the number (which stands in for the name):
    // one line, the number not a second time.
    const Call unknown = {nullptr, L"+400", kDevCallIncoming, 5, 21, 45};
    for (const Call* call : {&kHidden, &unknown}) {
        std::unique_ptr<VelCallListViewItem> oneLine = Row(*call);
        ASSERT_TRUE(oneLine);
        SCOPED_TRACE(oneLine->GetCall()->GetDisplayText());
        EXPECT_EQ(oneLine->GetCall()->GetDisplayText(), call->number ? call->number : LoadLocalizedString(130));
        cell = Paint(*oneLine);
        const VelRect one = LitBounds(canvas->GetDC(), VelRect(left, 0, right, cell.bottom), background.ToColorRef());
        ASSERT_NE(one, VelRect(0, 0, 0, 0));
        const int lineTop = cell.bottom / 2 - h1 / 2 - 2;
        EXPECT_GE(one.top, lineTop);
        EXPECT_LE(one.bottom, lineTop + h1);
    }
}

TEST_F(CallRowPaintTest, TheTimeSitsInItsColumnAtTheRight)
{
    std::unique_ptr<VelCallListViewItem> row = Row(kAnn);
    ASSERT_TRUE(row);
    const VelRect cell = Paint(*row);
    int right = 0;
    SIZE column = {};
    const VelRect time = TimeBounds(cell, &right, &column);
    ASSERT_NE(time, VelRect(0, 0, 0, 0));
    EXPECT_GE(time.left, right - column.cx);
    EXPECT_LE(time.right, right);
}
