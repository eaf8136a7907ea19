#pragma once
#include <windows.h>

#include <cstdint>
#include <list>

#include "VelCriticalSection.h"
#include "VelListKind.h"
#include "VelPendingLoad.h"
#include "VelScopedLock.h"

class VelCallListView;
class VelContactListView;
class VelDataTable;
class VelKlApplication;
class VelKlView;
class VelListView;
class VelSmsListView;
class VelTimer;

// While a calls load runs the data thread leaves the call list alone and
// notes that the log changed; each load's start counts one generation.
//
// Lock: m_lock guards these four fields; the data thread takes a list's own
// lock inside it, never the other way round.
class VelCallsLoadGate {
public:
    VelCallsLoadGate() : m_loading(false), m_changedWhileLoading(false), m_generation(0) {}

    // On the UI thread: a calls load begins.
    void BeginLoad();
    // On the UI thread, from the pending loads: whether a calls load runs.
    // True when one ended with a change of the log held back.
    bool SetLoading(bool loading);
    // On the data thread: false while a load runs (the change is noted),
    // else the generation the list is of.
    bool Enter(uint32_t* generation);
    // Runs `apply` when no load began since `generation`, with the gate held,
    // so that none can begin while it changes the list; else notes the change.
    template <class Apply>
    void ApplyIfCurrent(uint32_t generation, Apply apply)
    {
        VelScopedLock lock(&m_lock);
        if (m_loading || m_generation != generation) {
            m_changedWhileLoading = true;
            return;
        }
        apply();
    }

private:
    VelCriticalSection m_lock;
    bool m_loading;
    bool m_changedWhileLoading;
    uint32_t m_generation;
};

// The loads of the lists: a load empties its list, ranges the bar and queues
// a pending load; the loader timer's tick reads one unit of rows of the first,
// and a posted continuation as many units as fit its budget. A calls or
// messages load asked for before the data thread opened its store waits,
// table-less, until the store is announced. UI thread only, but for the
// calls gate.
class VelListLoadQueue {
public:
    enum : int { kProgressCap = 200 };
    // A posted continuation runs units of up to kRowsPerTick rows back to
    // back, and closes their lists' loading brackets and paints, within this
    // (room is left under 8 ms for a slow row or paint), and only while no
    // input or timer waits.
    enum : int { kLoaderBudgetUs = 6000, kFirstCloseGuessUs = 3000 };

    explicit VelListLoadQueue(VelKlApplication& app);
    ~VelListLoadQueue();
    VelListLoadQueue(const VelListLoadQueue&) = delete;
    VelListLoadQueue& operator=(const VelListLoadQueue&) = delete;

    // The counter's frequency and the first guess of a tick's close.
    void StartTiming();
    void StartFirstLoads();
    void StartLoad(VelListKind kind, VelKlView* view, VelProgress* progress);
    VelDataTable* LoadContacts(VelContactListView* view, VelProgress* progress);
    VelDataTable* LoadCalls(VelCallListView* view, VelProgress* progress);
    VelDataTable* LoadSms(VelSmsListView* view, VelProgress* progress);
    // One unit of the first pending load: up to the application's kRowsPerTick rows, fewer when
    // the counter passes `deadline` (none when zero). True when it ended a load.
    bool LoadStep(LONGLONG deadline);
    // A loader tick: the timer's runs one unit, a posted continuation as many
    // as fit its budget; either posts the next continuation.
    void LoaderTick(bool continuation);
    // The posted continuation arrived.
    void OnLoadMore();
    // The data thread opened the other stores: the loads waiting for them
    // take the first tables it opened (`opened`: calls, then messages), or
    // new ones, and go on.
    void OnStoresOpen(VelDataTable* opened[2]);
    // Every pending load and its table goes; the timer stops.
    void Release();

    const std::list<VelPendingLoad>& GetPending() const { return m_pending; }
    double GetLongestTickMs() const { return m_longestTickMs; }
    VelCallsLoadGate& GetCallsGate() { return m_callsGate; }

private:
    VelTimer* Timer() const;
    VelListView* ListFor(VelListKind kind) const;
    void HoldForStores();
    void PostLoadMore();
    bool FlushLoadPaints();
    void NoteLoaderTick(LONGLONG ticks);
    void Cancel(VelListKind kind);
    // On the UI thread, whenever the pending loads changed: a calls load that
    // ended, or was dropped, hands over to the changes it held back.
    void NoteCallsLoad();
    VelDataTable* OpenTable(VelListKind kind, VelProgress* progress, bool capped);
    static void RangeProgress(VelDataTable* table, VelProgress* progress, bool capped);
    // One unit of the first pending load; true when it is done.
    bool ContactsStep(VelPendingLoad& load, LONGLONG deadline);
    bool CallsStep(VelPendingLoad& load, LONGLONG deadline);
    bool SmsStep(VelPendingLoad& load, LONGLONG deadline);

    VelKlApplication& m_app;
    std::list<VelPendingLoad> m_pending;
    // A continuation of the loads is queued.
    bool m_loadMorePosted;
    // The first pending load waits for its store and stopped the timer.
    bool m_heldForStores;
    bool m_firstRowsPainted;
    bool m_loadedOnce;
    double m_longestTickMs;
    int m_loaderTicks;
    LONGLONG m_counterFrequency;
    // What closing a continuation's loading brackets and painting the lists
    // cost, in counter ticks: the last, or less than a recent dearer one.
    LONGLONG m_lastTickClose;
    int32_t m_unreadBeforeLoad;
    VelCallsLoadGate m_callsGate;
};
