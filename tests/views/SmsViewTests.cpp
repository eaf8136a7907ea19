// The message view in a real 480 x 640 window with the Silver theme and the
// English texts, over a device store of the test's own: messages are read
// from it as the SMS list reads them, and the reply button's command line is
// what the messaging stand-in records.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "TestDeviceStore.h"
#include "VelControlCore.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelDetailItem.h"
#include "VelFont.h"
#include "VelKlTheme.h"
#include "VelCanvas.h"
#include "VelListView.h"
#include "VelLocalizedStrings.h"
#include "VelSmsItem.h"
#include "VelSmsStore.h"
#include "VelSmsTextItem.h"
#include "VelSmsView.h"
#include "VelThemeLibrary.h"
#include "FakeTick.h"
#include "Taps.h"
#include "ListRows.h"
#include "ViewTestSupport.h"

namespace {

// 2026-03-04 05:06 UTC.
FILETIME Delivered()
{
    SYSTEMTIME utc = {2026, 3, 0, 4, 5, 6, 0, 0};
    FILETIME time;
    ::SystemTimeToFileTime(&utc, &time);
    return time;
}

std::wstring LocalDeliveryText()
{
    const FILETIME utc = Delivered();
    FILETIME local;
    SYSTEMTIME parts;
    ::FileTimeToLocalFileTime(&utc, &local);
    ::FileTimeToSystemTime(&local, &parts);
    wchar_t text[32];
    _snwprintf(text, 32, L"%04u/%02u/%02u %02u:%02u", parts.wYear, parts.wMonth, parts.wDay, parts.wHour,
               parts.wMinute);
    text[31] = 0;
    return text;
}

class SmsViewTest : public ::testing::Test {
protected:
    SmsViewTest() : screen(480, 640) {}

    void SetUp() override
    {
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
        ASSERT_TRUE(LoadLanguage(L"English"));
        m_device.reset(new TestDeviceStore(L"vel-sms-view"));

        view = new VelSmsView(nullptr, "sms-view");
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, 480, 640));
        Settle();
    }
    void TearDown() override
    {
        delete view;
        CloseSmsStore();
        m_device.reset();
    }

    VelDevStore& Store() { return m_device->Store(); }
    // Unread when received, read when sent, all delivered at the same time.
    DWORD Add(DWORD folder, const wchar_t* text, const wchar_t* name, const wchar_t* address,
              const std::vector<VelDevRecipient>& recipients)
    {
        VelDevMessage m;
        m.folder = folder;
        m.text = text;
        m.senderName = name;
        m.senderAddress = address;
        m.recipients = recipients;
        m.hasDeliveryTime = true;
        m.deliveryTime = Delivered();
        m.hasFlags = true;
        m.flags = folder == kDevSmsSent ? 1 : 0;
        return Store().AddMessage(m);
    }
    DWORD AddReceived(const wchar_t* text, const wchar_t* name, const wchar_t* address)
    {
        return Add(kDevSmsInbox, text, name, address, {});
    }
    DWORD AddSent(const wchar_t* text, const std::vector<VelDevRecipient>& recipients)
    {
        return Add(kDevSmsSent, text, L"", L"", recipients);
    }
    bool IsRead(DWORD id)
    {
        VelDevMessage m;
        return Store().FindMessage(id, &m) && m.IsRead();
    }
    void SetRead(DWORD id, bool read)
    {
        ASSERT_TRUE(Store().ChangeMessage(id, [read](VelDevMessage& m) {
            m.hasFlags = true;
            m.flags = read ? 1 : 0;
            return true;
        }));
    }

    // The message with that text, read afresh as the SMS list reads it.
    std::unique_ptr<VelSmsItem> Read(const std::wstring& text)
    {
        OpenSmsStore();
        std::unique_ptr<VelDataTable> table(CreateDataTable(kMessagesTable));
        std::unique_ptr<VelSmsItem> found;
        while (VelDataItem* entry = table->GetEntry()) {
            std::unique_ptr<VelSmsItem> item(static_cast<VelSmsItem*>(entry));
            if (item->GetText() == text && !found)
                found = std::move(item);
            table->Seek(1, VelDataTable::kSeekCurrent);
        }
        return found;
    }
    void Show(const std::wstring& text)
    {
        std::unique_ptr<VelSmsItem> item = Read(text);
        ASSERT_TRUE(item) << "no message " << std::string(text.begin(), text.end());
        view->ShowMessage(item.get());
        Settle();
    }

    std::vector<std::wstring> RowTexts()
    {
        return ReadItems(view->GetList()->GetItems(),
                         [](const VelItem* item) { return static_cast<const VelDetailItem*>(item)->GetText(); });
    }

    void Tap(int x, int y)
    {
        TapWindow(view->GetHandle(), VelPoint(x, y), &tick);
        Settle();
    }
    void TapReply() { Tap(480 - view->GetTitleBarHeight() / 2, view->GetTitleBarHeight() / 2); }
    void TapBack() { Tap(view->GetTitleBarHeight() / 2, view->GetTitleBarHeight() / 2); }

    // The messaging stand-in runs as a program of its own: wait for its line.
    std::vector<std::wstring> Outbox(size_t lines) { return m_device->WaitForLog(L"outbox.log", lines); }

    void Settle() { SettleWindow(view->GetHandle()); }

    VelApplication app{L"Velmora KL message view test"};
    ScreenScope screen;
    FakeTick tick{900000};
    VelSmsView* view = nullptr;
    std::unique_ptr<TestDeviceStore> m_device;
};

}  // namespace

