#pragma once
#include <cstdint>

#include "VelDataTable.h"

class VelMapiMessage;
class VelMapiTable;

// Received and sent messages merged newest first. GetEntry moves on by itself.
class VelSmsTable : public VelDataTable {
public:
    VelSmsTable();
    ~VelSmsTable() override;

    VelDataItem* GetEntry() override;
    int32_t GetCount() override;
    // Does nothing: returns false.
    bool Seek(int32_t offset, int origin) override;

    // The next message of the merge; null when both folders are done.
    VelMapiMessage* NextMessage();

private:
    VelMapiTable* m_received;
    VelMapiTable* m_sent;
    VelMapiMessage* m_nextReceived;
    VelMapiMessage* m_nextSent;
};
