// The application object's start-up, clock, loads and shut-down.
#include "ShellTestKit.h"

#include "VelCallListView.h"
#include "VelContactListView.h"
#include "VelFavoritesView.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelMainWindow.h"
#include "VelProgress.h"
#include "VelProgressWindowLess.h"
#include "VelSlotHolder.h"
#include "VelSmsListView.h"

namespace {

using namespace shell_test;

// Counts the days the application announces.
class DateWatcher : public VelSlotHolder {
public:
    void OnDate(const VelDateTime* date)
    {
        ++changes;
        last = *date;
    }
    int changes = 0;
    VelDateTime last;
};

std::vector<int> PendingKinds(const VelKlApplication& app)
{
    std::vector<int> kinds;
    for (const VelPendingLoad& load : app.GetPendingLoads())
        kinds.push_back(load.kind);
    return kinds;
}

TEST_F(ShellTest, StartsWithTheMainWindowContactsTabAndTheThreeFirstLoadsInOrder)
{
    Start();
    ASSERT_NE(app->GetMainKlWindow(), nullptr);
    EXPECT_NE(app->GetMainKlWindow()->GetHandle(), nullptr);
    EXPECT_EQ(app->GetMainWindow(), app->GetMainKlWindow());
    EXPECT_EQ(app->GetCurrentTab(), 1);
    EXPECT_NE(app->GetDataThreadId(), 0xFFFFFFFFu);
    EXPECT_TRUE(app->GetClockTimer()->IsActive());
    EXPECT_EQ(app->GetClockTimer()->GetInterval(), 5000u);
    EXPECT_EQ(app->GetLoaderTimer()->GetInterval(), 0u);
    EXPECT_TRUE(app->GetLoaderTimer()->IsActive());
    EXPECT_EQ(PendingKinds(*app), (std::vector<int>{0, 1, 2}));
    EXPECT_NE(app->GetFavoritesView(), nullptr);
    EXPECT_NE(app->GetContactListView(), nullptr);
    EXPECT_NE(app->GetCallListView(), nullptr);
    EXPECT_NE(app->GetSmsListView(), nullptr);
    DrainLoads();
    EXPECT_FALSE(app->GetLoaderTimer()->IsActive());
}

// The day changes, then the calls and then the messages load again; the
// views were wired in that order.
TEST_F(ShellTest, AClockTickAcrossMidnightRaisesOneDateChangeAndReloadsCallsThenMessages)
{
    FakeClock::Set(2026, 1, 31, 23, 59, 58);
    AddCalls(3);
    AddMessages(4, 0);
    Start();
    DrainLoads();
    DateWatcher watcher;
    app->DateChanged.Connect(&watcher, &DateWatcher::OnDate);

    FakeClock::Set(2026, 1, 31, 23, 59, 59);
    TickClock();
    EXPECT_EQ(watcher.changes, 0);
    EXPECT_TRUE(app->GetPendingLoads().empty());

    FakeClock::Set(2026, 2, 1, 0, 0, 3);
    TickClock();
    EXPECT_EQ(watcher.changes, 1);
    EXPECT_EQ(watcher.last.GetDay(), 1);
    EXPECT_EQ(watcher.last.GetMonth(), 2);
    EXPECT_EQ(app->GetCurrentDate().GetDay(), 1);
    EXPECT_EQ(PendingKinds(*app), (std::vector<int>{1, 2}));
    EXPECT_EQ(RowsOf(app->GetCallListView()), 0u);
    DrainLoads();
    EXPECT_EQ(RowsOf(app->GetCallListView()), 3u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 4u);

    FakeClock::Set(2026, 2, 1, 0, 0, 8);
    TickClock();
    EXPECT_EQ(watcher.changes, 1);

    // The same day number a month later is another day all the same.
    FakeClock::Set(2026, 3, 1, 9, 0, 0);
    TickClock();
    EXPECT_EQ(watcher.changes, 2);
}

// A second load of a list while the first is still pending replaces it
// rather than filling the list twice.
TEST_F(ShellTest, ADayChangeDuringALoadListsEveryCallOnce)
{
    AddCalls(45);
    Start();
    TickLoader();  // contacts
    TickLoader();  // the first 20 calls
    FakeClock::Set(2026, 12, 11, 0, 0, 1);
    TickClock();
    DrainLoads();
    EXPECT_EQ(RowsOf(app->GetCallListView()), 45u);
}

TEST_F(ShellTest, IdleSelectionsClearAfterMoreThan120000MsOncePerIdlePeriod)
{
    device.Store().AddContact([] {
        VelDevContact c;
        c.fileAs = L"Ann";
        c.firstName = L"Ann";
        c.categories = L"Favorites";
        return c;
    }());
    Start();
    DrainLoads();
    VelListView* contacts = app->GetContactListView()->GetList();
    VelListView* favorites = app->GetFavoritesView()->GetList();
    ASSERT_EQ(contacts->GetItems().size(), 1u);
    ASSERT_EQ(favorites->GetItems().size(), 1u);

    // Input now; the idle time counts from here.
    const DWORD input = FakeClock::Tick();
    ::SendMessageW(app->GetMainKlWindow()->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(app->GetIdleTime(), 0u);
    auto select = [&] {
        contacts->Select(contacts->GetItems()[0]);
        favorites->Select(favorites->GetItems()[0]);
    };
    select();

    FakeClock::Tick() = input + 120000;
    TickClock();
    EXPECT_EQ(contacts->GetSelection().size(), 1u);
    EXPECT_EQ(favorites->GetSelection().size(), 1u);

    FakeClock::Tick() = input + 120001;
    TickClock();
    EXPECT_TRUE(contacts->GetSelection().empty());
    EXPECT_TRUE(favorites->GetSelection().empty());

    // Once per idle period.
    select();
    FakeClock::Tick() = input + 200000;
    TickClock();
    EXPECT_EQ(contacts->GetSelection().size(), 1u);

    // New input starts a new period.
    const DWORD later = FakeClock::Tick();
    ::SendMessageW(app->GetMainKlWindow()->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    TickClock();
    EXPECT_EQ(contacts->GetSelection().size(), 1u);
    FakeClock::Tick() = later + 120001;
    TickClock();
    EXPECT_TRUE(contacts->GetSelection().empty());
}

TEST_F(ShellTest, FortyFiveCallsLoadInThreeTicksAndTheLastReadsTheMissedCallCount)
{
    PhoneKeyGuard phoneKey;
    VelDevSetMissedCallCount(7);
    AddCalls(45, kDevCallMissed);
    Start();
    ASSERT_TRUE(WaitForStores());
    TickLoader();  // contacts: none
    ASSERT_EQ(PendingKinds(*app), (std::vector<int>{1, 2}));
    VelProgress* progress = app->GetPendingLoads().front().progress;
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetRange(), 45);

    VelCallListView* calls = app->GetCallListView();
    TickLoader();
    EXPECT_EQ(RowsOf(calls), 20u);
    TickLoader();
    EXPECT_EQ(RowsOf(calls), 40u);
    EXPECT_EQ(app->GetMissedCallCount(), 0u);
    TickLoader();
    EXPECT_EQ(RowsOf(calls), 45u);
    EXPECT_EQ(PendingKinds(*app), (std::vector<int>{2}));
    EXPECT_EQ(progress->GetPosition(), 45);
    EXPECT_EQ(app->GetMissedCallCount(), 7u);
}

TEST_F(ShellTest, ThreeHundredFiftyMessagesLoadWholeUnderAProgressRangeOf200)
{
    AddMessages(350, 7);
    Start();
    ASSERT_TRUE(WaitForStores());
    TickLoader();  // contacts
    TickLoader();  // calls
    ASSERT_EQ(PendingKinds(*app), (std::vector<int>{2}));
    VelProgress* progress = app->GetPendingLoads().front().progress;
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetRange(), 200);
    const int ticks = DrainLoads();
    EXPECT_EQ(ticks, 18);  // 17 full ticks and the one that finds the end
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 350u);
    EXPECT_EQ(progress->GetPosition(), 200);
    EXPECT_EQ(app->GetUnreadSmsCount(), 50);
}

