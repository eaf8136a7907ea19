#pragma once
#include <cstdint>

#include "VelDataTable.h"

// The contacts of the POOM session, in the collection's order.
class VelContactTable : public VelDataTable {
public:
    VelContactTable();

    VelDataItem* GetEntry() override;
    int32_t GetCount() override;
    // True when 0 <= cursor < a fresh count.
    bool Seek(int32_t offset, int origin) override;

private:
    int32_t m_cursor;
};
