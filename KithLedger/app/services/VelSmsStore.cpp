#include "VelSmsStore.h"

#include <CeMapi.h>

#include <new>

#include "VelComRef.h"
#include "VelMapiSink.h"

namespace {

const ULONG kSinkEventMask = kMapiEventCreated | kMapiEventDeleted | kMapiEventModified | kMapiEventMoved;
const ULONG kFolderTags[] = {kMapiTagReceivedFolder, kMapiTagOutboxFolder, kMapiTagSentFolder, kMapiTagDeletedFolder,
                             kMapiTagDraftsFolder};

VelSmsStore g_sms = {};
VelEntryId g_folderIds[kSmsSecondOwn + 1];

MapiEntryId* AsEntryId(const VelEntryId& id) { return reinterpret_cast<MapiEntryId*>(const_cast<BYTE*>(id.data())); }

}  // namespace

void SetNameAndIdColumns(ICeMapiTable* table)
{
    struct {
        ULONG cValues;
        ULONG aulPropTag[2];
    } columns = {2, {kMapiTagDisplayName, kMapiTagEntryId}};
    table->SetColumns(reinterpret_cast<MapiPropTagArray*>(&columns), 0);
}

const VelSmsStore& GetSmsStore() { return g_sms; }

const VelEntryId& GetCachedSmsFolderId(int kind)
{
    static const VelEntryId none;
    return kind == kSmsReceived || kind == kSmsSent || kind == kSmsDeleted ? g_folderIds[kind] : none;
}

void OpenSmsStore()
{
    MAPIInitialize(NULL);
    MAPILogonEx(0, NULL, NULL, 0, &g_sms.session);
    if (!g_sms.session)
        return;
    g_sms.sink = new (std::nothrow) VelMapiSink;
    if (g_sms.sink)
        g_sms.session->Advise(0, NULL, kSinkEventMask, g_sms.sink, &g_sms.sink->m_connection);
    FindSmsMessageStore(L"SMS");
}

void CloseSmsStore()
{
    VelReleaseAndClear(g_sms.store);
    if (g_sms.sink) {
        // Withdrawn first, so the platform holds no more references; then
        // ours goes through the count, never around it.
        if (g_sms.session)
            g_sms.session->Unadvise(g_sms.sink->m_connection);
        VelReleaseAndClear(g_sms.sink);
    }
    if (g_sms.session) {
        g_sms.session->Logoff(0, 0, 0);
        VelReleaseAndClear(g_sms.session);
    }
    for (VelEntryId& id : g_folderIds)
        id.clear();
    MAPIUninitialize();
}

bool FindSmsMessageStore(const wchar_t* name)
{
    VelComRef<ICeMapiTable> stores;
    if (!g_sms.session || FAILED(g_sms.session->GetMsgStoresTable(kMapiUnicode, stores.Receive())) || !stores)
        return false;
    SetNameAndIdColumns(stores.Get());
    VelEntryId storeId;
    bool found = false;
    while (!found) {
        MapiRowSet* rows = NULL;
        if (FAILED(stores->QueryRows(1, 0, &rows)) || !rows)
            break;
        const bool end = rows->cRows == 0;
        if (!end && rows->aRow[0].cValues >= 2) {
            const MapiPropValue* values = rows->aRow[0].lpProps;
            if (values[0].ulPropTag == kMapiTagDisplayName && values[0].Value.lpszW &&
                wcscmp(values[0].Value.lpszW, name) == 0 && values[1].ulPropTag == kMapiTagEntryId) {
                storeId.assign(values[1].Value.bin.lpb, values[1].Value.bin.lpb + values[1].Value.bin.cb);
                found = true;
            }
        }
        FreeProws(rows);
        if (end)
            break;
    }
    stores.Reset();
    if (!found)
        return false;
    if (FAILED(g_sms.session->OpenMsgStore(0, static_cast<ULONG>(storeId.size()), AsEntryId(storeId), NULL,
                                           kMapiNoDialog | kMapiBestAccess, &g_sms.store)))
        g_sms.store = NULL;
    if (!g_sms.store)
        return false;
    for (int kind : {kSmsReceived, kSmsSent, kSmsDeleted})
        g_folderIds[kind] = GetSmsFolderId(g_sms.store, kind);
    return true;
}

VelEntryId GetSmsFolderId(ICeMsgStore* store, int kind)
{
    VelEntryId id;
    if (kind >= kSmsReceived && kind <= kSmsSecondOwn)
        ReadMapiBinary(store, kFolderTags[kind], &id);
    return id;
}

VelMapiMessage* OpenMessageById(const VelEntryId& entryId)
{
    ICeMessage* message =
        OpenMapiEntry<ICeMessage>(g_sms.store, entryId.data(), static_cast<ULONG>(entryId.size()), IID_ICeMessage);
    if (!message)
        return NULL;
    return new (std::nothrow) VelMapiMessage(entryId.data(), static_cast<ULONG>(entryId.size()), message);
}

ICeMapiFolder* OpenSmsFolder(int kind)
{
    const VelEntryId id = GetSmsFolderId(g_sms.store, kind);
    return OpenMapiEntry<ICeMapiFolder>(g_sms.store, id.data(), static_cast<ULONG>(id.size()), IID_ICeMapiFolder);
}