TEST_F(ShellTest, ShowingTheCallsTabWritesZeroMissedCalls)
{
    PhoneKeyGuard phoneKey;
    VelDevSetMissedCallCount(3);
    Start();
    DrainLoads();
    EXPECT_EQ(app->GetMissedCallCount(), 3u);
    app->OnTabChanged(1, 2, nullptr);
    EXPECT_EQ(VelDevGetMissedCallCount(), 0u);
    EXPECT_EQ(app->GetMissedCallCount(), 0u);
    EXPECT_EQ(app->GetCurrentTab(), 2);
}

// Closing the window: the data thread stops first, pending loads go, and
// the window takes itself down.
TEST_F(ShellTest, ClosingTheMainWindowStopsTheDataThreadAndReleasesPendingLoads)
{
    AddCalls(60);
    Start();
    TickLoader();
    ASSERT_FALSE(app->GetPendingLoads().empty());
    ::SendMessageW(app->GetMainKlWindow()->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app->IsClosing());
    EXPECT_EQ(app->GetDataThreadId(), 0xFFFFFFFFu);
    EXPECT_TRUE(app->GetPendingLoads().empty());
    EXPECT_EQ(app->GetMainKlWindow(), nullptr);
    // No load starts once closing.
    app->StartLoad(VelPendingLoad::kCalls, nullptr, nullptr);
    EXPECT_TRUE(app->GetPendingLoads().empty());
}

TEST_F(ShellTest, ClearAllEmptiesEveryList)
{
    AddCalls(5);
    AddMessages(5, 2);
    device.Store().AddContact([] {
        VelDevContact c;
        c.fileAs = L"Bo";
        c.categories = L"Favorites";
        return c;
    }());
    Start();
    DrainLoads();
    ASSERT_EQ(RowsOf(app->GetCallListView()), 5u);
    ASSERT_EQ(RowsOf(app->GetFavoritesView()), 1u);
    app->ClearAll.Emit();
    EXPECT_EQ(RowsOf(app->GetFavoritesView()), 0u);
    EXPECT_EQ(RowsOf(app->GetContactListView()), 0u);
    EXPECT_EQ(RowsOf(app->GetCallListView()), 0u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 0u);
}

}  // namespace
