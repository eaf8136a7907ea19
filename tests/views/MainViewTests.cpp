// The main view in a real phone-sized window with the Silver theme, on the
// fake clock, hosting small list tabs of the tests' own: its layout, taps on
// the tabs and the call button, keypad keys typing into the contacts search,
// docking, and the suspension of the current list while the view slides.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VelApplication.h"
#include "VelBackgroundGradient.h"
#include "VelBitmap.h"
#include "VelCallButton.h"
#include "VelControlCore.h"
#include "VelKeypad.h"
#include "VelKeypadButton.h"
#include "VelKlTheme.h"
#include "VelMainView.h"
#include "VelMoveToTransition.h"
#include "VelScheduler.h"
#include "VelStringItem.h"
#include "VelTabBar.h"
#include "VelTabPage.h"
#include "VelTextSearch.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "MainViewTestKit.h"
#include "FakeTick.h"
#include "Taps.h"
#include "ListRows.h"
#include "ViewTestSupport.h"

namespace {

// Every TabChanged, as "old>new".
class TabLog : public VelSlotHolder {
public:
    void OnTabChanged(int oldId, int newId, VelTabPage* page)
    {
        entries.push_back(std::to_string(oldId) + ">" + std::to_string(newId));
        EXPECT_EQ(page ? page->GetPageId() : -1, newId);
    }
    std::vector<std::string> entries;
};

class MainViewTest : public ::testing::Test {
protected:
    MainViewTest(int width = 480, int height = 640) : screen(width, height), width(width), height(height) {}

    void SetUp() override { ASSERT_NE(LoadTheme(L"Silver"), nullptr); }
    void TearDown() override
    {
        MainWindowHandle = nullptr;
        delete view;
    }

    void Open(const VelMainViewTabs& tabs)
    {
        view = new VelMainView(nullptr, "main-view", tabs);
        view->TabChanged.Connect(&tabLog, &TabLog::OnTabChanged);
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, width, height));
        Settle();
    }
    void Open() { Open(TestTabs(&filtersMade)); }

    TestListTab* Tab(int id) { return dynamic_cast<TestListTab*>(view->GetListTabView(id)); }
    VelListView* Contacts() { return view->GetListTabView(VelMainView::kContactsPageId)->GetList(); }

    void Send(UINT message, const VelPoint& p, WPARAM keys)
    {
        ::SendMessageW(view->GetHandle(), message, keys, MAKELPARAM(p.x, p.y));
    }
    void Tap(const VelPoint& p, DWORD holdMs = 20)
    {
        TapWindow(view->GetHandle(), p, &clock, holdMs);
        Settle();
    }
    // The tab with that page id, in the window.
    VelPoint TabCentre(int pageId)
    {
        VelTabBar* bar = view->GetTabBar();
        VelRect r = bar->FindButton(pageId)->GetRect();
        r.Offset(bar->GetToolbar()->GetLeft(), bar->GetToolbar()->GetTop());
        return VelPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    VelPoint KeyCentre(int position)
    {
        VelKeypad* pad = view->GetKeypad();
        VelRect r = pad->GetKey(position)->GetBounds();
        r.Offset(pad->GetLeft(), pad->GetTop());
        return VelPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Runs the keypad's dock animation to its end on the fake clock.
    void FinishDocking()
    {
        for (int i = 0; i < 12 && view->GetKeypad()->GetScheduler()->GetTransitionCount() > 0; ++i) {
            clock.Advance(25);
            view->GetKeypad()->GetScheduler()->OnTick(clock.Now());
        }
        Settle();
    }
    void Settle() { SettleWindow(view->GetHandle()); }
    COLORREF Pixel(int x, int y) { return ::GetPixel(view->GetCanvas()->GetDC(), x, y); }

    VelItem* AddContact(const wchar_t* name)
    {
        VelItem* row = new VelStringItem(name, name, DT_SINGLELINE);
        Contacts()->AddItem(row);
        return row;
    }
    std::wstring ShownContacts()
    {
        const RowText text = [](const VelItem* row) { return dynamic_cast<const VelStringItem*>(row)->GetText(); };
        return Joined(ReadItems(Contacts()->GetItems(), text, RowFilter::kVisible), L" ");
    }

    VelApplication app{L"Velmora KL main view test"};
    ScreenScope screen;
    FakeTick clock{500000};
    int width;
    int height;
    VelMainView* view = nullptr;
    TabLog tabLog;
    int filtersMade = 0;
};

class SmallScreenMainViewTest : public MainViewTest {
protected:
    SmallScreenMainViewTest() : MainViewTest(240, 320) {}
};

bool Near(COLORREF c, int r, int g, int b, int tolerance = 3)
{
    return std::abs(GetRValue(c) - r) <= tolerance && std::abs(GetGValue(c) - g) <= tolerance &&
           std::abs(GetBValue(c) - b) <= tolerance;
}

}  // namespace

