// The contacts tab over contacts seeded into a device store of the test's own:
// its groupings and the tab taps that switch them, the keypad filter and the
// runs it marks, and the rows as they are painted with Silver.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <VelDevStore.h>

#include "ContactStoreSupport.h"
#include "ContactTabTest.h"
#include "MainViewTestKit.h"
#include "VelApplication.h"
#include "VelContactItem.h"
#include "VelContactItemFilter.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelControlCore.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelMessageSource.h"
#include "VelMainView.h"
#include "VelPoomSession.h"
#include "VelStringItem.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "ViewTestSupport.h"

namespace {

using namespace contact_store;

// The main view with its contacts tab the real one.
class ContactListViewTest : public ContactTabTest {
protected:
    void MakeTabs(VelMainViewTabs& tabs) override
    {
        tabs.contacts = [](VelMainView* parent, const std::string& name, VelKlView*) -> VelKlView* {
            return new VelContactListView(parent, name);
        };
        tabs.contactFilter = [](std::vector<std::wstring> keys) -> VelListView::Predicate {
            return VelContactItemFilter(std::move(keys));
        };
    }
    void SetUp() override
    {
        ContactTabTest::SetUp();
        if (HasFatalFailure())
            return;
        contacts = dynamic_cast<VelContactListView*>(view->GetListTabView(VelMainView::kContactsPageId));
        ASSERT_NE(contacts, nullptr);
        ASSERT_NE(contacts->GetList(), nullptr);
    }

    VelListView* List() { return contacts->GetList(); }
    void TapContactsTab() { TapTab(VelMainView::kContactsPageId); }
    // Makes the contacts tab current, which leaves its tab state alone.
    void ShowContacts()
    {
        if (!contacts->IsActive())
            TapContactsTab();
        ASSERT_TRUE(contacts->IsActive());
    }
    void Add(const std::vector<Person>& people) { ContactTabTest::Add(List(), people); }

    VelContactListView* contacts = nullptr;
};

TEST_F(ContactListViewTest, EachTapOnTheCurrentTabRegroupsAndTheThirdComesBackToNames)
{
    Add({{L"anna", L"100", L"beta", L"Work, Golf"},
         {L"Bob", L"200", L"Alpha", L""},
         {L"alfred", L"300", L"", L"Golf"},
         {L"", L"", L"", L""}});
    ShowContacts();
    const std::wstring noName = LoadLocalizedString(129);
    ASSERT_FALSE(noName.empty());

    struct Step {
        int state;
        std::wstring title;
        std::wstring shown;
        UINT image, selected, highlighted;
    };
    const Step steps[] = {
        {0, L"Contacts", L"A: alfred anna | B: Bob | " + noName + L": (none)", 161, 162, 163},
        {1, L"By company", L"Alpha: Bob | beta: anna | No company: alfred (none)", 211, 214, 217},
        {2, L"By category", L"Golf: anna alfred | Work: anna | No category: Bob (none)", 212, 215, 209},
        {0, L"Contacts", L"A: alfred anna | B: Bob | " + noName + L": (none)", 161, 162, 163},
    };
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i) {
        const Step& s = steps[i];
        if (i > 0)
            TapContactsTab();
        SCOPED_TRACE(s.state);
        EXPECT_EQ(contacts->GetTabState(), s.state);
        EXPECT_EQ(contacts->GetTitle(), s.title);
        EXPECT_EQ(contacts->GetCaption(), LoadLocalizedString(119));
        EXPECT_EQ(contacts->GetImage(), GetCurrentTheme()->GetImage(s.image));
        EXPECT_EQ(contacts->GetSelectedImage(), GetCurrentTheme()->GetImage(s.selected));
        EXPECT_EQ(contacts->GetHighlightedImage(), GetCurrentTheme()->GetImage(s.highlighted));
        EXPECT_EQ(Shown(List()), s.shown);
    }
}

TEST_F(ContactListViewTest, TheFallbackGroupFollowsTheLanguageLoadedWhenTheRowsAreRegrouped)
{
    Add({{L"anna", L"100", L"beta", L""}, {L"Bob", L"200", L"Alpha", L""}, {L"alfred", L"300", L"", L""}});
    ShowContacts();
    TapContactsTab();
    ASSERT_EQ(contacts->GetTabState(), 1);
    const std::wstring noCompany = LoadLocalizedString(kStrNoCompany);
    ASSERT_FALSE(noCompany.empty());
    const std::wstring english = Shown(List());
    ASSERT_NE(english.find(noCompany), std::wstring::npos);
    // Back to by company, twice round: once with no language, once with English again.
    struct EnglishAgain {
        ~EnglishAgain() { LoadLanguage(L"English"); }
    } restore;
    auto regroup = [&] {
        for (int i = 0; i < 3; ++i)
            TapContactsTab();
        ASSERT_EQ(contacts->GetTabState(), 1);
    };
    EXPECT_FALSE(LoadLanguage(L"NoSuchLanguage"));
    regroup();
    const std::wstring none = Shown(List());
    EXPECT_EQ(none.find(noCompany), std::wstring::npos) << "a label kept from the library freed: " << none;
    EXPECT_NE(none.find(L"alfred"), std::wstring::npos) << none;
    ASSERT_TRUE(LoadLanguage(L"English"));
    regroup();
    EXPECT_EQ(Shown(List()), english) << "the fallback group last under its label again";
}

