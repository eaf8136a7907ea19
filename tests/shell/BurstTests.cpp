// Changes that come faster than they are handled, from every side, and
// messages from processes that are not the stores: the lists stay what a
// fresh start on the same store shows.
#include "ShellTestKit.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <stdexcept>
#include <thread>

#include <CeMapi.h>
#include <PimStore.h>

#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelContactItem.h"
#include "VelContactListViewItem.h"
#include "VelMainWindow.h"
#include "VelMapiSink.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelSmsStore.h"

namespace {

using namespace shell_test;

// Now less the seconds, and a few milliseconds more for each time asked:
// rows of the same millisecond have no order of their own to compare.
FILETIME Stamp(int secondsAgo)
{
    static std::atomic<int> asked(0);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= ULONGLONG(secondsAgo) * 10000000ULL;
    t.QuadPart += ULONGLONG(++asked) * 30000ULL;
    now.dwLowDateTime = t.LowPart;
    now.dwHighDateTime = t.HighPart;
    return now;
}

VelDevCall Call(const std::wstring& number, int secondsAgo)
{
    VelDevCall call;
    call.start = Stamp(secondsAgo);
    call.end = call.start;
    call.direction = kDevCallIncoming;
    call.number = VelDevOptText(number);
    return call;
}

VelDevMessage Received(const std::wstring& text, bool read)
{
    VelDevMessage m;
    m.folder = kDevSmsInbox;
    m.text = text;
    m.senderAddress = L"+44 7700 900777";
    m.hasDeliveryTime = true;
    m.deliveryTime = Stamp(0);
    m.hasFlags = true;
    m.flags = read ? 1 : 0;
    return m;
}

// What a list shows, top to bottom: one line per row.
std::vector<std::wstring> Shown(VelKlView* view)
{
    std::vector<std::wstring> lines;
    VelListView* list = view ? view->GetList() : nullptr;
    if (!list)
        return lines;
    VelListView::Lock lock(list);
    for (const VelGridView::GroupPtr& group : list->GetGroups()) {
        for (const VelGroupItem::ItemPtr& item : group->GetChildren()) {
            if (const VelCallListViewItem* call = dynamic_cast<const VelCallListViewItem*>(item.get()))
                lines.push_back(call->GetCall()->GetNumber());
            else if (const VelSmsListViewItem* sms = dynamic_cast<const VelSmsListViewItem*>(item.get()))
                lines.push_back(sms->GetMessage()->GetText());
            else if (const VelContactListViewItem* contact = dynamic_cast<const VelContactListViewItem*>(item.get()))
                lines.push_back(contact->GetContact()->GetDisplayNameText());
        }
    }
    return lines;
}

class BurstTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        Start();
        DrainLoads();
    }
    // Every list as the running program shows it, with the counts.
    struct Screen {
        std::vector<std::wstring> contacts, favorites, calls, messages;
        int32_t unread;
        bool operator==(const Screen& o) const
        {
            return contacts == o.contacts && favorites == o.favorites && calls == o.calls && messages == o.messages &&
                   unread == o.unread;
        }
    };
    Screen Now()
    {
        return Screen{Shown(app->GetContactListView()), Shown(app->GetFavoritesView()), Shown(app->GetCallListView()),
                      Shown(app->GetSmsListView()), app->GetUnreadSmsCount()};
    }
    // What a fresh start on the same store shows.
    Screen Fresh()
    {
        Stop();
        Start();
        DrainLoads();
        return Now();
    }
};

::testing::AssertionResult Same(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b)
{
    if (a == b)
        return ::testing::AssertionSuccess();
    std::wstring text;
    for (const std::wstring& line : a)
        text += line + L" | ";
    text += L"\n  fresh: ";
    for (const std::wstring& line : b)
        text += line + L" | ";
    return ::testing::AssertionFailure() << "  shown: " << std::string(text.begin(), text.end());
}

// Ten calls logged in one burst, faster than the data thread handles their
// notifications: each is listed once, none is missed, in the log's order.
TEST_F(BurstTest, EveryCallOfABurstIsListedOnceInOrder)
{
    for (int i = 0; i < 10; ++i)
        device.Store().AddCall(Call(L"+44 7700 9001" + std::to_wstring(10 + i), 60 - i));
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetCallListView()) >= 10; }));
    PumpFor(500);
    std::vector<std::wstring> expected;
    for (int i = 9; i >= 0; --i)
        expected.push_back(L"+44 7700 9001" + std::to_wstring(10 + i));
    EXPECT_TRUE(Same(Shown(app->GetCallListView()), expected));
}

