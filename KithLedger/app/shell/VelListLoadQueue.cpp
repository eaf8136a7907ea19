#include "VelListLoadQueue.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include <CeCore.h>

#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelContactItem.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelControlCore.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelDataThread.h"
#include "VelDebugLog.h"
#include "VelFavoritesView.h"
#include "VelKlApplication.h"
#include "VelListView.h"
#include "VelLiveRows.h"
#include "VelMainView.h"
#include "VelMainWindow.h"
#include "VelProgress.h"
#include "VelProgressWindowLess.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelTimer.h"

void VelCallsLoadGate::BeginLoad()
{
    VelScopedLock lock(&m_lock);
    m_loading = true;
    ++m_generation;
}

bool VelCallsLoadGate::SetLoading(bool loading)
{
    VelScopedLock lock(&m_lock);
    m_loading = loading;
    if (loading || !m_changedWhileLoading)
        return false;
    m_changedWhileLoading = false;
    return true;
}

bool VelCallsLoadGate::Enter(uint32_t* generation)
{
    VelScopedLock lock(&m_lock);
    // The load lists the log as it was when it began: the calls that came
    // since are looked for once it has ended.
    if (m_loading) {
        m_changedWhileLoading = true;
        return false;
    }
    *generation = m_generation;
    return true;
}

