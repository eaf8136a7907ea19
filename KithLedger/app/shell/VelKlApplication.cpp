#include "VelKlApplication.h"

#include <objbase.h>

#include <CeCore.h>

#include <algorithm>
#include <memory>
#include <new>
#include <tuple>

#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelCallView.h"
#include "VelCallbackWindow.h"
#include "VelContactItem.h"
#include "VelContactItemFilter.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelContactView.h"
#include "VelContextMenu.h"
#include "VelControlCore.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelDataThreadContext.h"
#include "VelEdbDatabase.h"
#include "VelFavoritesView.h"
#include "VelKlConfig.h"
#include "VelKlViews.h"
#include "VelListView.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelMainWindow.h"
#include "VelMapiMessage.h"
#include "VelMapiSink.h"
#include "VelPoomSession.h"
#include "VelProgress.h"
#include "VelProgressWindowLess.h"
#include "VelScopedLock.h"
#include "VelSmsComposer.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelSmsStore.h"
#include "VelSmsView.h"
#include "VelThemeLibrary.h"
#include "VelTimer.h"
#include "VelToolbar.h"
#include "VelToolbarItem.h"

#include <CeMapi.h>

namespace {

const wchar_t kApplicationName[] = L"Velmora KL";
const wchar_t kDefaultTheme[] = L"Silver";
const wchar_t kPhoneStateKey[] = L"System\\State\\Phone";
const wchar_t kMissedCallValue[] = L"Missed Call Count";
const REGSAM kKeyRead = 0x20019;
const REGSAM kKeyWrite = 0x20006;
const DWORD kRegistryValueChanges = 4;
const DWORD kWakeOnAnyInput = 0x7F;
const int kFavoritesTabId = VelMainView::kFavoritesPageId;
const int kContactsTabId = VelMainView::kContactsPageId;
const int kCallsTabId = VelMainView::kCallsPageId;
const int kMessagesTabId = VelMainView::kSmsPageId;
// The list menu's rows; the separator counts as one.
const int kMenuNewMessage = 0;
const int kMenuMessageSelected = 1;
const int kMenuClearSelection = 3;
const int kMenuMarkAllRead = 0;

void Log(const wchar_t* text) { NKDbgPrintfW(L"%ls", text); }

DWORD WINAPI DataThreadEntry(LPVOID parameter)
{
    try {
        return static_cast<VelKlApplication*>(parameter)->DataThreadMain();
    } catch (...) {
        Log(L"VelKlApplication::DataThreadMain: an exception ended the data thread.\n");
        return 0xFFFFFFFF;
    }
}

VelListView::Predicate FindContactItemId(int32_t id)
{
    return [id](const VelItem* item) {
        const VelContactListViewItem* row = dynamic_cast<const VelContactListViewItem*>(item);
        return row && row->GetContact() && row->GetContact()->GetId() == id;
    };
}

VelListView::Predicate FindSmsItemId(const VelEntryId& entryId)
{
    return [entryId](const VelItem* item) {
        const VelSmsListViewItem* row = dynamic_cast<const VelSmsListViewItem*>(item);
        return row && row->GetMessage() && row->GetMessage()->GetEntryId() == entryId;
    };
}

VelEntryId ParentOf(const VelMapiMessage* message)
{
    VelEntryId parent;
    if (message && message->GetMessage())
        ReadMapiBinary(message->GetMessage(), kMapiTagParentEntryId, &parent);
    return parent;
}

bool ReadRegistryCount(DWORD* count)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPhoneStateKey, 0, kKeyRead, &key) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, type = 0, size = sizeof(value);
    const LONG result =
        ::RegQueryValueExW(key, kMissedCallValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || size != sizeof(value))
        return false;
    *count = value;
    return true;
}

// A progress range of at least one entry, so that an empty list's bar completes too.
int ProgressRange(int32_t count, bool capped)
{
    int range = count > 0 ? count : 1;
    if (capped && range > VelKlApplication::kProgressCap)
        range = VelKlApplication::kProgressCap;
    return range;
}

}  // namespace

VelKlStartup::VelKlStartup() : loadLanguage(&LoadLanguage), themeName(kDefaultTheme) {}

VelKlApplication::VelKlApplication() : VelKlApplication(VelKlStartup()) {}

VelKlApplication::VelKlApplication(const VelKlStartup& startup)
    : VelApplication(kApplicationName), m_startup(startup), m_context(nullptr), m_thread(nullptr),
      m_threadId(0xFFFFFFFF), m_contactsAnnounced(false), m_storesAnnounced(false), m_firstLoadsStarted(false),
      m_storesOpen(false), m_loadMorePosted(false), m_firstRowsPainted(false), m_longestTickMs(0), m_loaderTicks(0),
      m_counterFrequency(0), m_lastTickClose(0), m_clockTimer(nullptr), m_loaderTimer(nullptr), m_closing(false),
      m_currentDate(VelDateTime::Now()), m_unreadSmsCount(0), m_missedCallCount(0), m_currentTab(1),
      m_idleResetDone(false), m_languageLoaded(false), m_loadedOnce(false), m_contactListView(nullptr),
      m_unreadBeforeLoad(0), m_mainWindow(nullptr), m_callsLoading(false), m_callsChangedWhileLoading(false),
      m_callsGeneration(0), m_heldForStores(false)
{
    m_firstTables[0] = m_firstTables[1] = nullptr;
    if (!m_startup.loadLanguage)
        m_startup.loadLanguage = &LoadLanguage;
    if (m_startup.themeName.empty())
        m_startup.themeName = kDefaultTheme;
}

VelKlApplication::~VelKlApplication()
{
    // A run that never reached its close (a test, a failed start) ends here.
    StopDataThread();
    ReleasePendingLoads();
    delete m_mainWindow;
    m_mainWindow = nullptr;
    delete m_clockTimer;
    delete m_loaderTimer;
    DrainDataRequests();
}

const wchar_t* VelKlApplication::GetClassName() const { return L"VelKlApplication"; }

int VelKlApplication::Run() { return VelApplication::Run(true, 0); }

int VelKlApplication::OnStarted(const VelEventArgs* args) { return Init(args); }

int VelKlApplication::OnExit(const VelEventArgs* args)
{
    Shutdown(args);
    return 0;
}

// ---------------------------------------------------------------- start-up

void VelKlApplication::LoadConfiguredLanguage()
{
    m_languageLoaded = ::LoadConfiguredLanguage(m_startup.configPath.empty() ? GetConfigPath() : m_startup.configPath,
                                                m_startup.loadLanguage);
}

