#include <Platform/imaging/Imaging.h>
#include <Platform/pimstore/PimStore.h>
#include <wincodec.h>

#include <functional>
#include <memory>

#include <psapi.h>

#include "DataTestSupport.h"
#include "TestImages.h"
#include "VelContactItem.h"
#include "VelContactTable.h"
#include "VelPoomSession.h"
#include "VelScreenMetrics.h"
#include "VelSlotHolder.h"

namespace {

class ContactReceiver : public VelSlotHolder {
public:
    void OnCreated(int32_t id) { events.push_back(std::make_pair('c', id)); }
    void OnChanged(int32_t id) { events.push_back(std::make_pair('m', id)); }
    void OnDeleted(int32_t id) { events.push_back(std::make_pair('d', id)); }
    std::vector<std::pair<char, int32_t>> events;
};

class ContactTest : public DataStoreTest {
protected:
    void SetUp() override
    {
        DataStoreTest::SetUp();
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
        ContactCreated.Connect(&m_receiver, &ContactReceiver::OnCreated);
        ContactChanged.Connect(&m_receiver, &ContactReceiver::OnChanged);
        ContactDeleted.Connect(&m_receiver, &ContactReceiver::OnDeleted);
    }
    void TearDown() override
    {
        LogoffPoom();
        ContactCreated.DisconnectAll();
        ContactChanged.DisconnectAll();
        ContactDeleted.DisconnectAll();
        CoUninitialize();
        DataStoreTest::TearDown();
    }

    DWORD Add(const wchar_t* fileAs, const wchar_t* first, const wchar_t* last, const wchar_t* company,
              const wchar_t* mobile, const wchar_t* work, const wchar_t* home, const wchar_t* categories)
    {
        VelDevContact c;
        c.fileAs = fileAs;
        c.firstName = first;
        c.lastName = last;
        c.company = company;
        c.mobile = mobile;
        c.work = work;
        c.home = home;
        c.categories = categories;
        return Store()->AddContact(c);
    }

    std::vector<std::unique_ptr<VelContactItem>> ReadAll()
    {
        VelContactTable table;
        std::vector<std::unique_ptr<VelContactItem>> items;
        while (VelDataItem* item = table.GetEntry()) {
            items.emplace_back(static_cast<VelContactItem*>(item));
            table.Seek(1, VelDataTable::kSeekCurrent);
        }
        return items;
    }

    // The names read from a fresh table, `afterEach` run after every row and
    // before the cursor moves on; at most `most` rows, since a walk that
    // repeats rows would never end.
    std::vector<std::wstring> ReadNamesWhile(size_t most, const std::function<void()>& afterEach)
    {
        VelContactTable table;
        std::vector<std::wstring> read;
        while (read.size() <= most && !HasFatalFailure()) {
            std::unique_ptr<VelDataItem> item(table.GetEntry());
            if (!item)
                break;
            read.push_back(static_cast<VelContactItem*>(item.get())->GetDisplayNameText());
            afterEach();
            table.Seek(1, VelDataTable::kSeekCurrent);
        }
        return read;
    }

    const VelContactItem* ById(const std::vector<std::unique_ptr<VelContactItem>>& items, DWORD id)
    {
        for (const auto& item : items) {
            if (item->GetId() == static_cast<int32_t>(id))
                return item.get();
        }
        return NULL;
    }

