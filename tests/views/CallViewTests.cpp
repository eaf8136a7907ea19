// The call view in a real 480 x 640 window with the Silver theme and the
// English texts: its five rows for calls of each kind and length, and the
// dial button reaching the phone stand-in, which records into a device store
// of the test's own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <Platform/phone/Phone.h>

#include "VelCallItem.h"
#include "VelCallView.h"
#include "VelControlCore.h"
#include "VelDetailItem.h"
#include "MainViewTestKit.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelMainWindow.h"
#include "VelSlotHolder.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "TestDeviceStore.h"
#include "FakeTick.h"
#include "Taps.h"
#include "ListRows.h"
#include "ViewTestSupport.h"

namespace {

LPWSTR LocalCopy(const wchar_t* text)
{
    if (!text)
        return nullptr;
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    LPWSTR copy = static_cast<LPWSTR>(::LocalAlloc(LMEM_FIXED, bytes));
    memcpy(copy, text, bytes);
    return copy;
}

// A logged call starting 2026-03-14 09:05:00 UTC and lasting `seconds`.
std::unique_ptr<VelCallItem> MakeCall(const wchar_t* name, const wchar_t* number, DWORD direction, int64_t seconds)
{
    CallLogEntry entry = {};
    entry.cbSize = sizeof(entry);
    SYSTEMTIME start = {2026, 3, 6, 14, 9, 5, 0, 0};
    ::SystemTimeToFileTime(&start, &entry.startTime);
    ULARGE_INTEGER end;
    end.LowPart = entry.startTime.dwLowDateTime;
    end.HighPart = entry.startTime.dwHighDateTime;
    end.QuadPart += seconds * kTicksPerSecond;
    entry.endTime.dwLowDateTime = end.LowPart;
    entry.endTime.dwHighDateTime = end.HighPart;
    entry.direction = direction;
    entry.flags = direction == kCallMissed ? 0 : kCallConnected | kCallEnded;
    entry.number = LocalCopy(number);
    entry.name = LocalCopy(name);
    return std::unique_ptr<VelCallItem>(new VelCallItem(entry));
}

std::wstring S(unsigned id) { return LoadLocalizedString(id); }

struct BackCounter : VelSlotHolder {
    void OnBack() { ++count; }
    int count = 0;
};

class CallViewTest : public ::testing::Test {
protected:
    CallViewTest() : folder(L"vel-call-view"), screen(480, 640) {}

    void SetUp() override
    {
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
        ASSERT_TRUE(LoadLanguage(L"English"));

        view = new VelCallView(nullptr, "call-view");
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, kWidth, kHeight));
        view->BackClicked.Connect(&backs, &BackCounter::OnBack);
        Settle();
    }
    void TearDown() override { delete view; }

    std::vector<std::wstring> Rows()
    {
        return ReadItems(view->GetList()->GetItems(), [](const VelItem* item) {
            const VelDetailItem* row = dynamic_cast<const VelDetailItem*>(item);
            return row ? row->GetText() : L"<not a detail row>";
        });
    }
    void Show(const VelCallItem* call)
    {
        view->ShowCall(call);
        Settle();
    }
    void Tap(int x, int y)
    {
        TapWindow(view->GetHandle(), VelPoint(x, y), &tick);
        Settle();
    }
    void TapDial() { Tap(kWidth - view->GetTitleBarHeight() / 2, view->GetTitleBarHeight() / 2); }
    void TapBack() { Tap(view->GetTitleBarHeight() / 2, view->GetTitleBarHeight() / 2); }
    std::vector<std::wstring> Dialled() { return folder.Store().ReadLog(L"dialled.log"); }
    static bool Holds(const std::wstring& line, const std::wstring& field)
    {
        return (line + L"\t").find(L"\t" + field + L"\t") != std::wstring::npos;
    }
    void Settle() { SettleWindow(view->GetHandle()); }
    // Where the light text of the rows lies in the list, below the title bar.
    VelRect TextBounds()
    {
        HDC dc = view->GetCanvas()->GetDC();
        const VelRect area = ListArea();
        VelRect lit(0, 0, 0, 0);
        bool any = false;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const COLORREF c = ::GetPixel(dc, x, y);
                if (GetRValue(c) < 200 || GetGValue(c) < 200 || GetBValue(c) < 200)
                    continue;
                if (!any)
                    lit = VelRect(x, y, x + 1, y + 1);
                lit.left = std::min<LONG>(lit.left, x);
                lit.right = std::max<LONG>(lit.right, x + 1);
                lit.top = std::min<LONG>(lit.top, y);
                lit.bottom = std::max<LONG>(lit.bottom, y + 1);
                any = true;
            }
        return lit;
    }
    // The list's area below the title bar.
    VelRect ListArea() const { return VelRect(0, view->GetTitleBarHeight(), kWidth, kHeight); }

    static const int kWidth = 480;
    static const int kHeight = 640;
    TestDeviceStore folder;
    VelApplication app{L"Velmora KL call view test"};
    ScreenScope screen;
    FakeTick tick{900000};
    VelCallView* view = nullptr;
    BackCounter backs;
};