int VelKlApplication::Init(const VelEventArgs* args)
{
    ::CoInitializeEx(nullptr, 0);
    LoadConfiguredLanguage();
    LoadDateNames();

    m_thread = ::CreateThread(nullptr, 0, &DataThreadEntry, this, 0, &m_threadId);
    if (!m_thread) {
        m_threadId = 0xFFFFFFFF;
        Log(L"VelKlApplication::Init: CreateThread failed.\n");
        // Without a window the run loop would wait for ever, holding the
        // single-instance guard.
        Quit();
        return 0;
    }
    LARGE_INTEGER frequency;
    if (::QueryPerformanceFrequency(&frequency))
        m_counterFrequency = frequency.QuadPart;
    // Until a close has been timed: about what the first rows' paint costs.
    m_lastTickClose = m_counterFrequency * kFirstCloseGuessUs / 1000000;

    LoadTheme(m_startup.themeName);

    const VelMainWindowViews views = MakeKlViews();
    m_mainWindow = new (std::nothrow) VelMainWindow(this, "main-window", views);
    if (m_mainWindow) {
        m_mainWindow->Created += VelBind(this, &VelKlApplication::OnCreated);
        m_mainWindow->CloseRequested += VelBind(this, &VelKlApplication::StopDataThread);
        m_mainWindow->Open();
        SetMainWindow(m_mainWindow);
    } else {
        Log(L"VelKlApplication::Init: no memory for the main window.\n");
        Quit();
    }
    m_currentTab = 1;

    Wire();

    TimerElapsed += VelBind(this, &VelKlApplication::OnTimer);
    m_clockTimer = new VelTimer(kClockMs, this, nullptr, std::string());
    m_clockTimer->Start();
    m_loaderTimer = new VelTimer(kLoaderMs, this, nullptr, std::string());
    // The stores open while the window is painted; the first loads start
    // when the data thread says the contacts session is open, and Started
    // comes after them.
    ::SetEvent(m_windowMade.Get());
    return 0;
}

void VelKlApplication::AnnounceContactsOpen()
{
    if (m_contactsAnnounced.exchange(true))
        return;
    VelControlCore::Instance->PostUserMessage(kRequestContactsOpen, this, 0);
}

void VelKlApplication::AnnounceStoresOpen()
{
    if (m_storesAnnounced.exchange(true))
        return;
    VelControlCore::Instance->PostUserMessage(kRequestStoresOpen, this, 0);
}

void VelKlApplication::OpenFirstTables()
{
    VelScopedLock lock(&m_firstTablesLock);
    if (m_closing)
        return;
    m_firstTables[0] = CreateDataTable(kCallsTable);
    m_firstTables[1] = CreateDataTable(kMessagesTable);
}

void VelKlApplication::DeleteFirstTables()
{
    VelScopedLock lock(&m_firstTablesLock);
    for (VelDataTable*& table : m_firstTables) {
        delete table;
        table = nullptr;
    }
}

void VelKlApplication::OnContactsOpen()
{
    // Closing stops the data thread, which lets go of the stores.
    if (m_firstLoadsStarted || m_closing)
        return;
    m_firstLoadsStarted = true;
    StartFirstLoads();
    VelEventArgs started;
    VelApplication::OnStarted(&started);
}

void VelKlApplication::OnStoresOpen()
{
    if (m_storesOpen || m_closing || !m_firstLoadsStarted)
        return;
    m_storesOpen = true;
    WireSmsSink();
    ::SetEvent(m_wired.Get());
    VelDataTable* opened[2] = {};
    {
        VelScopedLock lock(&m_firstTablesLock);
        std::swap(opened, m_firstTables);
    }
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->table || it->kind == VelPendingLoad::kContacts) {
            ++it;
            continue;
        }
        const int slot = it->kind == VelPendingLoad::kCalls ? 0 : 1;
        it->table = opened[slot] ? opened[slot] : CreateDataTable(slot == 0 ? kCallsTable : kMessagesTable);
        opened[slot] = nullptr;
        if (!it->table) {
            it = m_pending.erase(it);
            continue;
        }
        RangeProgress(it->table, it->progress, true);
        ++it;
    }
    for (VelDataTable* table : opened)
        delete table;
    NoteCallsLoad();
    // The loads that waited for these stores go on.
    const bool held = m_heldForStores;
    m_heldForStores = false;
    if (m_loaderTimer) {
        if (m_pending.empty())
            m_loaderTimer->Stop();
        else if (held)
            m_loaderTimer->Start();
    }
    if (held && !m_pending.empty() && FlushLoadPaints())
        PostLoadMore();
}

void VelKlApplication::HoldLoadsForStores()
{
    if (m_loaderTimer && m_loaderTimer->IsActive()) {
        m_loaderTimer->Stop();
        m_heldForStores = true;
    }
}

void VelKlApplication::StartFirstLoads()
{
    if (VelContactListView* contacts = GetContactListView())
        StartLoad(VelPendingLoad::kContacts, contacts, ListOf(contacts) ? ListOf(contacts)->GetProgress() : nullptr);
    if (VelCallListView* calls = GetCallListView())
        StartLoad(VelPendingLoad::kCalls, calls, ListOf(calls) ? ListOf(calls)->GetProgress() : nullptr);
    if (VelSmsListView* sms = GetSmsListView())
        StartLoad(VelPendingLoad::kMessages, sms, ListOf(sms) ? ListOf(sms)->GetProgress() : nullptr);
}

void VelKlApplication::OnCreated(VelObject*, const VelCreateEventArgs*) {}

int VelKlApplication::OnMainWindowShown(const VelControlEventArgs* args)
{
    // The run loop has painted the window (UpdateWindow) before it says so.
    LogStartupMilestone(L"first frame");
    return VelApplication::OnMainWindowShown(args);
}

