#pragma once
// The COM classes behind CeMapi.h, and what they share: property lists, the
// tracked allocator and the entry ids.
#include "CeMapi.h"
#include "StandInCom.h"

#include <VelDevStore.h>

#include <string>
#include <vector>

// One property an object holds; which member counts follows the tag's type.
struct MapiProp {
    ULONG tag = 0;
    ULONG ul = 0;
    FILETIME ft = {0, 0};
    std::wstring text;
    std::string bytes;
};
using MapiPropList = std::vector<MapiProp>;

MapiProp MakeLongProp(ULONG tag, ULONG value);
MapiProp MakeTextProp(ULONG tag, const std::wstring& value);
MapiProp MakeBinaryProp(ULONG tag, const std::string& value);
MapiProp MakeTimeProp(ULONG tag, const FILETIME& value);

// Buffers MAPIFreeBuffer accepts are only those made here.
void* MapiAllocate(size_t size);
bool MapiRelease(void* buffer);
bool MapiOwns(void* buffer);

// The values of `tags` from `have` in one freeable block; an absent tag, or one
// asked with another type, is an error value, and the result then says so.
HRESULT MapiBuildValues(const MapiPropList& have, const ULONG* tags, ULONG count, ULONG* outCount,
                        MapiPropValue** outValues);
// GetProps over a property list, with the checks every object makes.
HRESULT MapiGetProps(const MapiPropList& have, MapiPropTagArray* tags, ULONG* count, MapiPropValue** values);

// Entry ids. Folders and stores have 16-byte ids; a message's is 20 bytes and
// its last four bytes vary, so lookups ignore them.
enum class MapiStoreIndex : DWORD { Sms = 0, Archive = 1 };
std::string StoreEntryId(MapiStoreIndex store);
std::string FolderEntryId(MapiStoreIndex store, DWORD kind);
std::string MessageEntryId(DWORD messageId);
bool ParseStoreEntryId(const BYTE* id, ULONG cb, MapiStoreIndex* store);
bool ParseFolderEntryId(const BYTE* id, ULONG cb, MapiStoreIndex* store, DWORD* kind);
bool ParseMessageEntryId(const BYTE* id, ULONG cb, DWORD* messageId);
constexpr DWORD kMapiFolderKinds = 5;

// The fault switch naming a message that cannot be opened (tests), 0 for none.
DWORD MapiUnopenableMessage();
// The property list of a message as the store holds it.
MapiPropList MessageProps(const VelDevMessage& message);
boost::shared_ptr<VelDevStore> MapiDeviceStore();
// A message deleted while its notification batch is delivered still opens.
bool FindMessageOrTombstone(DWORD id, VelDevMessage* out);

class CeMapiTable final : public ICeMapiTable {
public:
    // Each row holds all its properties; the columns pick what QueryRows gives.
    CeMapiTable(std::vector<MapiPropList> rows, std::vector<ULONG> columns);
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE SetColumns(MapiPropTagArray* columns, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE SortTable(MapiSortOrderSet* order, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG flags, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG flags, MapiRowSet** rows) override;

private:
    ~CeMapiTable() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);

    standin::RefCount m_refs;
    standin::Lock m_lock;
    std::vector<MapiPropList> m_rows;
    std::vector<ULONG> m_columns;
    size_t m_cursor = 0;
};

class CeMsgStore final : public ICeMsgStore {
public:
    explicit CeMsgStore(MapiStoreIndex index);
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE GetProps(MapiPropTagArray* tags, ULONG flags, ULONG* count,
                                       MapiPropValue** values) override;
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems) override;
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG flags,
                                        ULONG* objType, IUnknown** object) override;

    static MapiPropList StoreProps(MapiStoreIndex index);
    // Opens a folder or message of the store, for the store and its folders.
    // unopenable: for tests, the id of a message that cannot be opened (0 for none).
    static HRESULT OpenStoreEntry(MapiStoreIndex index, DWORD unopenable, ULONG cbEntryId, MapiEntryId* entryId,
                                  const IID* iface, ULONG* objType, IUnknown** object);

private:
    ~CeMsgStore() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);

    standin::RefCount m_refs;
    MapiStoreIndex m_index;
    DWORD m_unopenable;  // as the fault switch was when the store was opened
};

class CeMapiFolder final : public ICeMapiFolder {
public:
    CeMapiFolder(MapiStoreIndex store, DWORD kind);
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE GetProps(MapiPropTagArray* tags, ULONG flags, ULONG* count,
                                       MapiPropValue** values) override;
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems) override;
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG flags, ICeMapiTable** table) override;
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG flags,
                                        ULONG* objType, IUnknown** object) override;

private:
    ~CeMapiFolder() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);

    standin::RefCount m_refs;
    MapiStoreIndex m_store;
    DWORD m_kind;
    DWORD m_unopenable;  // as the fault switch was when the folder was opened
};

class CeMessage final : public ICeMessage {
public:
    explicit CeMessage(const VelDevMessage& message);
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE GetProps(MapiPropTagArray* tags, ULONG flags, ULONG* count,
                                       MapiPropValue** values) override;
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems) override;
    HRESULT STDMETHODCALLTYPE GetRecipientTable(ULONG flags, ICeMapiTable** table) override;

private:
    ~CeMessage() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);

    standin::RefCount m_refs;
    standin::Lock m_lock;
    VelDevMessage m_message;
    MapiPropList m_props;  // of m_message, made once for every read
};

class CeMapiSession final : public ICeMapiSession {
public:
    CeMapiSession() = default;
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG flags, ICeMapiTable** table) override;
    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR window, ULONG cbEntryId, MapiEntryId* entryId, const IID* iface,
                                           ULONG flags, ICeMsgStore** store) override;
    HRESULT STDMETHODCALLTYPE Advise(ULONG cbEntryId, MapiEntryId* entryId, ULONG eventMask, ICeMapiAdviseSink* sink,
                                     ULONG* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG connection) override;
    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR window, ULONG flags, ULONG reserved) override;

private:
    ~CeMapiSession();
    HRESULT InterfaceTable(REFIID riid, void** out);

    standin::RefCount m_refs;
    LONG m_loggedOff = 0;
};

// Sink registrations of the whole process; delivery runs on the store's
// watcher thread, never the program's.
ULONG MapiAdvise(CeMapiSession* session, ULONG mask, ICeMapiAdviseSink* sink);
bool MapiUnadvise(CeMapiSession* session, ULONG connection);
void MapiUnadviseAll(CeMapiSession* session);
