#include "PimObjects.h"

#include <VelDevStore.h>

#include <algorithm>

namespace {

// Every logged-on application object of this process, for the change messages.
standin::Lock& SessionsLock()
{
    static standin::Lock lock;
    return lock;
}

struct Session {
    PimApplication* application;
    HWND window;
    ULONG mask;
};

std::vector<Session>& SessionTable()
{
    static std::vector<Session> table;
    return table;
}

UINT MessageFor(PimChangeKind kind, bool local)
{
    UINT base = local ? kPimMsgLocalCreated : kPimMsgRemoteCreated;
    switch (kind) {
    case PimChangeKind::Created:
        return base;
    case PimChangeKind::Deleted:
        return base + 1;
    case PimChangeKind::Changed:
        return base + 2;
    }
    return 0;
}

void OnStoreChange(PimChangeKind kind, LONG oid, bool local) { PimApplication::Broadcast(kind, oid, local); }

}  // namespace

PimApplication::PimApplication() { pimbackend::SetChangeSink(&OnStoreChange); }

PimApplication::~PimApplication() { Logoff(); }

HRESULT PimApplication::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_IPimApplication, this}});
}

bool PimApplication::LoggedOn()
{
    standin::Guard guard(SessionsLock());
    for (const Session& session : SessionTable())
        if (session.application == this)
            return true;
    return false;
}

HRESULT PimApplication::Logon(HWND window)
{
    if (!window || !IsWindow(window))
        return E_INVALIDARG;
    HRESULT fault = PimLogonFault();
    if (FAILED(fault))
        return fault;
    standin::Guard guard(SessionsLock());
    for (Session& session : SessionTable()) {
        if (session.application == this) {
            session.window = window;
            return S_OK;
        }
    }
    SessionTable().push_back({this, window, m_mask});
    return S_OK;
}

HRESULT PimApplication::Logoff()
{
    standin::Guard guard(SessionsLock());
    auto& table = SessionTable();
    auto it = std::find_if(table.begin(), table.end(),
                           [this](const Session& session) { return session.application == this; });
    if (it == table.end())
        return kPimErrNotLoggedOn;
    table.erase(it);
    return S_OK;
}

void PimApplication::SetNotificationMask(ULONG mask)
{
    standin::Guard guard(SessionsLock());
    m_mask = mask;
    for (Session& session : SessionTable())
        if (session.application == this)
            session.mask = mask;
}

void PimApplication::Broadcast(PimChangeKind kind, LONG oid, bool local)
{
    const ULONG family = local ? kPimNotifyLocal : kPimNotifyRemote;
    const UINT message = MessageFor(kind, local);
    standin::Guard guard(SessionsLock());
    for (const Session& session : SessionTable()) {
        if (session.mask & family)
            PostMessageW(session.window, message, static_cast<WPARAM>(oid), kPimFolderContacts);
    }
}

HRESULT PimApplication::GetDefaultFolder(int kind, IPimFolder** folder)
{
    if (!folder)
        return E_POINTER;
    *folder = nullptr;
    if (kind != kPimFolderContacts)
        return E_INVALIDARG;
    if (!LoggedOn())
        return kPimErrNotLoggedOn;
    PimFolder* made = new (std::nothrow) PimFolder(this);
    if (!made)
        return E_OUTOFMEMORY;
    *folder = made;
    return S_OK;
}

HRESULT PimApplication::GetItemFromOid(LONG oid, IUnknown** item)
{
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (!LoggedOn())
        return kPimErrNotLoggedOn;
    if (oid <= 0)
        return E_INVALIDARG;
    PimContactRecord record;
    if (!pimbackend::FindContact(oid, record))
        return kPimErrNotFound;
    PimContact* made = new (std::nothrow) PimContact(record);
    if (!made)
        return E_OUTOFMEMORY;
    *item = static_cast<IPimContact*>(made);
    return S_OK;
}

HRESULT PimApplication::CreateItem(int kind, IUnknown** item)
{
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (kind != kPimItemContact)
        return E_INVALIDARG;
    if (!LoggedOn())
        return kPimErrNotLoggedOn;
    PimContact* made = new (std::nothrow) PimContact(PimContactRecord{});
    if (!made)
        return E_OUTOFMEMORY;
    *item = static_cast<IPimContact*>(made);
    return S_OK;
}

PimFolder::PimFolder(PimApplication* application) : m_application(application) { application->AddRef(); }

HRESULT PimFolder::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(
        riid, out, {{&IID_IPimFolder, static_cast<IPimFolder*>(this)}, {&IID_IPimItem, static_cast<IPimItem*>(this)}});
}

HRESULT PimFolder::get_Items(IPimItemCollection** items)
{
    if (!items)
        return E_POINTER;
    *items = new (std::nothrow) PimItemCollection();
    return *items ? S_OK : E_OUTOFMEMORY;
}

HRESULT PimFolder::SetProps(ULONG flags, WORD count, PimPropValue* values)
{
    if (count == 0 || !values)
        return E_INVALIDARG;
    for (WORD i = 0; i < count; ++i)
        if (values[i].propid != kPimPropFolderNotifications)
            return E_INVALIDARG;
    for (WORD i = 0; i < count; ++i)
        m_application->SetNotificationMask(values[i].val.ulVal & (kPimNotifyLocal | kPimNotifyRemote));
    return S_OK;
}

HRESULT PimItemCollection::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_IPimItemCollection, this}});
}

bool PimItemCollection::Refresh()
{
    LONG now = pimbackend::Generation();
    if (now == m_generation)
        return true;
    auto fresh = std::make_shared<std::vector<pimbackend::StoredContact>>();
    if (!pimbackend::ListContacts(*fresh))
        return false;
    m_snapshot = std::move(fresh);
    m_generation = now;
    m_unreadable = VelDevFaultValue(L"poom.item", 0);
    return true;
}

HRESULT PimItemCollection::get_Count(int* count)
{
    if (!count)
        return E_POINTER;
    standin::Guard guard(m_lock);
    *count = 0;
    if (!Refresh())
        return E_FAIL;
    *count = static_cast<int>(m_snapshot->size());
    return S_OK;
}

HRESULT PimItemCollection::Item(int position, IUnknown** item)
{
    if (!item)
        return E_POINTER;
    *item = nullptr;
    standin::Guard guard(m_lock);
    if (!Refresh())
        return E_FAIL;
    const std::vector<pimbackend::StoredContact>& records = *m_snapshot;
    if (position < 1 || position > static_cast<int>(records.size()))
        return E_INVALIDARG;
    const VelDevContact& stored = *records[position - 1];
    // For tests: the contact with this oid cannot be had.
    if (m_unreadable != 0 && static_cast<DWORD>(pimbackend::OidOf(stored)) == m_unreadable)
        return E_FAIL;
    PimContact* made = new (std::nothrow) PimContact(pimbackend::RecordOf(stored));
    if (!made)
        return E_OUTOFMEMORY;
    *item = static_cast<IPimContact*>(made);
    return S_OK;
}
