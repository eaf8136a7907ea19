// The messages tab over messages seeded into a device store of the test's
// own, on a fixed today: the date headers and row order, the unread caption,
// the rows' lines and time labels, taps, and the rows as Silver paints them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ContactStoreSupport.h"
#include "DatedListTestKit.h"
#include "TestDeviceStore.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelDateGroupItem.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelScreenMetrics.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelSmsStore.h"
#include "ViewTestSupport.h"

namespace {

struct Message {
    bool sent;
    const wchar_t* text;
    const wchar_t* name;
    const wchar_t* address;
    int day, hour, minute;  // December 2026, local time
    bool read;
};

// Messages in a device store of the test's own, read back as rows the way a
// load reads them: newest first.
class SeededMessages {
public:
    SeededMessages() : m_device(L"vel-sms-list") {}
    ~SeededMessages() { CloseSmsStore(); }

    void Add(const Message& m)
    {
        VelDevMessage message;
        message.folder = m.sent ? kDevSmsSent : kDevSmsInbox;
        message.text = m.text;
        if (m.sent)
            message.recipients.push_back({m.name, m.address});
        else {
            message.senderName = m.name;
            message.senderAddress = m.address;
        }
        message.hasDeliveryTime = true;
        message.deliveryTime = Utc(m.day, m.hour, m.minute);
        message.hasFlags = true;
        message.flags = m.read ? 1 : 0;
        m_device.Store().AddMessage(message);
    }
    std::vector<VelSmsListViewItem*> Rows()
    {
        OpenSmsStore();
        std::vector<VelSmsListViewItem*> rows;
        std::unique_ptr<VelDataTable> table(CreateDataTable(kMessagesTable));
        while (VelDataItem* entry = table->GetEntry()) {
            rows.push_back(new VelSmsListViewItem(static_cast<VelSmsItem*>(entry)));
            table->Seek(1, VelDataTable::kSeekCurrent);
        }
        return rows;
    }
    std::unique_ptr<VelSmsListViewItem> Row(const Message& m)
    {
        Add(m);
        std::vector<VelSmsListViewItem*> rows = Rows();
        std::unique_ptr<VelSmsListViewItem> found;
        for (VelSmsListViewItem* row : rows) {
            if (!found && row->GetMessage()->GetText() == m.text)
                found.reset(row);
            else
                delete row;
        }
        return found;
    }

private:
    TestDeviceStore m_device;
};

const Message kAnn = {false, L"Lunch?", L"Ann", L"+100", 9, 9, 15, false};
const Message kToBob = {true, L"On my way", L"", L"+300", 9, 11, 5, true};
const Message kCara = {false, L"Call me", L"", L"+400", 8, 18, 30, true};
const Message kSunday = {false, L"Sunday", L"Dan", L"+500", 6, 8, 0, true};
const Message kSaturday = {false, L"Saturday", L"Eve", L"+600", 5, 20, 45, false};
const Message kOld = {true, L"Old news", L"Fay", L"+700", 1, 7, 5, true};

std::wstring TextOf(const VelItem* row)
{
    const VelSmsListViewItem* item = dynamic_cast<const VelSmsListViewItem*>(row);
    return item ? item->GetMessage()->GetText() : L"?";
}

class SmsListViewTest : public DatedListTest {
protected:
    SmsListViewTest()
        : DatedListTest(L"Velmora KL contact tab test", VelMainView::kSmsPageId, &VelMainViewTabs::sms,
                        &MakeView<VelSmsListView>, &TextOf)
    {
    }

    void SetUp() override
    {
        DatedListTest::SetUp();
        if (!HasFatalFailure())
            TakeTab(&sms);
        if (!HasFatalFailure())
            log.Listen(sms);
    }
    void TearDown() override
    {
        DatedListTest::TearDown();
        CloseSmsStore();
    }

