#pragma once
// The phone's messaging store as the program sees it: cemapi.dll's five
// functions and the session, store, folder, table and message interfaces.
// Buffers handed out (property arrays, row sets) are freed with
// MAPIFreeBuffer and FreeProws. The records have the phone's 32-bit layout in
// a 32-bit build and their natural one in a 64-bit build.
#include <windows.h>
#include <objidl.h>
#include <stddef.h>

// Property tags: the high word is the id, the low word the type.
constexpr ULONG kMapiTypeLong = 0x0003;
constexpr ULONG kMapiTypeError = 0x000A;
constexpr ULONG kMapiTypeUnicode = 0x001F;
constexpr ULONG kMapiTypeSysTime = 0x0040;
constexpr ULONG kMapiTypeBinary = 0x0102;
constexpr ULONG MapiPropType(ULONG tag) { return tag & 0xFFFF; }
constexpr ULONG MapiPropId(ULONG tag) { return tag >> 16; }
constexpr ULONG MapiPropTag(ULONG id, ULONG type) { return (id << 16) | type; }

enum MapiTag : ULONG {
    kMapiTagSubject = 0x0037001F,
    kMapiTagSenderName = 0x0C1A001F,
    kMapiTagSenderAddress = 0x0C1F001F,
    kMapiTagDeliveryTime = 0x0E060040,  // FILETIME, UTC
    kMapiTagMessageFlags = 0x0E070003,
    kMapiTagParentEntryId = 0x0E090102,
    kMapiTagEntryId = 0x0FFF0102,
    kMapiTagDisplayName = 0x3001001F,
    kMapiTagAddress = 0x3003001F,
    kMapiTagRecipientType = 0x0C150003,
    kMapiTagObjectType = 0x0FFE0003,
    // Store properties naming its folders.
    kMapiTagReceivedFolder = 0x81060102,
    kMapiTagOutboxFolder = 0x35E20102,
    kMapiTagDeletedFolder = 0x35E30102,
    kMapiTagSentFolder = 0x35E40102,
    kMapiTagDraftsFolder = 0x81040102,
};

constexpr ULONG kMapiMessageRead = 0x1;  // bit of kMapiTagMessageFlags
constexpr ULONG kMapiUnicode = 0x80000000;
constexpr ULONG kMapiNoDialog = 0x01;
constexpr ULONG kMapiBestAccess = 0x10;
constexpr ULONG kMapiSortAscending = 0;
constexpr ULONG kMapiSortDescending = 1;

enum MapiObjectType : ULONG { kMapiObjStore = 1, kMapiObjFolder = 3, kMapiObjMessage = 5 };

enum MapiEvent : ULONG {
    kMapiEventCreated = 0x04,
    kMapiEventDeleted = 0x08,
    kMapiEventModified = 0x10,
    kMapiEventMoved = 0x20,
};

constexpr HRESULT kMapiOk = S_OK;
constexpr HRESULT kMapiWarnErrorsReturned = 0x00040380;  // some values are error values
constexpr HRESULT kMapiErrNoSupport = static_cast<HRESULT>(0x80040102);
constexpr HRESULT kMapiErrInvalidEntryId = static_cast<HRESULT>(0x80040107);
constexpr HRESULT kMapiErrNotFound = static_cast<HRESULT>(0x8004010F);
constexpr HRESULT kMapiErrLogonFailed = static_cast<HRESULT>(0x80040111);
constexpr HRESULT kMapiErrNotInitialized = static_cast<HRESULT>(0x80040605);
constexpr HRESULT kMapiErrInvalidParameter = E_INVALIDARG;
constexpr HRESULT kMapiErrNoMemory = E_OUTOFMEMORY;
constexpr HRESULT kMapiErrInvalidObject = static_cast<HRESULT>(0x80040108);

struct MapiEntryId {
    BYTE abFlags[4];
    BYTE ab[1];
};

struct MapiBinary {
    ULONG cb;
    BYTE* lpb;
};

