// Property values, the tracked allocator, entry ids and tables.
#include "CeMapiObjects.h"

#include <algorithm>
#include <new>
#include <set>

namespace {

standin::Lock& AllocLock()
{
    static standin::Lock lock;
    return lock;
}

std::set<void*>& Allocations()
{
    static std::set<void*> live;
    return live;
}

constexpr DWORD kStoreMagic = 0x5453564B;    // "KVST"
constexpr DWORD kFolderMagic = 0x4446564B;   // "KVFD"
constexpr DWORD kMessageMagic = 0x534D564B;  // "KVMS"

std::string Words(std::initializer_list<DWORD> words)
{
    std::string bytes;
    for (DWORD value : words)
        bytes.append(reinterpret_cast<const char*>(&value), sizeof(value));
    return bytes;
}

DWORD WordAt(const BYTE* id, size_t index)
{
    DWORD value;
    memcpy(&value, id + index * 4, sizeof(value));
    return value;
}

const MapiProp* Find(const MapiPropList& have, ULONG tag)
{
    for (const MapiProp& mapiProp : have)
        if (mapiProp.tag == tag)
            return &mapiProp;
    return nullptr;
}

// Bytes a value needs beyond its 16-byte record.
size_t ExtraSize(const MapiProp& mapiProp)
{
    switch (MapiPropType(mapiProp.tag)) {
    case kMapiTypeUnicode:
        return (mapiProp.text.size() + 1) * sizeof(wchar_t);
    case kMapiTypeBinary:
        return mapiProp.bytes.size();
    default:
        return 0;
    }
}

int CompareValues(const MapiProp& left, const MapiProp& right)
{
    switch (MapiPropType(left.tag)) {
    case kMapiTypeLong:
        return left.ul < right.ul ? -1 : left.ul > right.ul ? 1 : 0;
    case kMapiTypeSysTime:
        return CompareFileTime(&left.ft, &right.ft);
    case kMapiTypeUnicode:
        return left.text.compare(right.text);
    default:
        return left.bytes.compare(right.bytes);
    }
}

}  // namespace

MapiProp MakeLongProp(ULONG tag, ULONG value)
{
    MapiProp mapiProp;
    mapiProp.tag = tag;
    mapiProp.ul = value;
    return mapiProp;
}

MapiProp MakeTextProp(ULONG tag, const std::wstring& value)
{
    MapiProp mapiProp;
    mapiProp.tag = tag;
    mapiProp.text = value;
    return mapiProp;
}

MapiProp MakeBinaryProp(ULONG tag, const std::string& value)
{
    MapiProp mapiProp;
    mapiProp.tag = tag;
    mapiProp.bytes = value;
    return mapiProp;
}

MapiProp MakeTimeProp(ULONG tag, const FILETIME& value)
{
    MapiProp mapiProp;
    mapiProp.tag = tag;
    mapiProp.ft = value;
    return mapiProp;
}

void* MapiAllocate(size_t size)
{
    void* data = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
    if (!data)
        return nullptr;
    standin::Guard guard(AllocLock());
    try {
        Allocations().insert(data);
    } catch (...) {
        HeapFree(GetProcessHeap(), 0, data);
        return nullptr;
    }
    return data;
}

bool MapiRelease(void* buffer)
{
    {
        standin::Guard guard(AllocLock());
        if (Allocations().erase(buffer) == 0)
            return false;
    }
    HeapFree(GetProcessHeap(), 0, buffer);
    return true;
}

bool MapiOwns(void* buffer)
{
    standin::Guard guard(AllocLock());
    return Allocations().count(buffer) != 0;
}