TEST_F(ContactListViewTest, TheNameSortOrdersRowsAsAStableSortByTheRowComparator)
{
    // Ties under case folding keep their order; shared prefixes longer than
    // the four characters compared first; rows without a contact go last.
    const wchar_t* const names[] = {L"anna",
                                    L"Anna",
                                    L"ANNA",
                                    L"Andersson, Anna",
                                    L"andersson, anna 2",
                                    L"Andersson, Ann",
                                    L"Anders",
                                    L"Andé",
                                    L"ande",
                                    L"Öztürk",
                                    L"öztürk",
                                    L"",
                                    L"Bob",
                                    L"bobby",
                                    L"Abcd",
                                    L"abcd",
                                    L"Abcde",
                                    L"Zoë",
                                    L"ANDERSSON, ANNA",
                                    L"Andersson, Anna"};
    std::vector<VelGroupItem::ItemPtr> rows;
    for (const wchar_t* name : names)
        rows.push_back(VelGroupItem::ItemPtr(store.Row({name, L"", L"", L""})));
    rows.insert(rows.begin() + 5, VelGroupItem::ItemPtr(new VelStringItem(L"plain", L"p1", 0)));
    rows.insert(rows.begin() + 12, VelGroupItem::ItemPtr(new VelStringItem(L"plain", L"p2", 0)));
    // Each rotation brings other rows first, so ties meet in other orders.
    for (size_t turn = 0; turn < rows.size(); turn += 3) {
        std::vector<VelGroupItem::ItemPtr> arrived(rows);
        std::rotate(arrived.begin(), arrived.begin() + ptrdiff_t(turn), arrived.end());
        std::vector<VelGroupItem::ItemPtr> expected(arrived);
        std::stable_sort(expected.begin(), expected.end(), CompareContactNames);
        SortContactRowsByName(arrived);
        ASSERT_EQ(arrived.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(arrived[i].get(), expected[i].get())
                << "turn " << turn << ", row " << i << ": " << NameOf(expected[i].get());
    }
}

TEST_F(ContactListViewTest, TheNewContactAndMenuButtonsSitInTheTitleBarOverTheList)
{
    ShowContacts();
    EXPECT_NE(contacts->FindTitleBarItem(VelContactListView::kNewContactButtonId), nullptr);
    EXPECT_NE(contacts->FindTitleBarItem(VelContactListView::kMenuButtonId), nullptr);
    EXPECT_EQ(contacts->GetTitleBarHeight(), GetCurrentTheme()->GetImage(175)->GetHeight() + 640 / 160);
    EXPECT_EQ(List()->GetTop(), contacts->GetTitleBarHeight());
}

TEST_F(ContactListViewTest, TypedKeysKeepRowsWhoseNameOrNumberHoldsTheRun)
{
    // Keys as the keypad gives them: the letters of each key.
    Add({{L"anna", L"555 0101", L"", L""}, {L"Bob", L"555 2620", L"", L""}, {L"carl", L"555 0303", L"", L""}});
    ShowContacts();
    struct Case {
        std::vector<std::wstring> keys;
        std::wstring shown;
    };
    const Case cases[] = {
        {{}, L"A: anna | B: Bob | C: carl"},
        {{L"ABC2", L"MNO6", L"ABC2"}, L"B: Bob"},   // "bob", and nothing in "anna"
        {{L"ABC2", L"MNO6", L"MNO6"}, L"A: anna"},  // "ann"
        {{L"ABC2", L"6", L"ABC2"}, L"B: Bob"},      // "262" in Bob's number only
        {{L"9"}, L""},
    };
    for (const Case& c : cases) {
        List()->SetFilter(VelContactItemFilter(c.keys), true);
        Settle();
        EXPECT_EQ(Shown(List()), c.shown) << c.keys.size() << " keys";
    }
}

TEST_F(ContactListViewTest, FindsTheRowOfAContactByItsObjectIdAndNoOtherKindOfRow)
{
    Add({{L"anna", L"555 0101", L"", L""}, {L"Bob", L"555 2620", L"", L""}, {L"carl", L"555 0303", L"", L""}});
    VelListView::Lock lock(List());
    std::vector<int32_t> ids;
    for (VelItem* item : List()->GetItems()) {
        VelContactListViewItem* row = dynamic_cast<VelContactListViewItem*>(item);
        ASSERT_TRUE(row && row->GetContact());
        ids.push_back(row->GetContact()->GetId());
        EXPECT_EQ(contacts->FindContactRow(ids.back()), row);
    }
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_EQ(contacts->FindContactRow(ids[0] + ids[1] + ids[2] + 1), nullptr);
    // A tab of other rows finds no contact, and the contacts tab no message.
    VelListTabView* calls = dynamic_cast<VelListTabView*>(view->GetListTabView(VelMainView::kCallsPageId));
    if (calls)
        EXPECT_EQ(calls->FindContactRow(ids[0]), nullptr);
    EXPECT_EQ(contacts->FindSmsRow(std::vector<BYTE>{1, 2, 3}), nullptr);
}

TEST_F(ContactListViewTest, TheFilterMarksWhereTheKeysMatched)
{
    std::unique_ptr<VelContactListViewItem> row(store.Row({L"Maria", L"0172 2620", L"", L""}));
    struct Case {
        std::vector<std::wstring> keys;
        bool shown;
        int kind, start, length;
    };
    const Case cases[] = {
        {{}, true, VelContactListViewItem::kMatchNone, 0, 0},
        {{L"GHI4", L"ABC2"}, true, VelContactListViewItem::kMatchName, 3, 2},    // "ia"
        {{L"2", L"6", L"2"}, true, VelContactListViewItem::kMatchNumber, 5, 3},  // "262"
        {{L"WXYZ9"}, false, VelContactListViewItem::kMatchNone, 0, 0},
    };
    // A match left from an earlier filter never survives a later one.
    row->SetMatch(VelContactListViewItem::kMatchName, 9, 9);
    for (const Case& c : cases) {
        const bool shown = VelContactItemFilter(c.keys)(row.get());
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(row->GetMatchKind(), c.kind);
        if (c.kind != VelContactListViewItem::kMatchNone) {
            EXPECT_EQ(row->GetMatchStart(), c.start);
            EXPECT_EQ(row->GetMatchLength(), c.length);
        }
    }
}

// Rows painted alone on a canvas with Silver.
class ContactRowPaintTest : public CanvasTest {
protected:
    ContactRowPaintTest() : CanvasTest(480, 130, RGB(0, 0, 0)), screen(480, 640) {}

    void SetUp() override
    {
        static English english;
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
    }
    VelRect Paint(VelContactListViewItem* row)
    {
        const int height = row->Measure(canvas.get());
        const VelRect rect(0, 30, 480, 30 + height);
        row->PaintBackground(canvas.get(), rect);
        row->PaintContent(canvas.get(), rect);
        return rect;
    }
    bool HasColour(const RECT& area, COLORREF colour)
    {
        return Holds(area, [colour](COLORREF c) { return c == colour; });
    }
    // The smallest rectangle of the area holding every pixel of the colour.
    VelRect ColourBounds(const RECT& area, COLORREF colour)
    {
        VelRect found;
        bool any = false;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(x, y) == colour) {
                    found = any ? VelRect(std::min<int>(found.left, x), std::min<int>(found.top, y),
                                          std::max<int>(found.right, x + 1), std::max<int>(found.bottom, y + 1))
                                : VelRect(x, y, x + 1, y + 1);
                    any = true;
                }
        return found;
    }
    COLORREF ItemText()
    {
        VelColor c;
        GetCurrentTheme()->GetItemTextColor(c);
        return c.ToColorRef();
    }
    COLORREF Darker(VelColor c)
    {
        c.Darken(0.4f);
        return c.ToColorRef();
    }

    VelApplication app{L"Velmora KL contact row test"};
    ScreenScope screen;
    SeededStore store;
};