void VelKlApplication::LogStartupMilestone(const wchar_t* what)
{
    FILETIME created, exited, kernel, user, now;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return;
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG start = (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    const ULONGLONG end = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    wchar_t line[128];
    _snwprintf(line, 127, L"VelKlApplication: %ls %llu ms after the process started.\n", what,
               (end - start) / 10000ULL);
    line[127] = 0;
    Log(line);
}

void VelKlApplication::OnChildDestroyed(VelObject* sender, const VelObjectDestroyEventArgs* args)
{
    if (args && args->object == m_mainWindow) {
        m_mainWindow = nullptr;
        m_contactListView = nullptr;
    }
    VelApplication::OnChildDestroyed(sender, args);
}

void VelKlApplication::Wire()
{
    VelMainView* main = GetMainView();
    if (main)
        main->TabChanged.Connect(this, &VelKlApplication::OnTabChanged);
    if (VelFavoritesView* favorites = GetFavoritesView()) {
        favorites->ItemActivated.Connect(this, &VelKlApplication::OnContactActivated);
        favorites->TitleButtonClicked.Connect(this, &VelKlApplication::OnListMenuButton);
        ClearAll.Connect(static_cast<VelKlView*>(favorites), &VelKlView::ClearList);
    }
    m_contactListView = main ? dynamic_cast<VelContactListView*>(main->GetListTabView(kContactsTabId)) : nullptr;
    if (m_contactListView) {
        m_contactListView->ItemActivated.Connect(this, &VelKlApplication::OnContactActivated);
        m_contactListView->TitleButtonClicked.Connect(this, &VelKlApplication::OnListMenuButton);
        ClearAll.Connect(static_cast<VelKlView*>(m_contactListView), &VelKlView::ClearList);
    }
    if (VelCallListView* calls = GetCallListView()) {
        calls->ItemActivated.Connect(this, &VelKlApplication::ShowCallDetails);
        ClearAll.Connect(calls, &VelCallListView::ClearList);
        MissedCallsChanged.Connect(calls, &VelCallListView::UpdateCaption);
        DateChanged.Connect(calls, &VelCallListView::StartLoad);
    }
    if (VelSmsListView* sms = GetSmsListView()) {
        sms->ItemActivated.Connect(this, &VelKlApplication::ShowSmsDetails);
        ClearAll.Connect(sms, &VelSmsListView::ClearList);
        sms->TitleButtonClicked.Connect(this, &VelKlApplication::OnListMenuButton);
        UnreadSmsCountChanged.Connect(sms, &VelSmsListView::UpdateCaption);
        DateChanged.Connect(sms, &VelSmsListView::StartLoad);
    }
    if (m_mainWindow) {
        if (VelContactView* contact =
                dynamic_cast<VelContactView*>(m_mainWindow->GetView(VelMainWindow::kContactViewId))) {
            contact->BackClicked.Connect(this, &VelKlApplication::ShowMainView);
            ClearAll.Connect(contact, &VelContactView::OnClear);
        }
        if (VelKlView* call = m_mainWindow->GetView(VelMainWindow::kCallViewId))
            call->BackClicked.Connect(this, &VelKlApplication::ShowMainView);
        if (VelKlView* sms = m_mainWindow->GetView(VelMainWindow::kSmsViewId))
            sms->BackClicked.Connect(this, &VelKlApplication::ShowMainView);
    }
    ContactCreated.Connect(this, &VelKlApplication::OnContactCreated);
    ContactChanged.Connect(this, &VelKlApplication::OnContactChanged);
    ContactDeleted.Connect(this, &VelKlApplication::OnContactDeleted);
    CallLogChanged.Connect(this, &VelKlApplication::OnCallLogChanged);
}

// The message store's sink exists once the data thread has opened the store.
void VelKlApplication::WireSmsSink()
{
    if (VelMapiSink* sink = GetSmsStore().sink) {
        sink->MessageCreated.Connect(this, &VelKlApplication::OnSmsCreated);
        sink->MessageDeleted.Connect(this, &VelKlApplication::OnSmsDeleted);
        sink->MessageMoved.Connect(this, &VelKlApplication::OnSmsMoved);
        sink->MessageModified.Connect(this, &VelKlApplication::OnSmsModified);
    }
}

// ---------------------------------------------------------------- shut-down

void VelKlApplication::Shutdown(const VelEventArgs* args)
{
    ClearAll.Emit();
    ReleasePendingLoads();
    ::CoUninitialize();
    VelApplication::OnExit(args);
}

void VelKlApplication::ReleasePendingLoads()
{
    for (VelPendingLoad& load : m_pending)
        delete load.table;
    m_pending.clear();
    if (m_loaderTimer)
        m_loaderTimer->Stop();
    NoteCallsLoad();
}

void VelKlApplication::StopDataThread(VelObject*, const VelEventArgs*)
{
    m_closing = true;
    // The message tables belong to the session the data thread is about to
    // close: they go while it is still open.
    ReleasePendingLoads();
    if (!m_thread)
        return;
    // Let a thread still waiting for the window or its slots go on to its end.
    ::SetEvent(m_windowMade.Get());
    ::SetEvent(m_wired.Get());
    // A thread still opening its stores may have no queue to take the quit
    // yet; it holds this object, so it must end before this object does.
    while (!::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0) && ::WaitForSingleObject(m_thread, 10) == WAIT_TIMEOUT) {
    }
    ::WaitForSingleObject(m_thread, INFINITE);
    ::CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0xFFFFFFFF;
}

// ---------------------------------------------------------------- clock

void VelKlApplication::OnTimer(VelObject*, const VelTimerEventArgs* args)
{
    if (!args)
        return;
    if (m_clockTimer && args->timerId == m_clockTimer->GetTimerId()) {
        const VelDateTime now = VelDateTime::Now();
        // The whole date: the same day number a month later is another day.
        if (now.GetDay() != m_currentDate.GetDay() || now.GetMonth() != m_currentDate.GetMonth() ||
            now.GetYear() != m_currentDate.GetYear()) {
            m_currentDate = now;
            DateChanged.Emit(&m_currentDate);
        }
        const DWORD idle = GetIdleTime();
        if (idle < kIdleResetMs) {
            m_idleResetDone = false;
        } else if (!m_idleResetDone) {
            if (VelListView* contacts = ListOf(GetContactListView()))
                contacts->ClearSelection();
            if (VelListView* favorites = ListOf(GetFavoritesView()))
                favorites->ClearSelection();
            m_idleResetDone = true;
        }
    } else if (m_loaderTimer && args->timerId == m_loaderTimer->GetTimerId()) {
        LoaderTick(false);
    }
}

// ---------------------------------------------------------------- views

VelMainView* VelKlApplication::GetMainView() const { return m_mainWindow ? m_mainWindow->GetMainView() : nullptr; }

VelFavoritesView* VelKlApplication::GetFavoritesView() const
{
    VelMainView* main = GetMainView();
    return main ? dynamic_cast<VelFavoritesView*>(main->GetListTabView(kFavoritesTabId)) : nullptr;
}

VelCallListView* VelKlApplication::GetCallListView() const
{
    VelMainView* main = GetMainView();
    return main ? dynamic_cast<VelCallListView*>(main->GetListTabView(kCallsTabId)) : nullptr;
}

VelSmsListView* VelKlApplication::GetSmsListView() const
{
    VelMainView* main = GetMainView();
    return main ? dynamic_cast<VelSmsListView*>(main->GetListTabView(kMessagesTabId)) : nullptr;
}

VelListView* VelKlApplication::ListOf(VelKlView* view) const { return view ? view->GetList() : nullptr; }

// ---------------------------------------------------------------- loads

VelDataTable* VelKlApplication::LoadContacts(VelContactListView* view, VelProgress* progress)
{
    if (m_closing)
        return nullptr;
    VelListView* lists[] = {ListOf(view), ListOf(GetFavoritesView())};
    for (VelListView* list : lists) {
        if (!list)
            continue;
        list->BeginLoading();
        list->RemoveAllItems();
        list->RemoveAllGroups();
        list->EndLoading();
    }
    {
        VelScopedLock lock(&m_liveLock);
        m_liveContacts.clear();
    }
    return OpenTable(kContactsTable, progress, false);
}

// The table a load reads, with the progress bar ranged for it and the loader
// timer running.
VelDataTable* VelKlApplication::OpenTable(int kind, VelProgress* progress, bool capped)
{
    VelDataTable* table = CreateDataTable(kind);
    RangeProgress(table, progress, capped);
    if (table && m_loaderTimer)
        m_loaderTimer->Start();
    return table;
}

void VelKlApplication::RangeProgress(VelDataTable* table, VelProgress* progress, bool capped)
{
    if (table && progress) {
        progress->SetRange(ProgressRange(table->GetCount(), capped));
        progress->SetPosition(0);
    }
}

VelDataTable* VelKlApplication::LoadCalls(VelCallListView* view, VelProgress* progress)
{
    if (m_closing)
        return nullptr;
    {
        VelScopedLock lock(&m_callsLoadLock);
        m_callsLoading = true;
        ++m_callsGeneration;
    }
    if (VelListView* list = ListOf(view)) {
        list->BeginLoading();
        view->ClearList();
        list->EndLoading();
    }
    // Until the data thread has opened the call log the load waits for it.
    return m_storesOpen ? OpenTable(kCallsTable, progress, true) : nullptr;
}

VelDataTable* VelKlApplication::LoadSms(VelSmsListView* view, VelProgress* progress)
{
    if (m_closing)
        return nullptr;
    if (VelListView* list = ListOf(view)) {
        list->BeginLoading();
        view->ClearList();
        list->EndLoading();
    }
    {
        VelScopedLock lock(&m_liveLock);
        m_liveSms.clear();
    }
    m_unreadBeforeLoad = m_unreadSmsCount;
    {
        VelScopedLock lock(&m_unreadLock);
        m_unreadIds.clear();
        m_unreadSmsCount = 0;
    }
    return m_storesOpen ? OpenTable(kMessagesTable, progress, true) : nullptr;
}

void VelKlApplication::CancelPendingLoads(int kind)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->kind == kind) {
            delete it->table;
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    NoteCallsLoad();
}