    void ShowSms() { ShowTab(); }
    void Seed(const std::vector<Message>& seeded)
    {
        for (const Message& m : seeded)
            messages.Add(m);
    }
    std::vector<VelItem*> StoredRows() override
    {
        const std::vector<VelSmsListViewItem*> rows = messages.Rows();
        return std::vector<VelItem*>(rows.begin(), rows.end());
    }
    VelSmsListViewItem* RowOf(const std::wstring& text) { return dynamic_cast<VelSmsListViewItem*>(FindRow(text)); }
    VelPoint InWindow(const VelPoint& p) { return InWindowOf(sms, p); }

    // Logged on to the contacts, as the tests of the contact tabs are.
    contact_store::SeededStore contacts;
    SeededMessages messages;
    TabSignalLog log;
    VelSmsListView* sms = nullptr;
};

}  // namespace

TEST_F(SmsListViewTest, MessagesFallUnderDateHeadersNewestFirstWhateverOrderTheyCome)
{
    Seed({kAnn, kToBob, kCara, kSunday, kOld});
    ShowSms();
    ASSERT_NE(Label(9), Label(8));
    ASSERT_NE(Label(6), Label(1));
    const std::wstring expected = Label(9) + L": On my way Lunch? | " + Label(8) + L": Call me | " + Label(6) +
                                  L": Sunday | " + Label(1) + L": Old news";
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "oldest added first" : "newest added first");
        sms->SetLoading(true);
        sms->ClearList();
        EXPECT_FALSE(sms->IsLoading());
        EXPECT_EQ(Shown(), L"");
        EXPECT_TRUE(List()->GetGroups().empty());
        Load(reversed);
        EXPECT_EQ(Shown(), expected);
    }
}

