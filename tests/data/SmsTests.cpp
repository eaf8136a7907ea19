#include <Platform/cemapi/CeMapi.h>

#include <memory>

#include "DataTestSupport.h"
#include "VelCreateDataTable.h"
#include "VelMapiMessage.h"
#include "VelMapiSink.h"
#include "VelSlotHolder.h"
#include "VelSmsItem.h"
#include "VelSmsStore.h"
#include "VelSmsTable.h"

namespace {

class SmsTest : public DataStoreTest {
protected:
    void TearDown() override
    {
        CloseSmsStore();
        DataStoreTest::TearDown();
    }

    DWORD Add(DWORD folder, const wchar_t* text, int minutesAgo, bool hasFlags = true, DWORD flags = 0)
    {
        return AddAt(folder, text, UtcMinutesAgo(minutesAgo), hasFlags, flags);
    }

    DWORD AddAt(DWORD folder, const wchar_t* text, const FILETIME& delivered, bool hasFlags = true, DWORD flags = 0)
    {
        VelDevMessage m;
        m.folder = folder;
        m.text = text;
        m.senderName = L"Ann";
        m.senderAddress = L"+4401";
        m.hasDeliveryTime = true;
        m.deliveryTime = delivered;
        m.hasFlags = hasFlags;
        m.flags = flags;
        if (folder == kDevSmsSent)
            m.recipients = {{L"Bob", L"+4402"}, {L"Cy", L"+4403"}};
        return Store()->AddMessage(m);
    }

    std::vector<std::unique_ptr<VelSmsItem>> ReadAll()
    {
        std::unique_ptr<VelDataTable> table(CreateDataTable(kMessagesTable));
        std::vector<std::unique_ptr<VelSmsItem>> items;
        while (VelDataItem* item = table->GetEntry()) {
            items.emplace_back(static_cast<VelSmsItem*>(item));
            EXPECT_FALSE(table->Seek(1, VelDataTable::kSeekCurrent));
        }
        return items;
    }

    std::unique_ptr<VelSmsItem> ItemWithText(const std::wstring& text)
    {
        for (auto& item : ReadAll()) {
            if (item->GetText() == text)
                return std::move(item);
        }
        return nullptr;
    }
};

}  // namespace

TEST_F(SmsTest, ReadsReceivedAndSentMessagesNewestFirstWithTheirFields)
{
    Add(kDevSmsInbox, L"oldest", 40);
    const FILETIME tie = UtcMinutesAgo(30);
    AddAt(kDevSmsInbox, L"tie received", tie);
    AddAt(kDevSmsSent, L"tie sent", tie);
    Add(kDevSmsSent, L"two\r\nlines\tand tab", 20);
    Add(kDevSmsInbox, L"newest", 10);
    Add(kDevSmsDeleted, L"binned", 5);
    Add(kDevSmsOutbox, L"queued", 5);
    OpenSmsStore();

    std::unique_ptr<VelDataTable> table(CreateDataTable(kMessagesTable));
    EXPECT_EQ(5, table->GetCount());
    const auto items = ReadAll();
    std::vector<std::wstring> texts;
    for (const auto& item : items)
        texts.push_back(item->GetText());
    const std::vector<std::wstring> expected = {L"newest", L"two  lines and tab", L"tie sent", L"tie received",
                                                L"oldest"};
    EXPECT_EQ(expected, texts);
    ASSERT_EQ(5u, items.size());

    const VelSmsItem& sent = *items[1];
    EXPECT_TRUE(sent.IsSent());
    ASSERT_EQ(2u, sent.GetRecipients().size());
    EXPECT_EQ(L"Bob", sent.GetRecipients()[0].name);
    EXPECT_EQ(L"+4403", sent.GetRecipients()[1].address);
    const VelSmsItem& received = *items[0];
    EXPECT_FALSE(received.IsSent());
    EXPECT_EQ(L"Ann", received.GetSenderName());
    EXPECT_EQ(L"+4401", received.GetSenderAddress());
    EXPECT_TRUE(received.GetRecipients().empty());
    EXPECT_TRUE(received.ToString().empty());

    const std::vector<VelDevMessage> stored = Store()->Messages();
    for (const VelDevMessage& m : stored) {
        if (m.text != L"newest")
            continue;
        FILETIME local;
        FileTimeToLocalFileTime(&m.deliveryTime, &local);
        EXPECT_TRUE(received.GetDeliveryTime() == VelDateTime(local));
    }
    // Message identifiers are kept with their varying last four bytes zero.
    ASSERT_EQ(20u, received.GetEntryId().size());
    EXPECT_EQ(0, received.GetEntryId()[16] | received.GetEntryId()[17] | received.GetEntryId()[18] |
                     received.GetEntryId()[19]);
}