TEST_F(MainViewTest, TabsAlongTheBottomKeypadDockedAboveThemContactsCurrent)
{
    Open();
    VelKlTheme* theme = GetCurrentTheme();
    const int row = theme->GetImage(161)->GetHeight();
    ASSERT_GT(row, 0);
    const int bar = 640 / 24 + row;
    EXPECT_EQ(view->GetViewId(), 0);
    EXPECT_EQ(view->GetViewStyle(), 0u);
    EXPECT_EQ(view->GetTitleBar(), nullptr);
    EXPECT_EQ(view->GetList(), nullptr);
    EXPECT_EQ(view->GetKeypadRowHeight(), row);
    EXPECT_EQ(view->GetTabBarHeight(), bar);
    EXPECT_EQ(view->GetTabButtonWidth(), 96);

    VelTabBar* tabs = view->GetTabBar();
    EXPECT_EQ(tabs->GetName(), "mainview-tabbar");
    EXPECT_EQ(tabs->GetBounds(), VelRect(0, 0, 480, 640));
    EXPECT_EQ(tabs->GetToolbar()->GetBounds(), VelRect(0, 640 - bar, 480, 640));
    const VelBackgroundGradient* background =
        dynamic_cast<const VelBackgroundGradient*>(tabs->GetToolbar()->GetBackground());
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->GetDirection(), kGradientVertical);

    // Tabs in screen order, each a fifth of the width, the call button last.
    const int order[] = {0, 2, 1, 3, VelCallButton::kPageId};
    const char* names[] = {"favorites-listview", "call-listview", "contact-listview", "sms-listview", "call-button"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        VelTabPage* page = tabs->GetPage(i);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->GetPageId(), order[i]);
        EXPECT_EQ(view->GetTabPage(order[i]), page);
        EXPECT_EQ(dynamic_cast<VelObject*>(page)->GetName(), names[i]);
        VelToolbarButton* button = tabs->FindButton(order[i]);
        EXPECT_EQ(VelRect(button->GetRect()), VelRect(96 * i, 0, 96 * i + 96, bar));
        EXPECT_EQ(button->GetStyle(), DWORD(VelToolbarButton::kStyleImage | VelToolbarButton::kStyleTextAbove));
        if (order[i] != VelCallButton::kPageId) {
            EXPECT_EQ(Tab(order[i])->GetBounds(), VelRect(0, 0, 480, 640 - bar));
        }
    }
    EXPECT_EQ(view->GetTabPage(4), nullptr);
    EXPECT_EQ(view->GetListTabView(VelCallButton::kPageId), nullptr);
    EXPECT_EQ(Tab(1)->favorites, Tab(0)) << "the contacts view is given the favourites view";
    EXPECT_EQ(view->GetCallButton()->GetImage(), theme->GetImage(236));
    EXPECT_EQ(view->GetCallButton()->GetSelectedImage(), theme->GetImage(235));
    EXPECT_EQ(view->GetCallButton()->GetClassName(), std::wstring(L"VelCallButton"));

    // Contacts is the current tab, and the only one shown.
    EXPECT_EQ(tabs->GetCurrentIndex(), 2);
    EXPECT_EQ(view->GetCurrentTabPage(), view->GetTabPage(1));
    for (int id : {0, 1, 2, 3})
        EXPECT_EQ(Tab(id)->IsVisible(), id == 1) << id;
    EXPECT_TRUE(tabs->GetToolbar()->GetItem(2)->IsSelected());

    // The keypad: three key rows above the tabs when out, one key at the
    // bottom right when docked, in front of the tabs.
    VelKeypad* pad = view->GetKeypad();
    EXPECT_EQ(pad->GetName(), "keypad-control");
    EXPECT_TRUE(pad->IsDocked());
    EXPECT_TRUE(pad->IsVisible());
    EXPECT_EQ(pad->GetFullRect(), VelRect(0, 640 - bar - 3 * row, 480, 640 - bar));
    SIZE key = {0, 0};
    theme->GetKeySize(key);
    ASSERT_GT(key.cx, 0);
    const VelRect docked(480 - 48 - key.cx, 640 - bar - key.cy, 480 - 48, 640 - bar);
    EXPECT_EQ(pad->GetDockedRect(), docked);
    EXPECT_EQ(pad->GetBounds(), docked);
    EXPECT_EQ(view->GetChildren().back(), pad);
    for (int p = 0; p < VelKeypad::kKeyCount; ++p)
        EXPECT_TRUE(pad->GetKey(p)->IsTransparent()) << p;
    EXPECT_EQ(pad->GetKey(11)->GetText(), L"Undock");

    // What the window shows: the tab bar's gradient from its top row down, in
    // the band over the tab images where no caption is drawn, and the keypad's
    // key face over the contacts list.
    Settle();
    EXPECT_TRUE(Near(Pixel(1, 640 - bar), 72, 85, 104)) << std::hex << Pixel(1, 640 - bar);
    EXPECT_TRUE(Near(Pixel(1, 639), 44, 50, 57, 8)) << std::hex << Pixel(1, 639);
    EXPECT_FALSE(Near(Pixel(docked.left + key.cx / 2, docked.top + key.cy / 2), 72, 85, 104, 0));
}