    ContactReceiver m_receiver;
    TestMessageWindow m_window;
};

struct ContactCase {
    const wchar_t* fileAs;
    const wchar_t* first;
    const wchar_t* last;
    const wchar_t* company;
    const wchar_t* mobile;
    const wchar_t* work;
    const wchar_t* home;
    const wchar_t* categories;
    const wchar_t* displayName;
    const wchar_t* primaryNumber;
    bool favorite;
    size_t categoryCount;
};

const ContactCase kContacts[] = {
    {L"Filed", L"Ann", L"Lee", L"Acme", L"+1", L"+2", L"+3", L"Work, Favorites", L"Filed", L"+1", true, 2},
    {L"", L"Ann", L"Lee", L"", L"", L"+2", L"+3", L"Favorites", L"Lee, Ann", L"+2", true, 1},
    {L"", L"", L"Lee", L"", L"", L"", L"+3", L"MyFavorites", L"Lee", L"+3", false, 1},
    {L"", L"Ann", L"", L"", L"", L"", L"", L"favorites", L"Ann", L"", false, 1},
    {L"", L"", L"", L"Acme", L"+1", L"", L"", L"Favorites2, Work", L"Acme", L"+1", false, 2},
    {L"", L"", L"", L"", L"", L"", L"+3", L"", L"+3", L"+3", false, 0},
    {L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", false, 0},
};

}  // namespace

TEST_F(ContactTest, ReadsEveryContactWithItsNameNumberAndFavourite)
{
    std::vector<DWORD> ids;
    for (const ContactCase& c : kContacts)
        ids.push_back(Add(c.fileAs, c.first, c.last, c.company, c.mobile, c.work, c.home, c.categories));
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));

    EXPECT_EQ(static_cast<int32_t>(ids.size()), VelContactTable().GetCount());
    const auto items = ReadAll();
    ASSERT_EQ(ids.size(), items.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(i);
        const ContactCase& c = kContacts[i];
        const VelContactItem* item = ById(items, ids[i]);
        ASSERT_TRUE(item);
        EXPECT_EQ(c.displayName, item->GetDisplayNameText());
        EXPECT_EQ(c.displayName, item->GetDisplayName());
        EXPECT_EQ(c.primaryNumber, item->GetPrimaryNumberText());
        EXPECT_EQ(c.company, item->GetCompanyText());
        EXPECT_EQ(c.favorite, item->GetFavorite());
        EXPECT_EQ(c.favorite, item->IsFavorite());
        EXPECT_EQ(c.categoryCount, item->GetCategoryList().size());
        EXPECT_EQ(c.mobile, item->GetMobileNumber());
        EXPECT_EQ(c.work, item->GetWorkNumber());
        EXPECT_EQ(c.home, item->GetHomeNumber());
        EXPECT_FALSE(item->IsMissing());
        EXPECT_EQ(nullptr, item->GetThumbnail());
    }
    const VelContactItem* first = ById(items, ids[0]);
    ASSERT_EQ(2u, first->GetCategoryList().size());
    EXPECT_EQ(L"Work", first->GetCategoryList()[0]);
    EXPECT_EQ(L"Favorites", first->GetCategoryList()[1]);

    VelContactTable table;
    EXPECT_TRUE(table.Seek(0, VelDataTable::kSeekFromLast));
    EXPECT_FALSE(table.Seek(-1, VelDataTable::kSeekSet));
    EXPECT_EQ(nullptr, table.GetEntry());
}

TEST_F(ContactTest, AContactThatCannotBeHadDoesNotHideTheOnesAfterIt)
{
    Add(L"Ann", L"", L"", L"", L"", L"", L"", L"");
    const DWORD broken = Add(L"Bo", L"", L"", L"", L"", L"", L"", L"");
    Add(L"Cy", L"", L"", L"", L"", L"", L"", L"");
    SetFaults((L"poom.item=" + std::to_wstring(broken)).c_str());
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));

    const auto items = ReadAll();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(L"Ann", items[0]->GetDisplayNameText());
    EXPECT_EQ(L"Cy", items[1]->GetDisplayNameText());
    EXPECT_TRUE(DebugLines().empty());
}

TEST_F(ContactTest, ChangesByAnotherProcessArriveOnceWithTheirId)
{
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    std::string printed;
    ASSERT_EQ(0, RunKlDevice(L"contact add --first Ann --last Lee --mobile +4401", &printed));
    const int32_t id = static_cast<int32_t>(LastNumber(printed));
    ASSERT_NE(0, id);
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(600);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair('c', id), m_receiver.events[0]);
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    ASSERT_TRUE(item);
    EXPECT_EQ(L"Lee, Ann", item->GetDisplayNameText());

    m_receiver.events.clear();
    ASSERT_EQ(0, RunKlDevice(L"contact change " + std::to_wstring(id) + L" --company Acme"));
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(600);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair('m', id), m_receiver.events[0]);
    std::unique_ptr<VelContactItem> reloaded(item->Reload());
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(L"Acme", reloaded->GetCompanyText());

    m_receiver.events.clear();
    ASSERT_EQ(0, RunKlDevice(L"contact delete " + std::to_wstring(id)));
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(600);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair('d', id), m_receiver.events[0]);
    EXPECT_FALSE(VelContactItem::Exists(id));
    EXPECT_EQ(nullptr, item->Reload());
    item->Load(NULL);
    EXPECT_TRUE(item->IsMissing());
    EXPECT_EQ(L"Lee, Ann", item->GetDisplayNameText());
}