HRESULT MapiBuildValues(const MapiPropList& have, const ULONG* tags, ULONG count, ULONG* outCount,
                        MapiPropValue** outValues)
{
    *outCount = 0;
    *outValues = nullptr;
    std::vector<const MapiProp*> found(count);
    size_t size = sizeof(MapiPropValue) * count;
    for (ULONG i = 0; i < count; ++i) {
        found[i] = Find(have, tags[i]);
        if (found[i])
            size += (ExtraSize(*found[i]) + 3) & ~size_t(3);
    }
    BYTE* block = static_cast<BYTE*>(MapiAllocate(size));
    if (!block)
        return kMapiErrNoMemory;
    MapiPropValue* values = reinterpret_cast<MapiPropValue*>(block);
    BYTE* extra = block + sizeof(MapiPropValue) * count;
    bool missing = false;
    for (ULONG i = 0; i < count; ++i) {
        MapiPropValue& mapiPropValue = values[i];
        const MapiProp* mapiProp = found[i];
        if (!mapiProp) {
            missing = true;
            mapiPropValue.ulPropTag = MapiPropTag(MapiPropId(tags[i]), kMapiTypeError);
            mapiPropValue.Value.err = kMapiErrNotFound;
            continue;
        }
        mapiPropValue.ulPropTag = mapiProp->tag;
        switch (MapiPropType(mapiProp->tag)) {
        case kMapiTypeLong:
            mapiPropValue.Value.ul = mapiProp->ul;
            break;
        case kMapiTypeSysTime:
            mapiPropValue.Value.ft = mapiProp->ft;
            break;
        case kMapiTypeUnicode:
            mapiPropValue.Value.lpszW = reinterpret_cast<LPWSTR>(extra);
            memcpy(extra, mapiProp->text.c_str(), (mapiProp->text.size() + 1) * sizeof(wchar_t));
            break;
        case kMapiTypeBinary:
            mapiPropValue.Value.bin.cb = static_cast<ULONG>(mapiProp->bytes.size());
            mapiPropValue.Value.bin.lpb = extra;
            memcpy(extra, mapiProp->bytes.data(), mapiProp->bytes.size());
            break;
        }
        extra += (ExtraSize(*mapiProp) + 3) & ~size_t(3);
    }
    *outCount = count;
    *outValues = values;
    return missing ? kMapiWarnErrorsReturned : kMapiOk;
}

HRESULT MapiGetProps(const MapiPropList& have, MapiPropTagArray* tags, ULONG* count, MapiPropValue** values)
{
    if (!count || !values)
        return kMapiErrInvalidParameter;
    *count = 0;
    *values = nullptr;
    if (!tags || tags->cValues == 0)
        return kMapiErrInvalidParameter;
    return MapiBuildValues(have, tags->aulPropTag, tags->cValues, count, values);
}

std::string StoreEntryId(MapiStoreIndex store) { return Words({0, kStoreMagic, DWORD(store), 0}); }

std::string FolderEntryId(MapiStoreIndex store, DWORD kind) { return Words({0, kFolderMagic, DWORD(store), kind}); }

std::string MessageEntryId(DWORD messageId)
{
    // The last word changes from id to id so that a reader relying on it shows.
    return Words({0, kMessageMagic, DWORD(MapiStoreIndex::Sms), messageId, (messageId * 2654435761u) | 1});
}

bool ParseStoreEntryId(const BYTE* id, ULONG cb, MapiStoreIndex* store)
{
    if (!id || cb != 16 || WordAt(id, 1) != kStoreMagic || WordAt(id, 3) != 0)
        return false;
    DWORD index = WordAt(id, 2);
    if (index > DWORD(MapiStoreIndex::Archive))
        return false;
    *store = MapiStoreIndex(index);
    return true;
}

bool ParseFolderEntryId(const BYTE* id, ULONG cb, MapiStoreIndex* store, DWORD* kind)
{
    if (!id || cb != 16 || WordAt(id, 1) != kFolderMagic)
        return false;
    DWORD index = WordAt(id, 2);
    if (index > DWORD(MapiStoreIndex::Archive) || WordAt(id, 3) >= kMapiFolderKinds)
        return false;
    *store = MapiStoreIndex(index);
    *kind = WordAt(id, 3);
    return true;
}