TEST_F(SmsTest, AMessageThatCannotBeOpenedDoesNotHideTheOnesAfterIt)
{
    Add(kDevSmsInbox, L"newest", 10);
    const DWORD broken = Add(kDevSmsInbox, L"broken", 20);
    Add(kDevSmsSent, L"sent", 25);
    Add(kDevSmsInbox, L"oldest", 30);
    SetFaults((L"mapi.message=" + std::to_wstring(broken)).c_str());
    OpenSmsStore();

    std::vector<std::wstring> texts;
    for (const auto& item : ReadAll())
        texts.push_back(item->GetText());
    const std::vector<std::wstring> expected = {L"newest", L"sent", L"oldest"};
    EXPECT_EQ(expected, texts);
    EXPECT_TRUE(DebugLines().empty());
}

TEST_F(SmsTest, EntryIdentifiersOfTwentyBytesLoseTheirLastFourOnly)
{
    BYTE twenty[20];
    BYTE twentyFour[24];
    for (BYTE i = 0; i < 24; ++i) {
        if (i < 20)
            twenty[i] = i + 1;
        twentyFour[i] = i + 1;
    }
    VelMapiMessage a(twenty, 20, NULL);
    VelMapiMessage b(twentyFour, 24, NULL);
    EXPECT_EQ(VelEntryId(twenty, twenty + 16), VelEntryId(a.GetEntryId().begin(), a.GetEntryId().begin() + 16));
    EXPECT_EQ(VelEntryId(4, 0), VelEntryId(a.GetEntryId().begin() + 16, a.GetEntryId().end()));
    EXPECT_EQ(VelEntryId(twentyFour, twentyFour + 24), b.GetEntryId());
}

TEST_F(SmsTest, ReadStateIsReadAndWrittenInTheStore)
{
    const DWORD unread = Add(kDevSmsInbox, L"unread", 10, true, 0x4);
    const DWORD noFlags = Add(kDevSmsInbox, L"no flags", 20, false);
    OpenSmsStore();

    std::unique_ptr<VelSmsItem> item = ItemWithText(L"unread");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->IsUnread());
    EXPECT_TRUE(item->WasUnreadWhenRead());
    EXPECT_TRUE(item->SetUnread(false));
    EXPECT_FALSE(item->IsUnread());
    // The state as read stays what the store held then; a fresh read sees the change.
    EXPECT_TRUE(item->WasUnreadWhenRead());
    std::unique_ptr<VelSmsItem> again = ItemWithText(L"unread");
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->WasUnreadWhenRead());
    VelDevMessage stored;
    ASSERT_TRUE(Store()->FindMessage(unread, &stored));
    EXPECT_EQ(0x5u, stored.flags);  // other bits kept

    std::unique_ptr<VelSmsItem> bare = ItemWithText(L"no flags");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->IsUnread());  // no flags read as read
    EXPECT_FALSE(bare->WasUnreadWhenRead());
    EXPECT_TRUE(bare->SetUnread(true));
    ASSERT_TRUE(Store()->FindMessage(noFlags, &stored));
    ASSERT_TRUE(stored.hasFlags);
    EXPECT_EQ(0u, stored.flags);  // not every other bit set
    EXPECT_TRUE(bare->IsUnread());
}

TEST_F(SmsTest, WithoutTheStoreNothingIsReadOrWritten)
{
    Add(kDevSmsInbox, L"hello", 10);
    OpenSmsStore();
    std::unique_ptr<VelSmsItem> item = ItemWithText(L"hello");
    ASSERT_TRUE(item);
    CloseSmsStore();

    for (const wchar_t* fault : {L"mapi.logon", L"mapi.init", L"store.missing"}) {
        SCOPED_TRACE(fault);
        const size_t linesBefore = DebugLines().size();
        SetFaults(fault);
        OpenSmsStore();
        std::unique_ptr<VelDataTable> table(CreateDataTable(kMessagesTable));
        ASSERT_TRUE(table);
        EXPECT_EQ(0, table->GetCount());
        EXPECT_EQ(nullptr, table->GetEntry());
        EXPECT_FALSE(item->IsUnread());
        EXPECT_FALSE(item->SetUnread(false));
        CloseSmsStore();
        EXPECT_LE(DebugLines().size(), linesBefore + 1);
    }
}

