// The first loads start when the data thread has opened the contacts session
// (the calls and messages loads then wait for their stores), and run
// on the program's own queue: units of rows back to back between input,
// paints and timers, to the end or to the close.
#include "ShellTestKit.h"

#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelContactItem.h"
#include "VelContactListViewItem.h"
#include "VelMainWindow.h"
#include "VelProgress.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"

namespace {

using namespace shell_test;

class LoadingTest : public ShellTest {
protected:
    void AddContacts(int count, int favouriteEvery)
    {
        device.Store().Transact([&](VelDevStoreData& data) {
            for (int i = 0; i < count; ++i) {
                VelDevContact c;
                // Spread over the alphabet, not in the list's order.
                c.fileAs = std::wstring(1, wchar_t(L'A' + (i * 7) % 26)) + L" person " + std::to_wstring(i);
                c.firstName = c.fileAs;
                c.categories = favouriteEvery && i % favouriteEvery == 0 ? L"Favorites" : L"";
                data.AddContact(c);
            }
            return true;
        });
    }
    void AddData()
    {
        AddContacts(900, 9);
        AddCalls(450);
        AddMessages(450, 5);
    }
    // One message at a time: a load's units run between the other messages.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000)
    {
        return ::PumpUntil(done, timeoutMs, PumpStep::kOneMessage);
    }
    size_t AllRows()
    {
        return RowsOf(app->GetFavoritesView()) + RowsOf(app->GetContactListView()) + RowsOf(app->GetCallListView()) +
               RowsOf(app->GetSmsListView());
    }
    // What each list shows, row by row.
    std::vector<std::wstring> Rows()
    {
        std::vector<std::wstring> rows;
        VelKlView* views[] = {app->GetFavoritesView(), app->GetContactListView(), app->GetCallListView(),
                              app->GetSmsListView()};
        for (VelKlView* view : views) {
            rows.push_back(L"--");
            if (!view || !view->GetList())
                continue;
            for (const VelItem* item : view->GetList()->GetItems()) {
                if (auto c = dynamic_cast<const VelContactListViewItem*>(item))
                    rows.push_back(L"contact " + std::to_wstring(c->GetContact()->GetId()));
                else if (auto call = dynamic_cast<const VelCallListViewItem*>(item))
                    rows.push_back(L"call " + call->GetCall()->GetNumber());
                else if (auto sms = dynamic_cast<const VelSmsListViewItem*>(item))
                    rows.push_back(L"sms " + sms->GetMessage()->GetText());
                else
                    rows.push_back(L"?");
            }
        }
        return rows;
    }
};

// Init makes and wires the window but reads no store: only the data
// thread's message, run by the queue, starts the loads, in their order.
TEST_F(LoadingTest, TheLoadsStartWhenTheDataThreadSaysItsStoresAreOpenAfterTheWindowIsShown)
{
    AddData();
    app.reset(new VelKlApplication());
    VelEventArgs args;
    app->Init(&args);
    ASSERT_NE(app->GetMainKlWindow(), nullptr);
    HWND window = app->GetMainKlWindow()->GetHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(app->HaveFirstLoadsStarted());
    EXPECT_TRUE(app->GetPendingLoads().empty());
    EXPECT_FALSE(app->GetLoaderTimer()->IsActive());
    EXPECT_EQ(AllRows(), 0u);

    // Shown and painted as the run loop does it, before any load.
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    EXPECT_TRUE(app->GetPendingLoads().empty());

    ASSERT_TRUE(WaitForFirstLoads());
    std::vector<int> kinds;
    for (const VelPendingLoad& load : app->GetPendingLoads())
        kinds.push_back(load.kind);
    EXPECT_EQ(kinds, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(app->GetLoaderTimer()->IsActive());
    ASSERT_TRUE(PumpUntil([&] { return app->GetPendingLoads().empty(); }));
    EXPECT_EQ(RowsOf(app->GetContactListView()), 900u);
    EXPECT_EQ(RowsOf(app->GetFavoritesView()), 100u);
    EXPECT_EQ(RowsOf(app->GetCallListView()), 450u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 450u);
    EXPECT_EQ(app->GetUnreadSmsCount(), 90);
    EXPECT_FALSE(app->GetLoaderTimer()->IsActive());
}

// The queue's loading lists what a tick at a time lists, in the same order;
// the last tick's bars are full.
TEST_F(LoadingTest, LoadsRunByTheQueueListEveryRowInTheOrderOfLoadsTickedOneUnitAtATime)
{
    AddData();
    Start();
    DrainLoads();
    const std::vector<std::wstring> ticked = Rows();
    ASSERT_EQ(ticked.size(), 4u + 900 + 100 + 450 + 450);
    Stop();

    Start();
    std::vector<VelProgress*> bars;
    for (const VelPendingLoad& load : app->GetPendingLoads())
        bars.push_back(load.progress);
    ASSERT_TRUE(PumpUntil([&] { return app->GetPendingLoads().empty(); }));
    EXPECT_EQ(Rows(), ticked);
    EXPECT_EQ(app->GetUnreadSmsCount(), 90);
    for (VelProgress* bar : bars) {
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->GetPosition(), bar->GetRange());
    }
    EXPECT_GT(app->GetLongestLoaderTickMs(), 0.0);
}

// A stopped loader timer holds the loads, even with a continuation queued.
TEST_F(LoadingTest, AStoppedLoaderTimerHoldsTheLoadsThoughTheQueueRuns)
{
    AddData();
    Start();
    TickLoader();  // one unit, and a continuation posted
    const size_t rows = AllRows();
    EXPECT_EQ(RowsOf(app->GetContactListView()), size_t(VelKlApplication::kRowsPerTick));
    app->GetLoaderTimer()->Stop();
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 200)
        PumpOne();
    EXPECT_EQ(AllRows(), rows);
    EXPECT_EQ(app->GetPendingLoads().size(), 3u);
    app->GetLoaderTimer()->Start();
    ASSERT_TRUE(PumpUntil([&] { return app->GetPendingLoads().empty(); }));
    EXPECT_EQ(RowsOf(app->GetContactListView()), 900u);
}