TEST_F(SmallScreenMainViewTest, SizesFollowTheScreen)
{
    Open();
    const int row = GetCurrentTheme()->GetImage(161)->GetHeight();
    EXPECT_EQ(view->GetTabButtonWidth(), 48);
    EXPECT_EQ(view->GetTabBarHeight(), 320 / 24 + row);
    EXPECT_EQ(view->GetKeypad()->GetDockedRect().right, 240 - 24);
    EXPECT_EQ(VelRect(view->GetTabBar()->FindButton(VelCallButton::kPageId)->GetRect()).right, 240);
}

TEST_F(MainViewTest, TappingTabsSwitchesPagesAndShowsTheKeypadOnlyOverContacts)
{
    Open();
    VelItem* row = AddContact(L"Ada");
    Contacts()->SetSelectionMode(true, false);
    Contacts()->Select(row);
    ASSERT_FALSE(Contacts()->GetSelection().empty());

    struct Step {
        int tap;
        const char* logged;  // null: nothing
        int current;
        bool keypad;
    };
    const Step steps[] = {
        {2, "1>2", 2, false}, {3, "2>3", 3, false}, {3, "3>3", 3, false},  // the current tab again: told, and it stays
        {0, "3>0", 0, false}, {1, "0>1", 1, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.tap);
        tabLog.entries.clear();
        Tap(TabCentre(s.tap));
        EXPECT_EQ(tabLog.entries, s.logged ? std::vector<std::string>{s.logged} : std::vector<std::string>{});
        EXPECT_EQ(view->GetCurrentTabPage()->GetPageId(), s.current);
        EXPECT_EQ(view->GetKeypad()->IsVisible(), s.keypad);
        for (int id : {0, 1, 2, 3})
            EXPECT_EQ(Tab(id)->IsVisible(), id == s.current) << id;
        if (s.tap == 2) {
            EXPECT_TRUE(Contacts()->GetSelection().empty()) << "the list left behind loses its selection";
        }
    }
    // The shown page is what the window shows: its title bar's gradient at the top.
    EXPECT_TRUE(Near(Pixel(2, 1), 70, 85, 103, 4)) << std::hex << Pixel(2, 1);
}