TEST(DataTableFactory, OnlyTheThreeKindsMakeTables)
{
    for (int kind : {1, 4, -1, 99})
        EXPECT_EQ(nullptr, CreateDataTable(kind));
}

namespace {

// Sink signals come on the messaging system's thread.
class SmsReceiver : public VelSlotHolder {
public:
    SmsReceiver() { InitializeCriticalSection(&m_lock); }
    ~SmsReceiver() override { DeleteCriticalSection(&m_lock); }
    void OnCreated(VelMapiMessage* m) { Record('c', m); }
    void OnDeleted(VelMapiMessage* m) { Record('d', m); }
    void OnMoved(VelMapiMessage* m) { Record('v', m); }
    void OnModified(VelMapiMessage* m) { Record('m', m); }

    struct Event {
        char kind;
        std::wstring text;
        VelEntryId id;
    };
    std::vector<Event> Events()
    {
        EnterCriticalSection(&m_lock);
        std::vector<Event> copy = m_events;
        LeaveCriticalSection(&m_lock);
        return copy;
    }
    void Clear()
    {
        EnterCriticalSection(&m_lock);
        m_events.clear();
        LeaveCriticalSection(&m_lock);
    }

private:
    void Record(char kind, VelMapiMessage* m)
    {
        Event e = {kind, L"", m->GetEntryId()};
        ReadMapiText(m->GetMessage(), kMapiTagSubject, &e.text);
        EnterCriticalSection(&m_lock);
        m_events.push_back(e);
        LeaveCriticalSection(&m_lock);
    }
    CRITICAL_SECTION m_lock;
    std::vector<Event> m_events;
};

class SmsNotificationTest : public SmsTest {
protected:
    void Connect()
    {
        VelMapiSink* sink = GetSmsStore().sink;
        ASSERT_TRUE(sink);
        sink->MessageCreated.Connect(&m_receiver, &SmsReceiver::OnCreated);
        sink->MessageDeleted.Connect(&m_receiver, &SmsReceiver::OnDeleted);
        sink->MessageMoved.Connect(&m_receiver, &SmsReceiver::OnMoved);
        sink->MessageModified.Connect(&m_receiver, &SmsReceiver::OnModified);
    }

    // The one event the last change brought.
    SmsReceiver::Event Single()
    {
        EXPECT_TRUE(PumpUntil([&] { return !m_receiver.Events().empty(); }));
        PumpFor(600);
        const auto events = m_receiver.Events();
        EXPECT_EQ(1u, events.size());
        m_receiver.Clear();
        return events.empty() ? SmsReceiver::Event() : events[0];
    }

    SmsReceiver m_receiver;
};

}  // namespace

TEST_F(SmsNotificationTest, ChangesByAnotherProcessArriveOnceWithTheirMessage)
{
    OpenSmsStore();
    Connect();
    std::string printed;
    ASSERT_EQ(0, RunKlDevice(L"sms receive +4401 \"see you\"", &printed));
    const std::wstring id = std::to_wstring(LastNumber(printed));
    SmsReceiver::Event created = Single();
    EXPECT_EQ('c', created.kind);
    EXPECT_EQ(L"see you", created.text);
    std::unique_ptr<VelSmsItem> item = ItemWithText(L"see you");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->GetEntryId(), created.id);

    ASSERT_EQ(0, RunKlDevice(L"sms read " + id));
    SmsReceiver::Event modified = Single();
    EXPECT_EQ('m', modified.kind);
    EXPECT_EQ(created.id, modified.id);

    ASSERT_EQ(0, RunKlDevice(L"sms move " + id + L" deleted"));
    SmsReceiver::Event moved = Single();
    EXPECT_EQ('v', moved.kind);
    EXPECT_EQ(created.id, moved.id);

    ASSERT_EQ(0, RunKlDevice(L"sms delete " + id));
    SmsReceiver::Event deleted = Single();
    EXPECT_EQ('d', deleted.kind);
    EXPECT_EQ(created.id, deleted.id);
}