// Input that arrives while the loads run is taken before the next unit of
// rows: the continuation is not posted ahead of it.
TEST_F(LoadingTest, InputDuringTheLoadsIsHandledBeforeTheNextUnit)
{
    AddContacts(3000, 0);
    Start();
    HWND window = app->GetMainKlWindow()->GetHandle();
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    RECT bounds;
    ::GetWindowRect(window, &bounds);
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetContactListView()) >= 200; }));

    for (int round = 0; round < 3; ++round) {
        ASSERT_FALSE(app->GetPendingLoads().empty()) << round;
        // The tests share one display: the pointer must be over this window.
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(window);
        const POINT point = {(bounds.left + bounds.right) / 2 + round * 7,
                             (bounds.top + bounds.bottom) / 2 + round * 5};
        if (::GetAncestor(::WindowFromPoint(point), GA_ROOT) != window)
            GTEST_SKIP() << "another program's window lies over the pointer";
        // The core stamps input with the fake tick: a new stamp shows it was handled.
        FakeClock::Tick() += 500000;
        ASSERT_GT(app->GetIdleTime(), 0u);
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = point.x * 65535 / ::GetSystemMetrics(SM_CXSCREEN);
        input.mi.dy = point.y * 65535 / ::GetSystemMetrics(SM_CYSCREEN);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        ASSERT_EQ(::SendInput(1, &input, sizeof input), 1u);
        const size_t before = RowsOf(app->GetContactListView());
        ASSERT_TRUE(PumpUntil([&] { return app->GetIdleTime() == 0; }, 5000)) << round;
        EXPECT_LE(RowsOf(app->GetContactListView()) - before, size_t(VelKlApplication::kRowsPerTick)) << round;
    }
    ASSERT_TRUE(PumpUntil([&] { return app->GetPendingLoads().empty(); }));
    EXPECT_EQ(RowsOf(app->GetContactListView()), 3000u);
}

