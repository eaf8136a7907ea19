#include "VelDataTable.h"

VelDataTable::~VelDataTable() {}

uint32_t VelDataTable::SeekTarget(uint32_t cursor, int32_t offset, int origin, uint32_t count)
{
    const uint32_t step = static_cast<uint32_t>(offset);
    switch (origin) {
    case kSeekSet:
        return step;
    case kSeekCurrent:
        return cursor + step;
    case kSeekFromLast:
        return count + step - 1;
    default:
        return cursor;
    }
}
