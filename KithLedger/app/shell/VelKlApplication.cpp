#include "VelKlApplication.h"

#include <objbase.h>

#include <CeCore.h>

#include <new>

#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelCallView.h"
#include "VelContactItem.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelContactView.h"
#include "VelControlCore.h"
#include "VelDataTable.h"
#include "VelDataThread.h"
#include "VelDebugLog.h"
#include "VelEdbDatabase.h"
#include "VelFavoritesView.h"
#include "VelKlConfig.h"
#include "VelKlViews.h"
#include "VelListLoadQueue.h"
#include "VelListMenu.h"
#include "VelListView.h"
#include "VelLiveRows.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelMainWindow.h"
#include "VelScopedLock.h"
#include "VelMapiSink.h"
#include "VelPhoneState.h"
#include "VelPoomSession.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelSmsStore.h"
#include "VelSmsView.h"
#include "VelThemeLibrary.h"
#include "VelTimer.h"

namespace {

const wchar_t kApplicationName[] = L"Velmora KL";
const wchar_t kDefaultTheme[] = L"Silver";
const int kFavoritesTabId = VelMainView::kFavoritesPageId;
const int kContactsTabId = VelMainView::kContactsPageId;
const int kCallsTabId = VelMainView::kCallsPageId;
const int kMessagesTabId = VelMainView::kSmsPageId;

}  // namespace

VelKlStartup::VelKlStartup() : loadLanguage(&LoadLanguage), themeName(kDefaultTheme) {}

VelKlApplication::VelKlApplication() : VelKlApplication(VelKlStartup()) {}

VelKlApplication::VelKlApplication(const VelKlStartup& startup)
    : VelApplication(kApplicationName), m_startup(startup), m_liveRows(new VelLiveRows(*this)),
      m_loads(new VelListLoadQueue(*this)), m_dataThread(new VelDataThread(*this)), m_listMenu(new VelListMenu(*this)),
      m_firstLoadsStarted(false), m_storesOpen(false), m_clockTimer(nullptr), m_loaderTimer(nullptr), m_closing(false),
      m_currentDate(VelDateTime::Now()), m_missedCallCount(0), m_currentTab(1), m_idleResetDone(false),
      m_languageLoaded(false), m_contactListView(nullptr), m_mainWindow(nullptr)
{
    if (!m_startup.loadLanguage)
        m_startup.loadLanguage = &LoadLanguage;
    if (m_startup.themeName.empty())
        m_startup.themeName = kDefaultTheme;
}

