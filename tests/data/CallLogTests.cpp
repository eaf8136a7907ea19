#include <Platform/cecore/CeCoreStandIn.h>
#include <Platform/phone/Phone.h>

#include <memory>

#include "../platform/PhoneKeyGuard.h"
#include "DataTestSupport.h"
#include "VelCallItem.h"
#include "VelCallTable.h"
#include "VelEdbDatabase.h"
#include "VelLocalizedStrings.h"
#include "VelSlotHolder.h"

namespace {

class CallLogTest : public DataStoreTest {
protected:
    DWORD AddCall(DWORD direction, DWORD flags, const wchar_t* number, const wchar_t* name, const wchar_t* nameType,
                  int minutesAgo)
    {
        VelDevCall call;
        call.start = UtcMinutesAgo(minutesAgo);
        call.end = UtcMinutesAgo(minutesAgo - 1);
        call.direction = direction;
        call.flags = flags;
        call.number = VelDevOptText(number);
        call.name = VelDevOptText(name);
        call.nameType = VelDevOptText(nameType);
        return Store()->AddCall(call);
    }

    std::vector<std::unique_ptr<VelCallItem>> ReadAll(VelCallTable& table)
    {
        std::vector<std::unique_ptr<VelCallItem>> items;
        while (VelDataItem* item = table.GetEntry()) {
            items.emplace_back(static_cast<VelCallItem*>(item));
            table.Seek(1, VelDataTable::kSeekCurrent);
        }
        return items;
    }
};

VelDateTime Local(const FILETIME& utc)
{
    FILETIME local;
    FileTimeToLocalFileTime(&utc, &local);
    return VelDateTime(local);
}

struct CallCase {
    DWORD direction;
    DWORD flags;
    const wchar_t* number;
    const wchar_t* name;
    const wchar_t* nameType;
    const wchar_t* displayText;  // null: the unknown-caller text
    bool outgoing;
    uint32_t callFlags;
};

const CallCase kCalls[] = {
    {kCallMissed, 0, L"+441", L"Ann", L"Mobile", L"Ann", false, VelCallItem::kMissed},
    {kCallOutgoing, kCallConnected | kCallEnded, L"+442", NULL, NULL, L"+442", true,
     VelCallItem::kConnected | VelCallItem::kEnded},
    {kCallIncoming, 0, NULL, NULL, NULL, NULL, false, 0},
    {kCallIncoming, kCallEnded, L"+444", L"", L"", L"", false, VelCallItem::kEnded},
    // Bits the item does not read stay out of its flags.
    {kCallMissed, 0x1 | 0x8, L"+445", NULL, L"Work", L"+445", false, VelCallItem::kMissed},
};

}  // namespace

TEST_F(CallLogTest, ReadsEveryCallNewestFirstWithItsFields)
{
    const size_t n = sizeof(kCalls) / sizeof(kCalls[0]);
    for (size_t i = 0; i < n; ++i) {
        // The first case is the newest.
        const CallCase& c = kCalls[i];
        AddCall(c.direction, c.flags, c.number, c.name, c.nameType, static_cast<int>(10 + 10 * i));
    }
    const std::vector<VelDevCall> seeded = Store()->CallsNewestFirst();
    ASSERT_EQ(n, seeded.size());

    VelCallTable table;
    EXPECT_EQ(static_cast<int32_t>(n), table.GetCount());
    const auto items = ReadAll(table);
    ASSERT_EQ(n, items.size());
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        const CallCase& c = kCalls[i];
        const VelCallItem& item = *items[i];
        EXPECT_EQ(c.number ? c.number : L"", item.GetNumber());
        EXPECT_EQ(c.name ? c.name : L"", item.GetName());
        EXPECT_EQ(c.nameType ? c.nameType : L"", item.GetNameType());
        EXPECT_EQ(c.displayText ? std::wstring(c.displayText) : LoadLocalizedString(kStrUnknownCaller),
                  item.GetDisplayText());
        EXPECT_EQ(c.outgoing, item.IsOutgoing());
        EXPECT_EQ(c.callFlags, item.GetCallFlags());
        EXPECT_TRUE(item.GetStart() == Local(seeded[i].start));
        EXPECT_TRUE(item.GetEnd() == Local(seeded[i].end));
        EXPECT_TRUE(item.ToString().empty());
    }
    EXPECT_FALSE(LoadLocalizedString(kStrUnknownCaller).empty());
}

