#pragma once

class VelDataTable;
class VelProgress;

// A list being filled, a batch of rows per loader tick; owns its table.
struct VelPendingLoad {
    enum Kind : int { kContacts = 0, kCalls = 1, kMessages = 2 };

    int kind;
    VelProgress* progress;
    VelDataTable* table;
};