TEST_F(ContactRowPaintTest, AFavouriteIsDrawnInItsOwnColour)
{
    std::unique_ptr<VelContactListViewItem> plain(store.Row({L"Plain", L"111", L"", L""}));
    std::unique_ptr<VelContactListViewItem> favourite(store.Row({L"Fave", L"222", L"", L"Favorites"}));
    ASSERT_TRUE(favourite->GetContact()->GetFavorite());
    VelRect r = Paint(favourite.get());
    EXPECT_TRUE(HasColour(r, RGB(222, 125, 57)));
    EXPECT_FALSE(HasColour(r, ItemText()));
    r = Paint(plain.get());
    EXPECT_FALSE(HasColour(r, RGB(222, 125, 57)));
    EXPECT_TRUE(HasColour(r, ItemText()));
}

TEST_F(ContactRowPaintTest, OnlyTheMatchedLineShowsTheHighlightColour)
{
    std::unique_ptr<VelContactListViewItem> row(store.Row({L"Maria", L"0172 2620", L"", L""}));
    VelColor dim;
    GetCurrentTheme()->GetDimTextColor(dim);
    const COLORREF nameMark = Darker(VelColor(GetRValue(ItemText()), GetGValue(ItemText()), GetBValue(ItemText())));
    const COLORREF numberMark = Darker(dim);
    ASSERT_NE(nameMark, numberMark);

    VelRect r = Paint(row.get());
    EXPECT_FALSE(HasColour(r, nameMark));
    EXPECT_FALSE(HasColour(r, numberMark));

    ASSERT_TRUE(VelContactItemFilter({L"2", L"6", L"2"})(row.get()));
    r = Paint(row.get());
    EXPECT_FALSE(HasColour(r, nameMark));
    EXPECT_TRUE(HasColour(r, numberMark));
    EXPECT_TRUE(HasColour(r, dim.ToColorRef()));  // the digits before the run

    ASSERT_TRUE(VelContactItemFilter({L"GHI4", L"ABC2"})(row.get()));
    r = Paint(row.get());
    EXPECT_TRUE(HasColour(r, nameMark));
    EXPECT_FALSE(HasColour(r, numberMark));
}