TEST_F(ContactTest, LoggingOnTwiceSignalsEachChangeOnce)
{
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    IPimApplication* application = GetPoomApplication();
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    EXPECT_EQ(application, GetPoomApplication()) << "the session stays the one made first";
    std::string printed;
    ASSERT_EQ(0, RunKlDevice(L"contact add --first Ann --mobile +4401", &printed));
    const int32_t id = static_cast<int32_t>(LastNumber(printed));
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(600);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair('c', id), m_receiver.events[0]);
}

TEST_F(ContactTest, MarkingAFavouritePersistsAndNotifies)
{
    const DWORD id = Add(L"", L"Ann", L"Lee", L"", L"+1", L"", L"", L"Work");
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    ASSERT_TRUE(item);
    ASSERT_FALSE(item->GetFavorite());

    item->SetFavorite(true);
    EXPECT_TRUE(item->GetFavorite());
    VelDevContact stored;
    ASSERT_TRUE(Store()->FindContact(id, &stored));
    EXPECT_EQ(L"Work, Favorites", stored.categories);
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(600);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair('m', int32_t(id)), m_receiver.events[0]);

    // Marking again is refused by the platform and changes nothing.
    m_receiver.events.clear();
    item->SetFavorite(true);
    EXPECT_TRUE(item->GetFavorite());
    PumpFor(600);
    EXPECT_TRUE(m_receiver.events.empty());

    item->SetFavorite(false);
    EXPECT_FALSE(item->GetFavorite());
    ASSERT_TRUE(Store()->FindContact(id, &stored));
    EXPECT_EQ(L"Work", stored.categories);
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(600);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair('m', int32_t(id)), m_receiver.events[0]);
    std::unique_ptr<VelContactItem> reloaded(item->Reload());
    ASSERT_TRUE(reloaded);
    EXPECT_FALSE(reloaded->GetFavorite());
}

TEST_F(ContactTest, UnmarksAFavouriteBesideALookalikeCategory)
{
    const DWORD id = Add(L"", L"Ann", L"", L"", L"", L"", L"", L"MyFavorites, Favorites");
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    ASSERT_TRUE(item && item->GetFavorite());
    item->SetFavorite(false);
    EXPECT_FALSE(item->GetFavorite());
    VelDevContact stored;
    ASSERT_TRUE(Store()->FindContact(id, &stored));
    EXPECT_EQ(L"MyFavorites", stored.categories);
}