TEST_F(MainViewTest, TheCallButtonMinimisesTheProgramAndKeepsTheCurrentTab)
{
    Open();
    MainWindowHandle = view->GetHandle();
    Tap(TabCentre(2));
    tabLog.entries.clear();
    ASSERT_FALSE(::IsIconic(view->GetHandle()));

    Tap(TabCentre(VelCallButton::kPageId));
    EXPECT_TRUE(::IsIconic(view->GetHandle()));
    EXPECT_TRUE(tabLog.entries.empty());
    EXPECT_EQ(view->GetCurrentTabPage()->GetPageId(), 2);
    EXPECT_EQ(view->GetTabBar()->GetCurrentIndex(), 1);
    EXPECT_TRUE(view->GetTabBar()->GetToolbar()->GetItem(1)->IsSelected());
    EXPECT_FALSE(view->GetTabBar()->GetToolbar()->GetItem(4)->IsSelected());
    EXPECT_FALSE(view->GetCallButton()->IsActive());
    EXPECT_EQ(view->GetCallButton()->GetTag(), nullptr);
}

TEST_F(MainViewTest, KeypadKeysNarrowTheContactsAndBackspaceWidensThem)
{
    Open();
    for (const wchar_t* name : {L"Ada", L"Bea", L"Dora", L"Hugo"})
        AddContact(name);
    const int listHeight = Contacts()->GetHeight();

    // Out comes the keypad, and the list makes room for it.
    Tap(KeyCentre(VelKeypad::kDockKeyPosition));
    FinishDocking();
    VelKeypad* pad = view->GetKeypad();
    ASSERT_FALSE(pad->IsDocked());
    EXPECT_EQ(Contacts()->GetHeight(), listHeight - pad->GetHeight());
    EXPECT_TRUE(view->GetTypedKeys().empty()) << "the dock key types nothing";
    EXPECT_EQ(filtersMade, 0);

    struct Step {
        int key;  // position on the keypad
        DWORD holdMs;
        const wchar_t* shown;
        size_t typed;
        int filters;  // filters made so far
    };
    const Step steps[] = {
        {1, 20, L"Ada Bea Dora", 1, 1},       // 2ABC
        {2, 20, L"Ada Bea", 2, 2},            // 3DEF after it
        {3, 20, L"Ada Bea Dora", 1, 3},       // backspace
        {3, 20, L"Ada Bea Dora Hugo", 0, 4},  // backspace to nothing
        {3, 20, L"Ada Bea Dora Hugo", 0, 4},  // backspace with nothing typed: no new filter
        {4, 20, L"Hugo", 1, 5},               // 4GHI
        {1, 400, L"", 2, 6},                  // 2ABC after it, a tap held a while
        {3, 1000, L"Hugo", 1, 7},             // held just short of a long press: one key goes
        {1, 20, L"", 2, 8},
        {3, 1001, L"Ada Bea Dora Hugo", 0, 9},  // a long press clears it all at once
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.filters);
        Tap(KeyCentre(s.key), s.holdMs);
        EXPECT_EQ(ShownContacts(), s.shown);
        EXPECT_EQ(view->GetTypedKeys().size(), s.typed);
        EXPECT_EQ(filtersMade, s.filters);
    }

    // A key adds every character it can type, its digit too.
    Tap(KeyCentre(5));
    EXPECT_EQ(view->GetTypedKeys(), std::vector<std::wstring>{L"5JKL"});

    // Switching tabs keeps the search; docking gives the list its height back.
    Tap(TabCentre(3));
    Tap(TabCentre(1));
    EXPECT_EQ(view->GetTypedKeys().size(), 1u);
    Tap(KeyCentre(VelKeypad::kDockKeyPosition));
    FinishDocking();
    EXPECT_TRUE(pad->IsDocked());
    EXPECT_EQ(Contacts()->GetHeight(), listHeight);

    // Reset from the shell: out again, then reset docks and clears.
    Tap(KeyCentre(VelKeypad::kDockKeyPosition));
    FinishDocking();
    ASSERT_FALSE(pad->IsDocked());
    view->ResetKeypadSearch();
    EXPECT_TRUE(view->GetTypedKeys().empty());
    EXPECT_EQ(ShownContacts(), L"Ada Bea Dora Hugo");
    FinishDocking();
    EXPECT_TRUE(pad->IsDocked());
    EXPECT_EQ(Contacts()->GetHeight(), listHeight);
}

