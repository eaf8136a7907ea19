#pragma once
#include <windows.h>

#include <cstdint>

#include "VelDataTable.h"

// The phone's call log, newest call first: record 0 is the most recent.
class VelCallTable : public VelDataTable {
public:
    VelCallTable();
    ~VelCallTable() override;

    // Opens the log when closed and takes its count; the platform's result.
    HRESULT Open();

    VelDataItem* GetEntry() override;
    int32_t GetCount() override;
    // The cursor compares unsigned, so one moved below 0 is past the end.
    bool Seek(int32_t offset, int origin) override;

private:
    void Close();

    HANDLE m_log;
    uint32_t m_cursor;
    uint32_t m_count;
};