TEST_F(SmsListViewTest, RowsShowTheTimeWithinThisWeekAndTheDayBeforeIt)
{
    Seed({kAnn, kSunday, kSaturday, kOld});
    Load();
    struct Case {
        std::wstring text;
        std::wstring label;
        bool unread;
    } const cases[] = {
        {L"Lunch?", L"09:15", true},
        {L"Sunday", L"08:00", false},  // the first day of this week
        {L"Saturday", FormatDateTime(VelDateTime(2026, 12, 5), L"%e-%b"), true},
        {L"Old news", FormatDateTime(VelDateTime(2026, 12, 1), L"%e-%b"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        VelSmsListViewItem* row = RowOf(c.text);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->GetTimeLabel(), c.label);
        EXPECT_EQ(row->Refresh(), c.unread);
        EXPECT_EQ(row->GetTimeLabel(), c.label);
    }
    EXPECT_NE(RowOf(L"Old news")->GetTimeLabel().find(L"Dec"), std::wstring::npos);

    // Reading a message elsewhere shows on the next refresh.
    VelSmsListViewItem* ann = RowOf(L"Lunch?");
    ASSERT_TRUE(ann->GetMessage()->SetUnread(false));
    EXPECT_FALSE(ann->Refresh());
}

TEST_F(SmsListViewTest, TheSecondLineNamesTheSenderOrForASentMessageTheRecipient)
{
    const std::wstring noName = LoadLocalizedString(136);
    ASSERT_FALSE(noName.empty());
    Seed({kAnn,
          kToBob,
          kCara,
          {true, L"Named", L"Gus", L"+800", 9, 10, 0, true},
          {true, L"Draft to nobody", L"", L"", 9, 10, 30, true}});
    Load();
    struct Case {
        std::wstring text;
        std::wstring second;
    } const cases[] = {
        {L"Lunch?", L"Ann"},     {L"Call me", L"+400"},  // received without a name: the address
        {L"On my way", L"+300"},                         // sent to a number without a name
        {L"Named", L"Gus"},      {L"Draft to nobody", noName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        VelSmsListViewItem* row = RowOf(c.text);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->GetSecondLine(), c.second);
    }
}

TEST_F(SmsListViewTest, TheCaptionCarriesTheUnreadCountInBold)
{
    const std::wstring base = LoadLocalizedString(117);
    ASSERT_FALSE(base.empty());
    EXPECT_EQ(sms->GetCaption(), base);
    EXPECT_EQ(sms->GetText(), base);
    EXPECT_EQ(sms->GetValue(), 0);
    struct Case {
        int count;
        std::wstring caption;
        int value;
    } const cases[] = {{0, base, 0}, {3, base + L"(3)", 1}, {12, base + L"(12)", 1}, {0, base, 0}, {0, base, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        sms->UpdateCaption(c.count);
        EXPECT_EQ(sms->GetCaption(), c.caption);
        EXPECT_EQ(sms->GetValue(), c.value);
    }
    // The caption reaches the tab bar's button.
    sms->UpdateCaption(5);
    Settle();
    EXPECT_EQ(view->GetTabBar()->FindButton(VelMainView::kSmsPageId)->GetText(), base + L"(5)");
}

TEST_F(SmsListViewTest, OpensUnderItsTitleWithTheMenuButtonAndItsTabImages)
{
    ShowSms();
    EXPECT_EQ(std::wstring(sms->GetClassName()), L"VelSmsListView");
    EXPECT_EQ(sms->GetTitle(), LoadLocalizedString(114));
    VelKlTheme* theme = GetCurrentTheme();
    VelBitmap* button = theme->GetImage(175);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(sms->GetTitleBarHeight(), button->GetHeight() + VelScreenMetrics::GetLongerSide() / 160);
    EXPECT_EQ(sms->GetImage(), theme->GetImage(164));
    EXPECT_EQ(sms->GetSelectedImage(), theme->GetImage(165));
    EXPECT_EQ(sms->GetHighlightedImage(), theme->GetImage(166));
    ASSERT_NE(sms->GetImage(), nullptr);

    const int bar = sms->GetTitleBarHeight();
    Tap(InWindow(VelPoint(bar / 2, bar / 2)));
    EXPECT_EQ(std::count(log.buttons.begin(), log.buttons.end(), VelSmsListView::kMenuButtonId), 0)
        << "nothing to press at the left";
    log.buttons.clear();
    Tap(InWindow(VelPoint(sms->GetWidth() - bar / 2, bar / 2)));
    EXPECT_EQ(log.buttons, std::vector<int>{VelSmsListView::kMenuButtonId});
}

TEST_F(SmsListViewTest, TappingARowActivatesThatMessage)
{
    Seed({kAnn, kCara});
    Load();
    ShowSms();
    VelSmsListViewItem* cara = RowOf(L"Call me");
    ASSERT_NE(cara, nullptr);
    int first = -1, last = -1;
    FindRowSpan(List(), cara, &first, &last);
    ASSERT_GT(first, 0);
    Tap(InWindow(VelPoint(100, List()->GetTop() + (first + last) / 2)));
    ASSERT_EQ(log.items.size(), 1u);
    EXPECT_EQ(log.items[0], cara);
}

TEST_F(SmsListViewTest, FindsTheRowOfAMessageByItsEntryIdAndNoOtherKindOfRow)
{
    Seed({kAnn, kCara, kToBob});
    Load();
    VelListView::Lock lock(List());
    int found = 0;
    for (VelItem* item : List()->GetItems()) {
        VelSmsListViewItem* row = dynamic_cast<VelSmsListViewItem*>(item);
        if (!row)
            continue;
        ASSERT_NE(row->GetMessage(), nullptr);
        EXPECT_EQ(sms->FindSmsRow(row->GetMessage()->GetEntryId()), row) << TextOf(row);
        ++found;
    }
    EXPECT_EQ(found, 3);
    VelSmsListViewItem* cara = RowOf(L"Call me");
    ASSERT_NE(cara, nullptr);
    std::vector<BYTE> other = cara->GetMessage()->GetEntryId();
    other.push_back(0);
    EXPECT_EQ(sms->FindSmsRow(other), nullptr);
    EXPECT_EQ(sms->FindSmsRow(std::vector<BYTE>()), nullptr);
    EXPECT_EQ(sms->FindContactRow(1), nullptr);
}

namespace {

// Message rows painted on an off-screen canvas.
class SmsRowPaintTest : public DatedRowPaintTest {
protected:
    int Lit(const VelRect& area)
    {
        const COLORREF ground = Background().ToColorRef();
        int lit = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                lit += Pixel(x, y) != ground;
        return lit;
    }

    SeededMessages messages;
};

}  // namespace

TEST_F(SmsRowPaintTest, TheRowIsAsHighAsAMediumAndATinyLineWithAMargin)
{
    std::unique_ptr<VelSmsListViewItem> row = messages.Row(kAnn);
    ASSERT_TRUE(row);
    VelKlTheme* theme = GetCurrentTheme();
    EXPECT_EQ(row->Measure(canvas.get()), VelScreenMetrics::GetLongerSide() / 40 + LineHeight(theme->GetMediumFont()) +
                                              LineHeight(theme->GetTinyFont()) - 1);
}

TEST_F(SmsRowPaintTest, IconAndFirstLineColourFollowWhetherTheMessageWasSent)
{
    struct Case {
        const char* name;
        Message message;
        COLORREF colour, other;
    } const cases[] = {
        {"received", {false, L"Hello there", L"Ann", L"+1", 9, 9, 0, true}, RGB(222, 255, 222), RGB(222, 255, 255)},
        {"sent", {true, L"Hello again", L"", L"+2", 9, 9, 0, true}, RGB(222, 255, 255), RGB(222, 255, 222)},
    };
    const int longer = VelScreenMetrics::GetLongerSide();
    const int h1 = LineHeight(GetCurrentTheme()->GetSmallFont());
    std::vector<std::vector<COLORREF>> icons;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<VelSmsListViewItem> row = messages.Row(c.message);
        ASSERT_TRUE(row);
        const VelRect cell = Paint(*row);
        const VelRect firstLine(longer / 10, longer / 80, 200 - longer / 40, longer / 80 + h1);
        EXPECT_TRUE(Holds(firstLine, [&](COLORREF p) { return Near(p, c.colour); }));
        EXPECT_FALSE(Holds(firstLine, [&](COLORREF p) { return p == c.other; }));
        icons.push_back(IconPixels(cell));
    }
    EXPECT_NE(icons[0], icons[1]);
}

TEST_F(SmsRowPaintTest, AnUnreadMessageIsDrawnInBold)
{
    const int longer = VelScreenMetrics::GetLongerSide();
    int lit[2] = {};
    for (bool read : {false, true}) {
        SCOPED_TRACE(read ? "read" : "unread");
        std::unique_ptr<VelSmsListViewItem> row =
            messages.Row({false, read ? L"Same words" : L"Same words ", L"Ann", L"+1", 1, 9, 0, read});
        ASSERT_TRUE(row);
        ASSERT_EQ(row->Refresh(), !read);
        const VelRect cell = Paint(*row);
        // Text and time, the icon left out.
        lit[read] = Lit(VelRect(longer / 10, 0, cell.right, cell.bottom));
        ASSERT_GT(lit[read], 0);
    }
    EXPECT_GT(lit[0], lit[1]);
}

TEST_F(SmsRowPaintTest, TheTimeSitsInItsColumnAtTheRight)
{
    std::unique_ptr<VelSmsListViewItem> row = messages.Row(kCara);
    ASSERT_TRUE(row);
    const VelRect cell = Paint(*row);
    int right = 0;
    SIZE column = {};
    const VelRect time = TimeBounds(cell, &right, &column);
    ASSERT_NE(time, VelRect(0, 0, 0, 0));
    EXPECT_GE(time.left, right - column.cx);
    EXPECT_LE(time.right, right);
    EXPECT_GE(time.top, (cell.bottom - column.cy) / 2);
    EXPECT_LE(time.bottom, (cell.bottom + column.cy) / 2 + 1);
}