void VelKlApplication::StartLoad(int kind, VelKlView* view, VelProgress* progress)
{
    VelDataTable* table = nullptr;
    // A load still running for the same list would go on filling the list
    // this one has just cleared.
    if (kind >= VelPendingLoad::kContacts && kind <= VelPendingLoad::kMessages && !m_closing)
        CancelPendingLoads(kind);
    switch (kind) {
    case VelPendingLoad::kContacts:
        table = LoadContacts(dynamic_cast<VelContactListView*>(view), progress);
        break;
    case VelPendingLoad::kCalls:
        table = LoadCalls(dynamic_cast<VelCallListView*>(view), progress);
        break;
    case VelPendingLoad::kMessages:
        table = LoadSms(dynamic_cast<VelSmsListView*>(view), progress);
        break;
    default:
        return;
    }
    // A calls or messages load that waits for its store is given its table
    // when the store is announced.
    if (table) {
        m_pending.push_back(VelPendingLoad{kind, progress, table});
    } else if (kind != VelPendingLoad::kContacts && !m_storesOpen && m_firstLoadsStarted && !m_closing) {
        m_pending.push_back(VelPendingLoad{kind, progress, nullptr});
        if (m_loaderTimer)
            m_loaderTimer->Start();
    }
    if (m_pending.empty() && m_loaderTimer)
        m_loaderTimer->Stop();
    NoteCallsLoad();
    // The first rows need not wait for the timer's first tick.
    if (FlushLoadPaints())
        PostLoadMore();
}

bool VelKlApplication::LoadStep(LONGLONG deadline)
{
    if (m_pending.empty()) {
        if (m_loaderTimer)
            m_loaderTimer->Stop();
        return false;
    }
    // A load waiting for its store holds the timer until the store is announced.
    if (!m_pending.front().table) {
        HoldLoadsForStores();
        return false;
    }
    VelPendingLoad& load = m_pending.front();
    bool done = true;
    switch (load.kind) {
    case VelPendingLoad::kContacts:
        done = ContactsStep(load, deadline);
        break;
    case VelPendingLoad::kCalls:
        done = CallsStep(load, deadline);
        break;
    case VelPendingLoad::kMessages:
        done = SmsStep(load, deadline);
        break;
    }
    if (!done || m_pending.empty())
        return false;
    VelPendingLoad finished = m_pending.front();
    m_pending.pop_front();
    if (finished.progress)
        finished.progress->SetPosition(finished.progress->GetRange());
    RetireTable(finished.table);
    NoteCallsLoad();
    if (finished.kind == VelPendingLoad::kCalls)
        ReadMissedCallCount();
    else if (finished.kind == VelPendingLoad::kMessages && m_unreadSmsCount != m_unreadBeforeLoad)
        UnreadSmsCountChanged.Emit(m_unreadSmsCount);
    if (m_pending.empty() && m_loaderTimer)
        m_loaderTimer->Stop();
    else if (!m_pending.front().table)
        HoldLoadsForStores();
    return true;
}

namespace {

LONGLONG CounterNow()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Input, an expired timer or a call from another thread: what the loads must
// not keep waiting. Posted messages already queue ahead of a continuation;
// paints the loader asks for itself. Each look at the queue asks the server.
const UINT kWaitingInput = QS_INPUT | QS_TIMER | QS_HOTKEY | QS_SENDMESSAGE;

bool InputWaiting() { return (HIWORD(::GetQueueStatus(kWaitingInput)) & kWaitingInput) != 0; }

}  // namespace

void VelKlApplication::LoaderTick(bool continuation)
{
    const LONGLONG start = CounterNow();
    LONGLONG close = 0;
    if (!continuation) {
        LoadStep();
    } else {
        // A stopped loader timer holds the loads.
        if (m_pending.empty() || !m_loaderTimer || !m_loaderTimer->IsActive())
            return;
        if (InputWaiting())
            return;  // the loader timer's tick, which comes after what waits, goes on
        // While the continuations run, the timer is set back at each so that
        // it does not cut in on them; it ticks once they stop.
        m_loaderTimer->Start();
        // One repaint for the whole tick: the units' own brackets nest in
        // these, opened on the lists the units fill, as their loads come up.
        VelListView* opened[4] = {};
        size_t openedCount = 0;
        auto open = [&](VelListView* list) {
            if (!list || std::find(opened, opened + openedCount, list) != opened + openedCount)
                return;
            list->BeginLoading();
            opened[openedCount++] = list;
        };
        // Rows are read up to the deadline, checked at each row: room is left
        // for closing the brackets and painting, which costs about what it
        // did lately.
        const LONGLONG deadline = start + m_counterFrequency * kLoaderBudgetUs / 1000000 - m_lastTickClose;
        do {
            switch (m_pending.front().kind) {
            case VelPendingLoad::kContacts:
                open(ListOf(GetFavoritesView()));
                open(ListOf(GetContactListView()));
                break;
            case VelPendingLoad::kCalls:
                open(ListOf(GetCallListView()));
                break;
            case VelPendingLoad::kMessages:
                open(ListOf(GetSmsListView()));
                break;
            }
            // A load's end has its own work (counts, captions): the next load
            // starts in the next tick.
            if (LoadStep(deadline))
                break;
        } while (!m_pending.empty() && m_pending.front().table && !m_closing && CounterNow() < deadline &&
                 !InputWaiting());
        close = CounterNow();
        while (openedCount > 0)
            opened[--openedCount]->EndLoading();
    }
    const bool more = FlushLoadPaints();
    if (close) {
        // A dear close is remembered for a few ticks, so that one cheap
        // close does not let the next tick run long.
        const LONGLONG cost = CounterNow() - close;
        m_lastTickClose = std::max(cost, m_lastTickClose - m_lastTickClose / 4);
    }
    if (more)
        PostLoadMore();
    NoteLoaderTick(CounterNow() - start);
}

