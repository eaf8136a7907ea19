#pragma once
#include "VelListKind.h"

class VelDataTable;

enum VelDataTableKind { kContactsTable = 0, kCallsTable = 2, kMessagesTable = 3 };

// A new, opened table of that kind, the caller's to delete; null for any
// other kind. A table whose source failed still comes back, empty.
VelDataTable* CreateDataTable(int kind);
// The table a list loads from; null for a kind that is none of the three.
VelDataTable* CreateDataTable(VelListKind list);