namespace {

// A progress range of at least one entry, so that an empty list's bar completes too.
int ProgressRange(int32_t count, bool capped)
{
    int range = count > 0 ? count : 1;
    if (capped && range > VelListLoadQueue::kProgressCap)
        range = VelListLoadQueue::kProgressCap;
    return range;
}

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

// Past the deadline, if there is one.
bool Overdue(LONGLONG deadline) { return deadline != 0 && CounterNow() >= deadline; }

// One tick of the call or message list's load: up to a tick's rows, each
// listed unless `admit` turns it away. True once the table is exhausted.
template <class Item, class Row, class Admit>
bool LoadDatedRows(VelPendingLoad& load, VelListView* list, const VelKlApplication& app, LONGLONG deadline, Admit admit)
{
    if (list)
        list->BeginLoading();
    bool done = false;
    for (int row = 0; row < VelKlApplication::kRowsPerTick; ++row) {
        std::unique_ptr<VelDataItem> entry(NextEntry(load.table));
        Item* item = dynamic_cast<Item*>(entry.get());
        if (!item || app.IsClosing()) {
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

VelListLoadQueue::VelListLoadQueue(VelKlApplication& app)
    : m_app(app), m_loadMorePosted(false), m_heldForStores(false), m_firstRowsPainted(false), m_loadedOnce(false),
      m_longestTickMs(0), m_loaderTicks(0), m_counterFrequency(0), m_lastTickClose(0), m_unreadBeforeLoad(0)
{
}

VelListLoadQueue::~VelListLoadQueue()
{
    for (VelPendingLoad& load : m_pending)
        delete load.table;
}

VelTimer* VelListLoadQueue::Timer() const { return m_app.GetLoaderTimer(); }

void VelListLoadQueue::StartTiming()
{
    LARGE_INTEGER frequency;
    if (::QueryPerformanceFrequency(&frequency))
        m_counterFrequency = frequency.QuadPart;
    // Until a close has been timed: about what the first rows' paint costs.
    m_lastTickClose = m_counterFrequency * kFirstCloseGuessUs / 1000000;
}

void VelListLoadQueue::StartFirstLoads()
{
    if (VelContactListView* contacts = m_app.GetContactListView())
        StartLoad(VelListKind::kContacts, contacts,
                  m_app.ListOf(contacts) ? m_app.ListOf(contacts)->GetProgress() : nullptr);
    if (VelCallListView* calls = m_app.GetCallListView())
        StartLoad(VelListKind::kCalls, calls, m_app.ListOf(calls) ? m_app.ListOf(calls)->GetProgress() : nullptr);
    if (VelSmsListView* sms = m_app.GetSmsListView())
        StartLoad(VelListKind::kMessages, sms, m_app.ListOf(sms) ? m_app.ListOf(sms)->GetProgress() : nullptr);
}

void VelListLoadQueue::OnStoresOpen(VelDataTable* opened[2])
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->table || it->List() == VelListKind::kContacts) {
            ++it;
            continue;
        }
        const int slot = it->List() == VelListKind::kCalls ? 0 : 1;
        it->table = opened[slot] ? opened[slot] : CreateDataTable(it->List());
        opened[slot] = nullptr;
        if (!it->table) {
            it = m_pending.erase(it);
            continue;
        }
        RangeProgress(it->table, it->progress, true);
        ++it;
    }
    for (int slot = 0; slot < 2; ++slot) {
        delete opened[slot];
        opened[slot] = nullptr;
    }
    NoteCallsLoad();
    // The loads that waited for these stores go on.
    const bool held = m_heldForStores;
    m_heldForStores = false;
    if (VelTimer* timer = Timer()) {
        if (m_pending.empty())
            timer->Stop();
        else if (held)
            timer->Start();
    }
    if (held && !m_pending.empty() && FlushLoadPaints())
        PostLoadMore();
}

// The first pending load waits for its store: the timer stops until the
// store is announced, when it starts again.
void VelListLoadQueue::HoldForStores()
{
    if (Timer() && Timer()->IsActive()) {
        Timer()->Stop();
        m_heldForStores = true;
    }
}

void VelListLoadQueue::Release()
{
    for (VelPendingLoad& load : m_pending)
        delete load.table;
    m_pending.clear();
    if (Timer())
        Timer()->Stop();
    NoteCallsLoad();
}

VelDataTable* VelListLoadQueue::LoadContacts(VelContactListView* view, VelProgress* progress)
{
    if (m_app.IsClosing())
        return nullptr;
    VelListView* lists[] = {m_app.ListOf(view), m_app.ListOf(m_app.GetFavoritesView())};
    for (VelListView* list : lists) {
        if (!list)
            continue;
        list->BeginLoading();
        list->RemoveAllItems();
        list->RemoveAllGroups();
        list->EndLoading();
    }
    m_app.m_liveRows->ForgetLiveContacts();
    return OpenTable(VelListKind::kContacts, progress, false);
}

// The table a load reads, with the progress bar ranged for it and the loader
// timer running.
VelDataTable* VelListLoadQueue::OpenTable(VelListKind kind, VelProgress* progress, bool capped)
{
    VelDataTable* table = CreateDataTable(kind);
    RangeProgress(table, progress, capped);
    if (table && Timer())
        Timer()->Start();
    return table;
}

void VelListLoadQueue::RangeProgress(VelDataTable* table, VelProgress* progress, bool capped)
{
    if (table && progress) {
        progress->SetRange(ProgressRange(table->GetCount(), capped));
        progress->SetPosition(0);
    }
}

VelDataTable* VelListLoadQueue::LoadCalls(VelCallListView* view, VelProgress* progress)
{
    if (m_app.IsClosing())
        return nullptr;
    m_callsGate.BeginLoad();
    if (VelListView* list = m_app.ListOf(view)) {
        list->BeginLoading();
        view->ClearList();
        list->EndLoading();
    }
    // Until the data thread has opened the call log the load waits for it.
    return m_app.AreStoresOpen() ? OpenTable(VelListKind::kCalls, progress, true) : nullptr;
}

VelDataTable* VelListLoadQueue::LoadSms(VelSmsListView* view, VelProgress* progress)
{
    if (m_app.IsClosing())
        return nullptr;
    if (VelListView* list = m_app.ListOf(view)) {
        list->BeginLoading();
        view->ClearList();
        list->EndLoading();
    }
    m_app.m_liveRows->ForgetLiveSms();
    m_unreadBeforeLoad = m_app.m_liveRows->ResetUnread();
    return m_app.AreStoresOpen() ? OpenTable(VelListKind::kMessages, progress, true) : nullptr;
}

void VelListLoadQueue::Cancel(VelListKind kind)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->List() == kind) {
            delete it->table;
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    NoteCallsLoad();
}