TEST_F(SmsViewTest, AReceivedMessageShowsTextSenderAndDateIsMarkedReadAndRepliesToTheSender)
{
    const DWORD id = AddReceived(L"See you at noon", L"Anna Berg", L"+46 70 111");
    ASSERT_FALSE(IsRead(id));
    EXPECT_EQ(view->GetTitle(), LoadLocalizedString(kStrMessageTitle));
    Show(L"See you at noon");

    const std::vector<std::wstring> expected = {L"See you at noon", L"Anna Berg", L"+46 70 111", LocalDeliveryText()};
    EXPECT_EQ(RowTexts(), expected);
    EXPECT_NE(dynamic_cast<VelSmsTextItem*>(view->GetList()->GetItems().at(0)), nullptr);
    EXPECT_TRUE(IsRead(id));

    TapBack();
    ::Sleep(300);  // a messaging program, had one been started, writes by now
    EXPECT_TRUE(Store().ReadLog(L"outbox.log").empty()) << "back is no reply";
    TapReply();
    const std::vector<std::wstring> outbox = Outbox(1);
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0], L"-service \"SMS\" -to \"+46 70 111\"");
}

TEST_F(SmsViewTest, TheSenderRowsAndReplyFollowWhatTheSenderHas)
{
    const struct {
        const wchar_t* text;
        const wchar_t* name;
        const wchar_t* address;
        std::vector<std::wstring> senderRows;
        const wchar_t* replyTo;
    } cases[] = {
        {L"name is the address", L"+1 555", L"+1 555", {L"+1 555"}, L"+1 555"},
        {L"no name", L"", L"+1 556", {L"+1 556"}, L"+1 556"},
        {L"no address", L"Operator", L"", {L"Operator"}, L"Operator"},  // and no empty row for it
    };
    for (const auto& c : cases)
        AddReceived(c.text, c.name, c.address);
    size_t replies = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
        Show(c.text);
        std::vector<std::wstring> expected = {c.text};
        expected.insert(expected.end(), c.senderRows.begin(), c.senderRows.end());
        expected.push_back(LocalDeliveryText());
        EXPECT_EQ(RowTexts(), expected);
        TapReply();
        const std::vector<std::wstring> outbox = Outbox(++replies);
        ASSERT_EQ(outbox.size(), replies);
        EXPECT_EQ(outbox.back(), std::wstring(L"-service \"SMS\" -to \"") + c.replyTo + L"\"");
    }
}

TEST_F(SmsViewTest, ASentMessageListsItsRecipientsAndRepliesToAllOfThem)
{
    AddSent(L"Dinner?", {{L"Bob", L"+4402"}, {L"", L"+4403"}, {L"+4404", L"+4404"}});
    Show(L"Dinner?");
    const std::vector<std::wstring> expected = {L"Dinner?", L"\"Bob\" +4402", L"+4403", L"+4404", LocalDeliveryText()};
    EXPECT_EQ(RowTexts(), expected);
    TapReply();
    const std::vector<std::wstring> outbox = Outbox(1);
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0], L"-service \"SMS\" -to \"Bob <+4402>;<+4403>;+4404 <+4404>\"");
}

