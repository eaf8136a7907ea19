#pragma once
#include <windows.h>

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
    VelMapiTable(ICeMapiTable* table, ICeMapiFolder* folder) : m_table(table), m_folder(folder) {}

    ICeMapiTable* m_table;
    ICeMapiFolder* m_folder;
};