TEST_F(ContactTest, OnlyTheSixChangeMessagesAreSignalled)
{
    struct Case {
        UINT message;
        char signal;
    } const cases[] = {{0x8100, 'c'}, {0x8105, 'c'}, {0x8101, 'd'}, {0x8106, 'd'}, {0x8102, 'm'},
                       {0x8107, 'm'}, {0x8103, 0},   {0x8104, 0},   {WM_USER, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        m_receiver.events.clear();
        OnPoomNotification(&m_window, c.message, 42, 10);
        if (c.signal) {
            ASSERT_EQ(1u, m_receiver.events.size());
            EXPECT_EQ(std::make_pair(c.signal, int32_t(42)), m_receiver.events[0]);
        } else {
            EXPECT_TRUE(m_receiver.events.empty());
        }
    }
}

TEST_F(ContactTest, WithoutASessionNothingIsRead)
{
    const DWORD id = Add(L"", L"Ann", L"", L"", L"+1", L"+2", L"+3", L"Favorites");
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    ASSERT_TRUE(item);
    LogoffPoom();
    // What the item read stays; what it would fetch afresh is empty or false.
    EXPECT_EQ(L"Ann", item->GetDisplayNameText());
    EXPECT_TRUE(item->GetFavorite());
    for (const std::wstring& fresh : {item->GetMobileNumber(), item->GetWorkNumber(), item->GetHomeNumber(),
                                      item->GetCompany(), item->GetPrimaryNumber(), item->GetDisplayName()})
        EXPECT_EQ(L"", fresh);
    EXPECT_TRUE(item->GetCategories().empty());
    EXPECT_FALSE(item->IsFavorite());
    EXPECT_EQ(nullptr, item->GetPicture());
    EXPECT_FALSE(item->Edit(m_window.GetHandle()));
    EXPECT_FALSE(item->Display(m_window.GetHandle()));
    item->SetFavorite(false);
    EXPECT_TRUE(item->GetFavorite());
    EXPECT_EQ(nullptr, item->Reload());
    item->Load(NULL);
    EXPECT_TRUE(item->IsMissing());
    EXPECT_EQ(L"Ann", item->GetDisplayNameText());

    for (const wchar_t* fault : {L"poom.create", L"poom.logon"}) {
        SCOPED_TRACE(fault);
        SetFaults(fault);
        EXPECT_TRUE(FAILED(LogonPoom(&m_window)));
        EXPECT_EQ(nullptr, GetPoomApplication());
        VelContactTable table;
        EXPECT_EQ(0, table.GetCount());
        EXPECT_EQ(nullptr, table.GetEntry());
        EXPECT_EQ(nullptr, CreateContactItem(id));
        EXPECT_FALSE(VelContactItem::Exists(id));
        EXPECT_EQ(nullptr, CreateNewContact(m_window.GetHandle()));
    }
    EXPECT_TRUE(DebugLines().empty());
    VelDevContact stored;
    ASSERT_TRUE(Store()->FindContact(id, &stored));
    EXPECT_EQ(L"Favorites", stored.categories);
}

namespace {

int WINAPI PhoneScreen(int index)
{
    return index == SM_CXSCREEN ? 240 : index == SM_CYSCREEN ? 320 : GetSystemMetrics(index);
}

}  // namespace

TEST_F(ContactTest, AThumbnailKeepsThePictureShapeAtATenthOfTheLongerSide)
{
    struct PhoneScreenScope {
        PhoneScreenScope() { VelScreenMetrics::SetMetricSource(PhoneScreen); }
        ~PhoneScreenScope() { VelScreenMetrics::SetMetricSource(NULL); }
    } screen;
    VelContactItem::SetThumbnailSide(VelScreenMetrics::GetLongerSide() / 10);
    struct Case {
        UINT width, height, thumbWidth, thumbHeight;
    } const cases[] = {{20, 40, 16, 32}, {64, 32, 32, 16}, {50, 50, 32, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width * 1000 + c.height);
        const DWORD id = Add(L"", L"Ann", L"", L"", L"", L"", L"", L"");
        const std::string png = MakePng(c.width, c.height);
        ASSERT_FALSE(png.empty());
        ASSERT_TRUE(Store()->SetContactPicture(id, png, L"png"));
        LogoffPoom();
        ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
        std::unique_ptr<VelContactItem> item(CreateContactItem(id));
        ASSERT_TRUE(item);
        ASSERT_TRUE(item->GetThumbnail());
        ImageInfo info = {};
        ASSERT_TRUE(SUCCEEDED(item->GetThumbnail()->GetImageInfo(&info)));
        EXPECT_EQ(c.thumbWidth, info.Width);
        EXPECT_EQ(c.thumbHeight, info.Height);
        IImage* full = item->GetPicture();
        ASSERT_TRUE(full);
        ASSERT_TRUE(SUCCEEDED(full->GetImageInfo(&info)));
        EXPECT_EQ(c.width, info.Width);
        full->Release();
    }
}

TEST_F(ContactTest, AHugePictureCostsNeitherTheContactNorTheMemory)
{
    // 16384 x 16384: 256 MiB of grey once unpacked, 1.7 MB as a file.
    const DWORD id = Add(L"", L"Ann", L"", L"", L"+1", L"", L"", L"");
    ASSERT_TRUE(Store()->SetContactPicture(id, MakeBlankPng(16384, 16384), L"png"));
    const DWORD fits = Add(L"", L"Bo", L"", L"", L"+2", L"", L"", L"");
    ASSERT_TRUE(Store()->SetContactPicture(fits, MakeBlankPng(1024, 512), L"png"));
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    const size_t before = counters.PeakWorkingSetSize;

    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    ASSERT_TRUE(item);
    EXPECT_EQ(L"Ann", item->GetDisplayNameText());
    EXPECT_EQ(nullptr, item->GetThumbnail());
    std::unique_ptr<VelContactItem> other(CreateContactItem(fits));
    ASSERT_TRUE(other && other->GetThumbnail());
    ImageInfo info = {};
    ASSERT_TRUE(SUCCEEDED(other->GetThumbnail()->GetImageInfo(&info)));
    EXPECT_EQ(static_cast<UINT>(VelScreenMetrics::GetLongerSide() / 10), info.Width);

    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    EXPECT_LT(counters.PeakWorkingSetSize - before, 32u * 1024 * 1024);
}

TEST_F(ContactTest, APictureThatIsNoImageGivesNoPicture)
{
    const DWORD id = Add(L"", L"Ann", L"", L"", L"+1", L"", L"", L"");
    ASSERT_TRUE(Store()->SetContactPicture(id, std::string("not an image at all"), L"png"));
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    ASSERT_TRUE(item);
    EXPECT_EQ(nullptr, item->GetThumbnail());
    EXPECT_EQ(nullptr, item->GetPicture());
    EXPECT_EQ(L"Ann", item->GetDisplayNameText());
    EXPECT_EQ(L"+1", item->GetPrimaryNumberText());
}

// Contacts added while the table is read, ahead of the rest in the
// collection's order, cannot make a row repeat or go missing.
TEST_F(ContactTest, ContactsAddedWhileTheTableIsReadNeitherRepeatNorHideAny)
{
    const std::vector<std::wstring> names = {L"Bo", L"Cy", L"Di", L"Ed"};
    for (const std::wstring& n : names)
        Add(n.c_str(), L"", L"", L"", L"", L"", L"", L"");
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    ASSERT_EQ(4, VelContactTable().GetCount());
    int added = 0;
    const std::vector<std::wstring> read = ReadNamesWhile(names.size(), [&] {
        Add((L"A" + std::to_wstring(added++)).c_str(), L"", L"", L"", L"", L"", L"", L"");
        // Until the session's live collection lists the newcomer first.
        ASSERT_TRUE(PumpUntil([&] {
            int count = 0;
            return SUCCEEDED(GetPoomContacts()->get_Count(&count)) && count == 4 + added;
        }));
    });
    EXPECT_EQ(names, read);
}

// Contacts deleted ahead of the cursor while the table is read pull the rest
// back in the collection: none of those is passed over.
TEST_F(ContactTest, ContactsDeletedWhileTheTableIsReadHideNoneOfTheRest)
{
    const std::vector<std::wstring> names = {L"Bo", L"Cy", L"Di", L"Ed", L"Fa"};
    std::vector<DWORD> ids;
    for (const std::wstring& n : names)
        ids.push_back(Add(n.c_str(), L"", L"", L"", L"", L"", L"", L""));
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    size_t deleted = 0;
    const std::vector<std::wstring> read = ReadNamesWhile(names.size(), [&] {
        // Each of the first two goes as soon as it is read: the ones after it move up.
        if (deleted >= 2)
            return;
        ASSERT_TRUE(Store()->DeleteContact(ids[deleted++]));
        ASSERT_TRUE(PumpUntil([&] {
            int count = 0;
            return SUCCEEDED(GetPoomContacts()->get_Count(&count)) && count == static_cast<int>(names.size() - deleted);
        }));
    });
    EXPECT_EQ(names, read);
}

// Fields an item keeps only while they hold something: a reload after the
// contact lost them, and after it got them back, answers as a fresh read does.
TEST_F(ContactTest, FieldsEmptiedAndRefilledFollowTheContactOnLoad)
{
    const DWORD id = Add(L"", L"Ann", L"Lee", L"Acme", L"+4401", L"", L"", L"Work, Favorites");
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    std::unique_ptr<VelContactItem> item(CreateContactItem(static_cast<int32_t>(id)));
    ASSERT_TRUE(item);
    ASSERT_EQ(L"Acme", item->GetCompanyText());
    ASSERT_EQ(2u, item->GetCategoryList().size());

    struct Step {
        const wchar_t* company;
        const wchar_t* categories;
        const wchar_t* first;
        const wchar_t* last;
        const wchar_t* displayName;
        size_t categoryCount;
        bool favorite;
    };
    const Step steps[] = {
        {L"", L"", L"", L"", L"+4401", 0, false},
        {L"Nordlys AB", L"", L"", L"", L"Nordlys AB", 0, false},
        {L"", L"Golf", L"Bo", L"Lindqvist-Ekstr\u00f6m", L"Lindqvist-Ekstr\u00f6m, Bo", 1, false},
        {L"M\u00fcller & S\u00f6hne", L"Family, Favorites", L"", L"", L"M\u00fcller & S\u00f6hne", 2, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.displayName);
        ASSERT_TRUE(Store()->ChangeContact(id, [&](VelDevContact& c) {
            c.company = step.company;
            c.categories = step.categories;
            c.firstName = step.first;
            c.lastName = step.last;
            return true;
        }));
        item->Load(NULL);
        std::unique_ptr<VelContactItem> fresh(CreateContactItem(static_cast<int32_t>(id)));
        ASSERT_TRUE(fresh);
        EXPECT_FALSE(item->IsMissing());
        EXPECT_EQ(step.company, item->GetCompanyText());
        EXPECT_EQ(step.displayName, item->GetDisplayNameText());
        EXPECT_EQ(step.categoryCount, item->GetCategoryList().size());
        EXPECT_EQ(step.favorite, item->GetFavorite());
        EXPECT_EQ(fresh->GetCompanyText(), item->GetCompanyText());
        EXPECT_EQ(fresh->GetCategoryList(), item->GetCategoryList());
        EXPECT_EQ(fresh->GetDisplayNameText(), item->GetDisplayNameText());
        EXPECT_EQ(L"+4401", item->GetPrimaryNumberText());
    }
}

// Items of the same categories text share one list: a change or the end of
// one item leaves the others' lists as they were.
TEST_F(ContactTest, ItemsOfTheSameCategoriesKeepTheirsWhenAnotherChangesOrGoes)
{
    const DWORD first = Add(L"", L"Ann", L"Lee", L"", L"+4401", L"", L"", L"Work, Golf");
    const DWORD second = Add(L"", L"Bo", L"Ek", L"", L"+4402", L"", L"", L"Work, Golf");
    const DWORD third = Add(L"", L"Cy", L"Ho", L"", L"+4403", L"", L"", L"Work");
    ASSERT_TRUE(SUCCEEDED(LogonPoom(&m_window)));
    const std::vector<std::wstring> both = {L"Work", L"Golf"};
    std::unique_ptr<VelContactItem> a(CreateContactItem(static_cast<int32_t>(first)));
    std::unique_ptr<VelContactItem> b(CreateContactItem(static_cast<int32_t>(second)));
    std::unique_ptr<VelContactItem> c(CreateContactItem(static_cast<int32_t>(third)));
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(both, a->GetCategoryList());
    EXPECT_EQ(both, b->GetCategoryList());
    EXPECT_EQ(std::vector<std::wstring>{L"Work"}, c->GetCategoryList());

    ASSERT_TRUE(Store()->ChangeContact(first, [](VelDevContact& contact) {
        contact.categories = L"Family";
        return true;
    }));
    a->Load(NULL);
    EXPECT_EQ(std::vector<std::wstring>{L"Family"}, a->GetCategoryList());
    EXPECT_EQ(both, b->GetCategoryList()) << "the other item keeps the list";

    b.reset();
    std::unique_ptr<VelContactItem> again(CreateContactItem(static_cast<int32_t>(second)));
    ASSERT_TRUE(again);
    EXPECT_EQ(both, again->GetCategoryList()) << "read afresh after the last holder went";
    again.reset();
    a.reset();
    EXPECT_EQ(std::vector<std::wstring>{L"Work"}, c->GetCategoryList());
}