// A deleted call leaves the list; an unreadable newest entry neither hides
// the calls after it nor makes the one after it count as new again.
TEST_F(BurstTest, ADeletedCallLeavesAndAnUnreadableOneRepeatsNothing)
{
    const DWORD first = device.Store().AddCall(Call(L"+1", 30));
    device.Store().AddCall(Call(L"+2", 20));
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetCallListView()) == 2; }));
    ASSERT_TRUE(device.Store().DeleteCall(first));
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetCallListView()) == 1; }));
    EXPECT_TRUE(Same(Shown(app->GetCallListView()), {L"+2"}));

    // The newest call cannot be read: the one before it is not added again.
    const DWORD broken = device.Store().AddCall(Call(L"+3", 10));
    ::SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, (L"phone.entry=" + std::to_wstring(broken)).c_str());
    device.Store().AddCall(Call(L"+4", 5));
    PumpUntil([&] { return RowsOf(app->GetCallListView()) >= 2; });
    PumpFor(500);
    ::SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, nullptr);
    EXPECT_TRUE(Same(Shown(app->GetCallListView()), {L"+4", L"+2"}));
}

// Calls logged while the calls load runs: listed once the load has ended,
// each once.
TEST_F(BurstTest, CallsLoggedDuringALoadAreListedOnceAfterIt)
{
    AddCalls(45);
    app->StartLoad(VelPendingLoad::kCalls, app->GetCallListView(), nullptr);
    app->GetLoaderTimer()->Stop();
    TickLoader();
    for (int i = 0; i < 5; ++i)
        device.Store().AddCall(Call(L"+44 7700 9002" + std::to_wstring(10 + i), 5 - i));
    PumpFor(300);  // the notifications come while the load still runs
    DrainLoads();
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetCallListView()) >= 50; }));
    PumpFor(500);
    const std::vector<std::wstring> live = Shown(app->GetCallListView());
    EXPECT_TRUE(Same(live, Fresh().calls));
}

// A message moved into any folder the list does not show leaves the list
// and the count; moved back it is listed once and counted once.
TEST_F(BurstTest, AMessageMovedToEveryFolderAndBackIsListedAndCountedRight)
{
    const DWORD id = device.Store().AddMessage(Received(L"wanderer", false));
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetSmsListView()) == 1 && app->GetUnreadSmsCount() == 1; }));
    struct Stop {
        DWORD folder;
        bool shown;
    } const stops[] = {{kDevSmsOutbox, false}, {kDevSmsInbox, true},    {kDevSmsDrafts, false},
                       {kDevSmsSent, true},    {kDevSmsDeleted, false}, {kDevSmsInbox, true},
                       {kDevSmsOutbox, false}, {kDevSmsDrafts, false},  {kDevSmsInbox, true}};
    for (const Stop& stop : stops) {
        ASSERT_TRUE(device.Store().ChangeMessage(id, [&](VelDevMessage& m) {
            m.folder = stop.folder;
            return true;
        }));
        const size_t rows = stop.shown ? 1 : 0;
        EXPECT_TRUE(PumpUntil([&] {
            return RowsOf(app->GetSmsListView()) == rows && app->GetUnreadSmsCount() == int32_t(rows);
        })) << "folder "
            << stop.folder << ": " << RowsOf(app->GetSmsListView()) << " rows, " << app->GetUnreadSmsCount()
            << " unread";
    }
    // Quick moves, with no wait between: the end state is what counts.
    for (const Stop& stop : stops)
        device.Store().ChangeMessage(id, [&](VelDevMessage& m) {
            m.folder = stop.folder;
            return true;
        });
    ASSERT_TRUE(device.Store().ChangeMessage(id, [&](VelDevMessage& m) {
        m.folder = kDevSmsDrafts;
        return true;
    }));
    PumpFor(700);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 0u);
    EXPECT_EQ(app->GetUnreadSmsCount(), 0);
    EXPECT_TRUE(Now() == Fresh());
}

