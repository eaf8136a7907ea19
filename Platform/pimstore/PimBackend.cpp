#include "PimBackend.h"
#include "StandInStore.h"

#include <algorithm>

namespace {

standin::Lock& BackendLock()
{
    static standin::Lock lock;
    return lock;
}

LONG g_generation = 0;
pimbackend::ChangeSink g_sink = nullptr;

// Each text field of a contact and where the store keeps it.
struct FieldPair {
    std::wstring PimContactRecord::*ours;
    std::wstring VelDevContact::*stored;
};

const FieldPair kFieldPairs[] = {
    {&PimContactRecord::fileAs, &VelDevContact::fileAs},
    {&PimContactRecord::firstName, &VelDevContact::firstName},
    {&PimContactRecord::lastName, &VelDevContact::lastName},
    {&PimContactRecord::company, &VelDevContact::company},
    {&PimContactRecord::mobile, &VelDevContact::mobile},
    {&PimContactRecord::business, &VelDevContact::work},
    {&PimContactRecord::home, &VelDevContact::home},
    {&PimContactRecord::categories, &VelDevContact::categories},
};

PimContactRecord FromDevice(const VelDevContact& contact)
{
    PimContactRecord pimContactRecord;
    pimContactRecord.oid = static_cast<LONG>(contact.id);
    for (const FieldPair& fieldPair : kFieldPairs)
        pimContactRecord.*(fieldPair.ours) = contact.*(fieldPair.stored);
    return pimContactRecord;
}

void ToDevice(const PimContactRecord& pimContactRecord, VelDevContact& contact)
{
    for (const FieldPair& fieldPair : kFieldPairs)
        contact.*(fieldPair.stored) = pimContactRecord.*(fieldPair.ours);
}

void OnStoreChanges(const VelDevStoreChanges& changes)
{
    if (changes.contacts.empty())
        return;
    InterlockedIncrement(&g_generation);
    pimbackend::ChangeSink sink;
    {
        standin::Guard guard(BackendLock());
        sink = g_sink;
    }
    if (!sink)
        return;
    for (const VelDevChange<VelDevContact>& change : changes.contacts) {
        PimChangeKind kind = change.type == kDevCreated   ? PimChangeKind::Created
                             : change.type == kDevDeleted ? PimChangeKind::Deleted
                                                          : PimChangeKind::Changed;
        sink(kind, static_cast<LONG>(change.id), change.ownProcess);
    }
}

standin::StoreFollower& Follower() { return standin::FollowStore(&OnStoreChanges, kDevContacts); }

// A snapshot taken before the listener came to this store may be of another.
void CountMove(bool moved)
{
    if (moved)
        InterlockedIncrement(&g_generation);
}

boost::shared_ptr<VelDevStore> Store()
{
    bool moved = false;
    boost::shared_ptr<VelDevStore> store = Follower().Current(&moved);
    CountMove(moved);
    return store;
}

std::wstring Lowered(const std::wstring& text)
{
    std::wstring out = text;
    if (!out.empty())
        CharLowerBuffW(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

}  // namespace

namespace pimbackend {

bool ListContacts(std::vector<StoredContact>& out)
{
    boost::shared_ptr<VelDevStore> store = Store();
    if (!store)
        return false;
    std::vector<StoredContact> contacts = store->ContactList();
    std::vector<std::pair<std::wstring, size_t>> keys;
    keys.reserve(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i)
        keys.emplace_back(Lowered(contacts[i]->fileAs), i);
    std::sort(keys.begin(), keys.end(), [&contacts](const auto& left, const auto& right) {
        if (left.first != right.first)
            return left.first < right.first;
        return contacts[left.second]->id < contacts[right.second]->id;
    });
    out.clear();
    out.reserve(contacts.size());
    for (const auto& key : keys)
        out.push_back(contacts[key.second]);
    return true;
}

PimContactRecord RecordOf(const VelDevContact& contact) { return FromDevice(contact); }

LONG OidOf(const VelDevContact& contact) { return static_cast<LONG>(contact.id); }

bool FindContact(LONG oid, PimContactRecord& out)
{
    boost::shared_ptr<VelDevStore> store = Store();
    VelDevContact contact;
    if (!store || oid <= 0 || !store->FindContact(static_cast<DWORD>(oid), &contact))
        return false;
    out = FromDevice(contact);
    return true;
}

HRESULT SaveContact(PimContactRecord& record, const PimContactRecord& base)
{
    boost::shared_ptr<VelDevStore> store = Store();
    if (!store || store->IsMissing())
        return E_FAIL;
    if (record.oid == 0) {
        VelDevContact contact;
        ToDevice(record, contact);
        DWORD id = store->AddContact(contact);
        if (id == 0)
            return E_FAIL;
        record.oid = static_cast<LONG>(id);
    } else {
        bool found = false;
        bool saved = store->ChangeContact(static_cast<DWORD>(record.oid), [&](VelDevContact& contact) {
            found = true;
            for (const FieldPair& fieldPair : kFieldPairs) {
                if (record.*(fieldPair.ours) != base.*(fieldPair.ours))
                    contact.*(fieldPair.stored) = record.*(fieldPair.ours);
            }
            return true;
        });
        if (!saved)
            return found ? E_FAIL : static_cast<HRESULT>(0x80070490);
    }
    InterlockedIncrement(&g_generation);
    return S_OK;
}

bool ReadPicture(LONG oid, std::string& bytes)
{
    boost::shared_ptr<VelDevStore> store = Store();
    return store && oid > 0 && store->ReadContactPicture(static_cast<DWORD>(oid), &bytes) && !bytes.empty();
}

LONG Generation() { return InterlockedCompareExchange(&g_generation, 0, 0); }

void SetChangeSink(ChangeSink sink)
{
    standin::Guard guard(BackendLock());
    g_sink = sink;
}

Watching::Watching()
{
    bool moved = false;
    Follower().Watch(&moved);
    CountMove(moved);
}

Watching::~Watching() { Follower().Unwatch(); }

bool AppendRecording(const std::wstring& line)
{
    boost::shared_ptr<VelDevStore> store = Store();
    return store && store->AppendLog(L"poom-ui.log", line);
}

}  // namespace pimbackend
