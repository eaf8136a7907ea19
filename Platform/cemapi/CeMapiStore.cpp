// The message stores, their folders and messages over the device store.
#include "CeMapiObjects.h"

#include <new>

namespace {

const wchar_t* const kStoreNames[] = {L"SMS", L"SMS Archive"};
const wchar_t* const kFolderNames[kMapiFolderKinds] = {L"Inbox", L"Outbox", L"Sent Items", L"Deleted Items", L"Drafts"};
// The store property naming each folder, by kind.
const ULONG kFolderTags[kMapiFolderKinds] = {kMapiTagReceivedFolder, kMapiTagOutboxFolder, kMapiTagSentFolder,
                                             kMapiTagDeletedFolder, kMapiTagDraftsFolder};

// Gives `object` as the interface asked for (its own when none is).
HRESULT Hand(IUnknown* object, const IID& own, const IID* iface, IUnknown** out)
{
    void* data = nullptr;
    HRESULT hr = object->QueryInterface(iface ? *iface : own, &data);
    object->Release();
    *out = static_cast<IUnknown*>(data);
    return hr;
}

HRESULT RefuseWrites(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems)
{
    if (problems)
        *problems = nullptr;
    if (count == 0 || !values)
        return kMapiErrInvalidParameter;
    return kMapiErrNoSupport;
}

}  // namespace

MapiPropList MessageProps(const VelDevMessage& message)
{
    MapiPropList props = {
        MakeBinaryProp(kMapiTagEntryId, MessageEntryId(message.id)),
        MakeLongProp(kMapiTagObjectType, kMapiObjMessage),
        MakeBinaryProp(kMapiTagParentEntryId, FolderEntryId(MapiStoreIndex::Sms, message.folder)),
        MakeTextProp(kMapiTagSubject, message.text),
        MakeTextProp(kMapiTagSenderName, message.senderName),
        MakeTextProp(kMapiTagSenderAddress, message.senderAddress),
    };
    if (message.hasDeliveryTime)
        props.push_back(MakeTimeProp(kMapiTagDeliveryTime, message.deliveryTime));
    if (message.hasFlags)
        props.push_back(MakeLongProp(kMapiTagMessageFlags, message.flags));
    return props;
}

DWORD MapiUnopenableMessage() { return VelDevFaultValue(L"mapi.message", 0); }

// The fault switch is read once per store or folder: it names a file of the
// store that would otherwise be looked for at every message opened.
CeMsgStore::CeMsgStore(MapiStoreIndex index) : m_index(index), m_unopenable(MapiUnopenableMessage()) {}

HRESULT CeMsgStore::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_ICeMsgStore, this}, {&IID_ICeMapiProp, this}});
}

MapiPropList CeMsgStore::StoreProps(MapiStoreIndex index)
{
    MapiPropList props = {
        MakeTextProp(kMapiTagDisplayName, kStoreNames[DWORD(index)]),
        MakeBinaryProp(kMapiTagEntryId, StoreEntryId(index)),
        MakeLongProp(kMapiTagObjectType, kMapiObjStore),
    };
    for (DWORD kind = 0; kind < kMapiFolderKinds; ++kind)
        props.push_back(MakeBinaryProp(kFolderTags[kind], FolderEntryId(index, kind)));
    return props;
}

HRESULT CeMsgStore::GetProps(MapiPropTagArray* tags, ULONG, ULONG* count, MapiPropValue** values)
{
    return MapiGetProps(StoreProps(m_index), tags, count, values);
}

HRESULT CeMsgStore::SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems)
{
    return RefuseWrites(count, values, problems);
}

HRESULT CeMsgStore::OpenStoreEntry(MapiStoreIndex index, DWORD unopenable, ULONG cbEntryId, MapiEntryId* entryId,
                                   const IID* iface, ULONG* objType, IUnknown** object)
{
    if (!objType || !object)
        return kMapiErrInvalidParameter;
    *object = nullptr;
    *objType = 0;
    if (!entryId || cbEntryId == 0)
        return kMapiErrInvalidEntryId;
    const BYTE* id = reinterpret_cast<const BYTE*>(entryId);
    MapiStoreIndex folderStore;
    DWORD kind, messageId;
    if (ParseFolderEntryId(id, cbEntryId, &folderStore, &kind)) {
        if (folderStore != index)
            return kMapiErrNotFound;
        CeMapiFolder* folder = new (std::nothrow) CeMapiFolder(index, kind);
        if (!folder)
            return kMapiErrNoMemory;
        HRESULT hr = Hand(folder, IID_ICeMapiFolder, iface, object);
        if (SUCCEEDED(hr))
            *objType = kMapiObjFolder;
        return hr;
    }
    if (ParseMessageEntryId(id, cbEntryId, &messageId)) {
        VelDevMessage message;
        if (index != MapiStoreIndex::Sms || !FindMessageOrTombstone(messageId, &message))
            return kMapiErrNotFound;
        // For tests: the message with this id cannot be opened.
        if (unopenable != 0 && messageId == unopenable)
            return E_FAIL;
        CeMessage* opened = new (std::nothrow) CeMessage(message);
        if (!opened)
            return kMapiErrNoMemory;
        HRESULT hr = Hand(opened, IID_ICeMessage, iface, object);
        if (SUCCEEDED(hr))
            *objType = kMapiObjMessage;
        return hr;
    }
    return kMapiErrInvalidEntryId;
}