// The contacts session's messages posted by someone else to the data
// thread's window: a live contact stays, junk changes nothing.
TEST_F(BurstTest, ContactMessagesFromAStrangerChangeNothing)
{
    const DWORD kept = device.Store().AddContact(Contact(L"Kept", L"Favorites"));
    device.Store().AddContact(Contact(L"Other"));
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetContactListView()) == 2; }));
    PumpFor(300);
    const Screen before = Now();

    HWND callback = nullptr;
    ::EnumThreadWindows(
        app->GetDataThreadId(),
        [](HWND window, LPARAM found) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&callback));
    ASSERT_NE(callback, nullptr);
    const WPARAM ids[] = {kept, 0, 0xFFFFFFFF, 123456, WPARAM(0x100000000ull) | kept};
    const UINT messages[] = {kPimMsgLocalCreated,  kPimMsgLocalDeleted,  kPimMsgLocalChanged,
                             kPimMsgRemoteCreated, kPimMsgRemoteDeleted, kPimMsgRemoteChanged};
    // Posted from a thread of no store's.
    std::thread stranger([&] {
        for (UINT message = 0x8100; message <= 0x8107; ++message)
            for (WPARAM id : ids)
                ::PostMessageW(callback, message, id, 0x1234);
        for (UINT message : messages)
            ::PostMessageW(callback, message, kept, 0);
    });
    stranger.join();
    PumpFor(700);
    EXPECT_TRUE(Now() == before) << "the lists changed";
    EXPECT_TRUE(Same(Now().contacts, before.contacts));
    EXPECT_TRUE(Same(Now().favorites, before.favorites));

    // The real deletion still reaches the lists.
    ASSERT_TRUE(device.Store().DeleteContact(kept));
    EXPECT_TRUE(
        PumpUntil([&] { return RowsOf(app->GetContactListView()) == 1 && RowsOf(app->GetFavoritesView()) == 0; }));
}

