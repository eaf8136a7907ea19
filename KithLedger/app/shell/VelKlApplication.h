#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "VelApplication.h"
#include "VelCriticalSection.h"
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
class VelListView;
class VelMainView;
class VelMainWindow;
class VelMapiMessage;
class VelProgress;
class VelSmsListView;
class VelTabPage;
class VelTimer;
class VelToolbar;
class VelToolbarItem;
struct VelDataThreadContext;

// The thread message 0x8002 to the data thread: add the newest call when a
// call record was created. Made by PostDataRequest, freed by the data thread.
struct VelDataRequest {
    uint32_t kind;
    VelKlView* view;
    uint32_t code;
    uint32_t recordId;
};
static_assert(sizeof(VelDataRequest) == (sizeof(void*) == 4 ? 16 : 24), "the data-thread request's layout");

// What start-up reads from outside; tests give their own.
struct VelKlStartup {
    VelKlStartup();

    std::wstring configPath;
    std::function<bool(const std::wstring& name)> loadLanguage;
    std::wstring themeName;
};

// The program's application object: start-up (COM, configuration, language,
// data thread, theme, main window, wiring, timers; the first loads once the
// data thread has opened the contacts session), the clock, the loading of the four
// lists, the handlers that keep them current, and the orderly shut-down.
class VelKlApplication : public VelApplication, public VelSlotHolder, public VelListLoader {
public:
    enum : UINT { kClockMs = 5000, kLoaderMs = 0 };
    enum : DWORD { kIdleResetMs = 120001 };
    enum : int { kRowsPerTick = 20, kProgressCap = 200 };
    // A posted continuation runs units of up to kRowsPerTick rows back to
    // back, and closes their lists' loading brackets and paints, within this
    // (room is left under 8 ms for a slow row or paint), and only while no
    // input or timer waits.
    enum : int { kLoaderBudgetUs = 6000, kFirstCloseGuessUs = 3000 };
    enum : UINT { kDataRequestMessage = 0x8002, kRetiredTableMessage = 0x8003 };
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

    // Loads.
    VelDataTable* LoadContacts(VelContactListView* view, VelProgress* progress);
    VelDataTable* LoadCalls(VelCallListView* view, VelProgress* progress);
    VelDataTable* LoadSms(VelSmsListView* view, VelProgress* progress);
    void StartLoad(int kind, VelKlView* view, VelProgress* progress) override;
    // One unit of the first pending load: up to kRowsPerTick rows, fewer when
    // the counter passes `deadline` (none when zero). True when it ended a load.
    bool LoadStep(LONGLONG deadline = 0);
    // A loader tick: the timer's runs one unit, a posted continuation as many
    // as fit its budget; either posts the next continuation.
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
    const std::list<VelPendingLoad>& GetPendingLoads() const { return m_pending; }
    const VelDateTime& GetCurrentDate() const { return m_currentDate; }
    int32_t GetUnreadSmsCount() const { return m_unreadSmsCount; }
    DWORD GetMissedCallCount() const { return m_missedCallCount; }
    int GetCurrentTab() const { return m_currentTab; }
    bool IsClosing() const { return m_closing; }
    // True once the data thread's stores were open and the first loads began.
    bool HaveFirstLoadsStarted() const { return m_firstLoadsStarted; }
    // The message store and the call log are open too, and their changes heard.
    bool AreStoresOpen() const { return m_storesOpen; }
    double GetLongestLoaderTickMs() const { return m_longestTickMs; }
    DWORD GetDataThreadId() const { return m_threadId; }
    bool IsLanguageLoaded() const { return m_languageLoaded; }

    // The application-wide names of the views, for tests and the handlers.
    VelFavoritesView* GetFavoritesView() const;
    VelContactListView* GetContactListView() const { return m_contactListView; }
    VelCallListView* GetCallListView() const;
    VelSmsListView* GetSmsListView() const;
    VelMainView* GetMainView() const;

    // The data thread's entry.
    DWORD DataThreadMain();

private:
    enum : int {
        kRequestMissedCalls = 1,
        kRequestUnreadSms = 2,
        kRequestStoresOpen = 3,
        kRequestLoadMore = 4,
        kRequestContactsOpen = 5
    };

