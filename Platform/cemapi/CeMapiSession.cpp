// The session, the sink registrations and their notifications, and the
// library's free functions.
#include "CeMapiObjects.h"
#include "StandInStore.h"

#include <map>
#include <new>

namespace {

struct Registration {
    ULONG connection;
    CeMapiSession* session;
    ULONG mask;
    ICeMapiAdviseSink* sink;  // one reference, held until Unadvise
};

standin::Lock& RegistryLock()
{
    static standin::Lock lock;
    return lock;
}

// Held while a batch is delivered, so Unadvise can wait for it to end.
standin::Lock& DeliveryLock()
{
    static standin::Lock lock;
    return lock;
}

std::vector<Registration>& Registrations()
{
    static std::vector<Registration> table;
    return table;
}

std::map<DWORD, VelDevMessage>& Tombstones()
{
    static std::map<DWORD, VelDevMessage> table;
    return table;
}

ULONG g_nextConnection = 1;
LONG g_initCount = 0;

constexpr ULONG kAllEvents = kMapiEventCreated | kMapiEventDeleted | kMapiEventModified | kMapiEventMoved;

HRESULT FaultResult(const wchar_t* name, HRESULT fallback)
{
    HRESULT value = static_cast<HRESULT>(VelDevFaultValue(name, static_cast<DWORD>(fallback)));
    return FAILED(value) ? value : fallback;
}

MapiEntryId* AsEntryId(const std::string& bytes)
{
    return reinterpret_cast<MapiEntryId*>(const_cast<char*>(bytes.data()));
}

// One batch per change set of the store, to every sink whose mask asks for
// any of it, on the store's watcher thread.
void DeliverChanges(const VelDevStoreChanges& changes)
{
    if (changes.messages.empty())
        return;
    standin::Guard delivery(DeliveryLock());

    const size_t count = changes.messages.size();
    // Three ids per notification: the message, its folder and its old folder.
    std::vector<std::string> ids;
    ids.reserve(3 * count);
    std::vector<ULONG> events;
    std::vector<DWORD> buried;
    for (const VelDevChange<VelDevMessage>& change : changes.messages) {
        const VelDevMessage& now = change.after ? *change.after : *change.before;
        const VelDevMessage& was = change.before ? *change.before : *change.after;
        ULONG event = kMapiEventModified;
        if (change.type == kDevCreated)
            event = kMapiEventCreated;
        else if (change.type == kDevDeleted)
            event = kMapiEventDeleted;
        else if (was.folder != now.folder)
            event = kMapiEventMoved;
        events.push_back(event);
        ids.push_back(MessageEntryId(change.id));
        ids.push_back(FolderEntryId(MapiStoreIndex::Sms, now.folder));
        ids.push_back(FolderEntryId(MapiStoreIndex::Sms, was.folder));
        if (change.type == kDevDeleted && change.before) {
            standin::Guard guard(RegistryLock());
            Tombstones()[change.id] = *change.before;
            buried.push_back(change.id);
        }
    }
    std::vector<MapiNotification> all(count);
    for (size_t i = 0; i < count; ++i) {
        MapiNotification& note = all[i];
        memset(&note, 0, sizeof(note));
        note.ulEventType = events[i];
        MapiObjectNotification& obj = note.info.obj;
        obj.cbEntryID = static_cast<ULONG>(ids[3 * i].size());
        obj.lpEntryID = AsEntryId(ids[3 * i]);
        obj.ulObjType = kMapiObjMessage;
        obj.cbParentID = static_cast<ULONG>(ids[3 * i + 1].size());
        obj.lpParentID = AsEntryId(ids[3 * i + 1]);
        if (events[i] == kMapiEventMoved) {
            obj.cbOldID = obj.cbEntryID;
            obj.lpOldID = obj.lpEntryID;
            obj.cbOldParentID = static_cast<ULONG>(ids[3 * i + 2].size());
            obj.lpOldParentID = AsEntryId(ids[3 * i + 2]);
        }
    }

    std::vector<Registration> targets;
    {
        standin::Guard guard(RegistryLock());
        targets = Registrations();
        for (const Registration& registration : targets)
            registration.sink->AddRef();
    }
    for (const Registration& registration : targets) {
        std::vector<MapiNotification> batch;
        for (const MapiNotification& note : all)
            if (note.ulEventType & registration.mask)
                batch.push_back(note);
        if (batch.empty())
            continue;
        try {
            registration.sink->OnNotify(static_cast<ULONG>(batch.size()), batch.data());
        } catch (...) {
            VelDevDebugPrint(L"cemapi: a sink threw out of OnNotify.\n");
        }
    }
    for (const Registration& registration : targets)
        registration.sink->Release();

    standin::Guard guard(RegistryLock());
    for (DWORD id : buried)
        Tombstones().erase(id);
}

}  // namespace

bool FindMessageOrTombstone(DWORD id, VelDevMessage* out)
{
    boost::shared_ptr<VelDevStore> store = MapiDeviceStore();
    if (store && store->FindMessage(id, out))
        return true;
    standin::Guard guard(RegistryLock());
    auto it = Tombstones().find(id);
    if (it == Tombstones().end())
        return false;
    *out = it->second;
    return true;
}

namespace {

standin::StoreFollower& Follower() { return standin::FollowStore(&DeliverChanges, kDevMessages); }

}  // namespace

boost::shared_ptr<VelDevStore> MapiDeviceStore() { return Follower().Current(); }

// The store is watched while any sink is registered.
ULONG MapiAdvise(CeMapiSession* session, ULONG mask, ICeMapiAdviseSink* sink)
{
    Follower().Watch();
    ULONG connection;
    {
        standin::Guard guard(RegistryLock());
        connection = g_nextConnection++;
        sink->AddRef();
        Registrations().push_back({connection, session, mask, sink});
    }
    return connection;
}