bool ParseMessageEntryId(const BYTE* id, ULONG cb, DWORD* messageId)
{
    if (!id || cb != 20 || WordAt(id, 1) != kMessageMagic || WordAt(id, 2) != DWORD(MapiStoreIndex::Sms))
        return false;
    *messageId = WordAt(id, 3);
    return *messageId != 0;
}

CeMapiTable::CeMapiTable(std::vector<MapiPropList> rows, std::vector<ULONG> columns)
    : m_rows(std::move(rows)), m_columns(std::move(columns))
{
}

HRESULT CeMapiTable::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(riid, out, {{&IID_ICeMapiTable, this}});
}

HRESULT CeMapiTable::SetColumns(MapiPropTagArray* columns, ULONG)
{
    if (!columns || columns->cValues == 0)
        return kMapiErrInvalidParameter;
    standin::Guard guard(m_lock);
    m_columns.assign(columns->aulPropTag, columns->aulPropTag + columns->cValues);
    return kMapiOk;
}

HRESULT CeMapiTable::SortTable(MapiSortOrderSet* order, ULONG)
{
    if (!order || order->cSorts == 0 || order->cCategories > order->cSorts)
        return kMapiErrInvalidParameter;
    for (ULONG i = 0; i < order->cSorts; ++i)
        if (order->aSort[i].ulOrder > kMapiSortDescending)
            return kMapiErrInvalidParameter;
    std::vector<MapiSortKey> keys(order->aSort, order->aSort + order->cSorts);
    standin::Guard guard(m_lock);
    // Rows without a key's value go last, whichever the direction.
    std::stable_sort(m_rows.begin(), m_rows.end(), [&keys](const MapiPropList& left, const MapiPropList& right) {
        for (const MapiSortKey& key : keys) {
            const MapiProp* pa = Find(left, key.ulPropTag);
            const MapiProp* pb = Find(right, key.ulPropTag);
            if (!pa || !pb) {
                if (pa != pb)
                    return pa != nullptr;
                continue;
            }
            int value = CompareValues(*pa, *pb);
            if (value != 0)
                return key.ulOrder == kMapiSortDescending ? value > 0 : value < 0;
        }
        return false;
    });
    m_cursor = 0;
    return kMapiOk;
}

HRESULT CeMapiTable::GetRowCount(ULONG, ULONG* count)
{
    if (!count)
        return kMapiErrInvalidParameter;
    standin::Guard guard(m_lock);
    *count = static_cast<ULONG>(m_rows.size());
    return kMapiOk;
}

HRESULT CeMapiTable::QueryRows(LONG count, ULONG, MapiRowSet** rows)
{
    if (!rows)
        return kMapiErrInvalidParameter;
    *rows = nullptr;
    if (count <= 0)
        return kMapiErrInvalidParameter;
    standin::Guard guard(m_lock);
    size_t take = std::min(static_cast<size_t>(count), m_rows.size() - m_cursor);
    size_t size = offsetof(MapiRowSet, aRow) + sizeof(MapiRow) * std::max<size_t>(take, 1);
    MapiRowSet* set = static_cast<MapiRowSet*>(MapiAllocate(size));
    if (!set)
        return kMapiErrNoMemory;
    for (size_t i = 0; i < take; ++i) {
        MapiRow& row = set->aRow[i];
        HRESULT hr = MapiBuildValues(m_rows[m_cursor + i], m_columns.data(), static_cast<ULONG>(m_columns.size()),
                                     &row.cValues, &row.lpProps);
        if (FAILED(hr)) {
            set->cRows = static_cast<ULONG>(i);
            FreeProws(set);
            return hr;
        }
    }
    set->cRows = static_cast<ULONG>(take);
    m_cursor += take;
    *rows = set;
    return kMapiOk;
}
