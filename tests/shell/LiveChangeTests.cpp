// Changes of the phone's data while the program runs reach the lists through
// the data thread's notifications and the messaging system's sink.
#include "ShellTestKit.h"

#include "VelCallListView.h"
#include "VelContactListViewItem.h"
#include "VelContactItem.h"
#include "VelMainWindow.h"
#include "VelSmsListView.h"

namespace {

using namespace shell_test;

// The core makes its callback window once, at static initialisation; this
// reaches that step again for a process that outlives one run.
struct CoreAccess : VelControlCore {
    static void Recreate()
    {
        if (!Instance->GetCallbackWindow())
            (Instance->*&CoreAccess::CreateCallbackWindow)();
    }
};

void RestoreCoreCallbackWindow() { CoreAccess::Recreate(); }

VelDevMessage Received(const wchar_t* text, bool read)
{
    VelDevMessage m;
    m.folder = kDevSmsInbox;
    m.text = text;
    m.senderAddress = L"+44 7700 900777";
    m.hasDeliveryTime = true;
    ::GetSystemTimeAsFileTime(&m.deliveryTime);
    m.hasFlags = true;
    m.flags = read ? 1 : 0;
    return m;
}

class LiveChangeTest : public ShellTest {
protected:
    // Held from before the start: a test elsewhere that deletes the state key
    // would leave this program's watch on a key that is gone.
    PhoneKeyGuard phoneKey;

    void SetUp() override
    {
        ShellTest::SetUp();
        Start();
        DrainLoads();
    }
    size_t Contacts() { return RowsOf(app->GetContactListView()); }
    size_t Favorites() { return RowsOf(app->GetFavoritesView()); }
    size_t Messages() { return RowsOf(app->GetSmsListView()); }
};

TEST_F(LiveChangeTest, AContactAddedChangedAndDeletedKeepsBothContactListsCurrent)
{
    const DWORD id = device.Store().AddContact(Contact(L"Ida", L"Favorites"));
    ASSERT_TRUE(PumpUntil([&] { return Contacts() == 1 && Favorites() == 1; }));

    // No longer a favourite: it leaves the favourites and stays a contact.
    ASSERT_TRUE(device.Store().ChangeContact(id, [](VelDevContact& c) {
        c.categories = L"Work";
        return true;
    }));
    ASSERT_TRUE(PumpUntil([&] { return Favorites() == 0; }));
    EXPECT_EQ(Contacts(), 1u);

    // A favourite again, under a new name.
    ASSERT_TRUE(device.Store().ChangeContact(id, [](VelDevContact& c) {
        c.categories = L"Favorites";
        c.fileAs = L"Ida Renamed";
        return true;
    }));
    ASSERT_TRUE(PumpUntil([&] { return Favorites() == 1; }));
    const VelContactListViewItem* row =
        dynamic_cast<const VelContactListViewItem*>(app->GetContactListView()->GetList()->GetItems()[0]);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return row->GetContact()->GetDisplayNameText() == L"Ida Renamed"; }));

    ASSERT_TRUE(device.Store().DeleteContact(id));
    ASSERT_TRUE(PumpUntil([&] { return Contacts() == 0 && Favorites() == 0; }));
}

TEST_F(LiveChangeTest, AReceivedMessageIsListedOnceAndTheUnreadCaptionFollowsItsState)
{
    const DWORD id = device.Store().AddMessage(Received(L"hello", false));
    ASSERT_TRUE(PumpUntil([&] { return Messages() == 1 && app->GetUnreadSmsCount() == 1; }));
    EXPECT_TRUE(PumpUntil([&] { return app->GetSmsListView()->GetCaption().find(L"(1)") != std::wstring::npos; }));

    // Read elsewhere: the count drops.
    ASSERT_TRUE(device.Store().ChangeMessage(id, [](VelDevMessage& m) {
        m.flags |= 1;
        return true;
    }));
    ASSERT_TRUE(PumpUntil([&] { return app->GetUnreadSmsCount() == 0; }));
    EXPECT_TRUE(PumpUntil([&] { return app->GetSmsListView()->GetCaption().find(L'(') == std::wstring::npos; }));
    EXPECT_EQ(Messages(), 1u);

    // Unread again, then moved to deleted items and back.
    ASSERT_TRUE(device.Store().ChangeMessage(id, [](VelDevMessage& m) {
        m.flags &= ~1u;
        return true;
    }));
    ASSERT_TRUE(PumpUntil([&] { return app->GetUnreadSmsCount() == 1; }));
    ASSERT_TRUE(device.Store().ChangeMessage(id, [](VelDevMessage& m) {
        m.folder = kDevSmsDeleted;
        return true;
    }));
    ASSERT_TRUE(PumpUntil([&] { return Messages() == 0 && app->GetUnreadSmsCount() == 0; }));
    ASSERT_TRUE(device.Store().ChangeMessage(id, [](VelDevMessage& m) {
        m.folder = kDevSmsInbox;
        return true;
    }));
    ASSERT_TRUE(PumpUntil([&] { return Messages() == 1 && app->GetUnreadSmsCount() == 1; }));

    ASSERT_TRUE(device.Store().DeleteMessage(id));
    ASSERT_TRUE(PumpUntil([&] { return Messages() == 0 && app->GetUnreadSmsCount() == 0; }));
}