TEST_F(CallViewTest, BuildsItsTitleBarWithBackAndDialButtonsOverAListWithoutHeaders)
{
    EXPECT_STREQ(view->GetClassName(), L"VelCallView");
    EXPECT_EQ(view->GetViewId(), 2);
    EXPECT_EQ(view->GetTitle(), S(kStrCallTitle));
    VelKlTheme* theme = GetCurrentTheme();
    struct Case {
        int id;
        UINT image;
        UINT pressed;
    } const buttons[] = {{VelKlView::kBackButtonId, 177, 180}, {VelCallView::kDialButtonId, 220, 221}};
    for (const Case& c : buttons) {
        SCOPED_TRACE(c.id);
        VelToolbarButton* button = dynamic_cast<VelToolbarButton*>(view->FindTitleBarItem(c.id));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetImage(), theme->GetImage(c.image));
        EXPECT_EQ(button->GetHighlightedImage(), theme->GetImage(c.pressed));
    }
    ASSERT_NE(view->GetList(), nullptr);
    EXPECT_EQ(view->GetList()->GetTop(), view->GetTitleBarHeight());

    // With a call shown the rows stand alone: no header row above them.
    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallIncoming, 65);
    Show(call.get());
    ASSERT_EQ(view->GetList()->GetItems().size(), 5u);
    EXPECT_FALSE(view->GetList()->GetDefaultGroup()->IsVisible());
    EXPECT_EQ(view->GetList()->GetRowCount(), 5);
}

TEST_F(CallViewTest, ShowsWhoDirectionNumberDateAndDurationInThatOrder)
{
    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallOutgoing, 65);
    Show(call.get());
    const VelDateTime& start = call->GetStart();
    wchar_t date[32];
    _snwprintf(date, 32, L"%04d/%02d/%02d %02d:%02d", start.GetYear(), start.GetMonth(), start.GetDay(),
               start.GetHour(), start.GetMinute());
    const std::vector<std::wstring> expected = {L"Anna Berg", S(kStrOutgoingCall), L"+46 70 111", date, L"01:05"};
    EXPECT_EQ(Rows(), expected);
}

TEST_F(CallViewTest, MissedAndAnsweredIncomingCallsAreBothIncoming)
{
    ASSERT_NE(S(kStrIncomingCall), S(kStrOutgoingCall));
    struct Case {
        DWORD direction;
        unsigned text;
    } const cases[] = {
        {kCallMissed, kStrIncomingCall}, {kCallIncoming, kStrIncomingCall}, {kCallOutgoing, kStrOutgoingCall}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", c.direction, 30);
        Show(call.get());
        ASSERT_EQ(Rows().size(), 5u);
        EXPECT_EQ(Rows()[1], S(c.text));
    }
}

