#pragma once
#include <windows.h>

#include "VelMapiMessage.h"

struct ICeMapiFolder;
struct ICeMapiTable;
struct ICeMapiSession;
struct ICeMsgStore;
class VelMapiSink;

enum VelSmsFolderKind { kSmsReceived = 0, kSmsOutbox = 1, kSmsSent = 2, kSmsDeleted = 3, kSmsSecondOwn = 4 };

// The messaging session of the data thread and its "SMS" store.
struct VelSmsStore {
    ICeMapiSession* session;
    ICeMsgStore* store;
    VelMapiSink* sink;
};
const VelSmsStore& GetSmsStore();
// The cached identifier of folder 0, 2 or 3; empty until the store is found.
const VelEntryId& GetCachedSmsFolderId(int kind);

void OpenSmsStore();
void CloseSmsStore();
bool FindSmsMessageStore(const wchar_t* name);
// Empty when the store does not name that folder.
VelEntryId GetSmsFolderId(ICeMsgStore* store, int kind);

// Display name and entry id, the columns every table here reads.
void SetNameAndIdColumns(ICeMapiTable* table);

// Null when the store has no such entry.
VelMapiMessage* OpenMessageById(const VelEntryId& entryId);
// The caller's reference; null on failure.
ICeMapiFolder* OpenSmsFolder(int kind);
