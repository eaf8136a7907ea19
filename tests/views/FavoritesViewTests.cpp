// The favourites tab in the main view at 480 x 640 with Silver, over contacts
// seeded into a device store of the test's own: one alphabetical list whose
// header stays hidden, a caption that never changes, and the taps that reach
// the application through the view's signals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContactStoreSupport.h"
#include "ContactTabTest.h"
#include "VelFavoritesView.h"
#include "VelKlTheme.h"
#include "VelMainView.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "ListRows.h"
#include "ViewTestSupport.h"

namespace {

using namespace contact_store;

// Every row of every group, visible or not, in the list's order.
std::wstring Rows(VelListView* list) { return Joined(RowsOfGroups(ReadGroups(*list, &NameOf)), L" "); }

class FavoritesViewTest : public ContactTabTest {
protected:
    void MakeTabs(VelMainViewTabs& tabs) override
    {
        tabs.favorites = [](VelMainView* parent, const std::string& name) -> VelKlView* {
            return new VelFavoritesView(parent, name);
        };
    }
    void SetUp() override
    {
        ContactTabTest::SetUp();
        if (HasFatalFailure())
            return;
        favorites = dynamic_cast<VelFavoritesView*>(view->GetListTabView(VelMainView::kFavoritesPageId));
        ASSERT_NE(favorites, nullptr);
        ASSERT_NE(favorites->GetList(), nullptr);
        log.Listen(favorites);
    }

    VelListView* List() { return favorites->GetList(); }
    // A point of the view in the main view's window.
    VelPoint InWindow(const VelPoint& p) { return InWindowOf(favorites, p); }
    void TapFavoritesTab() { TapTab(VelMainView::kFavoritesPageId); }
    void ShowFavorites()
    {
        if (!favorites->IsActive())
            TapFavoritesTab();
        ASSERT_TRUE(favorites->IsActive());
    }
    void Add(const std::vector<Person>& people) { ContactTabTest::Add(List(), people); }

