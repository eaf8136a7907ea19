#pragma once
// What the tests of the two dated lists, calls and messages, share: a fixed
// today, times in December 2026, the tab in the main view with rows loaded
// from a device store of the test's own, and the rows painted off-screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeDate.h"
#include "ListRows.h"
#include "MainViewTabTest.h"
#include "VelKlView.h"
#include "VelListView.h"
#include "ViewTestSupport.h"

class VelTabPage;

// Wednesday 9 December 2026, 14:00, the tests' today; its week began on
// Sunday the 6th.
SYSTEMTIME FixedToday();

// A local time of December 2026 as the store keeps it, in UTC.
FILETIME Utc(int day, int hour, int minute);
// The date header of a day of December 2026.
std::wstring Label(int day);
// The month and day names "%e-%b" and the headers use, loaded once.
void LoadEnglishDateNames();

// The main view with one dated list tab the real one, on the fixed today.
class DatedListTest : public MainViewTabTest {
protected:
    typedef VelMainViewTabs::ViewMaker VelMainViewTabs::*TabSlot;

    DatedListTest(const wchar_t* appName, int pageId, TabSlot slot, VelMainViewTabs::ViewMaker make, RowText textOf);

    void MakeTabs(VelMainViewTabs& tabs) override { tabs.*m_slot = m_make; }
    void SetUp() override;
    // The tab under test as the view it is.
    template <typename View>
    void TakeTab(View** tab)
    {
        *tab = dynamic_cast<View*>(m_tab);
        ASSERT_NE(*tab, nullptr);
    }
    template <typename View>
    static VelKlView* MakeView(VelMainView* parent, const std::string& name)
    {
        return new View(parent, name);
    }

    VelListView* List() { return m_tab->GetList(); }
    // Makes the tab current, which leaves its filter alone.
    void ShowTab();
    // The rows as a load reads them from the store, newest first.
    virtual std::vector<VelItem*> StoredRows() = 0;
    // The store's rows added newest first as a load adds them, or oldest first.
    void Load(bool reversed = false);
    VelItem* FindRow(const std::wstring& text);
    // The visible groups with their visible rows: "Today: Cara Ann | Yesterday: +200".
    std::wstring Shown();

    FakeDate today{FixedToday()};

private:
    int m_pageId;
    TabSlot m_slot;
    VelMainViewTabs::ViewMaker m_make;
    RowText m_textOf;
    VelKlView* m_tab = nullptr;
    VelTabPage* m_page = nullptr;  // the same tab
};

// Rows painted on an off-screen canvas, as on a 480 x 640 screen.
class DatedRowPaintTest : public ThemeLibraryTest {
protected:
    DatedRowPaintTest() : screen(480, 640) {}

    void SetUp() override;

    int LineHeight(VelFont* font);
    // Paints the row into a cell 200 wide at the top left and answers the cell.
    VelRect Paint(VelItem& row);
    VelColor Background();
    static bool Near(COLORREF c, COLORREF want);
    // The pixels of the icon's column of the cell, row by row.
    std::vector<COLORREF> IconPixels(const VelRect& cell);
    // Where the time's text lies in the cell, looked for a little to the left
    // of its column; `right` and `column` give the column's right edge and the
    // size of the widest time.
    VelRect TimeBounds(const VelRect& cell, int* right, SIZE* column);

    FakeDate today{FixedToday()};
    ScreenScope screen;
};
