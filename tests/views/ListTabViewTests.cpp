// The main view's five tabs with their real pages, over contacts seeded into a
// device store of the test's own: what every list tab shares (a caption that
// shows on its tab as soon as it is set, clearing that ends the loading
// state) and what a tap on the current tab does to each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContactStoreSupport.h"
#include "ContactTabTest.h"
#include "VelCallButton.h"
#include "VelCallListView.h"
#include "VelContactListView.h"
#include "VelFavoritesView.h"
#include "VelKlTheme.h"
#include "VelKlViews.h"
#include "VelListTabView.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelSmsListView.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"
#include "VelToolbarButton.h"

namespace {

using namespace contact_store;

// Every Changed a page raises, with the caption it had by then.
class ChangeLog {
public:
    explicit ChangeLog(VelTabPage* page) : m_page(page) { page->Changed += VelBind(this, &ChangeLog::OnChanged); }
    ~ChangeLog() { m_page->Changed.RemoveReceiver(this); }

    void OnChanged(VelObject* sender, const VelObjectChangeEventArgs* args)
    {
        EXPECT_EQ(dynamic_cast<VelTabPage*>(sender), m_page) << "the bar finds the page from the sender";
        EXPECT_EQ(args->object, sender);
        captions.push_back(m_page->GetCaption());
    }

    std::vector<std::wstring> captions;

private:
    VelTabPage* m_page;
};

// The main view with all four list tabs the real ones.
class ListTabViewTest : public ContactTabTest {
protected:
    void MakeTabs(VelMainViewTabs& tabs) override
    {
        const VelMainViewTabs real = MakeKlViews().tabs;
        tabs.favorites = real.favorites;
        tabs.contacts = real.contacts;
        tabs.calls = real.calls;
        tabs.sms = real.sms;
    }

    VelListTabView* ListTab(int pageId) { return dynamic_cast<VelListTabView*>(view->GetListTabView(pageId)); }
    std::wstring TabText(int pageId) { return view->GetTabBar()->FindButton(pageId)->GetText(); }
};

const int kListTabs[] = {VelMainView::kFavoritesPageId, VelMainView::kContactsPageId, VelMainView::kCallsPageId,
                         VelMainView::kSmsPageId};

TEST_F(ListTabViewTest, EveryTabShowsANewCaptionAtOnceEvenTheSameOneAgain)
{
    std::vector<VelTabPage*> pages;
    for (int id : kListTabs)
        pages.push_back(view->GetTabPage(id));
    pages.push_back(view->GetCallButton());
    for (VelTabPage* page : pages) {
        ASSERT_NE(page, nullptr);
        SCOPED_TRACE(page->GetPageId());
        VelBitmap* const images[] = {page->GetImage(), page->GetSelectedImage(), page->GetHighlightedImage()};
        ChangeLog log(page);
        for (const wchar_t* caption : {L"Renamed", L"Renamed", L""})
            page->SetCaption(caption);
        EXPECT_EQ(log.captions, (std::vector<std::wstring>{L"Renamed", L"Renamed", L""}))
            << "stored before the tab is told";
        page->SetCaption(L"Shown");
        EXPECT_EQ(page->GetCaption(), L"Shown");
        EXPECT_EQ(TabText(page->GetPageId()), L"Shown");
        EXPECT_EQ(page->GetImage(), images[0]);
        EXPECT_EQ(page->GetSelectedImage(), images[1]);
        EXPECT_EQ(page->GetHighlightedImage(), images[2]);
    }
}

TEST_F(ListTabViewTest, EveryListTabCountsOnItsCaptionAndClearingEndsItsLoading)
{
    for (int id : kListTabs) {
        SCOPED_TRACE(id);
        VelListTabView* tab = ListTab(id);
        ASSERT_NE(tab, nullptr);
        ASSERT_NE(tab->GetList(), nullptr);
        const std::wstring base = tab->GetBaseCaption();
        ASSERT_FALSE(base.empty());
        EXPECT_EQ(tab->GetCaption(), base);
        EXPECT_EQ(tab->GetText(), base);

        tab->UpdateCaption(7);
        EXPECT_EQ(TabText(id), base + L"(7)");
        EXPECT_EQ(tab->GetValue(), 1);
        tab->UpdateCaption(0);
        EXPECT_EQ(TabText(id), base);
        EXPECT_EQ(tab->GetValue(), 0);

        Add(tab->GetList(), {{L"Anna", L"100", L"", L"Favorites"}, {L"Bob", L"200", L"", L""}});
        ASSERT_EQ(tab->GetList()->GetItemCount(), 2);
        tab->SetLoading(true);
        EXPECT_TRUE(tab->IsLoading());
        tab->ClearList();
        EXPECT_EQ(tab->GetList()->GetItemCount(), 0);
        EXPECT_FALSE(tab->IsLoading());
    }
}

TEST_F(ListTabViewTest, ATapOnTheCurrentTabIsEachTabsOwnAndLeavingKeepsIt)
{
    struct Case {
        int pageId;
        unsigned secondTitle;  // the title after one more tap; 0: the same as before
    } const cases[] = {
        {VelMainView::kFavoritesPageId, 0},
        {VelMainView::kContactsPageId, 131},  // by company
        {VelMainView::kCallsPageId, 134},     // outgoing calls
        {VelMainView::kSmsPageId, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pageId);
        VelListTabView* tab = ListTab(c.pageId);
        ASSERT_NE(tab, nullptr);
        TapTab(c.pageId);
        ASSERT_TRUE(tab->IsActive());
        ASSERT_TRUE(tab->IsVisible());
        const std::wstring first = tab->GetTitle();
        VelBitmap* const firstImage = tab->GetImage();
        tab->UpdateCaption(2);

        TapTab(c.pageId);
        EXPECT_TRUE(tab->IsActive());
        EXPECT_TRUE(tab->IsVisible());
        if (c.secondTitle) {
            EXPECT_EQ(tab->GetTitle(), LoadLocalizedString(c.secondTitle));
            EXPECT_NE(tab->GetImage(), firstImage);
            EXPECT_EQ(TabText(c.pageId), tab->GetBaseCaption()) << "a new state drops the count";
        } else {
            EXPECT_EQ(tab->GetTitle(), first);
            EXPECT_EQ(tab->GetImage(), firstImage);
            EXPECT_EQ(TabText(c.pageId), tab->GetBaseCaption() + L"(2)");
        }
        const std::wstring kept = tab->GetTitle();

        // Told twice that it is no longer current, then current again: no state step.
        tab->SetActive(false);
        EXPECT_FALSE(tab->IsVisible());
        tab->SetActive(false);
        tab->SetActive(true);
        EXPECT_TRUE(tab->IsVisible());
        EXPECT_EQ(tab->GetTitle(), kept);
    }
}

}  // namespace
