#pragma once
#include <cstdint>

class VelDataItem;

// A cursor over one data source, drained by a load: GetCount once, then
// GetEntry and Seek(1, kSeekCurrent) until GetEntry yields null.
class VelDataTable {
public:
    enum SeekOrigin { kSeekSet = 0, kSeekCurrent = 1, kSeekFromLast = 2 };

    virtual ~VelDataTable();
    // A new item for the entry at the cursor, owned by the caller; null when
    // there is none or the source fails.
    virtual VelDataItem* GetEntry() = 0;
    // 0 when the source cannot tell.
    virtual int32_t GetCount() = 0;
    // True when the cursor names an entry afterwards.
    virtual bool Seek(int32_t offset, int origin) = 0;

protected:
    // The cursor an origin and offset lead to, in the wrapping 32-bit
    // arithmetic that both index cursors use; kSeekFromLast with offset 0 is
    // the last entry, an unknown origin keeps the cursor.
    static uint32_t SeekTarget(uint32_t cursor, int32_t offset, int origin, uint32_t count);
};