TEST_F(CallLogTest, SeekNamesEntriesByOrigin)
{
    AddCall(kCallIncoming, 0, L"+1", NULL, NULL, 30);
    AddCall(kCallIncoming, 0, L"+2", NULL, NULL, 20);
    AddCall(kCallIncoming, 0, L"+3", NULL, NULL, 10);
    VelCallTable table;
    ASSERT_EQ(3, table.GetCount());

    EXPECT_TRUE(table.Seek(0, VelDataTable::kSeekFromLast));
    std::unique_ptr<VelCallItem> last(static_cast<VelCallItem*>(table.GetEntry()));
    ASSERT_TRUE(last);
    EXPECT_EQ(L"+1", last->GetNumber());

    EXPECT_TRUE(table.Seek(-1, VelDataTable::kSeekCurrent));
    EXPECT_TRUE(table.Seek(7, 3));  // an unknown origin keeps the cursor
    std::unique_ptr<VelCallItem> middle(static_cast<VelCallItem*>(table.GetEntry()));
    ASSERT_TRUE(middle);
    EXPECT_EQ(L"+2", middle->GetNumber());

    // Below 0 the cursor reads as past the end.
    EXPECT_FALSE(table.Seek(-1, VelDataTable::kSeekSet));
    EXPECT_EQ(nullptr, table.GetEntry());
    EXPECT_FALSE(table.Seek(3, VelDataTable::kSeekSet));
    EXPECT_TRUE(table.Seek(0, VelDataTable::kSeekSet));
}

TEST_F(CallLogTest, AnEmptyOrUnopenableLogHasNoEntries)
{
    {
        VelCallTable empty;
        EXPECT_EQ(0, empty.GetCount());
        EXPECT_EQ(nullptr, empty.GetEntry());
        EXPECT_FALSE(empty.Seek(0, VelDataTable::kSeekFromLast));
    }
    AddCall(kCallIncoming, 0, L"+1", NULL, NULL, 10);
    SetFaults(L"phone.open");
    VelCallTable refused;
    EXPECT_TRUE(FAILED(refused.Open()));
    EXPECT_EQ(0, refused.GetCount());
    EXPECT_EQ(nullptr, refused.GetEntry());
    EXPECT_TRUE(DebugLines().size() <= 1);
}

// An unreadable entry is reported and gives nothing where it stands: the
// cursor stays, so entry 0 is the newest call or none, never the one after.
TEST_F(CallLogTest, AnUnreadableCallIsReportedWhereItStandsAndCanBeSteppedOver)
{
    AddCall(kCallIncoming, 0, L"+1", NULL, NULL, 30);
    const DWORD broken = AddCall(kCallIncoming, 0, L"+2", NULL, NULL, 20);
    AddCall(kCallIncoming, 0, L"+3", NULL, NULL, 10);
    SetFaults((L"phone.entry=" + std::to_wstring(broken)).c_str());

    VelCallTable table;
    std::unique_ptr<VelDataItem> newest(table.GetEntry());
    ASSERT_TRUE(newest);
    EXPECT_EQ(L"+3", static_cast<VelCallItem*>(newest.get())->GetNumber());
    ASSERT_TRUE(table.Seek(1, VelDataTable::kSeekCurrent));
    EXPECT_EQ(nullptr, table.GetEntry());
    EXPECT_EQ(nullptr, table.GetEntry()) << "the cursor moved past the unreadable entry";
    ASSERT_TRUE(table.Seek(1, VelDataTable::kSeekCurrent));
    std::unique_ptr<VelDataItem> oldest(table.GetEntry());
    ASSERT_TRUE(oldest);
    EXPECT_EQ(L"+1", static_cast<VelCallItem*>(oldest.get())->GetNumber());

    const std::vector<std::wstring> lines = DebugLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::wstring::npos, lines[0].find(L"PhoneGetCallLogEntry failed 80004005."));
}

namespace {

class CallLogReceiver : public VelSlotHolder {
public:
    void OnChanged(uint32_t type, uint32_t record) { events.push_back(std::make_pair(type, record)); }
    std::vector<std::pair<uint32_t, uint32_t>> events;
};

class CallLogNotificationTest : public DataStoreTest {
protected:
    void SetUp() override
    {
        DataStoreTest::SetUp();
        CallLogChanged.Connect(&m_receiver, &CallLogReceiver::OnChanged);
    }
    void TearDown() override
    {
        CloseCallLogNotifications();
        CallLogChanged.DisconnectAll();
        DataStoreTest::TearDown();
    }

