#pragma once
#include <windows.h>

#include <utility>

#include "VelComRef.h"

struct ICeMapiFolder;
struct ICeMapiTable;
class VelMapiMessage;

// A folder's contents, newest delivery first.
class VelMapiTable {
public:
    // Null when the folder gives no contents table. Takes over the folder.
    static VelMapiTable* Create(ICeMapiFolder* folder);
    ~VelMapiTable();
    VelMapiTable(const VelMapiTable&) = delete;
    VelMapiTable& operator=(const VelMapiTable&) = delete;

    // 0 when the table cannot tell.
    ULONG GetRowCount();
    // The next row's message, opened; null at the end or when it cannot be had.
    VelMapiMessage* NextMessage(bool* atEnd);

private:
    VelMapiTable(VelComRef<ICeMapiTable> table, VelComRef<ICeMapiFolder> folder)
        : m_table(std::move(table)), m_folder(std::move(folder))
    {
    }

    VelComRef<ICeMapiTable> m_table;
    VelComRef<ICeMapiFolder> m_folder;
};
