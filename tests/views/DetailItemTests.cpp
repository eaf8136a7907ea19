// The detail row and the date group header of the call and message screens:
// the row drawn on an off-screen canvas with the program's theme, and the
// newest-first order of date headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "VelDateGroupItem.h"
#include "VelDateTime.h"
#include "VelDatedItem.h"
#include "VelDetailItem.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"
#include "ViewTestSupport.h"

namespace {

const COLORREF kGround = RGB(255, 0, 255);

class DetailItemTest : public ThemeLibraryTest {
protected:
    void SetUp() override { ASSERT_NE(LoadTheme(L"Silver"), nullptr); }

    // Paints the row's parts into a cell at the top-left of the canvas.
    void Paint(VelDetailItem& item, const RECT& cell)
    {
        item.Measure(canvas.get());
        item.PaintBackground(canvas.get(), cell);
        item.PaintContent(canvas.get(), cell);
    }
    static bool IsText(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200; }
};

}  // namespace

TEST_F(DetailItemTest, MeasuresOnceFromTheMediumFontUnlessGivenAHeight)
{
    VelDetailItem measured(L"Outgoing call", -1);
    const RECT margins = measured.GetMargins();
    EXPECT_EQ(margins.left, 24);
    EXPECT_EQ(margins.top, 8);
    EXPECT_EQ(margins.right, 24);
    EXPECT_EQ(margins.bottom, 8);
    EXPECT_EQ(measured.GetSecondFormat(), UINT(DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER));

    const TEXTMETRICW font = canvas->GetTextMetrics(GetCurrentTheme()->GetMediumFont()).metrics;
    const int expected = 16 + font.tmHeight + font.tmExternalLeading - 1;
    EXPECT_EQ(measured.Measure(canvas.get()), expected);
    EXPECT_EQ(measured.GetHeight(), expected);
    // Kept: another font on the canvas changes nothing.
    canvas->SetFont(GetCurrentTheme()->GetLargeFont());
    EXPECT_EQ(measured.Measure(canvas.get()), expected);

    VelDetailItem fixed(L"Text", 90);
    EXPECT_EQ(fixed.Measure(canvas.get()), 90);
}