// The progress bars invalidate their hosts: the loop would paint them only
// once no continuation is queued, so they are painted here. False when
// something other than this window's paint still waits.
bool VelKlApplication::FlushLoadPaints()
{
    DWORD waiting = HIWORD(::GetQueueStatus(kWaitingInput | QS_PAINT));
    if ((waiting & QS_PAINT) && m_mainWindow && m_mainWindow->GetHandle()) {
        ::RedrawWindow(m_mainWindow->GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        waiting = HIWORD(::GetQueueStatus(kWaitingInput | QS_PAINT));
    }
    return (waiting & (kWaitingInput | QS_PAINT)) == 0;
}

void VelKlApplication::NoteLoaderTick(LONGLONG ticks)
{
    if (m_loadedOnce)
        return;
    if (m_counterFrequency > 0)
        m_longestTickMs = std::max(m_longestTickMs, double(ticks) * 1000.0 / double(m_counterFrequency));
    ++m_loaderTicks;
    if (!m_firstRowsPainted) {
        // The lists paint when their loading bracket closes, at the end of
        // the unit or of the tick.
        VelMainView* main = GetMainView();
        VelListView* current = main ? ListOf(main->GetListTabView(m_currentTab)) : nullptr;
        if (current && !current->GetItems().empty()) {
            m_firstRowsPainted = true;
            LogStartupMilestone(L"first rows painted");
        }
    }
    if (m_pending.empty() && m_storesOpen) {
        m_loadedOnce = true;
        wchar_t line[128];
        _snwprintf(line, 127, L"VelKlApplication: longest loader tick %.2f ms; loader ticks %d.\n", m_longestTickMs,
                   m_loaderTicks);
        line[127] = 0;
        Log(line);
        LogStartupMilestone(L"all lists loaded");
    }
}

// Posted only while the loader timer runs and, as the caller saw, nothing
// else waits: a posted message comes before input, paints and timers, so an
// endless chain of them would shut those out. The timer's tick picks the
// loads up again after them.
void VelKlApplication::PostLoadMore()
{
    if (m_loadMorePosted || m_pending.empty() || m_closing || !m_loaderTimer || !m_loaderTimer->IsActive())
        return;
    m_loadMorePosted = true;
    VelControlCore::Instance->PostUserMessage(kRequestLoadMore, this, 0);
}

namespace {

// The next entry of the table; an entry that cannot be read is passed over
// rather than ending the load. Null at the end.
VelDataItem* NextEntry(VelDataTable* table)
{
    for (;;) {
        if (VelDataItem* item = table->GetEntry())
            return item;
        if (!table->Seek(1, VelDataTable::kSeekCurrent))
            return nullptr;
    }
}

void Advance(VelDataTable* table, VelProgress* progress)
{
    table->Seek(1, VelDataTable::kSeekCurrent);
    if (progress)
        progress->SetPosition(progress->GetPosition() + 1);
}

// One tick of the call or message list's load: up to a tick's rows, each
// listed unless `admit` turns it away. True once the table is exhausted.
// Past the deadline, if there is one.
bool Overdue(LONGLONG deadline) { return deadline != 0 && CounterNow() >= deadline; }

template <class Item, class Row, class Admit>
bool LoadDatedRows(VelPendingLoad& load, VelListView* list, const std::atomic<bool>& closing, LONGLONG deadline,
                   Admit admit)
{
    if (list)
        list->BeginLoading();
    bool done = false;
    for (int row = 0; row < VelKlApplication::kRowsPerTick; ++row) {
        std::unique_ptr<VelDataItem> entry(NextEntry(load.table));
        Item* item = dynamic_cast<Item*>(entry.get());
        if (!item || closing) {
            done = true;
            break;
        }
        entry.release();
        if (admit(item) && list)
            list->AddItem(new Row(item));
        else
            delete item;
        Advance(load.table, load.progress);
        if (Overdue(deadline))
            break;
    }
    if (list)
        list->EndLoading();
    return done;
}

}  // namespace

bool VelKlApplication::ContactsStep(VelPendingLoad& load, LONGLONG deadline)
{
    VelListView* contacts = ListOf(GetContactListView());
    VelListView* favorites = ListOf(GetFavoritesView());
    if (favorites)
        favorites->BeginLoading();
    if (contacts)
        contacts->BeginLoading();
    bool done = false;
    for (int row = 0; row < kRowsPerTick; ++row) {
        std::unique_ptr<VelDataItem> entry(NextEntry(load.table));
        VelContactItem* contact = dynamic_cast<VelContactItem*>(entry.get());
        if (!contact || m_closing) {
            done = true;
            break;
        }
        entry.release();
        const bool favorite = contact->GetFavorite();
        if (TakeLiveContact(contact->GetId())) {
            // Listed already by its creation's notification.
            delete contact;
            Advance(load.table, load.progress);
            continue;
        }
        if (contacts)
            contacts->AddItem(new VelContactListViewItem(contact));
        else
            delete contact;
        if (favorite && favorites) {
            std::unique_ptr<VelDataItem> second(load.table->GetEntry());
            if (VelContactItem* copy = dynamic_cast<VelContactItem*>(second.get())) {
                second.release();
                favorites->AddItem(new VelContactListViewItem(copy));
            }
        }
        Advance(load.table, load.progress);
        if (Overdue(deadline))
            break;
    }
    if (contacts)
        contacts->EndLoading();
    if (favorites)
        favorites->EndLoading();
    return done;
}

bool VelKlApplication::CallsStep(VelPendingLoad& load, LONGLONG deadline)
{
    return LoadDatedRows<VelCallItem, VelCallListViewItem>(load, ListOf(GetCallListView()), m_closing, deadline,
                                                           [](VelCallItem*) { return true; });
}

bool VelKlApplication::SmsStep(VelPendingLoad& load, LONGLONG deadline)
{
    return LoadDatedRows<VelSmsItem, VelSmsListViewItem>(load, ListOf(GetSmsListView()), m_closing, deadline,
                                                         [this](VelSmsItem* message) {
                                                             // A notification listed it during the load.
                                                             if (TakeLiveSms(message->GetEntryId()))
                                                                 return false;
                                                             // Read with the row a moment ago.
                                                             if (message->WasUnreadWhenRead())
                                                                 TrackUnread(message->GetEntryId(), true);
                                                             return true;
                                                         });
}

// ---------------------------------------------------------------- counts

void VelKlApplication::SetMissedCallCount(DWORD count)
{
    if (m_missedCallCount.exchange(count) != count)
        PostCountChanged(kRequestMissedCalls);
}

bool VelKlApplication::TrackUnread(const VelEntryId& entryId, bool unread)
{
    VelScopedLock lock(&m_unreadLock);
    const bool changed = unread ? m_unreadIds.insert(entryId).second : m_unreadIds.erase(entryId) != 0;
    m_unreadSmsCount = static_cast<int32_t>(m_unreadIds.size());
    return changed;
}

void VelKlApplication::NoteLiveContact(int32_t id)
{
    VelScopedLock lock(&m_liveLock);
    m_liveContacts.insert(id);
}

void VelKlApplication::NoteLiveSms(const VelEntryId& entryId)
{
    VelScopedLock lock(&m_liveLock);
    m_liveSms.insert(entryId);
}

bool VelKlApplication::TakeLiveContact(int32_t id)
{
    VelScopedLock lock(&m_liveLock);
    return m_liveContacts.erase(id) != 0;
}

bool VelKlApplication::TakeLiveSms(const VelEntryId& entryId)
{
    VelScopedLock lock(&m_liveLock);
    return m_liveSms.erase(entryId) != 0;
}

void VelKlApplication::PostCountChanged(int request)
{
    if (::GetCurrentThreadId() == ::GetWindowThreadProcessId(VelControlCore::Instance->GetCallbackWindow(), nullptr)) {
        VelUserMessageEventArgs args{request, 0};
        OnUserMessage(&args);
        return;
    }
    // The captions are painted on the UI thread: they change there too.
    VelControlCore::Instance->PostUserMessage(request, this, 0);
}

int VelKlApplication::OnUserMessage(const VelUserMessageEventArgs* args)
{
    if (args && args->code == kRequestLoadMore) {
        m_loadMorePosted = false;
        LoaderTick(true);
    } else if (args && args->code == kRequestContactsOpen) {
        OnContactsOpen();
    } else if (args && args->code == kRequestStoresOpen) {
        OnStoresOpen();
    } else if (args && args->code == kRequestMissedCalls) {
        MissedCallsChanged.Emit(static_cast<int32_t>(m_missedCallCount.load()));
    } else if (args && args->code == kRequestUnreadSms) {
        UnreadSmsCountChanged.Emit(m_unreadSmsCount.load());
    }
    return VelApplication::OnUserMessage(args);
}

void VelKlApplication::ReadMissedCallCount()
{
    DWORD count = 0;
    if (ReadRegistryCount(&count))
        SetMissedCallCount(count);
}

void VelKlApplication::ResetMissedCallCount()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPhoneStateKey, 0, kKeyWrite, &key) != ERROR_SUCCESS)
        return;
    const DWORD zero = 0;
    const LONG written =
        ::RegSetValueExW(key, kMissedCallValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof(zero));
    ::RegCloseKey(key);
    // The caption follows only what the registry took.
    if (written == ERROR_SUCCESS)
        SetMissedCallCount(0);
}

