#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "VelApplication.h"
#include "VelCriticalSection.h"
#include "VelDataThread.h"
#include "VelDateTime.h"
#include "VelListLoader.h"
#include "VelPendingLoad.h"
#include "VelSignal.h"
#include "VelSlotHolder.h"

class VelCallListView;
class VelContactListView;
class VelDataTable;
class VelFavoritesView;
class VelItem;
class VelKlView;
class VelListLoadQueue;
class VelListMenu;
class VelListView;
class VelLiveRows;
class VelMainView;
class VelMainWindow;
class VelMapiMessage;
class VelProgress;
class VelSmsListView;
class VelTabPage;
class VelTimer;
class VelToolbar;
class VelToolbarItem;

// What start-up reads from outside; tests give their own.
struct VelKlStartup {
    VelKlStartup();

    std::wstring configPath;
    std::function<bool(const std::wstring& name)> loadLanguage;
    std::wstring themeName;
};

// The program's application object: start-up (COM, configuration, language,
// data thread, theme, main window, wiring, timers; the first loads once the
// data thread has opened the contacts session), the clock, the counts, the
// detail views and the orderly shut-down. The loads are VelListLoadQueue's,
// the data thread VelDataThread's, the notifications' rows VelLiveRows', the
// list menu VelListMenu's; their operations here forward to them.
//
// UI thread, but for the counts and the handlers the data thread and the
// message sink run. The collaborators' locks are their own (see each).
class VelKlApplication : public VelApplication, public VelSlotHolder, public VelListLoader {
public:
    enum : UINT { kClockMs = 5000, kLoaderMs = 0 };
    enum : DWORD { kIdleResetMs = 120001 };
    enum : int { kRowsPerTick = 20 };
    enum : UINT { kDataRequestMessage = 0x8002 };
    enum : uint32_t { kCallRecordCreated = 0x401 };
    enum : int { kNewContactButtonId = 11, kListMenuButtonId = 12 };

    VelKlApplication();
    explicit VelKlApplication(const VelKlStartup& startup);
    ~VelKlApplication() override;

    const wchar_t* GetClassName() const override;

    int Run();
    int OnStarted(const VelEventArgs* args) override;
    int OnExit(const VelEventArgs* args) override;
    int OnMainWindowShown(const VelControlEventArgs* args) override;
    int OnUserMessage(const VelUserMessageEventArgs* args) override;
    // The main window deletes itself when closed.
    void OnChildDestroyed(VelObject* sender, const VelObjectDestroyEventArgs* args) override;
    using VelObject::OnTimer;
    void OnTimer(VelObject* sender, const VelTimerEventArgs* args);

    int Init(const VelEventArgs* args);
    void Shutdown(const VelEventArgs* args);
    void StopDataThread(VelObject* sender = nullptr, const VelEventArgs* args = nullptr);

    // Loads; VelListLoadQueue says how they run.
    VelDataTable* LoadContacts(VelContactListView* view, VelProgress* progress);
    VelDataTable* LoadCalls(VelCallListView* view, VelProgress* progress);
    VelDataTable* LoadSms(VelSmsListView* view, VelProgress* progress);
    void StartLoad(VelListKind kind, VelKlView* view, VelProgress* progress) override;
    bool LoadStep(LONGLONG deadline = 0);
    void LoaderTick(bool continuation);
    void PostDataRequest(uint32_t kind, VelKlView* view, uint32_t code, uint32_t recordId) override;

    void ReadMissedCallCount();
    void ResetMissedCallCount();

    // Handlers.
    void OnTabChanged(int oldTab, int newTab, VelTabPage* page);
    void OnContactActivated(VelItem* item);
    void ShowCallDetails(VelItem* item);
    void ShowSmsDetails(VelItem* item);
    void ShowMainView();
    void OnListMenuButton(VelToolbar* titleBar, VelToolbarItem* button);
    void OnContactCreated(int32_t id);
    void OnContactChanged(int32_t id);
    void OnContactDeleted(int32_t id);
    void OnCallLogChanged(uint32_t code, uint32_t recordId);
    void OnSmsCreated(VelMapiMessage* message);
    void OnSmsDeleted(VelMapiMessage* message);
    void OnSmsMoved(VelMapiMessage* message);
    void OnSmsModified(VelMapiMessage* message);

