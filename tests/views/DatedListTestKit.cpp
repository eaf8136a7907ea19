#include "DatedListTestKit.h"

#include <algorithm>
#include <cstdlib>

#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelScreenMetrics.h"
#include "VelTabPage.h"

SYSTEMTIME FixedToday()
{
    SYSTEMTIME today = {};
    today.wYear = 2026;
    today.wMonth = 12;
    today.wDay = 9;
    today.wDayOfWeek = 3;
    today.wHour = 14;
    return today;
}

FILETIME Utc(int day, int hour, int minute)
{
    SYSTEMTIME local = {};
    local.wYear = 2026;
    local.wMonth = 12;
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    SYSTEMTIME utc;
    ::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME out;
    ::SystemTimeToFileTime(&utc, &out);
    return out;
}

std::wstring Label(int day) { return GetRelativeDateLabel(VelDateTime(2026, 12, day, 12, 0, 0)); }

void LoadEnglishDateNames()
{
    static const bool loaded = (LoadDateNames(), true);
    (void)loaded;
}

DatedListTest::DatedListTest(const wchar_t* appName, int pageId, TabSlot slot, VelMainViewTabs::ViewMaker make,
                             RowText textOf)
    : MainViewTabTest(appName), m_pageId(pageId), m_slot(slot), m_make(std::move(make)), m_textOf(std::move(textOf))
{
}

void DatedListTest::SetUp()
{
    MainViewTabTest::SetUp();
    if (HasFatalFailure())
        return;
    LoadEnglishDateNames();
    m_tab = view->GetListTabView(m_pageId);
    ASSERT_NE(m_tab, nullptr);
    ASSERT_NE(m_tab->GetList(), nullptr);
    m_page = dynamic_cast<VelTabPage*>(m_tab);
    ASSERT_NE(m_page, nullptr);
}

void DatedListTest::ShowTab()
{
    if (!m_page->IsActive())
        TapTab(m_pageId);
    ASSERT_TRUE(m_page->IsActive());
}

void DatedListTest::Load(bool reversed)
{
    std::vector<VelItem*> rows = StoredRows();
    if (reversed)
        std::reverse(rows.begin(), rows.end());
    for (VelItem* row : rows)
        List()->AddItem(row);
    Settle();
}

VelItem* DatedListTest::FindRow(const std::wstring& text)
{
    return List()->FindItem([&](const VelItem* row) { return m_textOf(row) == text; });
}

std::wstring DatedListTest::Shown() { return GroupsLine(ReadGroups(*List(), m_textOf, RowFilter::kVisible)); }

void DatedRowPaintTest::SetUp()
{
    static const bool english = LoadLanguage(L"English");
    (void)english;
    LoadEnglishDateNames();
    ASSERT_NE(LoadTheme(L"Silver"), nullptr);
}

int DatedRowPaintTest::LineHeight(VelFont* font)
{
    const TEXTMETRICW m = canvas->GetTextMetrics(font).metrics;
    return m.tmHeight + m.tmExternalLeading;
}

VelRect DatedRowPaintTest::Paint(VelItem& row)
{
    const VelRect cell(0, 0, 200, row.Measure(canvas.get()));
    row.PaintBackground(canvas.get(), cell);
    row.PaintContent(canvas.get(), cell);
    return cell;
}

VelColor DatedRowPaintTest::Background()
{
    VelColor background;
    GetCurrentTheme()->GetItemColor(background);
    return background;
}

bool DatedRowPaintTest::Near(COLORREF c, COLORREF want)
{
    return std::abs(GetRValue(c) - GetRValue(want)) < 24 && std::abs(GetGValue(c) - GetGValue(want)) < 24 &&
           std::abs(GetBValue(c) - GetBValue(want)) < 24;
}

std::vector<COLORREF> DatedRowPaintTest::IconPixels(const VelRect& cell)
{
    const int longer = VelScreenMetrics::GetLongerSide();
    std::vector<COLORREF> icon;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = longer / 40; x < longer / 10; ++x)
            icon.push_back(Pixel(x, y));
    return icon;
}

VelRect DatedRowPaintTest::TimeBounds(const VelRect& cell, int* right, SIZE* column)
{
    canvas->SetFont(GetCurrentTheme()->GetSmallFont());
    *column = canvas->MeasureText(L"May  28");
    *right = cell.right - VelScreenMetrics::GetLongerSide() / 40;
    return LitBounds(canvas->GetDC(), VelRect(*right - column->cx - 8, 0, cell.right, cell.bottom),
                     Background().ToColorRef());
}
