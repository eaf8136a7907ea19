#pragma once

// The three lists that load from the data side. The loads are queued and
// reported by these; each list's table comes from CreateDataTable.
enum class VelListKind : int { kContacts = 0, kCalls = 1, kMessages = 2 };
