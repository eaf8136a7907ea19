#pragma once
// The application object started as the program starts it (Init, without the
// run loop) over a device store of the test's own, with a fixed "now" and a
// fake tick; the loader and clock timers are stepped by hand.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDate.h"
#include "FakeTick.h"
#include "PhoneKeyGuard.h"
#include "TestDeviceStore.h"
#include "TestPumps.h"
#include "VelControlCore.h"
#include "VelDateTime.h"
#include "VelEventArgs.h"
#include "VelKlApplication.h"
#include "VelKlView.h"
#include "VelListView.h"
#include "VelContactListView.h"
#include "VelFavoritesView.h"
#include "VelTimer.h"
#include "ViewTestSupport.h"

namespace shell_test {

// A contact with a mobile number, filed under its name.
inline VelDevContact Contact(const std::wstring& name, const wchar_t* categories = L"")
{
    VelDevContact c;
    c.fileAs = name;
    c.firstName = name;
    c.mobile = L"+44 7700 900555";
    c.categories = categories;
    return c;
}

// The fixed local time and tick the tests move by hand.
struct FakeClock {
    static SYSTEMTIME& Now() { return FakeDate::Current(); }
    static DWORD& Tick() { return FakeTick::Current(); }
    static void Set(int year, int month, int day, int hour, int minute, int second)
    {
        const VelDateTime date(year, month, day, hour, minute, second);
        // The day of week comes with a round trip through the file time.
        FILETIME file = date.ToFileTime();
        ::FileTimeToSystemTime(&file, &Now());
    }
};

class ShellTest : public ::testing::Test {
protected:
    ShellTest() : screen(480, 640), device(L"vel-shell") {}

    void SetUp() override { FakeClock::Set(2026, 12, 10, 12, 0, 0); }
    void TearDown() override { Stop(); }

    void Start(const VelKlStartup& startup = VelKlStartup())
    {
        app.reset(new VelKlApplication(startup));
        VelEventArgs args;
        app->Init(&args);
        WaitForFirstLoads();
    }
    // The first loads start when the data thread's message says the contacts
    // session is open: the queue runs one message at a time up to that one, so no
    // loader tick runs that the test did not ask for.
    bool WaitForFirstLoads()
    {
        const DWORD start = ::GetTickCount();
        while (!app->HaveFirstLoadsStarted()) {
            if (app->GetDataThreadId() == 0xFFFFFFFFu || ::GetTickCount() - start > 10000)
                return false;
            PumpOne();
        }
        return true;
    }
    // Until the data thread has announced its other stores, with the loads
    // held meanwhile, so that the test's ticks find every table open.
    bool WaitForStores()
    {
        VelTimer* loader = app->GetLoaderTimer();
        const bool running = loader->IsActive();
        loader->Stop();
        const DWORD start = ::GetTickCount();
        while (!app->AreStoresOpen() && ::GetTickCount() - start < 10000)
            PumpOne();
        if (running && !app->GetPendingLoads().empty())
            loader->Start();
        return app->AreStoresOpen();
    }
    void Stop()
    {
        if (!app)
            return;
        app->StopDataThread();
        VelEventArgs args;
        app->Shutdown(&args);
        app.reset();
        MainWindowHandle = nullptr;
    }

    void TickLoader()
    {
        VelTimerEventArgs args(app->GetLoaderTimer()->GetTimerId());
        app->OnTimer(app.get(), &args);
    }
    void TickClock()
    {
        VelTimerEventArgs args(app->GetClockTimer()->GetTimerId());
        app->OnTimer(app.get(), &args);
    }
    // Ticks until nothing is pending; the number of ticks.
    int DrainLoads()
    {
        int ticks = 0;
        DWORD waitStart = ::GetTickCount();
        while (!app->GetPendingLoads().empty() && ticks < 10000) {
            // A load waiting for its store goes on once the data thread's
            // message that the store is open has been handled.
            if (!app->GetPendingLoads().front().table) {
                if (::GetTickCount() - waitStart > 10000)
                    break;
                PumpOne();
                continue;
            }
            waitStart = ::GetTickCount();
            TickLoader();
            ++ticks;
        }
        return ticks;
    }

    size_t RowsOf(VelKlView* view) { return view && view->GetList() ? view->GetList()->GetItems().size() : 0; }

    void AddCalls(int count, DWORD direction = kDevCallIncoming)
    {
        device.Store().Transact([&](VelDevStoreData& data) {
            for (int i = 0; i < count; ++i) {
                VelDevCall call;
                const VelDateTime start(2026, 12, 1 + i % 9, 10, i % 60, 0);
                FILETIME local = start.ToFileTime();
                ::LocalFileTimeToFileTime(&local, &call.start);
                call.end = call.start;
                call.direction = direction;
                call.number = VelDevOptText(L"+44 7700 9" + std::to_wstring(10000 + i));
                data.AddCall(call);
            }
            return true;
        });
    }
    void AddMessages(int count, int unreadEvery)
    {
        device.Store().Transact([&](VelDevStoreData& data) {
            for (int i = 0; i < count; ++i) {
                VelDevMessage m;
                m.folder = kDevSmsInbox;
                m.text = L"message " + std::to_wstring(i);
                m.senderAddress = L"+44 7700 8" + std::to_wstring(10000 + i);
                m.hasDeliveryTime = true;
                const VelDateTime at(2026, 12, 1 + i % 9, 9, i % 60, 0);
                FILETIME local = at.ToFileTime();
                ::LocalFileTimeToFileTime(&local, &m.deliveryTime);
                m.hasFlags = true;
                m.flags = (unreadEvery && i % unreadEvery == 0) ? 0 : 1;
                data.AddMessage(m);
            }
            return true;
        });
    }

    ScreenScope screen;
    TestDeviceStore device;
    std::unique_ptr<VelKlApplication> app;

private:
    FakeDate m_date;
    FakeTick m_tick{1000000};
};

}  // namespace shell_test