// ---------------------------------------------------------------- handlers

void VelKlApplication::OnTabChanged(int, int newTab, VelTabPage*)
{
    if (newTab == kCallsTabId)
        ResetMissedCallCount();
    m_currentTab = newTab;
}

void VelKlApplication::OnContactActivated(VelItem* item)
{
    VelContactListViewItem* row = dynamic_cast<VelContactListViewItem*>(item);
    if (!row || !row->GetContact() || !m_mainWindow)
        return;
    VelMainView* main = GetMainView();
    if (main && !main->GetTypedKeys().empty()) {
        if (VelListView* list = ListOf(GetContactListView())) {
            list->BeginLoading();
            main->ResetKeypadSearch();
            list->ScrollToItem(row);
            list->EndLoading();
        }
    }
    if (VelContactView* view = dynamic_cast<VelContactView*>(m_mainWindow->GetView(VelMainWindow::kContactViewId))) {
        view->ShowContact(row->GetContact());
        m_mainWindow->ShowView(VelMainWindow::kContactViewId, VelMainWindow::kSlideFromRight);
    }
}

void VelKlApplication::ShowCallDetails(VelItem* item)
{
    VelCallListViewItem* row = dynamic_cast<VelCallListViewItem*>(item);
    if (!row || !row->GetCall() || !m_mainWindow)
        return;
    if (VelCallView* view = dynamic_cast<VelCallView*>(m_mainWindow->GetView(VelMainWindow::kCallViewId))) {
        view->ShowCall(row->GetCall());
        m_mainWindow->ShowView(VelMainWindow::kCallViewId, VelMainWindow::kSlideFromRight);
    }
}

void VelKlApplication::ShowSmsDetails(VelItem* item)
{
    VelSmsListViewItem* row = dynamic_cast<VelSmsListViewItem*>(item);
    if (!row || !row->GetMessage() || !m_mainWindow)
        return;
    if (VelSmsView* view = dynamic_cast<VelSmsView*>(m_mainWindow->GetView(VelMainWindow::kSmsViewId))) {
        view->ShowMessage(row->GetMessage());
        m_mainWindow->ShowView(VelMainWindow::kSmsViewId, VelMainWindow::kSlideFromRight);
    }
    row->GetMessage()->SetUnread(false);
}

void VelKlApplication::ShowMainView()
{
    if (m_mainWindow)
        m_mainWindow->ShowView(VelMainWindow::kMainViewId, VelMainWindow::kSlideFromLeft);
}

void VelKlApplication::OnListMenuButton(VelToolbar* titleBar, VelToolbarItem* button)
{
    if (!button || !m_mainWindow)
        return;
    const int id = button->GetId();
    if (id == kNewContactButtonId) {
        delete CreateNewContact(m_mainWindow->GetHandle());
        return;
    }
    if (id != kListMenuButtonId)
        return;

    VelListView* list = nullptr;
    if (m_currentTab == kFavoritesTabId)
        list = ListOf(GetFavoritesView());
    else if (m_currentTab == kContactsTabId)
        list = ListOf(GetContactListView());
    else if (m_currentTab == kMessagesTabId)
        list = ListOf(GetSmsListView());
    if (!list)
        return;

    VelContextMenu menu(nullptr, "list-menu");
    const bool messages = m_currentTab == kMessagesTabId;
    const bool selection = !list->GetSelection().empty();
    if (messages) {
        menu.AddString(LoadLocalizedString(kStrMarkAllRead), m_unreadSmsCount != 0);
    } else {
        menu.AddString(LoadLocalizedString(kStrNewMessage), true);
        menu.AddString(LoadLocalizedString(kStrMessageSelected), selection);
        menu.AddSeparator();
        menu.AddString(LoadLocalizedString(kStrClearSelection), selection);
    }
    const RECT rect = button->GetRect();
    VelPoint corner(rect.right, rect.bottom);
    if (titleBar)
        m_mainWindow->MapPointFrom(titleBar, corner);
    const int chosen = menu.Show(m_mainWindow, corner);

    if (messages) {
        if (chosen != kMenuMarkAllRead)
            return;
        // Every message: older unread ones would keep the command enabled
        // while it could never reach them.
        std::unique_ptr<VelDataTable> table(CreateDataTable(kMessagesTable));
        if (!table)
            return;
        list->BeginLoading();
        while (!m_closing) {
            std::unique_ptr<VelDataItem> entry(table->GetEntry());
            VelSmsItem* message = dynamic_cast<VelSmsItem*>(entry.get());
            if (!message)
                break;
            if (message->IsUnread())
                message->SetUnread(false);
            table->Seek(1, VelDataTable::kSeekCurrent);
        }
        list->EndLoading();
        return;
    }
    if (chosen == kMenuNewMessage) {
        StartSmsComposer(std::wstring());
    } else if (chosen == kMenuMessageSelected) {
        std::wstring recipients;
        const std::vector<VelItem*> selected = list->GetSelection();
        for (VelItem* item : selected) {
            VelContactListViewItem* row = dynamic_cast<VelContactListViewItem*>(item);
            if (!row || !row->GetContact())
                continue;
            const std::wstring mobile = row->GetContact()->GetMobileNumber();
            if (mobile.empty())
                continue;
            recipients += FormatSmsRecipient(mobile, row->GetContact()->GetDisplayNameText());
            recipients += L";";
        }
        StartSmsComposer(recipients);
        list->ClearSelection();
    } else if (chosen == kMenuClearSelection) {
        list->ClearSelection();
    }
}

void VelKlApplication::OnContactCreated(int32_t id)
{
    if (m_closing)
        return;
    VelContactItem* item = CreateContactItem(id);
    if (!item)
        return;
    VelListView* contacts = ListOf(GetContactListView());
    VelListView* favorites = ListOf(GetFavoritesView());
    const bool favorite = item->GetFavorite();
    if (contacts) {
        VelListView::Lock lock(contacts);
        // A load under way may have listed it already.
        if (!contacts->FindItem(FindContactItemId(id))) {
            contacts->AddItem(new VelContactListViewItem(item));
            item = nullptr;
            NoteLiveContact(id);
        }
    }
    delete item;
    if (favorite && favorites) {
        VelListView::Lock lock(favorites);
        if (!favorites->FindItem(FindContactItemId(id)))
            if (VelContactItem* copy = CreateContactItem(id))
                favorites->AddItem(new VelContactListViewItem(copy));
    }
}

void VelKlApplication::OnContactChanged(int32_t id)
{
    if (m_closing)
        return;
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    if (!item) {
        RemoveContactRows(id);
        return;
    }
    if (VelListView* contacts = ListOf(GetContactListView())) {
        VelListView::Lock lock(contacts);
        if (VelContactListViewItem* row =
                dynamic_cast<VelContactListViewItem*>(contacts->FindItem(FindContactItemId(id)))) {
            row->GetContact()->Load(nullptr);
            contacts->RefreshItem(row);
        }
    }
    if (VelListView* favorites = ListOf(GetFavoritesView())) {
        VelListView::Lock lock(favorites);
        VelContactListViewItem* row = dynamic_cast<VelContactListViewItem*>(favorites->FindItem(FindContactItemId(id)));
        if (!row && item->GetFavorite()) {
            favorites->AddItem(new VelContactListViewItem(item.release()));
        } else if (row && !item->GetFavorite()) {
            favorites->RemoveItem(row);
        } else if (row) {
            row->GetContact()->Load(nullptr);
            favorites->RefreshItem(row);
        }
    }
}