TEST_F(ContactRowPaintTest, ANameWithoutANumberIsOneLineInTheMiddle)
{
    std::unique_ptr<VelContactListViewItem> both(store.Row({L"Named", L"5550101", L"", L""}));
    std::unique_ptr<VelContactListViewItem> nameOnly(store.Row({L"Named", L"", L"", L""}));
    ASSERT_TRUE(nameOnly->GetContact()->GetPrimaryNumberText().empty());
    // Known only by its number, which stands in for the name: shown once.
    std::unique_ptr<VelContactListViewItem> numberOnly(store.Row({L"", L"5550102", L"", L""}));
    ASSERT_EQ(numberOnly->GetContact()->GetDisplayNameText(), L"5550102");
    VelColor dim;
    GetCurrentTheme()->GetDimTextColor(dim);

    VelRect r;
    VelRect lit;
    for (VelContactListViewItem* row : {numberOnly.get(), nameOnly.get()}) {
        SCOPED_TRACE(row->GetContact()->GetDisplayNameText());
        canvas->SetBackColor(VelColor(0, 0, 0));
        canvas->FillRect(VelRect(0, 0, 480, 130));
        r = Paint(row);
        const VelRect text(r.left, r.top, r.right - 80, r.bottom);
        lit = ColourBounds(text, ItemText());
        ASSERT_FALSE(lit.IsEmpty());
        EXPECT_LE(std::abs((lit.top + lit.bottom) / 2 - (r.top + r.bottom) / 2), 4);
        EXPECT_FALSE(HasColour(text, dim.ToColorRef())) << "no second, dim line";
    }
    const VelRect text(r.left, r.top, r.right - 80, r.bottom);
    const int middle = (r.top + r.bottom) / 2;

    // With a number the name goes up and the number, dim, takes the lower half.
    canvas->SetBackColor(VelColor(0, 0, 0));
    canvas->FillRect(VelRect(0, 0, 480, 130));
    r = Paint(both.get());
    EXPECT_TRUE(HasColour(VelRect(r.left, middle, r.right - 80, r.bottom), dim.ToColorRef()));
    EXPECT_LT(ColourBounds(text, ItemText()).top, lit.top);
}

TEST_F(ContactRowPaintTest, ThePictureIsCentredInItsColumnAtTheRight)
{
    // Twice as high as wide: the thumbnail is half the column wide and
    // higher than a row.
    const DWORD id = store.Add({L"Pic", L"123", L"", L""});
    const COLORREF green = RGB(10, 200, 30);
    store.SetPicture(id, green, 20, 40);
    std::unique_ptr<VelContactListViewItem> row(store.RowOf(id));
    ASSERT_NE(row->GetContact()->GetThumbnail(), nullptr);
    const VelRect r = Paint(row.get());
    const int column = 640 / 10;
    const VelRect picture = ColourBounds(VelRect(0, 0, 480, 130), green);
    ASSERT_FALSE(picture.IsEmpty());
    EXPECT_EQ(picture.right - picture.left, column / 2);
    EXPECT_EQ(picture.left - (r.right - 8 - column), r.right - 8 - picture.right);
    EXPECT_LE(std::abs((picture.top + picture.bottom) - (r.top + r.bottom)), 1);
    // A thumbnail higher than the row stays inside it.
    EXPECT_GE(picture.top, r.top);
    EXPECT_LE(picture.bottom, r.bottom);
}

}  // namespace