TEST_F(CallViewTest, TheFirstRowFallsBackToTheNumberTheUnknownCallerOrItsOwnText)
{
    // The number row only where it adds something: not empty for a withheld
    // number, not a second time for a caller known only by the number.
    struct Case {
        const wchar_t* name;
        const wchar_t* number;
        std::wstring first;
        bool numberRow;
    } const cases[] = {
        {L"Anna Berg", L"+46 70 111", L"Anna Berg", true},    {nullptr, L"+46 70 111", L"+46 70 111", false},
        {nullptr, nullptr, S(kStrUnknownCaller), false},      {nullptr, L"", S(kStrUnknownCaller), false},
        {L"", L"+46 70 111", S(kStrCallNoDisplayText), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        std::unique_ptr<VelCallItem> call = MakeCall(c.name, c.number, kCallIncoming, 30);
        Show(call.get());
        const std::vector<std::wstring> rows = Rows();
        ASSERT_EQ(rows.size(), c.numberRow ? 5u : 4u);
        EXPECT_EQ(rows[0], c.first);
        EXPECT_EQ(rows[1], S(kStrIncomingCall));
        if (c.numberRow)
            EXPECT_EQ(rows[2], c.number);
        for (size_t i = 1; i < rows.size(); ++i) {
            EXPECT_FALSE(rows[i].empty()) << "row " << i;
            EXPECT_NE(rows[i], rows[0]) << "row " << i;
        }
    }
}

TEST_F(CallViewTest, TheDurationRowReadsSecondsMinutesHoursAndDays)
{
    struct Case {
        int64_t seconds;
        std::wstring text;
    } const cases[] = {
        {0, L"0 " + S(kStrSeconds)},
        {9, L"9 " + S(kStrSeconds)},
        {59, L"59 " + S(kStrSeconds)},
        {60, L"01:00"},
        {65, L"01:05"},
        {3599, L"59:59"},
        {3600, L"1:00:00"},
        {3725, L"1:02:05"},
        {86399, L"23:59:59"},
        {86400, L"1 " + S(kStrDays) + L"  0:00:00"},
        {90061, L"1 " + S(kStrDays) + L"  1:01:01"},
        {2 * 86400 + 13 * 3600 + 5, L"2 " + S(kStrDays) + L" 13:00:05"},
        {-1, S(kStrNegativeDuration)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallOutgoing, c.seconds);
        Show(call.get());
        ASSERT_EQ(Rows().size(), 5u);
        EXPECT_EQ(Rows()[4], c.text);
    }
}

TEST_F(CallViewTest, TheSameCallAgainKeepsItsRowsAndAnotherReplacesThem)
{
    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallOutgoing, 65);
    Show(call.get());
    const std::vector<VelItem*> before = view->GetList()->GetItems();
    ASSERT_EQ(before.size(), 5u);
    Show(call.get());
    EXPECT_EQ(view->GetList()->GetItems(), before);

    std::unique_ptr<VelCallItem> other = MakeCall(L"Bo Ek", L"+46 70 222", kCallIncoming, 9);
    Show(other.get());
    ASSERT_EQ(Rows().size(), 5u);
    EXPECT_EQ(Rows()[0], L"Bo Ek");

    Show(nullptr);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(view->GetCall(), nullptr);
}

TEST_F(CallViewTest, ACallShownBeforeTheWindowExistsGetsItsRowsWithTheWindow)
{
    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallOutgoing, 65);
    std::unique_ptr<VelCallView> early(new VelCallView(nullptr, "early-call-view"));
    early->ShowCall(call.get());
    early->Create(nullptr, kVelStyleVisible, VelRect(0, 0, kWidth, kHeight));
    SettleWindow(early->GetHandle());
    ASSERT_NE(early->GetList(), nullptr);
    ASSERT_EQ(early->GetList()->GetItems().size(), 5u);
    early->ShowCall(call.get());
    EXPECT_EQ(early->GetList()->GetItems().size(), 5u);
}

TEST_F(CallViewTest, TheDialButtonCallsTheShownNumberUnderItsDisplayText)
{
    TapDial();
    EXPECT_TRUE(Dialled().empty()) << "nothing to dial before a call is shown";

    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallMissed, 0);
    Show(call.get());
    TapDial();
    std::vector<std::wstring> lines = Dialled();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Holds(lines[0], L"number=+46 70 111")) << lines[0];
    EXPECT_TRUE(Holds(lines[0], L"calledParty=Anna Berg")) << lines[0];
    EXPECT_EQ(backs.count, 0);

    TapBack();
    EXPECT_EQ(backs.count, 1);
    EXPECT_EQ(Dialled().size(), 1u) << "the back button places no call";

    Show(nullptr);
    TapDial();
    EXPECT_EQ(Dialled().size(), 1u) << "an emptied screen dials nothing";
}

