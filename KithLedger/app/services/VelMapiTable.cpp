#include "VelMapiTable.h"

#include <CeMapi.h>

#include <new>

#include "VelMapiMessage.h"
#include "VelSmsStore.h"

VelMapiTable* VelMapiTable::Create(ICeMapiFolder* folder)
{
    VelComRef<ICeMapiFolder> owned(folder);
    if (!owned)
        return NULL;
    VelComRef<ICeMapiTable> table;
    if (FAILED(folder->GetContentsTable(0, table.Receive())) || !table)
        return NULL;
    SetNameAndIdColumns(table.Get());
    MapiSortOrderSet order = {1, 0, 0, {{kMapiTagDeliveryTime, kMapiSortDescending}}};
    table->SortTable(&order, 0);
    // Without memory the references stay with the locals, which let them go.
    return new (std::nothrow) VelMapiTable(std::move(table), std::move(owned));
}

VelMapiTable::~VelMapiTable() {}

ULONG VelMapiTable::GetRowCount()
{
    ULONG count = 0;
    return SUCCEEDED(m_table->GetRowCount(0, &count)) ? count : 0;
}

VelMapiMessage* VelMapiTable::NextMessage(bool* atEnd)
{
    *atEnd = true;
    MapiRowSet* rows = NULL;
    if (FAILED(m_table->QueryRows(1, 0, &rows)) || !rows)
        return NULL;
    VelMapiMessage* message = NULL;
    if (rows->cRows > 0) {
        *atEnd = false;
        const MapiRow& row = rows->aRow[0];
        for (ULONG i = 0; i < row.cValues; ++i) {
            const MapiPropValue& value = row.lpProps[i];
            if (value.ulPropTag != kMapiTagEntryId)
                continue;
            ICeMessage* opened =
                OpenMapiEntry<ICeMessage>(m_folder.Get(), value.Value.bin.lpb, value.Value.bin.cb, IID_ICeMessage);
            if (opened)
                message = new (std::nothrow) VelMapiMessage(value.Value.bin.lpb, value.Value.bin.cb, opened);
            break;
        }
    }
    FreeProws(rows);
    return message;
}