bool MapiUnadvise(CeMapiSession* session, ULONG connection)
{
    ICeMapiAdviseSink* sink = nullptr;
    {
        standin::Guard guard(RegistryLock());
        auto& table = Registrations();
        for (auto it = table.begin(); it != table.end(); ++it) {
            if (it->connection == connection && it->session == session) {
                sink = it->sink;
                table.erase(it);
                break;
            }
        }
    }
    if (!sink)
        return false;
    // Waits for a batch in progress on the watcher thread; on that thread
    // itself (a sink withdrawing from OnNotify) the lock is already ours.
    {
        standin::Guard wait(DeliveryLock());
    }
    sink->Release();
    Follower().Unwatch();
    return true;
}

void MapiUnadviseAll(CeMapiSession* session)
{
    std::vector<ULONG> connections;
    {
        standin::Guard guard(RegistryLock());
        for (const Registration& registration : Registrations())
            if (registration.session == session)
                connections.push_back(registration.connection);
    }
    for (ULONG value : connections)
        MapiUnadvise(session, value);
}

CeMapiSession::~CeMapiSession() { MapiUnadviseAll(this); }

HRESULT CeMapiSession::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_ICeMapiSession, this}});
}

HRESULT CeMapiSession::GetMsgStoresTable(ULONG, ICeMapiTable** table)
{
    if (!table)
        return kMapiErrInvalidParameter;
    *table = nullptr;
    if (InterlockedCompareExchange(&m_loggedOff, 0, 0))
        return kMapiErrInvalidObject;
    // The other store comes first and shares the prefix, so only an exact
    // match of the name finds the right one. A missing device store has no
    // "SMS" store at all.
    std::vector<MapiPropList> rows = {CeMsgStore::StoreProps(MapiStoreIndex::Archive)};
    boost::shared_ptr<VelDevStore> device = MapiDeviceStore();
    if (device && !device->IsMissing())
        rows.push_back(CeMsgStore::StoreProps(MapiStoreIndex::Sms));
    *table = new (std::nothrow) CeMapiTable(std::move(rows), {kMapiTagDisplayName, kMapiTagEntryId});
    return *table ? kMapiOk : kMapiErrNoMemory;
}

HRESULT CeMapiSession::OpenMsgStore(ULONG_PTR, ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG,
                                    ICeMsgStore** store)
{
    if (!store)
        return kMapiErrInvalidParameter;
    *store = nullptr;
    if (InterlockedCompareExchange(&m_loggedOff, 0, 0))
        return kMapiErrInvalidObject;
    MapiStoreIndex index;
    if (!ParseStoreEntryId(reinterpret_cast<const BYTE*>(entryId), entryId ? cbEntryId : 0, &index))
        return kMapiErrInvalidEntryId;
    if (iface && !IsEqualIID(*iface, IID_ICeMsgStore))
        return E_NOINTERFACE;
    *store = new (std::nothrow) CeMsgStore(index);
    return *store ? kMapiOk : kMapiErrNoMemory;
}

HRESULT CeMapiSession::Advise(ULONG cbEntryId, MapiEntryId* entryId, ULONG eventMask, ICeMapiAdviseSink* sink,
                              ULONG* connection)
{
    if (!sink || !connection || (eventMask & kAllEvents) == 0)
        return kMapiErrInvalidParameter;
    *connection = 0;
    if (InterlockedCompareExchange(&m_loggedOff, 0, 0))
        return kMapiErrInvalidObject;
    // Only the whole session can be watched.
    if (entryId || cbEntryId)
        return kMapiErrNoSupport;
    *connection = MapiAdvise(this, eventMask & kAllEvents, sink);
    return kMapiOk;
}

HRESULT CeMapiSession::Unadvise(ULONG connection)
{
    return MapiUnadvise(this, connection) ? kMapiOk : kMapiErrNotFound;
}

HRESULT CeMapiSession::Logoff(ULONG_PTR, ULONG, ULONG)
{
    InterlockedExchange(&m_loggedOff, 1);
    return kMapiOk;
}

extern "C" {

HRESULT WINAPI MAPIInitialize(void*)
{
    if (VelDevFault(L"mapi.init"))
        return FaultResult(L"mapi.init", E_FAIL);
    InterlockedIncrement(&g_initCount);
    return kMapiOk;
}

void WINAPI MAPIUninitialize()
{
    LONG now = InterlockedDecrement(&g_initCount);
    if (now < 0)
        InterlockedIncrement(&g_initCount);
}

HRESULT WINAPI MAPILogonEx(ULONG_PTR, LPWSTR, LPWSTR, ULONG, ICeMapiSession** session)
{
    if (!session)
        return kMapiErrInvalidParameter;
    *session = nullptr;
    if (InterlockedCompareExchange(&g_initCount, 0, 0) <= 0)
        return kMapiErrNotInitialized;
    if (VelDevFault(L"mapi.logon"))
        return FaultResult(L"mapi.logon", kMapiErrLogonFailed);
    *session = new (std::nothrow) CeMapiSession();
    return *session ? kMapiOk : kMapiErrNoMemory;
}

ULONG WINAPI MAPIFreeBuffer(void* buffer)
{
    if (!buffer)
        return kMapiOk;
    return MapiRelease(buffer) ? kMapiOk : static_cast<ULONG>(kMapiErrInvalidParameter);
}

void WINAPI FreeProws(MapiRowSet* rows)
{
    // A set not handed out here is left alone: its rows are not ours either.
    if (!rows || !MapiOwns(rows))
        return;
    for (ULONG i = 0; i < rows->cRows; ++i)
        MAPIFreeBuffer(rows->aRow[i].lpProps);
    MapiRelease(rows);
}

}  // extern "C"