void VelKlApplication::OnContactDeleted(int32_t id)
{
    // Any process can post the session's messages: a contact the store still
    // has stays listed.
    if (std::unique_ptr<VelContactItem> live{CreateContactItem(id)})
        return;
    RemoveContactRows(id);
}

void VelKlApplication::RemoveContactRows(int32_t id)
{
    VelListView* lists[] = {ListOf(GetFavoritesView()), ListOf(GetContactListView())};
    for (VelListView* list : lists) {
        if (!list)
            continue;
        VelListView::Lock lock(list);
        if (VelItem* row = list->FindItem(FindContactItemId(id)))
            list->RemoveItem(row);
    }
}

void VelKlApplication::OnCallLogChanged(uint32_t code, uint32_t recordId)
{
    if (VelCallListView* calls = GetCallListView())
        calls->RequestRefresh(code, recordId);
}

bool VelKlApplication::IsWatchedFolder(const std::vector<BYTE>& parent) const
{
    if (parent.empty())
        return false;
    return parent == GetCachedSmsFolderId(kSmsReceived) || parent == GetCachedSmsFolderId(kSmsSent);
}

void VelKlApplication::AddSmsRow(VelMapiMessage* message, bool replace)
{
    VelListView* list = ListOf(GetSmsListView());
    VelSmsItem* item = new VelSmsItem(message);
    VelSmsListViewItem* row = new VelSmsListViewItem(item);
    const bool unread = item->IsUnread();
    if (!list) {
        delete row;
        return;
    }
    {
        VelListView::Lock lock(list);
        if (VelItem* listed = list->FindItem(FindSmsItemId(item->GetEntryId()))) {
            if (!replace) {
                delete row;
                return;
            }
            // Moved between the shown folders: received becomes sent, or
            // back, and the row shows it as it is now.
            list->RemoveItem(listed);
        }
        list->AddItem(row);
        NoteLiveSms(item->GetEntryId());
    }
    if (TrackUnread(item->GetEntryId(), unread))
        PostCountChanged(kRequestUnreadSms);
}

void VelKlApplication::OnSmsCreated(VelMapiMessage* message)
{
    if (!message || m_closing)
        return;
    std::unique_ptr<VelMapiMessage> opened(OpenMessageById(message->GetEntryId()));
    if (opened && IsWatchedFolder(ParentOf(opened.get())))
        AddSmsRow(opened.release());
}

void VelKlApplication::OnSmsDeleted(VelMapiMessage* message)
{
    // Matched by the notification's identifier: a deleted message can
    // usually no longer be opened.
    if (message)
        RemoveSmsRow(message->GetEntryId());
}

void VelKlApplication::RemoveSmsRow(const VelEntryId& entryId)
{
    VelListView* list = ListOf(GetSmsListView());
    if (!list)
        return;
    {
        VelListView::Lock lock(list);
        VelItem* row = list->FindItem(FindSmsItemId(entryId));
        if (!row)
            return;
        list->RemoveItem(row);
    }
    if (TrackUnread(entryId, false))
        PostCountChanged(kRequestUnreadSms);
}

void VelKlApplication::OnSmsMoved(VelMapiMessage* message)
{
    if (!message || m_closing)
        return;
    std::unique_ptr<VelMapiMessage> opened(OpenMessageById(message->GetEntryId()));
    if (!opened)
        return;
    // Into a shown folder it is listed once; into any other (deleted items,
    // the outbox, drafts, a folder of its own) it leaves the list and the count.
    if (IsWatchedFolder(ParentOf(opened.get())))
        AddSmsRow(opened.release(), true);
    else
        RemoveSmsRow(opened->GetEntryId());
}

void VelKlApplication::OnSmsModified(VelMapiMessage* message)
{
    if (!message || m_closing)
        return;
    std::unique_ptr<VelMapiMessage> opened(OpenMessageById(message->GetEntryId()));
    if (!opened)
        return;
    if (!IsWatchedFolder(ParentOf(opened.get()))) {
        RemoveSmsRow(opened->GetEntryId());
        return;
    }
    VelListView* list = ListOf(GetSmsListView());
    if (!list)
        return;
    bool unread = false;
    bool listed = false;
    {
        VelListView::Lock lock(list);
        VelSmsListViewItem* row =
            dynamic_cast<VelSmsListViewItem*>(list->FindItem(FindSmsItemId(opened->GetEntryId())));
        if (row) {
            listed = true;
            list->BeginLoading();
            unread = row->Refresh();
            list->RefreshItem(row);
            list->EndLoading();
        }
    }
    if (!listed) {
        // In a shown folder and not listed: a move into it went unheard.
        AddSmsRow(opened.release());
        return;
    }
    if (TrackUnread(opened->GetEntryId(), unread))
        PostCountChanged(kRequestUnreadSms);
}

// ---------------------------------------------------------------- data thread

void VelKlApplication::PostDataRequest(uint32_t kind, VelKlView* view, uint32_t code, uint32_t recordId)
{
    if (m_threadId == 0xFFFFFFFF)
        return;
    VelDataRequest* request = new (std::nothrow) VelDataRequest{kind, view, code, recordId};
    if (!request)
        return;
    {
        VelScopedLock lock(&m_requestLock);
        m_liveRequests.insert(request);
    }
    if (::PostThreadMessageW(m_threadId, kDataRequestMessage, 0, reinterpret_cast<LPARAM>(request)))
        return;
    // Not posted: nobody else will free it.
    if (TakeDataRequest(request))
        delete request;
}

bool VelKlApplication::TakeDataRequest(VelDataRequest* request)
{
    VelScopedLock lock(&m_requestLock);
    return m_liveRequests.erase(request) != 0;
}

void VelKlApplication::DrainDataRequests()
{
    VelScopedLock lock(&m_requestLock);
    for (VelDataRequest* request : m_liveRequests)
        delete request;
    m_liveRequests.clear();
}

void VelKlApplication::RetireTable(VelDataTable* table)
{
    if (!table)
        return;
    if (m_threadId != 0xFFFFFFFF && !m_closing) {
        {
            VelScopedLock lock(&m_requestLock);
            m_retiredTables.insert(table);
        }
        if (::PostThreadMessageW(m_threadId, kRetiredTableMessage, 0, reinterpret_cast<LPARAM>(table)))
            return;
        if (!TakeRetiredTable(table))
            return;  // deleted already by a thread draining the set
    }
    delete table;
}

bool VelKlApplication::TakeRetiredTable(VelDataTable* table)
{
    VelScopedLock lock(&m_requestLock);
    return m_retiredTables.erase(table) != 0;
}

void VelKlApplication::DeleteRetiredTables()
{
    std::set<VelDataTable*> left;
    {
        VelScopedLock lock(&m_requestLock);
        left.swap(m_retiredTables);
    }
    for (VelDataTable* table : left)
        delete table;
}

namespace {

// The log gives its calls no identity of their own: what a row shows tells them apart.
typedef std::tuple<VelDateTime, VelDateTime, std::wstring, std::wstring, uint32_t, bool> CallKey;

CallKey KeyOf(const VelCallItem& call)
{
    return CallKey(call.GetStart(), call.GetEnd(), call.GetNumber(), call.GetName(), call.GetCallFlags(),
                   call.IsOutgoing());
}

}  // namespace