TEST_F(DetailItemTest, DrawsItsTextInsideTheMarginsInTheItemTextColour)
{
    struct Case {
        const char* name;
        UINT format;
        bool right;
    } const cases[] = {{"as built", VelDetailItem::kDefaultSecondFormat, false},
                       {"right-aligned", DT_RIGHT | DT_SINGLELINE | DT_VCENTER, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VelDetailItem item(L"0701234567", -1);
        item.SetSecondFormat(c.format);
        const VelRect cell(0, 0, 200, item.Measure(canvas.get()));
        Paint(item, cell);
        VelColor ground;
        GetCurrentTheme()->GetItemColor(ground);
        EXPECT_EQ(Pixel(2, 2), ground.ToColorRef()) << "the item background";
        const VelRect text = LitBounds(canvas->GetDC(), VelRect(0, 0, 200, cell.bottom), ground.ToColorRef());
        ASSERT_NE(text, VelRect(0, 0, 0, 0));
        EXPECT_GE(text.left, 24);
        EXPECT_LE(text.right, 200 - 24);
        EXPECT_GE(text.top, 8);
        EXPECT_LE(text.bottom, cell.bottom - 8);
        EXPECT_TRUE(Holds(text, IsText));
        // The format puts the text against one margin.
        if (c.right)
            EXPECT_GE(text.right, 200 - 24 - 4);
        else
            EXPECT_LE(text.left, 24 + 4);
    }
}

TEST_F(DetailItemTest, APressedRowTakesTheSelectedBackgroundAndAnEmptyOneNoText)
{
    VelDetailItem item(L"", -1);
    const VelRect cell(0, 0, 200, item.Measure(canvas.get()));
    Paint(item, cell);
    VelColor ground;
    GetCurrentTheme()->GetItemColor(ground);
    EXPECT_EQ(LitBounds(canvas->GetDC(), cell, ground.ToColorRef()), VelRect(0, 0, 0, 0));

    item.SetPressed(true);
    Paint(item, cell);
    EXPECT_NE(Pixel(2, 2), ground.ToColorRef());
    EXPECT_EQ(Pixel(2, 2), Pixel(150, 2)) << "one colour across a line";
}

TEST(DateGroupItem, KeepsItsDateAndOrdersNewestFirstWithTheUndatedLast)
{
    auto group = [](const wchar_t* label, WORD year, WORD month, WORD day, WORD hour) {
        SYSTEMTIME date = {};
        date.wYear = year;
        date.wMonth = month;
        date.wDay = day;
        date.wHour = hour;
        return VelGridView::GroupPtr(new VelDateGroupItem(label, label, date));
    };
    VelGridView::GroupPtr older = group(L"older", 2026, 3, 1, 9);
    VelGridView::GroupPtr newer = group(L"newer", 2026, 3, 1, 10);
    VelGridView::GroupPtr lastYear = group(L"last year", 2025, 12, 31, 23);
    VelGridView::GroupPtr undated(new VelGroupItem(L"", L"", 32800));

    EXPECT_EQ(static_cast<VelDateGroupItem*>(newer.get())->GetDate().wHour, 10);
    EXPECT_EQ(newer->GetText(), L"newer");
    EXPECT_TRUE(CompareGroupsByDate(newer, older));
    EXPECT_FALSE(CompareGroupsByDate(older, newer));
    EXPECT_FALSE(CompareGroupsByDate(older, older)) << "a strict order";
    EXPECT_TRUE(CompareGroupsByDate(lastYear, undated));
    EXPECT_FALSE(CompareGroupsByDate(undated, lastYear));
    EXPECT_FALSE(CompareGroupsByDate(undated, undated));

    std::vector<VelGridView::GroupPtr> groups = {undated, lastYear, older, newer};
    std::sort(groups.begin(), groups.end(), CompareGroupsByDate);
    std::vector<std::wstring> order;
    for (const auto& g : groups)
        order.push_back(g->GetText());
    EXPECT_EQ(order, std::vector<std::wstring>({L"newer", L"older", L"last year", L""}));
}

namespace {

// A dated row that paints nothing; no date when built without one.
class DatedRow : public VelDatedItem {
public:
    DatedRow() : VelDatedItem(L"", 0, true), m_dated(false) {}
    explicit DatedRow(const VelDateTime& date) : VelDatedItem(L"", 0, true), m_date(date), m_dated(true) {}
    const VelDateTime* GetDate() const override { return m_dated ? &m_date : nullptr; }
    int Measure(VelCanvas*) override { return 10; }

private:
    VelDateTime m_date;
    bool m_dated;
};

}  // namespace

TEST(CompareItemsByDateTest, NewestFirstThenRowsWithoutADate)
{
    const VelGroupItem::ItemPtr newer(new DatedRow(VelDateTime(2026, 12, 9, 9, 15, 0)));
    const VelGroupItem::ItemPtr older(new DatedRow(VelDateTime(2026, 12, 9, 9, 14, 59)));
    const VelGroupItem::ItemPtr undated(new DatedRow);
    const VelGroupItem::ItemPtr plain(new VelDetailItem(L"x", 10));
    struct Case {
        const char* name;
        VelGroupItem::ItemPtr first, second;
        bool before;
    } const cases[] = {
        {"newer before older", newer, older, true},
        {"older after newer", older, newer, false},
        {"same date", newer, newer, false},
        {"dated before undated", older, undated, true},
        {"undated after dated", undated, older, false},
        {"dated before a row of another kind", older, plain, true},
        {"two without a date", plain, undated, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareItemsByDate(c.first, c.second), c.before);
    }
    std::vector<VelGroupItem::ItemPtr> rows = {undated, older, plain, newer};
    std::stable_sort(rows.begin(), rows.end(), CompareItemsByDate);
    EXPECT_EQ(rows[0], newer);
    EXPECT_EQ(rows[1], older);
}
