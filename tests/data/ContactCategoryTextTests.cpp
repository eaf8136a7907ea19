// The program reads a contact's categories text as the contacts server and
// the device tool write it: the same table of cases as their tests.
#include <tests/pim/CategoryTextCases.h>

#include <objbase.h>

#include <memory>

#include "DataTestSupport.h"
#include "VelContactItem.h"
#include "VelContactTable.h"
#include "VelPoomSession.h"

namespace {

class ContactCategoryTextTest : public DataStoreTest {
protected:
    void SetUp() override
    {
        DataStoreTest::SetUp();
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
    }
    void TearDown() override
    {
        LogoffPoom();
        CoUninitialize();
        DataStoreTest::TearDown();
    }
    TestMessageWindow m_window;
};

TEST_F(ContactCategoryTextTest, EveryPartOfTheTextIsACategoryInItsOrder)
{
    const std::vector<CategoryTextCase>& cases = CategoryTextCases();
    std::vector<DWORD> ids;
    for (const CategoryTextCase& c : cases) {
        VelDevContact contact;
        contact.firstName = L"C";
        contact.categories = c.text;
        ids.push_back(Store()->AddContact(contact));
    }
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    VelContactTable table;
    size_t read = 0;
    while (VelDataItem* entry = table.GetEntry()) {
        std::unique_ptr<VelContactItem> item(static_cast<VelContactItem*>(entry));
        table.Seek(1, VelDataTable::kSeekCurrent);
        ASSERT_LT(read++, cases.size());
        size_t i = 0;
        while (i < ids.size() && static_cast<int32_t>(ids[i]) != item->GetId())
            ++i;
        ASSERT_LT(i, ids.size());
        SCOPED_TRACE(testing::Message() << "case " << i);
        EXPECT_EQ(cases[i].parts, item->GetCategoryList());
        EXPECT_EQ(cases[i].parts, item->GetCategories());
    }
    EXPECT_EQ(cases.size(), read);
}

}  // namespace