TEST_F(SmsViewTest, ShowingTheSameMessageAgainKeepsTheRowsAndTheReadState)
{
    const DWORD id = AddReceived(L"once", L"Ann", L"+1");
    AddReceived(L"other", L"Bo", L"+2");
    Show(L"once");
    VelItem* first = view->GetList()->GetItems().at(0);
    SetRead(id, false);
    // A reload makes new rows for the same message: still the one shown.
    Show(L"once");
    EXPECT_EQ(view->GetList()->GetItems().at(0), first);
    EXPECT_FALSE(IsRead(id));

    Show(L"other");
    EXPECT_EQ(RowTexts().at(0), L"other");
    Show(L"once");
    EXPECT_EQ(RowTexts().at(0), L"once");
    EXPECT_TRUE(IsRead(id));
}

TEST_F(SmsViewTest, NoMessageClearsTheRowsAndMakesTheReplyIdle)
{
    AddReceived(L"gone soon", L"Ann", L"+1");
    Show(L"gone soon");
    ASSERT_FALSE(view->GetList()->GetItems().empty());
    view->ShowMessage(nullptr);
    Settle();
    EXPECT_TRUE(view->GetList()->GetItems().empty());
    EXPECT_EQ(view->GetMessage(), nullptr);
    TapReply();
    ::Sleep(300);
    EXPECT_TRUE(Store().ReadLog(L"outbox.log").empty());
}

TEST_F(SmsViewTest, TheReplyStillWorksAfterTheListsRowIsFreed)
{
    AddSent(L"kept", {{L"Cy", L"+4405"}});
    {
        std::unique_ptr<VelSmsItem> row = Read(L"kept");
        ASSERT_TRUE(row);
        view->ShowMessage(row.get());
    }
    // Fill the freed memory with other messages, as a reload would.
    std::vector<std::unique_ptr<VelSmsItem>> others;
    AddSent(L"other", {{L"Di", L"+4406"}});
    for (int i = 0; i < 4; ++i)
        others.push_back(Read(L"other"));
    Settle();
    TapReply();
    const std::vector<std::wstring> outbox = Outbox(1);
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0], L"-service \"SMS\" -to \"Cy <+4405>\"");
}

TEST_F(SmsViewTest, ALongTextWrapsInsideTheMarginsAndTheRowGrowsToFitIt)
{
    std::wstring text;
    for (int i = 0; i < 40; ++i)
        text += L"word" + std::to_wstring(i) + L" ";
    AddReceived(text.c_str(), L"Ann", L"+1");
    Show(text);
    ASSERT_FALSE(view->GetList()->GetItems().empty());
    auto* row = dynamic_cast<VelSmsTextItem*>(view->GetList()->GetItems().at(0));
    ASSERT_NE(row, nullptr);
    auto* sender = dynamic_cast<VelDetailItem*>(view->GetList()->GetItems().at(1));
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ(row->GetAvailableWidth(), 480);

    // Several lines of the medium font, measured at the width inside the margins.
    HDC dc = view->GetCanvas()->GetDC();
    HGDIOBJ old = ::SelectObject(dc, GetCurrentTheme()->GetMediumFont()->GetHandle());
    TEXTMETRICW metrics;
    ::GetTextMetricsW(dc, &metrics);
    RECT inside = {0, 0, 480 - 48, 10};
    ::DrawTextW(dc, row->GetText().c_str(), -1, &inside, DT_WORDBREAK | DT_CALCRECT);
    ::SelectObject(dc, old);
    EXPECT_GE(inside.bottom, 3 * metrics.tmHeight);
    EXPECT_LE(inside.right, 480 - 48);
    EXPECT_EQ(row->GetHeight(), inside.bottom + 16);
    EXPECT_GT(row->GetHeight(), 2 * sender->GetHeight());

    // The text's last line is drawn, and nothing past the right margin.
    const int top = view->GetTitleBarHeight();
    int inked = 0, outside = 0;
    // Each line's own background, from its left margin.
    for (int y = top + row->GetHeight() - 8 - metrics.tmHeight; y < top + row->GetHeight() - 8; ++y) {
        const COLORREF background = ::GetPixel(dc, 5, y);
        for (int x = 24; x < 480 - 24; ++x)
            inked += ::GetPixel(dc, x, y) != background;
    }
    for (int y = top + 8; y < top + row->GetHeight() - 8; ++y) {
        const COLORREF background = ::GetPixel(dc, 5, y);
        for (int x = 480 - 22; x < 480 - 12; ++x)
            outside += ::GetPixel(dc, x, y) != background;
    }
    EXPECT_GT(inked, 20);
    EXPECT_EQ(outside, 0);
}
