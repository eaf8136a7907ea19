#include "VelCreateDataTable.h"

#include <new>

#include "VelCallTable.h"
#include "VelContactTable.h"
#include "VelSmsTable.h"

VelDataTable* CreateDataTable(int kind)
{
    switch (kind) {
    case kContactsTable:
        return new (std::nothrow) VelContactTable;
    case kCallsTable:
        return new (std::nothrow) VelCallTable;
    case kMessagesTable:
        return new (std::nothrow) VelSmsTable;
    default:
        return nullptr;
    }
}
