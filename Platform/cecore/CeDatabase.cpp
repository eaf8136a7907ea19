// The call-log database as the program watches it: the volume "\pim.vol",
// the database "clog.db" and a record posted for each change of the device
// store's call log. A handle is the write end of a pipe, so that the caller's
// CloseHandle shows on our read end and ends the notifications.
#include "CeCoreStandIn.h"

#include "StandInLock.h"
#include "VelDevStore.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <vector>

namespace {

const CeVolumeGuid kPimVolume = {{0x56454C4D, 0x50494D00, 0x766F6C00, 0x00000001}};
const CeObjectId kCallLogDbOid = 0x00010001;

struct Subscription {
    HANDLE pipeRead = 0;
    CeNotifyRequest request = {};
    HANDLE heap = 0;
    boost::shared_ptr<VelDevStore> store;
    DWORD cookie = 0;
    bool ended = false;
};

struct State {
    standin::Lock lock;
    LONG mounts = 0;
    std::vector<Subscription*> subscriptions;
    std::map<CeNotification*, HANDLE> outstanding;  // record -> its heap
};

State& Db()
{
    static State* state = new State;  // never destroyed: a watcher may still notify at exit
    return *state;
}

bool SameVolume(const CeVolumeGuid* ceVolumeGuid)
{
    return ceVolumeGuid && memcmp(ceVolumeGuid, &kPimVolume, sizeof kPimVolume) == 0;
}

bool PipeClosed(HANDLE read)
{
    DWORD available = 0;
    return !PeekNamedPipe(read, 0, 0, 0, &available, 0);
}

DWORD TypeOf(VelDevChangeType changeType)
{
    switch (changeType) {
    case kDevCreated:
        return kCeDbRecordCreated;
    case kDevDeleted:
        return kCeDbRecordDeleted;
    default:
        return kCeDbRecordChanged;
    }
}

void Notify(Subscription* sub, const VelDevStoreChanges& changes)
{
    if (changes.calls.empty())
        return;
    State& state = Db();
    standin::Guard guard(state.lock);
    if (!sub->ended && PipeClosed(sub->pipeRead))
        sub->ended = true;
    for (size_t i = 0; i < changes.calls.size() && !sub->ended; ++i) {
        CeNotification* rec =
            static_cast<CeNotification*>(HeapAlloc(sub->heap, HEAP_ZERO_MEMORY, sizeof(CeNotification)));
        if (!rec)
            break;
        rec->size = sizeof(CeNotification);
        rec->param = sub->request.param;
        rec->type = TypeOf(changes.calls[i].type);
        rec->volume = kPimVolume;
        rec->oid = changes.calls[i].id;
        rec->parentOid = kCallLogDbOid;
        state.outstanding[rec] = sub->heap;
        if (!PostMessageW(sub->request.window, kCeDbNotifyMessage, 0, reinterpret_cast<LPARAM>(rec))) {
            state.outstanding.erase(rec);
            HeapFree(sub->heap, 0, rec);
            if (!IsWindow(sub->request.window))
                sub->ended = true;
        }
    }
}

// Ended subscriptions are dropped outside the lock: releasing the store may
// wait for its watcher, which may be on its way into Notify.
void DropEnded()
{
    State& state = Db();
    std::vector<Subscription*> ended;
    {
        standin::Guard guard(state.lock);
        for (size_t i = 0; i < state.subscriptions.size();) {
            Subscription* sub = state.subscriptions[i];
            if (!sub->ended && PipeClosed(sub->pipeRead))
                sub->ended = true;
            if (sub->ended) {
                ended.push_back(sub);
                state.subscriptions.erase(state.subscriptions.begin() + i);
            } else {
                ++i;
            }
        }
    }
    for (Subscription* sub : ended) {
        sub->store->RemoveListener(sub->cookie);
        CloseHandle(sub->pipeRead);
        delete sub;
    }
}

HANDLE Fail(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

extern "C" {

BOOL WINAPI CeMountDBVolEx(CeVolumeGuid* volume, LPCWSTR name, CeVolumeOptions* options, DWORD flags)
{
    if (!volume || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (VelDevFault(L"db.mount")) {
        SetLastError(VelDevFaultValue(L"db.mount", ERROR_FILE_NOT_FOUND));
        return FALSE;
    }
    if (_wcsicmp(name, L"\\pim.vol") != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    *volume = kPimVolume;
    InterlockedIncrement(&Db().mounts);
    return TRUE;
}

BOOL WINAPI CeUnmountDBVol(CeVolumeGuid* volume)
{
    State& state = Db();
    bool ok = false;
    {
        standin::Guard guard(state.lock);
        ok = SameVolume(volume) && state.mounts > 0;
        if (ok)
            --state.mounts;
    }
    if (!ok)
        SetLastError(ERROR_INVALID_PARAMETER);
    // Handles closed by now stop their store's watcher here rather than leave
    // it running into the exit of the process.
    DropEnded();
    return ok;
}

HANDLE WINAPI CeOpenDatabaseInSession(HANDLE session, CeVolumeGuid* volume, CeObjectId* oid, LPCWSTR name,
                                      void* sortOrder, DWORD flags, CeNotifyRequest* request)
{
    DropEnded();
    if (VelDevFault(L"db.open"))
        return Fail(VelDevFaultValue(L"db.open", ERROR_FILE_NOT_FOUND));
    if (!SameVolume(volume) || Db().mounts <= 0)
        return Fail(ERROR_INVALID_PARAMETER);
    if ((oid && *oid != 0) || !name || _wcsicmp(name, L"clog.db") != 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (request) {
        if (request->size != sizeof(CeNotifyRequest) || !(request->flags & kCeNotifyByRecord)) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        if (!IsWindow(request->window))
            return Fail(ERROR_INVALID_WINDOW_HANDLE);
    }
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    if (store->IsMissing())
        return Fail(ERROR_FILE_NOT_FOUND);
    HANDLE read = 0, write = 0;
    if (!CreatePipe(&read, &write, 0, 0))
        return INVALID_HANDLE_VALUE;
    if (!request) {
        CloseHandle(read);
        return write;
    }
    Subscription* sub = new Subscription;
    sub->pipeRead = read;
    sub->request = *request;
    sub->heap = request->heap ? request->heap : GetProcessHeap();
    sub->store = store;
    State& state = Db();
    {
        standin::Guard guard(state.lock);
        state.subscriptions.push_back(sub);
    }
    sub->cookie =
        store->AddListener([sub](const VelDevStoreChanges& storeChanges) { Notify(sub, storeChanges); }, kDevCalls);
    return write;
}

BOOL WINAPI CeFreeNotification(CeNotifyRequest* request, CeNotification* record)
{
    State& state = Db();
    HANDLE heap = 0;
    {
        standin::Guard guard(state.lock);
        std::map<CeNotification*, HANDLE>::iterator it = state.outstanding.find(record);
        heap = it == state.outstanding.end() ? 0 : it->second;
        if (heap)
            state.outstanding.erase(it);
    }
    if (!heap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return HeapFree(heap, 0, record);
}

BOOL WINAPI CeIsNotificationPending(CeNotification* record)
{
    State& state = Db();
    standin::Guard guard(state.lock);
    return state.outstanding.count(record) != 0;
}

}  // extern "C"