    VelSignal<> ClearAll;
    VelSignal<const VelDateTime*> DateChanged;
    VelSignal<int32_t> UnreadSmsCountChanged;
    VelSignal<int32_t> MissedCallsChanged;

    VelMainWindow* GetMainKlWindow() const { return m_mainWindow; }
    VelTimer* GetClockTimer() const { return m_clockTimer; }
    VelTimer* GetLoaderTimer() const { return m_loaderTimer; }
    const std::list<VelPendingLoad>& GetPendingLoads() const;
    const VelDateTime& GetCurrentDate() const { return m_currentDate; }
    int32_t GetUnreadSmsCount() const;
    DWORD GetMissedCallCount() const { return m_missedCallCount; }
    int GetCurrentTab() const { return m_currentTab; }
    bool IsClosing() const { return m_closing; }
    // True once the data thread's stores were open and the first loads began.
    bool HaveFirstLoadsStarted() const { return m_firstLoadsStarted; }
    // The message store and the call log are open too, and their changes heard.
    bool AreStoresOpen() const { return m_storesOpen; }
    double GetLongestLoaderTickMs() const;
    DWORD GetDataThreadId() const;
    bool IsLanguageLoaded() const { return m_languageLoaded; }

    // The application-wide names of the views, for tests and the handlers.
    VelFavoritesView* GetFavoritesView() const;
    VelContactListView* GetContactListView() const { return m_contactListView; }
    VelCallListView* GetCallListView() const;
    VelSmsListView* GetSmsListView() const;
    VelMainView* GetMainView() const;
    // The view's list; null for none.
    VelListView* ListOf(VelKlView* view) const;

    // The data thread's entry.
    DWORD DataThreadMain();

private:
    friend class VelDataThread;
    friend class VelListLoadQueue;
    friend class VelLiveRows;

    // The codes of the user messages the application posts to itself.
    enum : int {
        kRequestMissedCalls = 1,
        kRequestUnreadSms = 2,
        kRequestStoresOpen = 3,
        kRequestLoadMore = 4,
        kRequestContactsOpen = 5,
        kRequestMissedCallWatch = 6
    };

    void LoadConfiguredLanguage();
    void Wire();
    void WireSmsSink();
    // On the UI thread, when the data thread announced the contacts session:
    // the three first loads, the calls and messages waiting for their stores.
    void OnContactsOpen();
    // On the UI thread, when the data thread announced its other stores: the
    // loads waiting for them get their tables and go on.
    void OnStoresOpen();
    // True when the count changed.
    bool StoreMissedCallCount(DWORD count);
    // On the UI thread, once the data thread watches the count: a change made
    // before the watch was armed is read now, unless the calls load still
    // will read it.
    void OnMissedCallWatch();
    // The counts' signals run on the UI thread, whichever thread changed them.
    void PostCountChanged(int request);
    void OnCreated(VelObject* sender, const VelCreateEventArgs* args);
    // One debug line with the milliseconds since the process started.
    static void LogStartupMilestone(const wchar_t* what);

    VelKlStartup m_startup;
    std::unique_ptr<VelLiveRows> m_liveRows;
    std::unique_ptr<VelListLoadQueue> m_loads;
    std::unique_ptr<VelDataThread> m_dataThread;
    std::unique_ptr<VelListMenu> m_listMenu;
    bool m_firstLoadsStarted;
    bool m_storesOpen;
    VelTimer* m_clockTimer;
    VelTimer* m_loaderTimer;
    std::atomic<bool> m_closing;
    VelDateTime m_currentDate;
    std::atomic<DWORD> m_missedCallCount;
    // Both threads read the value: a read and its store go together, or an
    // older read could land after a newer one.
    VelCriticalSection m_missedCallLock;
    int m_currentTab;
    bool m_idleResetDone;
    bool m_languageLoaded;
    VelContactListView* m_contactListView;
    VelMainWindow* m_mainWindow;
};
