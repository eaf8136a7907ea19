// The demo data set that kldevice.exe seeds, read through every source as the
// program's first loads read it.
#include <memory>

#include "../platform/PhoneKeyGuard.h"
#include "DataTestSupport.h"
#include "VelCallItem.h"
#include "VelContactItem.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelPoomSession.h"
#include "VelSmsItem.h"
#include "VelSmsStore.h"

namespace {

class DemoSetTest : public DataStoreTest {
protected:
    void SetUp() override
    {
        DataStoreTest::SetUp();
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
    }
    void TearDown() override
    {
        CloseSmsStore();
        LogoffPoom();
        CoUninitialize();
        DataStoreTest::TearDown();
    }

    // Every entry of a table of the kind, as the loaders walk it.
    template <typename Item>
    std::vector<std::unique_ptr<Item>> ReadAll(int kind)
    {
        std::vector<std::unique_ptr<Item>> items;
        std::unique_ptr<VelDataTable> table(CreateDataTable(kind));
        EXPECT_TRUE(table);
        if (!table)
            return items;
        while (VelDataItem* item = table->GetEntry()) {
            items.emplace_back(static_cast<Item*>(item));
            table->Seek(1, VelDataTable::kSeekCurrent);
        }
        return items;
    }
};

bool WholeFavorites(const std::wstring& categories)
{
    return (L", " + categories + L", ").find(L", Favorites, ") != std::wstring::npos;
}

}  // namespace

TEST_F(DemoSetTest, EverySourceReadsAllOfItNewestFirst)
{
    {
        PhoneKeyGuard phoneKey;  // seeding sets the missed-call count
        ASSERT_EQ(0, RunKlDevice(L"seed --force"));
    }
    const VelDevStoreData stored = Store()->Snapshot();
    TestMessageWindow window;
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&window)));
    OpenSmsStore();

    const auto contacts = ReadAll<VelContactItem>(kContactsTable);
    ASSERT_EQ(stored.contacts.size(), contacts.size());
    size_t favourites = 0, pictures = 0;
    for (const auto& kv : stored.contacts) {
        favourites += WholeFavorites(kv.second.categories);
        pictures += !kv.second.picture.empty();
    }
    size_t favouriteItems = 0, thumbnails = 0;
    for (const auto& item : contacts) {
        favouriteItems += item->GetFavorite();
        thumbnails += item->GetThumbnail() != NULL;
        EXPECT_FALSE(item->GetDisplayNameText().empty()) << item->GetId();
    }
    EXPECT_EQ(favourites, favouriteItems);
    EXPECT_EQ(pictures, thumbnails);
    EXPECT_GT(thumbnails, 0u);

    const auto calls = ReadAll<VelCallItem>(kCallsTable);
    ASSERT_EQ(stored.calls.size(), calls.size());
    for (size_t i = 1; i < calls.size(); ++i)
        EXPECT_FALSE(calls[i - 1]->GetStart() < calls[i]->GetStart()) << i;

    const auto messages = ReadAll<VelSmsItem>(kMessagesTable);
    size_t shown = 0, unread = 0;
    for (const auto& kv : stored.messages) {
        const bool listed = kv.second.folder == kDevSmsInbox || kv.second.folder == kDevSmsSent;
        shown += listed;
        unread += listed && kv.second.folder == kDevSmsInbox && !kv.second.IsRead();
    }
    ASSERT_EQ(shown, messages.size());
    size_t unreadItems = 0;
    for (size_t i = 0; i < messages.size(); ++i) {
        unreadItems += messages[i]->IsUnread();
        if (i > 0)
            EXPECT_FALSE(messages[i - 1]->GetDeliveryTime() < messages[i]->GetDeliveryTime()) << i;
    }
    EXPECT_EQ(unread, unreadItems);
    EXPECT_GT(unreadItems, 0u);
    EXPECT_TRUE(DebugLines().empty());
}