// A handler that throws does not cross the message store's callback.
TEST_F(BurstTest, AnExceptionStopsAtTheMessageSink)
{
    VelMapiSink* sink = GetSmsStore().sink;
    ASSERT_NE(sink, nullptr);
    struct Thrower : VelSlotHolder {
        void Throw(VelMapiMessage*) { throw std::logic_error("misuse"); }
    } thrower;
    sink->MessageCreated.Connect(&thrower, &Thrower::Throw);
    BYTE entry[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    MapiNotification notifications[2] = {};
    for (MapiNotification& n : notifications) {
        n.ulEventType = kMapiEventCreated;
        n.info.obj.ulObjType = kMapiObjMessage;
        n.info.obj.cbEntryID = sizeof(entry);
        n.info.obj.lpEntryID = reinterpret_cast<MapiEntryId*>(entry);
    }
    bool crossed = false;
    try {
        EXPECT_EQ(sink->OnNotify(2, notifications), 0u);
    } catch (...) {
        crossed = true;
    }
    sink->MessageCreated.SlotDisconnect(&thrower);
    EXPECT_FALSE(crossed);
}

// Churn from two sides at once: afterwards every list and count is what a
// fresh start shows.
TEST_F(BurstTest, AfterMixedChurnEveryListEqualsAFreshStart)
{
    AddCalls(30);
    AddMessages(30, 3);
    for (int i = 0; i < 10; ++i)
        device.Store().AddContact(Contact(L"Base " + std::to_wstring(i), i % 3 ? L"" : L"Favorites"));
    Fresh();
    std::vector<DWORD> messages, contacts;
    for (const VelDevMessage& m : device.Store().Messages())
        messages.push_back(m.id);
    for (const VelDevContact& c : device.Store().Contacts())
        contacts.push_back(c.id);
    auto writer = [&](int seed) {
        unsigned state = 2166136261u ^ unsigned(seed);
        auto next = [&] { return state = state * 1664525u + 1013904223u, state >> 8; };
        const DWORD folders[] = {kDevSmsInbox, kDevSmsOutbox, kDevSmsSent, kDevSmsDeleted, kDevSmsDrafts};
        for (int step = 0; step < 120; ++step) {
            switch (next() % 6) {
            case 0:
                for (int k = 0; k < 4; ++k)
                    device.Store().AddCall(Call(L"+44 7700 93" + std::to_wstring(seed * 1000 + step * 4 + k), 0));
                break;
            case 1:
                device.Store().AddMessage(Received(L"churn " + std::to_wstring(seed * 1000 + step), next() % 2));
                break;
            case 2:
                device.Store().ChangeMessage(messages[next() % messages.size()], [&](VelDevMessage& m) {
                    m.folder = folders[next() % 5];
                    return true;
                });
                break;
            case 3:
                device.Store().ChangeMessage(messages[next() % messages.size()], [&](VelDevMessage& m) {
                    m.flags ^= 1;
                    return true;
                });
                break;
            case 4:
                device.Store().AddContact(
                    Contact(L"Churn " + std::to_wstring(seed * 1000 + step), next() % 2 ? L"Favorites" : L""));
                break;
            default:
                device.Store().DeleteContact(contacts[next() % contacts.size()]);
                break;
            }
        }
    };
    std::thread a(writer, 1), b(writer, 2);
    PumpUntil([&] { return false; }, 1500);
    a.join();
    b.join();
    PumpFor(1500);
    const Screen live = Now();
    const Screen fresh = Fresh();
    EXPECT_TRUE(Same(live.calls, fresh.calls));
    EXPECT_TRUE(Same(live.messages, fresh.messages));
    EXPECT_TRUE(Same(live.contacts, fresh.contacts));
    EXPECT_TRUE(Same(live.favorites, fresh.favorites));
    EXPECT_EQ(live.unread, fresh.unread);
}

// A message store that takes seconds to open holds neither the screen nor
// the contacts: the loader never waits for it, and the loads that need it
// go on once it is open.
TEST_F(ShellTest, ASlowMessageStoreNeverHoldsTheUserInterface)
{
    for (int i = 0; i < 3; ++i)
        device.Store().AddContact(Contact(L"Slow " + std::to_wstring(i)));
    AddCalls(3);
    AddMessages(3, 1);
    const DWORD kDelayMs = 4000;
    ::SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, (L"messages.delay=" + std::to_wstring(kDelayMs)).c_str());
    const DWORD start = ::GetTickCount();
    Start();
    DWORD longest = 0;
    bool contactsBeforeStores = false;
    while (!app->AreStoresOpen() && ::GetTickCount() - start < 3 * kDelayMs) {
        const DWORD before = ::GetTickCount();
        // What the run loop does meanwhile: the loader's ticks, a paint, input.
        TickLoader();
        ::RedrawWindow(app->GetMainKlWindow()->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::SendMessageW(app->GetMainKlWindow()->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        PumpOne();
        longest = std::max(longest, ::GetTickCount() - before);
        contactsBeforeStores = contactsBeforeStores || RowsOf(app->GetContactListView()) == 3;
    }
    ::SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, nullptr);
    ASSERT_TRUE(app->AreStoresOpen());
    EXPECT_GE(::GetTickCount() - start, kDelayMs / 2) << "the store was not slow";
    EXPECT_LT(longest, kDelayMs / 4) << "the user interface waited for the store";
    EXPECT_TRUE(contactsBeforeStores);
    ASSERT_TRUE(PumpUntil([&] {
        TickLoader();
        return app->GetPendingLoads().empty();
    }));
    EXPECT_EQ(RowsOf(app->GetCallListView()), 3u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 3u);
}

// Started comes once the first loads have begun, not before.
TEST_F(ShellTest, StartedIsRaisedAfterTheFirstLoadsBegan)
{
    AddCalls(3);
    app.reset(new VelKlApplication());
    struct Watcher : VelObject {
        VelKlApplication* app = nullptr;
        int raised = 0;
        size_t pendingThen = 0;
        bool loadsThen = false;
        void OnStarted(VelApplication*, const VelEventArgs*)
        {
            ++raised;
            loadsThen = app->HaveFirstLoadsStarted();
            pendingThen = app->GetPendingLoads().size();
        }
    } watcher;
    watcher.app = app.get();
    app->Started += VelBind(&watcher, &Watcher::OnStarted);
    VelEventArgs args;
    app->Init(&args);
    EXPECT_EQ(watcher.raised, 0) << "raised before the first loads";
    ASSERT_TRUE(WaitForFirstLoads());
    EXPECT_EQ(watcher.raised, 1);
    EXPECT_TRUE(watcher.loadsThen);
    EXPECT_EQ(watcher.pendingThen, 3u);
    app->Started.RemoveReceiver(&watcher);
}

}  // namespace
