#include <gtest/gtest.h>

#include "VelDataItem.h"
#include "VelDataTable.h"

namespace {

struct NumberItem : VelDataItem {
    explicit NumberItem(int n) : number(n) {}
    int number;
};

// A table over a count of numbers with the signed cursor of the contacts.
class CountingTable : public VelDataTable {
public:
    explicit CountingTable(int32_t count) : m_count(count) {}

    VelDataItem* GetEntry() override
    {
        return m_cursor >= 0 && m_cursor < m_count ? new NumberItem(m_cursor) : nullptr;
    }
    int32_t GetCount() override { return m_count; }
    bool Seek(int32_t offset, int origin) override
    {
        m_cursor = static_cast<int32_t>(
            SeekTarget(static_cast<uint32_t>(m_cursor), offset, origin, static_cast<uint32_t>(m_count)));
        return m_cursor >= 0 && m_cursor < m_count;
    }
    int32_t Cursor() const { return m_cursor; }

private:
    int32_t m_count;
    int32_t m_cursor = 0;
};

TEST(DataTable, SeekOrigins)
{
    CountingTable table(5);
    EXPECT_TRUE(table.Seek(0, VelDataTable::kSeekFromLast));
    EXPECT_EQ(table.Cursor(), 4);
    EXPECT_FALSE(table.Seek(1, VelDataTable::kSeekCurrent));
    EXPECT_TRUE(table.Seek(-3, VelDataTable::kSeekCurrent));
    EXPECT_EQ(table.Cursor(), 2);
    EXPECT_FALSE(table.Seek(-1, VelDataTable::kSeekSet));
    EXPECT_TRUE(table.Seek(3, VelDataTable::kSeekSet));
    EXPECT_TRUE(table.Seek(100, 3));  // unknown origin: only reports the cursor
    EXPECT_EQ(table.Cursor(), 3);
    CountingTable empty(0);
    EXPECT_FALSE(empty.Seek(0, VelDataTable::kSeekFromLast));
}

TEST(DataTable, TheLoadersLoopDrainsTheTable)
{
    CountingTable table(3);
    VelDataTable& source = table;
    int seen = 0;
    ASSERT_EQ(source.GetCount(), 3);
    while (VelDataItem* item = source.GetEntry()) {
        EXPECT_EQ(static_cast<NumberItem*>(item)->number, seen++);
        EXPECT_EQ(item->ToString(), L"");
        delete item;
        source.Seek(1, VelDataTable::kSeekCurrent);
    }
    EXPECT_EQ(seen, 3);
}

}  // namespace