TEST_F(LiveChangeTest, ALoggedCallIsAddedByTheDataThreadAndAMissedCountReachesTheCaption)
{
    VelDevSetMissedCallCount(0);
    AddCalls(1, kDevCallMissed);
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetCallListView()) == 1; }));

    VelDevSetMissedCallCount(4);
    ASSERT_TRUE(PumpUntil([&] { return app->GetMissedCallCount() == 4; }));
    EXPECT_TRUE(PumpUntil([&] { return app->GetCallListView()->GetCaption().find(L"(4)") != std::wstring::npos; }));
}

// The phone's state key may come only with the first missed call: the
// count is watched all the same.
TEST_F(ShellTest, TheMissedCallCountIsWatchedWhenThePhoneKeyComesAfterTheStart)
{
    PhoneKeyGuard phoneKey;
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"System\\State\\Phone");
    Start();
    DrainLoads();
    ASSERT_TRUE(VelDevSetMissedCallCount(5));
    EXPECT_TRUE(PumpUntil([&] { return app->GetMissedCallCount() == 5; }));
}

// Each list's row opens its detail view; opening a message marks it read in
// the store, and the count follows.
TEST_F(ShellTest, ActivatedRowsOpenTheirDetailViewsAndAnOpenedMessageIsRead)
{
    device.Store().AddContact(Contact(L"Vera", L""));
    AddCalls(1);
    const DWORD message = device.Store().AddMessage(Received(L"open me", false));
    Start();
    DrainLoads();
    ASSERT_EQ(app->GetUnreadSmsCount(), 1);
    VelMainWindow* window = app->GetMainKlWindow();
    struct Case {
        VelKlView* list;
        int viewId;
        void (VelKlApplication::*open)(VelItem*);
    } cases[] = {
        {app->GetContactListView(), VelMainWindow::kContactViewId, &VelKlApplication::OnContactActivated},
        {app->GetCallListView(), VelMainWindow::kCallViewId, &VelKlApplication::ShowCallDetails},
        {app->GetSmsListView(), VelMainWindow::kSmsViewId, &VelKlApplication::ShowSmsDetails},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(RowsOf(c.list), 1u);
        (app.get()->*c.open)(c.list->GetList()->GetItems()[0]);
        EXPECT_EQ(window->GetCurrentView(), window->GetView(c.viewId)) << c.viewId;
        app->ShowMainView();
        EXPECT_EQ(window->GetCurrentView(), window->GetView(VelMainWindow::kMainViewId)) << c.viewId;
        // A row of another list is not this handler's.
        (app.get()->*c.open)(c.list == cases[0].list ? cases[1].list->GetList()->GetItems()[0]
                                                     : cases[0].list->GetList()->GetItems()[0]);
        EXPECT_EQ(window->GetCurrentView(), window->GetView(VelMainWindow::kMainViewId)) << c.viewId;
    }
    VelDevMessage stored;
    ASSERT_TRUE(device.Store().FindMessage(message, &stored));
    EXPECT_TRUE(stored.IsRead());
    EXPECT_TRUE(PumpUntil([&] { return app->GetUnreadSmsCount() == 0; }));
}

// A notification that comes while the first load is still pending lists the
// row; the load then passes it over.
TEST_F(ShellTest, RowsNotifiedDuringTheFirstLoadAreListedOnce)
{
    Start();
    ASSERT_EQ(app->GetPendingLoads().size(), 3u);
    app->GetLoaderTimer()->Stop();  // the loads wait for the test's ticks
    // The contacts load starts before the message store opens: a message made
    // before then is one the store starts with, not a change.
    ASSERT_TRUE(PumpUntil([&] { return app->AreStoresOpen(); }));
    device.Store().AddContact(Contact(L"Una", L"Favorites"));
    device.Store().AddMessage(Received(L"early", false));
    ASSERT_TRUE(
        PumpUntil([&] { return RowsOf(app->GetContactListView()) == 1 && RowsOf(app->GetSmsListView()) == 1; }));
    DrainLoads();
    EXPECT_EQ(RowsOf(app->GetContactListView()), 1u);
    EXPECT_EQ(RowsOf(app->GetFavoritesView()), 1u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 1u);
    EXPECT_EQ(app->GetUnreadSmsCount(), 1);
}

// The whole run: start, the window closes, the loop ends, the application
// shuts down; nothing is left running.
TEST_F(ShellTest, RunEndsWhenTheMainWindowCloses)
{
    AddCalls(80);
    app.reset(new VelKlApplication());
    struct Closer {
        static void Close(VelApplication* sender, const VelEventArgs*)
        {
            if (VelWindow* window = sender->GetMainWindow())
                ::PostMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
        }
    };
    class CloseOnStart : public VelObject {
    public:
        void OnStarted(VelApplication* sender, const VelEventArgs* args) { Closer::Close(sender, args); }
    } closer;
    app->Started += VelBind(&closer, &CloseOnStart::OnStarted);
    app->Run();
    EXPECT_TRUE(app->IsClosing());
    EXPECT_EQ(app->GetDataThreadId(), 0xFFFFFFFFu);
    EXPECT_EQ(app->GetMainKlWindow(), nullptr);
    EXPECT_TRUE(app->GetPendingLoads().empty());
    app->Started.RemoveReceiver(&closer);
    app.reset();
    MainWindowHandle = nullptr;
    // The main window's end took the core's callback window with it, as a
    // program's last window does; the tests after this one start again.
    RestoreCoreCallbackWindow();
}

}  // namespace
