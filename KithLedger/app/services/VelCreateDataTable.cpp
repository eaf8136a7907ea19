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

VelDataTable* CreateDataTable(VelListKind list)
{
    switch (list) {
    case VelListKind::kContacts:
        return CreateDataTable(kContactsTable);
    case VelListKind::kCalls:
        return CreateDataTable(kCallsTable);
    case VelListKind::kMessages:
        return CreateDataTable(kMessagesTable);
    }
    return nullptr;
}