TEST_F(SmsNotificationTest, MarkingReadHereNotifiesToo)
{
    Add(kDevSmsInbox, L"hello", 10, true, 0);
    OpenSmsStore();
    Connect();
    std::unique_ptr<VelSmsItem> item = ItemWithText(L"hello");
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->SetUnread(false));
    SmsReceiver::Event modified = Single();
    EXPECT_EQ('m', modified.kind);
    EXPECT_EQ(item->GetEntryId(), modified.id);
}

TEST_F(SmsNotificationTest, ABatchIsHandledInOrderAndForeignEntriesAreDropped)
{
    Add(kDevSmsInbox, L"first", 20);
    Add(kDevSmsInbox, L"second", 10);
    OpenSmsStore();
    Connect();
    std::unique_ptr<VelSmsItem> first = ItemWithText(L"first");
    std::unique_ptr<VelSmsItem> second = ItemWithText(L"second");
    ASSERT_TRUE(first && second);

    VelEntryId unknown(20, 0xEE);
    MapiNotification batch[5] = {};
    auto set = [](MapiNotification& n, ULONG event, VelEntryId& id, ULONG type) {
        n.ulEventType = event;
        n.info.obj.cbEntryID = static_cast<ULONG>(id.size());
        n.info.obj.lpEntryID = reinterpret_cast<MapiEntryId*>(id.data());
        n.info.obj.ulObjType = type;
    };
    VelEntryId a = first->GetEntryId();
    VelEntryId b = second->GetEntryId();
    set(batch[0], kMapiEventModified, b, kMapiObjMessage);
    set(batch[1], kMapiEventCreated, a, kMapiObjFolder);          // not a message
    set(batch[2], kMapiEventModified, unknown, kMapiObjMessage);  // not in the store
    set(batch[3], kMapiEventMoved, a, kMapiObjMessage);
    set(batch[4], kMapiEventDeleted, unknown, kMapiObjMessage);  // gone already
    EXPECT_EQ(0u, GetSmsStore().sink->OnNotify(5, batch));

    const auto events = m_receiver.Events();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ('m', events[0].kind);
    EXPECT_EQ(L"second", events[0].text);
    EXPECT_EQ('v', events[1].kind);
    EXPECT_EQ(L"first", events[1].text);
    // A message deleted outright still names its row.
    EXPECT_EQ('d', events[2].kind);
    VelEntryId normalised = unknown;
    std::fill(normalised.begin() + 16, normalised.end(), 0);
    EXPECT_EQ(normalised, events[2].id);
    size_t deletedLines = 0;
    for (const std::wstring& line : DebugLines())
        deletedLines += line.find(L"VelMapiSink::OnNotify: deleted.") != std::wstring::npos;
    EXPECT_EQ(1u, deletedLines);
    EXPECT_EQ(0u, GetSmsStore().sink->OnNotify(0, NULL));
}

TEST_F(SmsNotificationTest, AMessageGoneBeforeItsCreationWasNoticedIsCreatedAndDeleted)
{
    OpenSmsStore();
    Connect();
    VelEntryId gone(20, 0x5C);
    MapiNotification batch[2] = {};
    for (MapiNotification& n : batch) {
        n.info.obj.cbEntryID = static_cast<ULONG>(gone.size());
        n.info.obj.lpEntryID = reinterpret_cast<MapiEntryId*>(gone.data());
        n.info.obj.ulObjType = kMapiObjMessage;
    }
    batch[0].ulEventType = kMapiEventCreated;
    batch[1].ulEventType = kMapiEventDeleted;
    EXPECT_EQ(0u, GetSmsStore().sink->OnNotify(2, batch));

    const auto events = m_receiver.Events();
    ASSERT_EQ(2u, events.size());
    VelEntryId normalised = gone;
    std::fill(normalised.begin() + 16, normalised.end(), 0);
    EXPECT_EQ('c', events[0].kind);
    EXPECT_EQ(normalised, events[0].id);
    EXPECT_EQ('d', events[1].kind);
    EXPECT_EQ(normalised, events[1].id);
}

TEST_F(SmsNotificationTest, TheSinkAnswersOnlyItsOwnInterfaces)
{
    OpenSmsStore();
    VelMapiSink* sink = GetSmsStore().sink;
    ASSERT_TRUE(sink);
    void* object = NULL;
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IUnknown*>(sink), object);
    sink->Release();
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_ICeMapiAdviseSink, &object));
    sink->Release();
    EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(IID_IStream, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(IID_ICeMapiTable, &object));
    const ULONG refs = sink->AddRef();
    EXPECT_EQ(refs - 1, sink->Release());
}
