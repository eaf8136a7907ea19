#include "VelMapiTable.h"

#include <CeMapi.h>

#include <new>

#include "VelMapiMessage.h"
#include "VelSmsStore.h"

VelMapiTable* VelMapiTable::Create(ICeMapiFolder* folder)
{
    if (!folder)
        return NULL;
    ICeMapiTable* table = NULL;
    if (FAILED(folder->GetContentsTable(0, &table)) || !table) {
        folder->Release();
        return NULL;
    }
    SetNameAndIdColumns(table);
    MapiSortOrderSet order = {1, 0, 0, {{kMapiTagDeliveryTime, kMapiSortDescending}}};
    table->SortTable(&order, 0);
    VelMapiTable* contents = new (std::nothrow) VelMapiTable(table, folder);
    if (!contents) {
        table->Release();
        folder->Release();
    }
    return contents;
}

VelMapiTable::~VelMapiTable()
{
    m_table->Release();
    m_folder->Release();
}

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
                OpenMapiEntry<ICeMessage>(m_folder, value.Value.bin.lpb, value.Value.bin.cb, IID_ICeMessage);
            if (opened)
                message = new (std::nothrow) VelMapiMessage(value.Value.bin.lpb, value.Value.bin.cb, opened);
            break;
        }
    }
    FreeProws(rows);
    return message;
}