void VelKlApplication::HandleDataRequest(VelDataRequest* request)
{
    if (request->kind != kCallLogRequest)
        return;
    VelCallListView* calls = GetCallListView();
    if (!calls || static_cast<VelKlView*>(calls) != request->view)
        return;
    // A burst of calls queues a request each: one pass serves them all.
    MSG queued;
    while (::PeekMessageW(&queued, nullptr, kDataRequestMessage, kDataRequestMessage, PM_REMOVE)) {
        VelDataRequest* more = reinterpret_cast<VelDataRequest*>(queued.lParam);
        if (!queued.hwnd && TakeDataRequest(more))
            delete more;
    }
    SyncCalls(calls);
}

void VelKlApplication::SyncCalls(VelCallListView* calls)
{
    VelListView* list = ListOf(calls);
    if (!list)
        return;
    uint32_t generation = 0;
    {
        VelScopedLock lock(&m_callsLoadLock);
        // The load lists the log as it was when it began: the calls that came
        // since are looked for once it has ended.
        if (m_callsLoading) {
            m_callsChangedWhileLoading = true;
            return;
        }
        generation = m_callsGeneration;
    }
    std::map<CallKey, int> listed;
    {
        VelListView::Lock lock(list);
        for (VelItem* item : list->GetItems())
            if (VelCallListViewItem* row = dynamic_cast<VelCallListViewItem*>(item))
                if (row->GetCall())
                    ++listed[KeyOf(*row->GetCall())];
    }
    // The log newest first: each entry matches one listed row, or is new.
    // Not only the head: a call stamped a moment before one already listed
    // may be logged after it.
    std::unique_ptr<VelDataTable> table(CreateDataTable(kCallsTable));
    if (!table)
        return;
    std::vector<std::unique_ptr<VelCallItem>> fresh;
    std::map<CallKey, int> logged;
    do {
        std::unique_ptr<VelDataItem> entry(table->GetEntry());
        VelCallItem* call = dynamic_cast<VelCallItem*>(entry.get());
        if (!call)
            continue;  // unreadable: a load passes over it too
        const CallKey key = KeyOf(*call);
        auto found = listed.find(key);
        if (found != listed.end() && found->second > 0) {
            --found->second;
            ++logged[key];
            continue;
        }
        entry.release();
        fresh.emplace_back(call);
    } while (table->Seek(1, VelDataTable::kSeekCurrent));

    VelScopedLock lock(&m_callsLoadLock);
    if (m_callsLoading || m_callsGeneration != generation) {
        // The list was cleared for a load meanwhile.
        m_callsChangedWhileLoading = true;
        return;
    }
    VelListView::Lock listLock(list);
    // Rows whose call the log no longer has: as many of each as it lost.
    std::vector<VelItem*> gone;
    for (VelItem* item : list->GetItems()) {
        VelCallListViewItem* row = dynamic_cast<VelCallListViewItem*>(item);
        if (!row || !row->GetCall())
            continue;
        auto kept = logged.find(KeyOf(*row->GetCall()));
        if (kept != logged.end() && kept->second > 0)
            --kept->second;
        else
            gone.push_back(item);
    }
    for (VelItem* item : gone)
        list->RemoveItem(item);
    // In the log's order, so that calls of the same moment stand as a fresh
    // load puts them.
    for (std::unique_ptr<VelCallItem>& call : fresh)
        list->AddItem(new VelCallListViewItem(call.release()));
}

// On the UI thread, whenever the pending loads changed: a calls load that
// ended, or was dropped, hands over to the changes it held back.
void VelKlApplication::NoteCallsLoad()
{
    const bool loading = std::any_of(m_pending.begin(), m_pending.end(),
                                     [](const VelPendingLoad& load) { return load.kind == VelPendingLoad::kCalls; });
    bool resync = false;
    {
        VelScopedLock lock(&m_callsLoadLock);
        m_callsLoading = loading;
        if (!loading && m_callsChangedWhileLoading) {
            m_callsChangedWhileLoading = false;
            resync = true;
        }
    }
    if (resync && !m_closing)
        if (VelCallListView* calls = GetCallListView())
            PostDataRequest(kCallLogRequest, calls, kCeDbRecordChanged, 0);
}

DWORD VelKlApplication::DataThreadMain()
{
    ::WaitForSingleObject(m_windowMade.Get(), INFINITE);
    m_context = new VelDataThreadContext{nullptr};
    try {
        CreateDataThreadContext(m_context);
        // The contacts list need not wait for the other stores.
        AnnounceContactsOpen();
        OpenOtherStores(m_context);
        OpenFirstTables();
    } catch (...) {
        // The first loads start all the same, over whatever did open.
        AnnounceContactsOpen();
        AnnounceStoresOpen();
        throw;
    }
    AnnounceStoresOpen();
    // No notification is delivered before the slots are connected.
    ::WaitForSingleObject(m_wired.Get(), INFINITE);

    HANDLE change = INVALID_HANDLE_VALUE;
    HKEY key = nullptr;
    // Made when missing: a key that only comes with the first missed call
    // would otherwise never be watched.
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kPhoneStateKey, 0, nullptr, 0, kKeyRead, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        change = CeFindFirstRegChange(key, FALSE, kRegistryValueChanges);
        ::RegCloseKey(key);
    }
    const bool watching = change != INVALID_HANDLE_VALUE && change != nullptr;

    DWORD exitCode = 0;
    bool running = true;
    while (running) {
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(watching ? 1 : 0, watching ? &change : nullptr, INFINITE, kWakeOnAnyInput, 0);
        if (woke == WAIT_FAILED)
            break;
        if (watching && woke == WAIT_OBJECT_0) {
            ReadMissedCallCount();
            CeFindNextRegChange(change);
            continue;
        }
        MSG msg = {};
        do {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == -1) {
                exitCode = 0xFFFFFFFF;
                running = false;
                break;
            }
            if (got == 0) {
                running = false;
                break;
            }
            if (msg.message == kDataRequestMessage && msg.hwnd == nullptr) {
                VelDataRequest* request = reinterpret_cast<VelDataRequest*>(msg.lParam);
                // Only what PostDataRequest made is read and freed.
                if (TakeDataRequest(request)) {
                    try {
                        HandleDataRequest(request);
                    } catch (...) {
                        Log(L"VelKlApplication::DataThreadMain: a request failed.\n");
                    }
                    delete request;
                }
                continue;
            }
            if (msg.message == kRetiredTableMessage && msg.hwnd == nullptr) {
                VelDataTable* table = reinterpret_cast<VelDataTable*>(msg.lParam);
                if (TakeRetiredTable(table))
                    delete table;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }

    // Requests still queued behind the quit are ours to free.
    MSG left = {};
    while (::PeekMessageW(&left, nullptr, kDataRequestMessage, kDataRequestMessage, PM_REMOVE))
        if (left.hwnd == nullptr && TakeDataRequest(reinterpret_cast<VelDataRequest*>(left.lParam)))
            delete reinterpret_cast<VelDataRequest*>(left.lParam);
    if (watching)
        CeFindCloseRegChange(change);
    // Tables the UI thread never took, or handed back, go before their stores.
    DeleteFirstTables();
    DeleteRetiredTables();
    // Closed on this thread in every case, even after a failed GetMessage.
    DestroyDataThreadContext(m_context);
    delete m_context;
    m_context = nullptr;
    return exitCode;
}
