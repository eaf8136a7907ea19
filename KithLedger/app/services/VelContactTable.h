#pragma once
#include <cstdint>

#include "VelDataTable.h"

struct IPimItemCollection;

// The contacts of the POOM session, in the collection's order, as they were
// when the table was first read: contacts changed meanwhile neither repeat
// nor go missing from the walk.
class VelContactTable : public VelDataTable {
public:
    VelContactTable();
    ~VelContactTable() override;

    VelDataItem* GetEntry() override;
    int32_t GetCount() override;
    // True when 0 <= cursor < count.
    bool Seek(int32_t offset, int origin) override;

private:
    VelContactTable(const VelContactTable&);
    VelContactTable& operator=(const VelContactTable&);
    IPimItemCollection* View();

    int32_t m_cursor;
    IPimItemCollection* m_view;
};
