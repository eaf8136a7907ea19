#pragma once
#include "VelListKind.h"

class VelDataTable;
class VelProgress;

// A list being filled, a batch of rows per loader tick; owns its table.
struct VelPendingLoad {
    static constexpr VelListKind kContacts = VelListKind::kContacts;
    static constexpr VelListKind kCalls = VelListKind::kCalls;
    static constexpr VelListKind kMessages = VelListKind::kMessages;

    // The list's number, as the figures report it.
    int kind;
    VelProgress* progress;
    VelDataTable* table;

    VelListKind List() const { return static_cast<VelListKind>(kind); }
};