void VelListLoadQueue::StartLoad(VelListKind kind, VelKlView* view, VelProgress* progress)
{
    VelDataTable* table = nullptr;
    const bool known = kind == VelListKind::kContacts || kind == VelListKind::kCalls || kind == VelListKind::kMessages;
    // A load still running for the same list would go on filling the list
    // this one has just cleared.
    if (known && !m_app.IsClosing())
        Cancel(kind);
    switch (kind) {
    case VelListKind::kContacts:
        table = LoadContacts(dynamic_cast<VelContactListView*>(view), progress);
        break;
    case VelListKind::kCalls:
        table = LoadCalls(dynamic_cast<VelCallListView*>(view), progress);
        break;
    case VelListKind::kMessages:
        table = LoadSms(dynamic_cast<VelSmsListView*>(view), progress);
        break;
    default:
        return;
    }
    // A calls or messages load that waits for its store is given its table
    // when the store is announced.
    if (table) {
        m_pending.push_back(VelPendingLoad{static_cast<int>(kind), progress, table});
    } else if (kind != VelListKind::kContacts && !m_app.AreStoresOpen() && m_app.HaveFirstLoadsStarted() &&
               !m_app.IsClosing()) {
        m_pending.push_back(VelPendingLoad{static_cast<int>(kind), progress, nullptr});
        if (Timer())
            Timer()->Start();
    }
    if (m_pending.empty() && Timer())
        Timer()->Stop();
    NoteCallsLoad();
    // The first rows need not wait for the timer's first tick.
    if (FlushLoadPaints())
        PostLoadMore();
}

bool VelListLoadQueue::LoadStep(LONGLONG deadline)
{
    if (m_pending.empty()) {
        if (Timer())
            Timer()->Stop();
        return false;
    }
    // A load waiting for its store holds the timer until the store is announced.
    if (!m_pending.front().table) {
        HoldForStores();
        return false;
    }
    VelPendingLoad& load = m_pending.front();
    bool done = true;
    switch (load.List()) {
    case VelListKind::kContacts:
        done = ContactsStep(load, deadline);
        break;
    case VelListKind::kCalls:
        done = CallsStep(load, deadline);
        break;
    case VelListKind::kMessages:
        done = SmsStep(load, deadline);
        break;
    }
    if (!done || m_pending.empty())
        return false;
    VelPendingLoad finished = m_pending.front();
    m_pending.pop_front();
    if (finished.progress)
        finished.progress->SetPosition(finished.progress->GetRange());
    m_app.m_dataThread->RetireTable(finished.table);
    NoteCallsLoad();
    if (finished.List() == VelListKind::kCalls) {
        m_app.ReadMissedCallCount();
    } else if (finished.List() == VelListKind::kMessages) {
        const int32_t unread = m_app.GetUnreadSmsCount();
        if (unread != m_unreadBeforeLoad)
            m_app.UnreadSmsCountChanged.Emit(unread);
    }
    if (m_pending.empty() && Timer())
        Timer()->Stop();
    else if (!m_pending.front().table)
        HoldForStores();
    return true;
}

void VelListLoadQueue::OnLoadMore()
{
    m_loadMorePosted = false;
    LoaderTick(true);
}