VelKlApplication::~VelKlApplication()
{
    // A run that never reached its close (a test, a failed start) ends here.
    StopDataThread();
    m_loads->Release();
    delete m_mainWindow;
    m_mainWindow = nullptr;
    delete m_clockTimer;
    delete m_loaderTimer;
    m_loaderTimer = nullptr;
    m_dataThread->DrainRequests();
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

    if (!m_dataThread->Start()) {
        VelDebugLog(L"VelKlApplication::Init: CreateThread failed.\n");
        // Without a window the run loop would wait for ever, holding the
        // single-instance guard.
        Quit();
        return 0;
    }
    m_loads->StartTiming();

    LoadTheme(m_startup.themeName);

    const VelMainWindowViews views = MakeKlViews();
    m_mainWindow = new (std::nothrow) VelMainWindow(this, "main-window", views);
    if (m_mainWindow) {
        m_mainWindow->Created += VelBind(this, &VelKlApplication::OnCreated);
        m_mainWindow->CloseRequested += VelBind(this, &VelKlApplication::StopDataThread);
        m_mainWindow->Open();
        SetMainWindow(m_mainWindow);
    } else {
        VelDebugLog(L"VelKlApplication::Init: no memory for the main window.\n");
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
    m_dataThread->WindowMade();
    return 0;
}

void VelKlApplication::OnContactsOpen()
{
    // Closing stops the data thread, which lets go of the stores.
    if (m_firstLoadsStarted || m_closing)
        return;
    m_firstLoadsStarted = true;
    m_loads->StartFirstLoads();
    VelEventArgs started;
    VelApplication::OnStarted(&started);
}

void VelKlApplication::OnStoresOpen()
{
    if (m_storesOpen || m_closing || !m_firstLoadsStarted)
        return;
    m_storesOpen = true;
    WireSmsSink();
    m_dataThread->Wired();
    VelDataTable* opened[2] = {};
    m_dataThread->TakeFirstTables(opened);
    m_loads->OnStoresOpen(opened);
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
    VelDebugLog(line);
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
    m_loads->Release();
    ::CoUninitialize();
    VelApplication::OnExit(args);
}

void VelKlApplication::StopDataThread(VelObject*, const VelEventArgs*)
{
    m_closing = true;
    // The message tables belong to the session the data thread is about to
    // close: they go while it is still open.
    m_loads->Release();
    m_dataThread->Stop();
}

DWORD VelKlApplication::DataThreadMain() { return m_dataThread->Main(); }

DWORD VelKlApplication::GetDataThreadId() const { return m_dataThread->GetThreadId(); }

void VelKlApplication::PostDataRequest(uint32_t kind, VelKlView* view, uint32_t code, uint32_t recordId)
{
    m_dataThread->PostRequest(kind, view, code, recordId);
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
    return m_loads->LoadContacts(view, progress);
}

VelDataTable* VelKlApplication::LoadCalls(VelCallListView* view, VelProgress* progress)
{
    return m_loads->LoadCalls(view, progress);
}

VelDataTable* VelKlApplication::LoadSms(VelSmsListView* view, VelProgress* progress)
{
    return m_loads->LoadSms(view, progress);
}

void VelKlApplication::StartLoad(VelListKind kind, VelKlView* view, VelProgress* progress)
{
    m_loads->StartLoad(kind, view, progress);
}

bool VelKlApplication::LoadStep(LONGLONG deadline) { return m_loads->LoadStep(deadline); }

void VelKlApplication::LoaderTick(bool continuation) { m_loads->LoaderTick(continuation); }

const std::list<VelPendingLoad>& VelKlApplication::GetPendingLoads() const { return m_loads->GetPending(); }

double VelKlApplication::GetLongestLoaderTickMs() const { return m_loads->GetLongestTickMs(); }

// ---------------------------------------------------------------- counts

bool VelKlApplication::StoreMissedCallCount(DWORD count) { return m_missedCallCount.exchange(count) != count; }

int32_t VelKlApplication::GetUnreadSmsCount() const { return m_liveRows->GetUnreadCount(); }

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
        m_loads->OnLoadMore();
    } else if (args && args->code == kRequestContactsOpen) {
        OnContactsOpen();
    } else if (args && args->code == kRequestStoresOpen) {
        OnStoresOpen();
    } else if (args && args->code == kRequestMissedCalls) {
        MissedCallsChanged.Emit(static_cast<int32_t>(m_missedCallCount.load()));
    } else if (args && args->code == kRequestMissedCallWatch) {
        OnMissedCallWatch();
    } else if (args && args->code == kRequestUnreadSms) {
        UnreadSmsCountChanged.Emit(GetUnreadSmsCount());
    }
    return VelApplication::OnUserMessage(args);
}

void VelKlApplication::ReadMissedCallCount()
{
    bool changed = false;
    {
        VelScopedLock lock(&m_missedCallLock);
        DWORD count = 0;
        changed = ReadMissedCallValue(&count) && StoreMissedCallCount(count);
    }
    // Signalled outside the lock: the caption's slots run on the UI thread.
    if (changed)
        PostCountChanged(kRequestMissedCalls);
}

void VelKlApplication::OnMissedCallWatch()
{
    const std::list<VelPendingLoad>& pending = m_loads->GetPending();
    for (std::list<VelPendingLoad>::const_iterator it = pending.begin(); it != pending.end(); ++it)
        if (it->List() == VelListKind::kCalls)
            return;
    ReadMissedCallCount();
}

void VelKlApplication::ResetMissedCallCount()
{
    // The caption follows only what the registry took.
    bool changed = false;
    {
        VelScopedLock lock(&m_missedCallLock);
        changed = WriteMissedCallValue(0) && StoreMissedCallCount(0);
    }
    if (changed)
        PostCountChanged(kRequestMissedCalls);
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
    m_listMenu->OnButton(titleBar, button);
}

void VelKlApplication::OnContactCreated(int32_t id) { m_liveRows->OnContactCreated(id); }

void VelKlApplication::OnContactChanged(int32_t id) { m_liveRows->OnContactChanged(id); }

void VelKlApplication::OnContactDeleted(int32_t id) { m_liveRows->OnContactDeleted(id); }

void VelKlApplication::OnCallLogChanged(uint32_t code, uint32_t recordId)
{
    if (VelCallListView* calls = GetCallListView())
        calls->RequestRefresh(code, recordId);
}

void VelKlApplication::OnSmsCreated(VelMapiMessage* message) { m_liveRows->OnSmsCreated(message); }

void VelKlApplication::OnSmsDeleted(VelMapiMessage* message) { m_liveRows->OnSmsDeleted(message); }

void VelKlApplication::OnSmsMoved(VelMapiMessage* message) { m_liveRows->OnSmsMoved(message); }

void VelKlApplication::OnSmsModified(VelMapiMessage* message) { m_liveRows->OnSmsModified(message); }