// A timer of the program's thread comes after posted messages: it keeps
// ticking while the loads run rather than after them.
TEST_F(LoadingTest, TimersKeepTickingWhileTheLoadsRun)
{
    AddContacts(3000, 0);
    Start();
    static int ticksWhileLoading;
    static VelKlApplication* loading;
    ticksWhileLoading = 0;
    loading = app.get();
    struct Ticker {
        static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
        {
            if (loading && !loading->GetPendingLoads().empty())
                ++ticksWhileLoading;
        }
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &Ticker::OnTick);
    ASSERT_NE(timer, 0u);
    const DWORD start = ::GetTickCount();
    const bool loaded = PumpUntil([&] { return app->GetPendingLoads().empty(); });
    const DWORD took = ::GetTickCount() - start;
    ::KillTimer(nullptr, timer);
    loading = nullptr;
    ASSERT_TRUE(loaded);
    EXPECT_EQ(RowsOf(app->GetContactListView()), 3000u);
    // At least one tick for every 50 ms the loads took.
    EXPECT_GE(ticksWhileLoading, int(took / 50)) << took << " ms";
    EXPECT_GE(ticksWhileLoading, 1);
}

// Closing the window halfway: the loads go, and what the queue still holds
// for them lists nothing more.
TEST_F(LoadingTest, ClosingDuringTheLoadsEndsThemAndLeavesNothingToRun)
{
    AddData();
    Start();
    ASSERT_TRUE(PumpUntil([&] { return RowsOf(app->GetContactListView()) >= 100; }));
    ASSERT_FALSE(app->GetPendingLoads().empty());
    ::PostMessageW(app->GetMainKlWindow()->GetHandle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return app->GetMainKlWindow() == nullptr; }));
    EXPECT_TRUE(app->IsClosing());
    EXPECT_EQ(app->GetDataThreadId(), 0xFFFFFFFFu);
    EXPECT_TRUE(app->GetPendingLoads().empty());
    EXPECT_FALSE(app->GetLoaderTimer()->IsActive());
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 200)
        PumpOne();
    EXPECT_TRUE(app->GetPendingLoads().empty());
}

// Closed once the contacts load runs, perhaps before the call log and the
// messages are open: the waiting loads go too, and the other stores'
// announcement, run afterwards, fills no list.
TEST_F(LoadingTest, ClosingAsTheContactsLoadStartsLeavesTheWaitingLoadsNothingToFill)
{
    AddData();
    Start();
    ASSERT_TRUE(app->HaveFirstLoadsStarted());
    ASSERT_EQ(app->GetPendingLoads().size(), 3u);
    ::SendMessageW(app->GetMainKlWindow()->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app->IsClosing());
    EXPECT_EQ(app->GetDataThreadId(), 0xFFFFFFFFu);
    EXPECT_TRUE(app->GetPendingLoads().empty());
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 300)
        PumpOne();
    EXPECT_TRUE(app->GetPendingLoads().empty());
    EXPECT_FALSE(app->GetLoaderTimer()->IsActive());
    EXPECT_EQ(RowsOf(app->GetCallListView()), 0u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 0u);
}

// Closed before the stores were announced: no load starts afterwards.
TEST_F(LoadingTest, ClosingBeforeTheStoresAreOpenStartsNoLoad)
{
    AddData();
    app.reset(new VelKlApplication());
    VelEventArgs args;
    app->Init(&args);
    ::SendMessageW(app->GetMainKlWindow()->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app->IsClosing());
    EXPECT_EQ(app->GetDataThreadId(), 0xFFFFFFFFu);
    // The data thread's message, if it was posted, is run and turned away.
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 300)
        PumpOne();
    EXPECT_FALSE(app->HaveFirstLoadsStarted());
    EXPECT_TRUE(app->GetPendingLoads().empty());
    EXPECT_FALSE(app->GetLoaderTimer()->IsActive());
}

}  // namespace