void VelListLoadQueue::LoaderTick(bool continuation)
{
    const LONGLONG start = CounterNow();
    LONGLONG close = 0;
    if (!continuation) {
        LoadStep(0);
    } else {
        VelTimer* timer = Timer();
        // A stopped loader timer holds the loads.
        if (m_pending.empty() || !timer || !timer->IsActive())
            return;
        if (InputWaiting())
            return;  // the loader timer's tick, which comes after what waits, goes on
        // While the continuations run, the timer is set back at each so that
        // it does not cut in on them; it ticks once they stop.
        timer->Start();
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
            switch (m_pending.front().List()) {
            case VelListKind::kContacts:
                open(m_app.ListOf(m_app.GetFavoritesView()));
                open(m_app.ListOf(m_app.GetContactListView()));
                break;
            case VelListKind::kCalls:
                open(m_app.ListOf(m_app.GetCallListView()));
                break;
            case VelListKind::kMessages:
                open(m_app.ListOf(m_app.GetSmsListView()));
                break;
            }
            // A load's end has its own work (counts, captions): the next load
            // starts in the next tick.
            if (LoadStep(deadline))
                break;
        } while (!m_pending.empty() && m_pending.front().table && !m_app.IsClosing() && CounterNow() < deadline &&
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
bool VelListLoadQueue::FlushLoadPaints()
{
    DWORD waiting = HIWORD(::GetQueueStatus(kWaitingInput | QS_PAINT));
    VelMainWindow* window = m_app.GetMainKlWindow();
    if ((waiting & QS_PAINT) && window && window->GetHandle()) {
        ::RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        waiting = HIWORD(::GetQueueStatus(kWaitingInput | QS_PAINT));
    }
    return (waiting & (kWaitingInput | QS_PAINT)) == 0;
}

void VelListLoadQueue::NoteLoaderTick(LONGLONG ticks)
{
    if (m_loadedOnce)
        return;
    if (m_counterFrequency > 0)
        m_longestTickMs = std::max(m_longestTickMs, double(ticks) * 1000.0 / double(m_counterFrequency));
    ++m_loaderTicks;
    if (!m_firstRowsPainted) {
        // The lists paint when their loading bracket closes, at the end of
        // the unit or of the tick.
        VelMainView* main = m_app.GetMainView();
        VelListView* current = main ? m_app.ListOf(main->GetListTabView(m_app.GetCurrentTab())) : nullptr;
        if (current && !current->GetItems().empty()) {
            m_firstRowsPainted = true;
            VelKlApplication::LogStartupMilestone(L"first rows painted");
        }
    }
    if (m_pending.empty() && m_app.AreStoresOpen()) {
        m_loadedOnce = true;
        wchar_t line[128];
        _snwprintf(line, 127, L"VelKlApplication: longest loader tick %.2f ms; loader ticks %d.\n", m_longestTickMs,
                   m_loaderTicks);
        line[127] = 0;
        VelDebugLog(line);
        VelKlApplication::LogStartupMilestone(L"all lists loaded");
    }
}

// Posted only while the loader timer runs and, as the caller saw, nothing
// else waits: a posted message comes before input, paints and timers, so an
// endless chain of them would shut those out. The timer's tick picks the
// loads up again after them.
void VelListLoadQueue::PostLoadMore()
{
    if (m_loadMorePosted || m_pending.empty() || m_app.IsClosing() || !Timer() || !Timer()->IsActive())
        return;
    m_loadMorePosted = true;
    VelControlCore::Instance->PostUserMessage(VelKlApplication::kRequestLoadMore, &m_app, 0);
}

void VelListLoadQueue::NoteCallsLoad()
{
    const bool loading = std::any_of(m_pending.begin(), m_pending.end(),
                                     [](const VelPendingLoad& load) { return load.List() == VelListKind::kCalls; });
    if (m_callsGate.SetLoading(loading) && !m_app.IsClosing())
        if (VelCallListView* calls = m_app.GetCallListView())
            m_app.PostDataRequest(VelListLoader::kCallLogRequest, calls, kCeDbRecordChanged, 0);
}

bool VelListLoadQueue::ContactsStep(VelPendingLoad& load, LONGLONG deadline)
{
    VelListView* contacts = m_app.ListOf(m_app.GetContactListView());
    VelListView* favorites = m_app.ListOf(m_app.GetFavoritesView());
    if (favorites)
        favorites->BeginLoading();
    if (contacts)
        contacts->BeginLoading();
    bool done = false;
    for (int row = 0; row < VelKlApplication::kRowsPerTick; ++row) {
        std::unique_ptr<VelDataItem> entry(NextEntry(load.table));
        VelContactItem* contact = dynamic_cast<VelContactItem*>(entry.get());
        if (!contact || m_app.IsClosing()) {
            done = true;
            break;
        }
        entry.release();
        const bool favorite = contact->GetFavorite();
        if (m_app.m_liveRows->TakeLiveContact(contact->GetId())) {
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

bool VelListLoadQueue::CallsStep(VelPendingLoad& load, LONGLONG deadline)
{
    return LoadDatedRows<VelCallItem, VelCallListViewItem>(load, m_app.ListOf(m_app.GetCallListView()), m_app, deadline,
                                                           [](VelCallItem*) { return true; });
}

bool VelListLoadQueue::SmsStep(VelPendingLoad& load, LONGLONG deadline)
{
    VelLiveRows& live = *m_app.m_liveRows;
    return LoadDatedRows<VelSmsItem, VelSmsListViewItem>(load, m_app.ListOf(m_app.GetSmsListView()), m_app, deadline,
                                                         [&live](VelSmsItem* message) {
                                                             // A notification listed it during the load.
                                                             if (live.TakeLiveSms(message->GetEntryId()))
                                                                 return false;
                                                             // Read with the row a moment ago.
                                                             if (message->WasUnreadWhenRead())
                                                                 live.TrackUnread(message->GetEntryId(), true);
                                                             return true;
                                                         });
}