    void LoadConfiguredLanguage();
    void Wire();
    void WireSmsSink();
    // On the data thread, once each: the contacts session, then the other
    // stores, are open (or will never be).
    void AnnounceContactsOpen();
    void AnnounceStoresOpen();
    // On the data thread, before it announces the other stores: their first
    // tables, whose opening reads the whole store.
    void OpenFirstTables();
    void DeleteFirstTables();
    // On the UI thread, when the data thread announced the contacts session:
    // the three first loads, the calls and messages waiting for their stores.
    void OnContactsOpen();
    // On the UI thread, when the data thread announced its other stores: the
    // loads waiting for them get their tables and go on.
    void OnStoresOpen();
    // The first pending load waits for its store: the timer stops until the
    // store is announced, when it starts again.
    void HoldLoadsForStores();
    void StartFirstLoads();
    void PostLoadMore();
    bool FlushLoadPaints();
    void NoteLoaderTick(LONGLONG ticks);
    void CancelPendingLoads(int kind);
    void ReleasePendingLoads();
    VelDataTable* OpenTable(int kind, VelProgress* progress, bool capped);
    void RangeProgress(VelDataTable* table, VelProgress* progress, bool capped);
    // One tick of the first pending load; true when it is done.
    bool ContactsStep(VelPendingLoad& load, LONGLONG deadline);
    bool CallsStep(VelPendingLoad& load, LONGLONG deadline);
    bool SmsStep(VelPendingLoad& load, LONGLONG deadline);
    void HandleDataRequest(VelDataRequest* request);
    // On the data thread: the call list made to match the log, each call
    // listed once; rows whose call is gone leave.
    void SyncCalls(VelCallListView* calls);
    void NoteCallsLoad();
    // A finished load's table goes on the data thread: letting go of a whole
    // store's rows takes milliseconds. Here when the data thread is gone.
    void RetireTable(VelDataTable* table);
    bool TakeRetiredTable(VelDataTable* table);
    void DeleteRetiredTables();
    bool TakeDataRequest(VelDataRequest* request);
    void DrainDataRequests();
    void SetMissedCallCount(DWORD count);
    // True when the message's entry in the unread set changed.
    bool TrackUnread(const std::vector<BYTE>& entryId, bool unread);
    // Rows the handlers added while a load may still yield them: the load
    // passes over these.
    void NoteLiveContact(int32_t id);
    void NoteLiveSms(const std::vector<BYTE>& entryId);
    bool TakeLiveContact(int32_t id);
    bool TakeLiveSms(const std::vector<BYTE>& entryId);
    // The counts' signals run on the UI thread, whichever thread changed them.
    void PostCountChanged(int request);
    VelListView* ListOf(VelKlView* view) const;
    bool IsWatchedFolder(const std::vector<BYTE>& parent) const;
    // A row for the message, once; with `replace` a listed one is made anew.
    void AddSmsRow(VelMapiMessage* message, bool replace = false);
    void RemoveSmsRow(const std::vector<BYTE>& entryId);
    void RemoveContactRows(int32_t id);
    void OnCreated(VelObject* sender, const VelCreateEventArgs* args);
    // One debug line with the milliseconds since the process started.
    static void LogStartupMilestone(const wchar_t* what);

    // An event handle, closed with its owner.
    class OwnedEvent {
    public:
        OwnedEvent() : m_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
        ~OwnedEvent()
        {
            if (m_handle)
                ::CloseHandle(m_handle);
        }
        OwnedEvent(const OwnedEvent&) = delete;
        OwnedEvent& operator=(const OwnedEvent&) = delete;
        HANDLE Get() const { return m_handle; }

    private:
        HANDLE m_handle;
    };

    VelKlStartup m_startup;
    VelDataThreadContext* m_context;
    HANDLE m_thread;
    DWORD m_threadId;
    // Set by the data thread once its stores are open; the UI thread reads
    // them only after the message that follows.
    std::atomic<bool> m_contactsAnnounced;
    std::atomic<bool> m_storesAnnounced;
    bool m_firstLoadsStarted;
    bool m_storesOpen;
    // A continuation of the loads is queued.
    bool m_loadMorePosted;
    bool m_firstRowsPainted;
    double m_longestTickMs;
    int m_loaderTicks;
    LONGLONG m_counterFrequency;
    // What closing a continuation's loading brackets and painting the lists
    // cost, in counter ticks: the last, or less than a recent dearer one.
    LONGLONG m_lastTickClose;
    // Set once the main window is made: the data thread opens its stores
    // after that, so that opening them does not slow the window's making.
    OwnedEvent m_windowMade;
    // Set once the application's slots are connected: until then the data
    // thread delivers no notification.
    OwnedEvent m_wired;
    // The calls' and the messages' first tables, opened by the data thread
    // and taken by the UI thread's first loads.
    VelDataTable* m_firstTables[2];
    VelCriticalSection m_firstTablesLock;
    VelTimer* m_clockTimer;
    VelTimer* m_loaderTimer;
    std::atomic<bool> m_closing;
    VelDateTime m_currentDate;
    std::atomic<int32_t> m_unreadSmsCount;
    std::atomic<DWORD> m_missedCallCount;
    int m_currentTab;
    bool m_idleResetDone;
    bool m_languageLoaded;
    bool m_loadedOnce;
    VelContactListView* m_contactListView;
    int32_t m_unreadBeforeLoad;
    std::list<VelPendingLoad> m_pending;
    VelMainWindow* m_mainWindow;
    // Requests made and not yet handled: a 0x8002 with any other pointer is
    // not ours and is left alone.
    std::set<VelDataRequest*> m_liveRequests;
    VelCriticalSection m_requestLock;
    // Tables posted to the data thread and not yet deleted: a 0x8003 with any
    // other pointer is not ours either.
    std::set<VelDataTable*> m_retiredTables;
    // The listed messages that are unread: the count is its size, so a row
    // seen twice or a change seen by two threads cannot skew it.
    std::set<std::vector<BYTE>> m_unreadIds;
    VelCriticalSection m_unreadLock;
    // While a calls load runs the data thread leaves the call list alone and
    // notes that the log changed; each load's start counts one generation.
    VelCriticalSection m_callsLoadLock;
    bool m_callsLoading;
    bool m_callsChangedWhileLoading;
    uint32_t m_callsGeneration;
    bool m_heldForStores;
    std::set<int32_t> m_liveContacts;
    std::set<std::vector<BYTE>> m_liveSms;
    VelCriticalSection m_liveLock;
};
