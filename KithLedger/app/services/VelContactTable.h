#pragma once
#include <windows.h>

#include <cstdint>
#include <set>

#include "VelComRef.h"
#include "VelDataTable.h"

struct IPimContact;
struct IPimItemCollection;

// The contacts of the POOM session, in the collection's order. The collection
// follows the store while it is read; a contact already read is not read
// again.
class VelContactTable : public VelDataTable {
public:
    VelContactTable();

    VelDataItem* GetEntry() override;
    int32_t GetCount() override;
    // True when 0 <= cursor < count.
    bool Seek(int32_t offset, int origin) override;

private:
    VelContactTable(const VelContactTable&);
    VelContactTable& operator=(const VelContactTable&);
    // The contact at a position counted from 0; null when it cannot be had.
    static VelComRef<IPimContact> ContactAt(IPimItemCollection* contacts, int32_t index);
    static bool ReadId(IPimItemCollection* contacts, int32_t index, LONG* id);

    int32_t m_cursor;
    std::set<int32_t> m_read;  // POOM ids returned so far
    int32_t m_lastCursor;      // where the last one was returned
    int32_t m_lastId;
    int32_t m_seenCount;  // the count at the last read
};