    CallLogReceiver m_receiver;
};

}  // namespace

TEST_F(CallLogNotificationTest, CallsLoggedByAnotherProcessArriveOnce)
{
    TestMessageWindow window;
    OpenCallLogNotifications(&window);
    ASSERT_TRUE(IsPimVolumeMounted());

    std::string printed;
    ASSERT_EQ(0, RunKlDevice(L"call incoming +4401 --name Ann", &printed));
    const DWORD call = LastNumber(printed);
    ASSERT_NE(0u, call);
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(700);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair(uint32_t(kCeDbRecordCreated), uint32_t(call)), m_receiver.events[0]);

    // The newest entry is the call announced.
    VelCallTable table;
    std::unique_ptr<VelCallItem> newest(static_cast<VelCallItem*>(table.GetEntry()));
    ASSERT_TRUE(newest);
    EXPECT_EQ(L"Ann", newest->GetDisplayText());

    m_receiver.events.clear();
    ASSERT_EQ(0, RunKlDevice(L"call delete " + std::to_wstring(call)));
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(700);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair(uint32_t(kCeDbRecordDeleted), uint32_t(call)), m_receiver.events[0]);
}

namespace {

VelDevCall IncomingCall(const wchar_t* number)
{
    VelDevCall call;
    call.start = UtcMinutesAgo(2);
    call.end = UtcMinutesAgo(1);
    call.direction = kCallIncoming;
    call.number = VelDevOptText(number);
    return call;
}

// The database messages the platform posted to the window, taken off the
// queue before any handler saw them.
std::vector<CeNotification*> TakePosted(HWND window, size_t count)
{
    std::vector<CeNotification*> records;
    const DWORD kWaitMs = 5000;
    const DWORD start = GetTickCount();
    while (records.size() < count && GetTickCount() - start < kWaitMs) {
        MSG message;
        if (PeekMessageW(&message, window, kCeDbNotifyMessage, kCeDbNotifyMessage, PM_REMOVE))
            records.push_back(reinterpret_cast<CeNotification*>(message.lParam));
        else
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_POSTMESSAGE);
    }
    return records;
}

}  // namespace

TEST_F(CallLogNotificationTest, OnlyRecordChangesOfTheDatabaseMessageAreSignalled)
{
    TestMessageWindow window;
    OpenCallLogNotifications(&window);
    struct Case {
        UINT message;
        DWORD type;
        bool emits;
    } const cases[] = {
        {kCeDbNotifyMessage, kCeDbRecordCreated, true},
        {kCeDbNotifyMessage, kCeDbRecordDeleted, true},
        {kCeDbNotifyMessage, kCeDbRecordChanged, true},
        {kCeDbNotifyMessage, 0x402, false},
        {kCeDbNotifyMessage, 0x405, false},
        {WM_USER, kCeDbRecordCreated, false},
    };
    const size_t count = sizeof(cases) / sizeof(cases[0]);
    for (size_t i = 0; i < count; ++i)
        Store()->AddCall(IncomingCall(L"+1"));
    const std::vector<CeNotification*> records = TakePosted(window.GetHandle(), count);
    ASSERT_EQ(count, records.size());
    for (size_t i = 0; i < count; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.type);
        m_receiver.events.clear();
        records[i]->type = c.type;
        records[i]->oid = 77;
        OnCallLogNotification(&window, c.message, 0, reinterpret_cast<LPARAM>(records[i]));
        ASSERT_EQ(c.emits ? 1u : 0u, m_receiver.events.size());
        if (c.emits) {
            EXPECT_EQ(std::make_pair(uint32_t(c.type), uint32_t(77)), m_receiver.events[0]);
        }
        EXPECT_EQ(c.message != kCeDbNotifyMessage, bool(CeIsNotificationPending(records[i])))
            << "handed back after the database message only";
    }
    FreeDbNotification(records[count - 1]);
    m_receiver.events.clear();
    OnCallLogNotification(&window, kCeDbNotifyMessage, 0, 0);
    EXPECT_TRUE(m_receiver.events.empty());
}