struct MapiPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    union {
        LONG signedValue;
        ULONG ul;
        LPWSTR lpszW;
        MapiBinary bin;
        FILETIME ft;
        HRESULT err;  // with type kMapiTypeError
        LONGLONG li;
    } Value;
};
static_assert(sizeof(MapiPropValue) == (sizeof(void*) == 4 ? 16 : 24), "a property value's layout");
static_assert(offsetof(MapiPropValue, Value) == 8, "the value follows the tag and a pad word");

struct MapiPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
};

struct MapiRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    MapiPropValue* lpProps;
};

struct MapiRowSet {
    ULONG cRows;
    MapiRow aRow[1];
};
static_assert(sizeof(MapiRow) == (sizeof(void*) == 4 ? 12 : 16) && sizeof(MapiRowSet) == (sizeof(void*) == 4 ? 16 : 24),
              "the row records' layout");

struct MapiSortKey {
    ULONG ulPropTag;
    ULONG ulOrder;
};

struct MapiSortOrderSet {
    ULONG cSorts;
    ULONG cCategories;
    ULONG cExpanded;
    MapiSortKey aSort[1];
};

struct MapiPropProblem {
    ULONG ulIndex;
    ULONG ulPropTag;
    HRESULT scode;
};

struct MapiPropProblemArray {
    ULONG cProblem;
    MapiPropProblem aProblem[1];
};

struct MapiObjectNotification {
    ULONG cbEntryID;
    MapiEntryId* lpEntryID;
    ULONG ulObjType;
    ULONG cbParentID;
    MapiEntryId* lpParentID;
    ULONG cbOldID;
    MapiEntryId* lpOldID;
    ULONG cbOldParentID;
    MapiEntryId* lpOldParentID;
    MapiPropTagArray* lpPropTagArray;
};

struct MapiNotification {
    ULONG ulEventType;
    ULONG ulAlignPad;
    union {
        MapiObjectNotification obj;
        BYTE reserved[56];
    } info;
};
#if defined(_WIN64)
static_assert(sizeof(MapiNotification) == 80, "a notification's layout");
static_assert(offsetof(MapiNotification, info.obj.cbEntryID) == 8 &&
                  offsetof(MapiNotification, info.obj.lpEntryID) == 16 &&
                  offsetof(MapiNotification, info.obj.ulObjType) == 24,
              "the fields a sink reads");
#else
static_assert(sizeof(MapiNotification) == 64, "a notification is a 64-byte record");
static_assert(offsetof(MapiNotification, info.obj.cbEntryID) == 8 &&
                  offsetof(MapiNotification, info.obj.lpEntryID) == 12 &&
                  offsetof(MapiNotification, info.obj.ulObjType) == 16,
              "the fields a sink reads sit at their 32-bit offsets");
#endif

// {F6C4C319-FF3A-41B4-98D0-9B491D04E699}
inline constexpr IID IID_ICeMapiAdviseSink = {
    0xf6c4c319, 0xff3a, 0x41b4, {0x98, 0xd0, 0x9b, 0x49, 0x1d, 0x04, 0xe6, 0x99}};
// {E0747E45-8FD4-41E7-973B-5371D42016FE}
inline constexpr IID IID_ICeMapiProp = {0xe0747e45, 0x8fd4, 0x41e7, {0x97, 0x3b, 0x53, 0x71, 0xd4, 0x20, 0x16, 0xfe}};
// {042B626B-FA8C-401D-8686-B210ADCE24DB}
inline constexpr IID IID_ICeMapiTable = {0x042b626b, 0xfa8c, 0x401d, {0x86, 0x86, 0xb2, 0x10, 0xad, 0xce, 0x24, 0xdb}};
// {CAFA4556-21DD-4ADF-8694-E64653F81367}
inline constexpr IID IID_ICeMsgStore = {0xcafa4556, 0x21dd, 0x4adf, {0x86, 0x94, 0xe6, 0x46, 0x53, 0xf8, 0x13, 0x67}};
// {8ED479CF-B241-45FF-9045-942F2531AEB8}
inline constexpr IID IID_ICeMapiFolder = {0x8ed479cf, 0xb241, 0x45ff, {0x90, 0x45, 0x94, 0x2f, 0x25, 0x31, 0xae, 0xb8}};
// {E24403A0-86EF-44E5-AC76-BD9359B4EF7F}
inline constexpr IID IID_ICeMessage = {0xe24403a0, 0x86ef, 0x44e5, {0xac, 0x76, 0xbd, 0x93, 0x59, 0xb4, 0xef, 0x7f}};
// {743A03E3-C63F-40B6-BD32-2F26DEAF5C0A}
inline constexpr IID IID_ICeMapiSession = {
    0x743a03e3, 0xc63f, 0x40b6, {0xbd, 0x32, 0x2f, 0x26, 0xde, 0xaf, 0x5c, 0x0a}};