HRESULT CeMsgStore::OpenEntry(ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG, ULONG* objType,
                              IUnknown** object)
{
    return OpenStoreEntry(m_index, m_unopenable, cbEntryId, entryId, iface, objType, object);
}

CeMapiFolder::CeMapiFolder(MapiStoreIndex store, DWORD kind)
    : m_store(store), m_kind(kind), m_unopenable(MapiUnopenableMessage())
{
}

HRESULT CeMapiFolder::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_ICeMapiFolder, this}, {&IID_ICeMapiProp, this}});
}

HRESULT CeMapiFolder::GetProps(MapiPropTagArray* tags, ULONG, ULONG* count, MapiPropValue** values)
{
    MapiPropList props = {
        MakeTextProp(kMapiTagDisplayName, kFolderNames[m_kind]),
        MakeBinaryProp(kMapiTagEntryId, FolderEntryId(m_store, m_kind)),
        MakeLongProp(kMapiTagObjectType, kMapiObjFolder),
    };
    return MapiGetProps(props, tags, count, values);
}

HRESULT CeMapiFolder::SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems)
{
    return RefuseWrites(count, values, problems);
}

HRESULT CeMapiFolder::GetContentsTable(ULONG, ICeMapiTable** table)
{
    if (!table)
        return kMapiErrInvalidParameter;
    *table = nullptr;
    std::vector<MapiPropList> rows;
    if (m_store == MapiStoreIndex::Sms) {
        boost::shared_ptr<VelDevStore> store = MapiDeviceStore();
        if (!store)
            return E_FAIL;
        for (const VelDevMessage& message : store->Messages())
            if (message.folder == m_kind)
                rows.push_back(MessageProps(message));
    }
    *table = new (std::nothrow) CeMapiTable(std::move(rows), {kMapiTagEntryId});
    return *table ? kMapiOk : kMapiErrNoMemory;
}

HRESULT CeMapiFolder::OpenEntry(ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG, ULONG* objType,
                                IUnknown** object)
{
    return CeMsgStore::OpenStoreEntry(m_store, m_unopenable, cbEntryId, entryId, iface, objType, object);
}

CeMessage::CeMessage(const VelDevMessage& message) : m_message(message), m_props(MessageProps(message)) {}

HRESULT CeMessage::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_ICeMessage, this}, {&IID_ICeMapiProp, this}});
}

HRESULT CeMessage::GetProps(MapiPropTagArray* tags, ULONG, ULONG* count, MapiPropValue** values)
{
    standin::Guard guard(m_lock);
    return MapiGetProps(m_props, tags, count, values);
}

// Only the flags can be written, and a write is kept at once: the program
// never asks for the message to be saved.
HRESULT CeMessage::SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems)
{
    if (problems)
        *problems = nullptr;
    if (count == 0 || !values)
        return kMapiErrInvalidParameter;
    for (ULONG i = 0; i < count; ++i)
        if (values[i].ulPropTag != kMapiTagMessageFlags)
            return kMapiErrNoSupport;
    ULONG flags = values[count - 1].Value.ul;
    standin::Guard guard(m_lock);
    boost::shared_ptr<VelDevStore> store = MapiDeviceStore();
    if (!store)
        return E_FAIL;
    bool found = false;
    bool written = store->ChangeMessage(m_message.id, [&found, flags](VelDevMessage& stored) {
        found = true;
        stored.hasFlags = true;
        stored.flags = flags;
        return true;
    });
    if (!written)
        return found ? E_FAIL : kMapiErrNotFound;
    m_message.hasFlags = true;
    m_message.flags = flags;
    m_props = MessageProps(m_message);
    return kMapiOk;
}

HRESULT CeMessage::GetRecipientTable(ULONG, ICeMapiTable** table)
{
    if (!table)
        return kMapiErrInvalidParameter;
    std::vector<MapiPropList> rows;
    {
        standin::Guard guard(m_lock);
        for (const VelDevRecipient& recipient : m_message.recipients) {
            rows.push_back({MakeTextProp(kMapiTagDisplayName, recipient.name),
                            MakeTextProp(kMapiTagAddress, recipient.address), MakeLongProp(kMapiTagRecipientType, 1)});
        }
    }
    *table =
        new (std::nothrow) CeMapiTable(std::move(rows), {kMapiTagDisplayName, kMapiTagAddress, kMapiTagRecipientType});
    return *table ? kMapiOk : kMapiErrNoMemory;
}