    VelFavoritesView* favorites = nullptr;
    TabSignalLog log;
};

TEST_F(FavoritesViewTest, RowsAreSortedByNameIgnoringCaseUnderNoVisibleHeader)
{
    Add({{L"bob", L"200", L"", L"Favorites"},
         {L"Anna", L"100", L"", L"Favorites"},
         {L"carl", L"300", L"", L"Favorites"}});
    ShowFavorites();
    EXPECT_EQ(Rows(List()), L"Anna bob carl");
    // One group, its header hidden, the rows in it shown; nothing else shown.
    ASSERT_EQ(List()->GetGroups().size(), 1u);
    const VelGridView::GroupPtr& group = List()->GetGroups().front();
    EXPECT_EQ(group->GetText(), L"Favorites");
    EXPECT_EQ(group->GetKey(), L"FavoritesGroup");
    EXPECT_FALSE(group->IsVisible());
    for (const VelGroupItem::ItemPtr& row : group->GetChildren())
        EXPECT_TRUE(row->IsVisible());
    EXPECT_EQ(Shown(List()), L"");

    // A row added later takes its place by name, and the header still stays hidden.
    Add({{L"Bea", L"400", L"", L"Favorites"}});
    EXPECT_EQ(Rows(List()), L"Anna Bea bob carl");
    EXPECT_FALSE(group->IsVisible());
}

TEST_F(FavoritesViewTest, TheFirstRowIsPaintedAtTheTopOfTheListWithNoHeaderBand)
{
    Add({{L"Anna", L"100", L"", L"Favorites"}});
    ShowFavorites();
    view->InvalidateRect(VelRect());
    Settle();
    // A favourite's name is drawn in its own colour; with no header band above
    // it, its first pixels lie within the top few lines of the list.
    const COLORREF favouriteName = RGB(222, 125, 57);
    // Read from the main view's own canvas: other test processes' windows may
    // lie over the screen.
    VelRect listArea = List()->GetAbsoluteBounds();
    const VelRect origin = view->GetAbsoluteBounds();
    listArea.Offset(-origin.left, -origin.top);
    ASSERT_NE(view->GetCanvas(), nullptr);
    HDC dc = view->GetCanvas()->GetDC();
    int firstLine = -1;
    for (int y = listArea.top; y < listArea.bottom && firstLine < 0; ++y)
        for (int x = listArea.left; x < listArea.left + 240 && firstLine < 0; ++x)
            if (::GetPixel(dc, x, y) == favouriteName)
                firstLine = y - listArea.top;
    ASSERT_GE(firstLine, 0);
    EXPECT_LT(firstLine, 640 / 12);  // less than one header row down
}

TEST_F(FavoritesViewTest, CaptionTitleAndImagesNeverChangeNorDoesATapOnTheCurrentTab)
{
    Add({{L"bob", L"200", L"", L"Favorites"}, {L"Anna", L"100", L"", L"Favorites"}});
    ShowFavorites();
    VelListGrouping* grouping = List()->GetGrouping();
    EXPECT_EQ(grouping, favorites->GetGrouping());
    for (int tap = 0; tap < 3; ++tap) {
        SCOPED_TRACE(tap);
        EXPECT_TRUE(favorites->IsActive());
        EXPECT_TRUE(favorites->IsVisible());
        EXPECT_EQ(favorites->GetCaption(), LoadLocalizedString(128));
        EXPECT_EQ(favorites->GetText(), LoadLocalizedString(128));
        EXPECT_EQ(favorites->GetTitle(), LoadLocalizedString(137));
        EXPECT_EQ(favorites->GetImage(), GetCurrentTheme()->GetImage(155));
        EXPECT_EQ(favorites->GetSelectedImage(), GetCurrentTheme()->GetImage(156));
        EXPECT_EQ(favorites->GetHighlightedImage(), GetCurrentTheme()->GetImage(157));
        EXPECT_EQ(List()->GetGrouping(), grouping);
        EXPECT_EQ(Rows(List()), L"Anna bob");
        TapFavoritesTab();
    }
}

TEST_F(FavoritesViewTest, LeavingTheTabHidesTheViewAndComingBackShowsIt)
{
    ShowFavorites();
    VelKlView* contacts = view->GetListTabView(VelMainView::kContactsPageId);
    ASSERT_NE(contacts, nullptr);
    TapTab(VelMainView::kContactsPageId);
    EXPECT_FALSE(favorites->IsActive());
    EXPECT_FALSE(favorites->IsVisible());
    TapFavoritesTab();
    EXPECT_TRUE(favorites->IsActive());
    EXPECT_TRUE(favorites->IsVisible());
}

TEST_F(FavoritesViewTest, TheMenuButtonAndARowTapReachTheViewSignals)
{
    Add({{L"bob", L"200", L"", L"Favorites"}, {L"Anna", L"100", L"", L"Favorites"}});
    ShowFavorites();
    EXPECT_EQ(favorites->GetTitleBarHeight(), GetCurrentTheme()->GetImage(175)->GetHeight() + 640 / 160);
    EXPECT_EQ(List()->GetTop(), favorites->GetTitleBarHeight());
    const int bar = favorites->GetTitleBarHeight();

    // The right button is the menu; the left one has no images and answers -1.
    Tap(InWindow(VelPoint(480 - bar / 2, bar / 2)));
    Tap(InWindow(VelPoint(bar / 2, bar / 2)));
    EXPECT_EQ(log.buttons, (std::vector<int>{VelFavoritesView::kMenuButtonId, -1}));

    // The second row from the top is bob's; tap the middle of it.
    VelGroupItem::ItemPtr bob = List()->GetGroups().front()->GetChildren().at(1);
    int first = -1, last = -1;
    FindRowSpan(List(), bob.get(), &first, &last);
    ASSERT_GT(first, 0);
    Tap(InWindow(VelPoint(100, List()->GetTop() + (first + last) / 2)));
    ASSERT_EQ(log.items.size(), 1u);
    EXPECT_EQ(log.items[0], bob.get());
}

}  // namespace