// Implemented by the program; called on a thread of the messaging system's own.
struct ICeMapiAdviseSink : public IUnknown {
    virtual ULONG STDMETHODCALLTYPE OnNotify(ULONG count, MapiNotification* notifications) = 0;
};

struct ICeMapiProp : public IUnknown {
    // One value per tag asked for, in order; an absent property comes back as
    // an error value (type kMapiTypeError) with kMapiWarnErrorsReturned.
    virtual HRESULT STDMETHODCALLTYPE GetProps(MapiPropTagArray* tags, ULONG flags, ULONG* count,
                                               MapiPropValue** values) = 0;
    // Takes effect and is kept at once; no save call is needed.
    virtual HRESULT STDMETHODCALLTYPE SetProps(ULONG count, MapiPropValue* values, MapiPropProblemArray** problems) = 0;
};

struct ICeMapiTable : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetColumns(MapiPropTagArray* columns, ULONG flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SortTable(MapiSortOrderSet* order, ULONG flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRowCount(ULONG flags, ULONG* count) = 0;
    // Reads on from the current row; cRows 0 at the end. Free with FreeProws.
    virtual HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG flags, MapiRowSet** rows) = 0;
};

// OpenEntry gives the object's own interface (ICeMapiFolder or ICeMessage) as
// IUnknown, with its type in objType.
struct ICeMsgStore : public ICeMapiProp {
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG flags,
                                                ULONG* objType, IUnknown** object) = 0;
};

struct ICeMapiFolder : public ICeMapiProp {
    // A snapshot of the folder's messages when the table is made.
    virtual HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG flags, ICeMapiTable** table) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryId, MapiEntryId* entryId, const IID* iface, ULONG flags,
                                                ULONG* objType, IUnknown** object) = 0;
};

struct ICeMessage : public ICeMapiProp {
    virtual HRESULT STDMETHODCALLTYPE GetRecipientTable(ULONG flags, ICeMapiTable** table) = 0;
};

struct ICeMapiSession : public IUnknown {
    // Columns kMapiTagDisplayName and kMapiTagEntryId of every store.
    virtual HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG flags, ICeMapiTable** table) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR window, ULONG cbEntryId, MapiEntryId* entryId,
                                                   const IID* iface, ULONG flags, ICeMsgStore** store) = 0;
    // Every entry when entryId is null. The sink is held until Unadvise, which
    // returns only once no call of it is running.
    virtual HRESULT STDMETHODCALLTYPE Advise(ULONG cbEntryId, MapiEntryId* entryId, ULONG eventMask,
                                             ICeMapiAdviseSink* sink, ULONG* connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(ULONG connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR window, ULONG flags, ULONG reserved) = 0;
};

extern "C" {
HRESULT WINAPI MAPIInitialize(void* init);
void WINAPI MAPIUninitialize();
HRESULT WINAPI MAPILogonEx(ULONG_PTR window, LPWSTR profile, LPWSTR password, ULONG flags, ICeMapiSession** session);
// Refuses (kMapiErrInvalidParameter) a pointer it did not hand out.
ULONG WINAPI MAPIFreeBuffer(void* buffer);
// Frees each row's values, then the set.
void WINAPI FreeProws(MapiRowSet* rows);
}