TEST_F(CallViewTest, DialsTheShownCallAfterTheListRowsCallIsGone)
{
    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallIncoming, 65);
    Show(call.get());
    call.reset();  // the calls tab reloaded
    std::unique_ptr<VelCallItem> reused = MakeCall(L"Bo Ek", L"+46 70 222", kCallOutgoing, 9);
    Show(reused.get());
    EXPECT_EQ(Rows()[0], L"Bo Ek") << "a new call, wherever it lies, is shown";

    std::unique_ptr<VelCallItem> third = MakeCall(L"Cai Dahl", L"+46 70 333", kCallOutgoing, 9);
    Show(third.get());
    third.reset();
    TapDial();
    const std::vector<std::wstring> lines = Dialled();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Holds(lines[0], L"number=+46 70 333")) << lines[0];
    EXPECT_TRUE(Holds(lines[0], L"calledParty=Cai Dahl")) << lines[0];
}

TEST_F(CallViewTest, PaintsTheRowsTextsInsideTheirMarginsFromTheTopOfTheList)
{
    EXPECT_EQ(TextBounds(), VelRect(0, 0, 0, 0)) << "no text before a call";

    std::unique_ptr<VelCallItem> call = MakeCall(L"Anna Berg", L"+46 70 111", kCallOutgoing, 65);
    Show(call.get());
    const VelRect text = TextBounds();
    ASSERT_NE(text, VelRect(0, 0, 0, 0));
    EXPECT_GE(text.left, 24) << "the rows keep their left margin";
    EXPECT_LT(text.top, ListArea().top + 30) << "the first row starts at the top, no header above it";
    // The fifth row's text lies below four measured rows.
    VelDetailItem* first = dynamic_cast<VelDetailItem*>(view->GetList()->GetItems().at(0));
    ASSERT_NE(first, nullptr);
    ASSERT_GT(first->GetHeight(), 0);
    EXPECT_GT(text.bottom, ListArea().top + 4 * first->GetHeight());
    EXPECT_LT(text.bottom, ListArea().top + 5 * first->GetHeight());
}

TEST_F(CallViewTest, AsTheMainWindowsCallScreenItDialsFromATapOnTheWindow)
{
    VelMainWindowViews views;
    int filtersMade = 0;
    views.tabs = TestTabs(&filtersMade);
    views.call = [](VelMainWindow* p, const std::string& n) -> VelKlView* { return new VelCallView(p, n); };
    std::unique_ptr<VelMainWindow> window(new VelMainWindow(nullptr, "main-window", views));
    window->Open();
    VelCallView* screen = dynamic_cast<VelCallView*>(window->GetView(VelMainWindow::kCallViewId));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetName(), "call-view");
    ASSERT_NE(screen->GetList(), nullptr) << "built when the window was made";

    std::unique_ptr<VelCallItem> call = MakeCall(nullptr, L"+46 70 444", kCallIncoming, 65);
    screen->ShowCall(call.get());
    window->ShowView(VelMainWindow::kCallViewId, VelMainWindow::kSlideFromRight);
    RunSlides(window.get(), tick);
    ASSERT_EQ(window->GetCurrentView(), screen);
    ASSERT_EQ(screen->GetLeft(), 0);

    const int bar = screen->GetTitleBarHeight();
    TapWindow(window->GetHandle(), VelPoint(screen->GetWidth() - bar / 2, screen->GetTop() + bar / 2), &tick, 20, 0);
    const std::vector<std::wstring> lines = Dialled();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Holds(lines[0], L"number=+46 70 444")) << lines[0];
    EXPECT_TRUE(Holds(lines[0], L"calledParty=+46 70 444")) << lines[0];
}

}  // namespace