TEST_F(CallLogNotificationTest, ARecordThePlatformDidNotPostIsNeverRead)
{
    TestMessageWindow window;
    OpenCallLogNotifications(&window);
    // What another process could post: a made-up address, a record of the
    // right shape that the platform never handed out, one already handed back.
    CeNotification lookalike = {};
    lookalike.size = sizeof(lookalike);
    lookalike.type = kCeDbRecordCreated;
    lookalike.oid = 5;
    Store()->AddCall(IncomingCall(L"+2"));
    const std::vector<CeNotification*> posted = TakePosted(window.GetHandle(), 1);
    ASSERT_EQ(1u, posted.size());
    OnCallLogNotification(&window, kCeDbNotifyMessage, 0, reinterpret_cast<LPARAM>(posted[0]));
    ASSERT_EQ(1u, m_receiver.events.size());
    m_receiver.events.clear();
    const LPARAM forged[] = {0x12345678, static_cast<LPARAM>(0xDEADBEEF0), reinterpret_cast<LPARAM>(&lookalike),
                             reinterpret_cast<LPARAM>(posted[0])};
    for (LPARAM record : forged)
        PostMessageW(window.GetHandle(), kCeDbNotifyMessage, 0, record);
    PumpFor(300);
    EXPECT_TRUE(m_receiver.events.empty());
}

TEST_F(CallLogNotificationTest, OpeningTwiceSignalsEachCallOnce)
{
    struct Counting : TestMessageWindow {
        void AddHandler(Handler handler) override
        {
            ++added;
            TestMessageWindow::AddHandler(handler);
        }
        int added = 0;
    } window;
    OpenCallLogNotifications(&window);
    OpenCallLogNotifications(&window);
    EXPECT_EQ(1, window.added) << "a second handler would read the record the first handed back";
    const DWORD call = Store()->AddCall(IncomingCall(L"+3"));
    ASSERT_TRUE(PumpUntil([&] { return !m_receiver.events.empty(); }));
    PumpFor(700);
    ASSERT_EQ(1u, m_receiver.events.size());
    EXPECT_EQ(std::make_pair(uint32_t(kCeDbRecordCreated), uint32_t(call)), m_receiver.events[0]);
}

TEST_F(CallLogNotificationTest, MountingTwiceMountsOnce)
{
    EXPECT_TRUE(MountPimVolume());
    EXPECT_TRUE(MountPimVolume());
    UnmountPimVolume();
    EXPECT_FALSE(IsPimVolumeMounted());
    // One unmount has undone every mount the platform saw.
    CeVolumeGuid volume = {};
    CeVolumeOptions options = {};
    ASSERT_TRUE(CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0));
    CeUnmountDBVol(&volume);
    CeObjectId byName = 0;
    EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseInSession(NULL, &volume, &byName, L"clog.db", NULL, 1, NULL));
}

TEST_F(CallLogNotificationTest, AFailedOpenSaysSoOnceAndKeepsTheHandler)
{
    struct Counting : TestMessageWindow {
        void AddHandler(Handler handler) override
        {
            ++added;
            TestMessageWindow::AddHandler(handler);
        }
        int added = 0;
    } window;
    SetFaults(L"db.open=2");
    OpenCallLogNotifications(&window);
    EXPECT_EQ(1, window.added);
    const std::vector<std::wstring> lines = DebugLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::wstring::npos, lines[0].find(L"VelEdbDatabase::Open: CeOpenDatabaseInSession clog.db failed 2."));

    {
        PhoneKeyGuard phoneKey;  // a missed call counts in the registry
        ASSERT_EQ(0, RunKlDevice(L"call missed +4402"));
    }
    PumpFor(800);
    EXPECT_TRUE(m_receiver.events.empty());
}

// Calls logged while the table is read cannot shift the rows it gives:
// each call of the log as it was at the open, once, newest first.
TEST_F(CallLogTest, CallsLoggedWhileTheLogIsReadNeitherRepeatNorHideAny)
{
    const int kCalls = 5;
    for (int i = 0; i < kCalls; ++i)
        AddCall(kCallIncoming, 0, std::to_wstring(i).c_str(), NULL, NULL, 100 - i);
    VelCallTable table;
    ASSERT_EQ(kCalls, table.GetCount());
    std::vector<std::wstring> read;
    while (VelDataItem* item = table.GetEntry()) {
        std::unique_ptr<VelCallItem> call(static_cast<VelCallItem*>(item));
        read.push_back(call->GetNumber());
        AddCall(kCallMissed, 0, L"new", NULL, NULL, 0);
        table.Seek(1, VelDataTable::kSeekCurrent);
    }
    const std::vector<std::wstring> expected = {L"4", L"3", L"2", L"1", L"0"};
    EXPECT_EQ(expected, read);
}