TEST_F(MainViewTest, AForcedSecondUndockDoesNotShrinkTheListTwice)
{
    Open();
    const int listHeight = Contacts()->GetHeight();
    VelKeypad* pad = view->GetKeypad();
    pad->SetDocked(false, VelKeypad::DockChange::IfChanged, VelKeypad::DockMotion::Immediate);
    pad->SetDocked(false, VelKeypad::DockChange::Always, VelKeypad::DockMotion::Immediate);
    EXPECT_EQ(Contacts()->GetHeight(), listHeight - pad->GetHeight());
    pad->SetDocked(true, VelKeypad::DockChange::IfChanged, VelKeypad::DockMotion::Immediate);
    EXPECT_EQ(Contacts()->GetHeight(), listHeight);
}

TEST_F(MainViewTest, ASlideSuspendsTheListOfTheTabCurrentAtItsStartUntilTheLastSlideEnds)
{
    Open();
    Tap(TabCentre(3));
    VelListView* sms = Tab(3)->GetList();
    VelListView* calls = Tab(2)->GetList();
    VelScheduler scheduler;
    auto slide = [&](int x) {
        VelMoveToTransition* move = new VelMoveToTransition(VelPoint(x, 0), 300.0f);
        move->SetTarget(view);
        scheduler.AddTransition(move);
        scheduler.Start();
    };
    auto tick = [&](DWORD ms) {
        clock.Advance(ms);
        scheduler.OnTick(clock.Now());
    };

    slide(0);
    EXPECT_TRUE(sms->IsUpdateSuspended());
    EXPECT_EQ(view->GetListInTransition(), sms);
    // The tab changes under the slide: the list suspended is the one resumed.
    // The fake clock stays: the scheduler's own timer may tick during the tap,
    // and a tap's 420 ms would end the slide there.
    TapWindow(view->GetHandle(), TabCentre(2));
    Settle();
    ASSERT_EQ(view->GetCurrentTabPage()->GetPageId(), 2);
    tick(150);
    // A second slide of the view starts before the first ends (back at once).
    slide(0);
    EXPECT_FALSE(calls->IsUpdateSuspended());
    tick(200);
    tick(25);
    EXPECT_TRUE(sms->IsUpdateSuspended()) << "one slide still runs";
    for (int i = 0; i < 8 && scheduler.GetTransitionCount() > 0; ++i)
        tick(100);
    ASSERT_EQ(scheduler.GetTransitionCount(), 0u);
    EXPECT_FALSE(sms->IsUpdateSuspended());
    EXPECT_FALSE(calls->IsUpdateSuspended());
    EXPECT_EQ(view->GetListInTransition(), nullptr);

    // The next slide suspends the tab now current.
    slide(0);
    EXPECT_TRUE(calls->IsUpdateSuspended());
    for (int i = 0; i < 6 && scheduler.GetTransitionCount() > 0; ++i)
        tick(100);
    EXPECT_FALSE(calls->IsUpdateSuspended());
}

TEST_F(MainViewTest, WithoutListTabsTheViewStillHoldsTheCallButtonAndTheKeypad)
{
    Open(VelMainViewTabs());
    EXPECT_EQ(view->GetKeypadRowHeight(), 0);
    EXPECT_EQ(view->GetTabBarHeight(), 640 / 24);
    EXPECT_EQ(view->GetCurrentTabPage(), nullptr);
    EXPECT_EQ(view->GetTabBar()->GetPage(0), view->GetCallButton());
    EXPECT_EQ(view->GetTabBar()->GetPage(1), nullptr);
    // Without the contacts tab's image the keypad has no room for its rows;
    // docking, keys and slides find no contacts list and change nothing.
    Tap(KeyCentre(VelKeypad::kDockKeyPosition));
    FinishDocking();
    EXPECT_FALSE(view->GetKeypad()->IsDocked());
    EXPECT_EQ(view->GetKeypad()->GetHeight(), 0);
    VelKeypadButtonEventArgs two(view->GetKeypad()->GetKey(1));
    view->GetKeypad()->KeyPressed.Invoke(view->GetKeypad(), &two);
    EXPECT_EQ(view->GetTypedKeys().size(), 1u);
    VelScheduler scheduler;
    VelMoveToTransition* move = new VelMoveToTransition(VelPoint(0, 0), 300.0f);
    move->SetTarget(view);
    scheduler.AddTransition(move);
    scheduler.Start();
    clock.Advance(400);
    scheduler.OnTick(clock.Now());
    scheduler.OnTick(clock.Now() + 25);
    EXPECT_EQ(view->GetListInTransition(), nullptr);
}
