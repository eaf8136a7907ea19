// The context menu in a real window on a 240 x 320 screen: taps and keys are
// posted as window messages before Show, or from a thread timer while its
// modal loop runs; what it draws is read back from the window's canvas.
#include "../core_windows/TestControls.h"
#include "GridTestKit.h"

#include "VelCanvas.h"
#include "VelContextMenu.h"
#include "VelContextMenuSeparator.h"
#include "VelContextMenuString.h"
#include "VelControlCore.h"
#include "VelGridView.h"
#include "VelScreenMetrics.h"
#include "VelThemeDefault.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const int kScreenWidth = 240;
const int kScreenHeight = 320;
const int kTimedOut = -99;

using gridkit::kWhite;
const COLORREF kEntry = RGB(200, 200, 200);
const COLORREF kPressed = RGB(160, 0, 0);
const COLORREF kDisabled = RGB(120, 120, 0);
const COLORREF kLine = RGB(255, 0, 255);
const COLORREF kBorder = RGB(0, 0, 200);
const COLORREF kGridBack = RGB(0, 128, 128);

int WINAPI PhoneMetrics(int index)
{
    if (index == SM_CXSCREEN)
        return kScreenWidth;
    if (index == SM_CYSCREEN)
        return kScreenHeight;
    return ::GetSystemMetrics(index);
}

// A colour of its own for every part the menu draws.
class MenuTheme : public VelThemeDefault {
public:
    VelColor& GetMenuItemColor(VelColor& c) override { return c = VelColor::FromColorRef(kEntry); }
    VelColor& GetMenuItemTextColor(VelColor& c) override { return c = VelColor(0, 0, 0); }
    VelColor& GetMenuPressedItemColor(VelColor& c) override { return c = VelColor::FromColorRef(kPressed); }
    VelColor& GetMenuPressedItemTextColor(VelColor& c) override { return c = VelColor(255, 255, 0); }
    VelColor& GetMenuDisabledItemColor(VelColor& c) override { return c = VelColor::FromColorRef(kDisabled); }
    VelColor& GetMenuSeparatorColor(VelColor& c) override { return c = VelColor::FromColorRef(kLine); }
    VelColor& GetMenuBorderColor(VelColor& c) override { return c = VelColor::FromColorRef(kBorder); }
    VelColor& GetGridBackgroundColor(VelColor& c) override { return c = VelColor::FromColorRef(kGridBack); }
};

// White, and notes every mouse event that reaches it.
class Backdrop : public gridkit::HostWindow {
public:
    int OnMouseDown(const VelMouseEventArgs*) override { return Note(); }
    int OnMouseUp(const VelMouseEventArgs*) override { return Note(); }
    int OnMouseMove(const VelMouseEventArgs*) override { return Note(); }

    int mouseEvents = 0;

private:
    int Note()
    {
        ++mouseEvents;
        return 0;
    }
};

// An entry of a fixed height, so menu sizes come out exact.
class FixedEntry : public VelContextMenuItem {
public:
    explicit FixedEntry(int height) : m_height(height) {}
    int Measure(VelCanvas*) override { return m_height; }

private:
    int m_height;
};

// Steps run one per tick of a thread timer, inside whatever loop pumps.
std::vector<std::function<void()>> g_steps;
size_t g_nextStep = 0;
VelContextMenu* g_watched = nullptr;

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_nextStep < g_steps.size())
        g_steps[g_nextStep++]();
}

// A loop that nothing ends would hang the suite: end it with a result no menu gives.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_watched) {
        g_watched->SetModalResult(kTimedOut);
        g_watched->SetModalDone(true);
    }
}

class ContextMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VelScreenMetrics::SetMetricSource(&PhoneMetrics);
        previousTheme = CurrentTheme;
        CurrentTheme = &theme;
        window.Create(nullptr, kVelStyleVisible, VelRect(0, 0, kScreenWidth, kScreenHeight));
        g_steps.clear();
        g_nextStep = 0;
    }
    void TearDown() override
    {
        window.Destroy();
        CurrentTheme = previousTheme;
        VelScreenMetrics::SetMetricSource(nullptr);
        Pump();
    }

    void Post(UINT message, WPARAM wParam, LPARAM lParam)
    {
        ::PostMessageW(window.GetHandle(), message, wParam, lParam);
    }
    void PostDown(int x, int y) { Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void PostUp(int x, int y) { Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void PostTap(int x, int y)
    {
        PostDown(x, y);
        PostUp(x, y);
    }
    void PostKey(UINT key) { Post(WM_KEYDOWN, key, 1); }

    // Shows the menu with the scripted steps running meanwhile.
    int Show(VelContextMenu& menu, VelAbstractControl* owner, const VelPoint& point)
    {
        g_watched = &menu;
        const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 5000, &Watchdog);
        const UINT_PTR script = g_steps.empty() ? 0 : ::SetTimer(nullptr, 0, 40, &RunStep);
        const int result = menu.Show(owner, point);
        if (script)
            ::KillTimer(nullptr, script);
        ::KillTimer(nullptr, watchdog);
        g_watched = nullptr;
        return result;
    }
    int Show(VelContextMenu& menu, const VelPoint& point) { return Show(menu, &window, point); }

    COLORREF Pixel(int x, int y)
    {
        ::UpdateWindow(window.GetHandle());
        return ::GetPixel(window.GetCanvas()->GetDC(), x, y);
    }

    // A point of the window outside `rect`.
    static VelPoint Outside(const RECT& rect)
    {
        const VelPoint corners[] = {
            {0, 0}, {kScreenWidth - 1, 0}, {0, kScreenHeight - 1}, {kScreenWidth - 1, kScreenHeight - 1}};
        for (const VelPoint& corner : corners)
            if (!VelRect(rect).ContainsPoint(corner))
                return corner;
        ADD_FAILURE() << "the menu covers the window";
        return VelPoint(0, 0);
    }

    MenuTheme theme;
    VelTheme* previousTheme = nullptr;
    Backdrop window;
    FakeTick tick{700000};  // stands still for the whole test
};

// Call, Call work (disabled), a separator, Send text, Favourite.
class ContextMenuEntriesTest : public ContextMenuTest {
protected:
    void SetUp() override
    {
        ContextMenuTest::SetUp();
        Fill(menu);
    }
    void Fill(VelContextMenu& target)
    {
        entries.clear();
        entries.push_back(target.AddString(L"call", L"Call", true));
        entries.push_back(target.AddString(L"work", L"Call work", false));
        entries.push_back(target.AddSeparator());
        entries.push_back(target.AddString(L"text", L"Send text", true));
        entries.push_back(target.AddString(L"Favourite", true));
    }

    // Where the menu is shown; it has room below and to the right.
    static constexpr int kX = 20;
    static constexpr int kY = 30;
    int RowTop(int row)
    {
        int top = kY + menu.GetBorderWidth();
        for (int r = 0; r < row; ++r)
            top += entries[size_t(r)]->Measure(window.GetCanvas());
        return top;
    }
    int RowMiddle(int row) { return RowTop(row) + entries[size_t(row)]->Measure(window.GetCanvas()) / 2; }
    void TapRow(int row) { PostTap(kX + 40, RowMiddle(row)); }

    VelContextMenu menu;
    std::vector<VelItem*> entries;
};

TEST_F(ContextMenuEntriesTest, StringEntryIsItsFontLineAndALongerSideFortiethAboveAndBelow)
{
    const TEXTMETRICW& metrics = theme.GetTextMetrics(window.GetCanvas())->metrics;
    EXPECT_EQ(entries[0]->Measure(window.GetCanvas()), 8 + 8 + metrics.tmHeight + metrics.tmExternalLeading);
    EXPECT_EQ(entries[2]->Measure(window.GetCanvas()), 8);
    const RECT margins = entries[2]->GetMargins();
    EXPECT_EQ(margins.left, 8);
    EXPECT_EQ(margins.top, 0);
    EXPECT_EQ(margins.right, 8);
    EXPECT_EQ(margins.bottom, 0);
    EXPECT_TRUE(entries[2]->IsDisabled());
}

TEST_F(ContextMenuEntriesTest, TapsChooseTheRowOfAnEnabledEntryAndPassOverTheRest)
{
    struct Case {
        std::vector<int> rows;  // tapped in order; -2 taps outside the menu
        int result;
    };
    const Case cases[] = {
        {{0}, 0},       {{3}, 3},   {{4}, 4},         {{1, 4}, 4},  // the disabled entry
        {{2, 0}, 0},                                                // the separator
        {{2, 1, 3}, 3}, {{-2}, -1}, {{2, -2, 0}, -1},               // the loop ends at the tap outside
    };
    for (const Case& c : cases) {
        VelContextMenu fresh;
        Fill(fresh);
        for (int row : c.rows) {
            if (row == -2)
                PostTap(kScreenWidth - 5, kScreenHeight - 5);
            else
                PostTap(kX + 40, RowMiddle(row));
        }
        EXPECT_EQ(Show(fresh, VelPoint(kX, kY)), c.result) << "first tap on row " << c.rows.front();
        Pump();
    }
}

TEST_F(ContextMenuEntriesTest, EnterOnADisabledEntryOrASeparatorDoesNotChooseIt)
{
    menu.SetFocus();
    // The first key presses the first entry; each further one walks a row down.
    PostKey(VK_DOWN);
    PostKey(VK_DOWN);
    PostKey(VK_RETURN);  // "Call work", disabled
    PostKey(VK_DOWN);
    PostKey(VK_RETURN);  // the separator
    PostKey(VK_DOWN);
    PostKey(VK_RETURN);  // "Send text"
    EXPECT_EQ(Show(menu, VelPoint(kX, kY)), 3);
}

TEST_F(ContextMenuEntriesTest, ATapOutsideCancelsAndTheRestOfTheGestureReachesNothingBeneath)
{
    PostDown(200, 300);
    Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(201, 300));
    PostUp(201, 300);
    EXPECT_EQ(Show(menu, VelPoint(kX, kY)), -1);
    Pump();
    EXPECT_EQ(window.mouseEvents, 0);

    // A quick second tap outside, after the one that opened the menu, comes as a
    // double click: it cancels too, and presses no entry near it.
    ::SendMessageW(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kX + 40, kY - 10));
    ::SendMessageW(window.GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(kX + 40, kY - 10));
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kX + 40, kY - 10));
    PostUp(kX + 40, kY - 10);
    EXPECT_EQ(Show(menu, VelPoint(kX, kY)), -1);
}

TEST_F(ContextMenuEntriesTest, EntriesAreFoundByRowAndKeyOnceLaidOut)
{
    EXPECT_EQ(menu.GetItemAt(0), nullptr);
    EXPECT_EQ(menu.FindItem(L"text"), entries[3]);
    EXPECT_EQ(menu.FindItem(L"none"), nullptr);
    PostTap(0, kScreenHeight - 1);
    ASSERT_EQ(Show(menu, VelPoint(kX, kY)), -1);
    for (size_t row = 0; row < entries.size(); ++row)
        EXPECT_EQ(menu.GetItemAt(int(row)), entries[row]) << row;
    EXPECT_EQ(menu.GetItemAt(int(entries.size())), nullptr);
    EXPECT_EQ(menu.GetItemAt(-1), nullptr);
}

TEST_F(ContextMenuEntriesTest, DrawsAFrameAndEachEntryInItsOwnLook)
{
    PostTap(0, kScreenHeight - 1);
    ASSERT_EQ(Show(menu, VelPoint(kX, kY)), -1);
    const VelRect bounds = menu.GetAbsoluteBounds();
    const int middle = bounds.left + bounds.GetWidth() / 2;
    // Above each text, inside the entry's top margin.
    EXPECT_EQ(Pixel(middle, RowTop(0) + 3), kEntry);
    EXPECT_EQ(Pixel(middle, RowTop(1) + 3), kDisabled);
    EXPECT_EQ(Pixel(middle, RowTop(3) + 3), kEntry);
    EXPECT_EQ(Pixel(middle, RowTop(4) + 3), kEntry);
    // The separator: a line across its middle, short of its margins, on the entry colour.
    const int line = RowTop(2) + 4;
    EXPECT_EQ(Pixel(middle, line), kLine);
    EXPECT_EQ(Pixel(bounds.left + 1 + 8, line), kLine);
    EXPECT_EQ(Pixel(bounds.left + 1 + 7, line), kEntry);
    EXPECT_EQ(Pixel(middle, line - 2), kEntry);
    // The frame, one pixel wide, then the entries or the grid right inside it.
    EXPECT_EQ(Pixel(bounds.left, RowMiddle(0)), kBorder);
    EXPECT_EQ(Pixel(bounds.left + 1, RowTop(0) + 3), kEntry);
    EXPECT_EQ(Pixel(middle, bounds.top), kBorder);
    EXPECT_EQ(Pixel(middle, bounds.bottom - 1), kBorder);
    EXPECT_EQ(Pixel(middle, bounds.bottom - 2), kEntry);
    EXPECT_EQ(Pixel(bounds.right - 1, RowMiddle(0)), kBorder);
    // Outside it the window is untouched.
    EXPECT_EQ(Pixel(bounds.left - 1, RowMiddle(0)), kWhite);
    EXPECT_EQ(Pixel(middle, bounds.bottom), kWhite);
    // The grid lies inside the frame.
    VelRect inner = menu.GetClientRect();
    inner.Inflate(-1, -1);
    EXPECT_EQ(menu.GetGrid()->GetBounds(), inner);
}

TEST_F(ContextMenuEntriesTest, TheEntryUnderTheFingerIsDrawnPressedUntilItIsChosen)
{
    const int x = kX + 100;
    COLORREF whilePressed = 0;
    COLORREF neighbour = 0;
    g_steps = {
        [&] { PostDown(x, RowMiddle(3)); },
        [] {},
        [] {},
        [&] {
            whilePressed = Pixel(x, RowTop(3) + 3);
            neighbour = Pixel(x, RowTop(4) + 3);
            PostUp(x, RowMiddle(3));
        },
    };
    EXPECT_EQ(Show(menu, VelPoint(kX, kY)), 3);
    EXPECT_EQ(whilePressed, kPressed);
    EXPECT_EQ(neighbour, kEntry);
    EXPECT_EQ(Pixel(x, RowTop(3) + 3), kEntry);
}

TEST_F(ContextMenuEntriesTest, ASecondShowPlacesTheSameMenuAgainWithTheEntriesAddedSince)
{
    PostTap(0, kScreenHeight - 1);
    ASSERT_EQ(Show(menu, VelPoint(kX, kY)), -1);
    const int firstHeight = menu.GetHeight();
    VelGridView* grid = menu.GetGrid();

    entries.push_back(menu.AddString(L"Delete", true));
    const int added = entries.back()->Measure(window.GetCanvas());
    TapRow(5);
    EXPECT_EQ(Show(menu, VelPoint(kX, kY)), 5);
    EXPECT_EQ(menu.GetHeight(), firstHeight + added);
    EXPECT_EQ(menu.GetGrid(), grid);
    EXPECT_EQ(menu.GetParent(), &window);
}

TEST_F(ContextMenuTest, PlacementKeepsTheMenuOnTheScreen)
{
    struct Case {
        const char* what;
        int entries;  // of 30 pixels each
        int maxHeight;
        int width;
        VelPoint at;
        VelRect expected;  // on screen
    };
    const int full = 213;  // 2 x 320 / 3; ten entries would take 302
    const Case cases[] = {
        {"below and right", 10, -1, -1, {10, 10}, {10, 10, 170, 10 + full}},
        {"a short menu near the bottom opens upward", 3, -1, -1, {10, 300}, {10, 300 - 92, 170, 300}},
        {"fits neither way, in the upper half", 10, -1, -1, {10, 150}, {10, 150, 170, 320}},
        {"fits neither way, in the lower half", 10, -1, -1, {10, 200}, {10, 0, 170, 200}},
        {"opens leftward", 1, -1, -1, {200, 10}, {40, 10, 200, 42}},
        {"fits neither way, left half", 1, -1, -1, {100, 10}, {100, 10, 240, 42}},
        {"fits neither way, right half", 1, -1, -1, {150, 10}, {0, 10, 150, 42}},
        {"a maximum below two thirds", 10, 100, -1, {10, 10}, {10, 10, 170, 110}},
        {"a maximum above two thirds", 10, 250, -1, {10, 10}, {10, 10, 170, 10 + full}},
        {"a width of its own", 1, -1, 100, {10, 10}, {10, 10, 110, 42}},
    };
    for (const Case& c : cases) {
        VelContextMenu menu;
        for (int i = 0; i < c.entries; ++i)
            menu.AddItem(new FixedEntry(30));
        if (c.maxHeight != -1)
            menu.SetMaxHeight(c.maxHeight);
        if (c.width != -1)
            menu.SetWidth(c.width);
        const VelPoint outside = Outside(c.expected);
        PostTap(outside.x, outside.y);
        EXPECT_EQ(Show(menu, c.at), -1) << c.what;
        EXPECT_EQ(menu.GetAbsoluteBounds(), c.expected)
            << c.what << ": " << menu.GetAbsoluteBounds().GetLeft() << "," << menu.GetAbsoluteBounds().GetTop() << ","
            << menu.GetAbsoluteBounds().GetRight() << "," << menu.GetAbsoluteBounds().GetBottom();
        Pump();
    }
}

TEST_F(ContextMenuTest, APointOfAnInnerOwnerIsTakenToTheScreenAndBack)
{
    Backdrop* panel = new Backdrop();
    panel->Create(&window, kVelStyleVisible, VelRect(20, 40, 220, 240));
    VelContextMenu menu;
    for (int i = 0; i < 3; ++i)
        menu.AddItem(new FixedEntry(30));
    // The second entry, on screen at 40 + 10 + 1 + 30 + 15.
    PostTap(60, 96);
    EXPECT_EQ(Show(menu, panel, VelPoint(10, 10)), 1);
    EXPECT_EQ(menu.GetParent(), panel);
    EXPECT_EQ(menu.GetBounds(), VelRect(10, 10, 170, 102));
    EXPECT_EQ(menu.GetAbsoluteBounds(), VelRect(30, 50, 190, 142));
}

TEST_F(ContextMenuTest, AMenuIsAsWideAsItsWidestEntryWithinTheScreen)
{
    struct Case {
        const wchar_t* entry;
        int least;  // the width the menu must have at least
        int most;
    } const cases[] = {
        {L"Call", 2 * kScreenWidth / 3, 2 * kScreenWidth / 3},
        {L"Message selected contacts", 2 * kScreenWidth / 3 + 1, kScreenWidth},
        {L"Message every selected contact of this list at once", kScreenWidth, kScreenWidth},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.entry)));
        VelContextMenu menu;
        VelContextMenuString* entry = menu.AddString(c.entry, true);
        PostTap(kScreenWidth - 5, kScreenHeight - 5);
        ASSERT_EQ(Show(menu, VelPoint(0, 0)), -1);
        const int width = menu.GetBounds().GetWidth();
        EXPECT_GE(width, c.least);
        EXPECT_LE(width, c.most);
        // Where the screen has the room, the entry's row holds its text whole.
        if (c.most > c.least) {
            HDC dc = ::GetDC(nullptr);
            const HGDIOBJ previous = ::SelectObject(dc, theme.GetItemFont()->GetHandle());
            SIZE text = {};
            ::GetTextExtentPoint32W(dc, c.entry, static_cast<int>(wcslen(c.entry)), &text);
            ::SelectObject(dc, previous);
            ::ReleaseDC(nullptr, dc);
            const RECT margins = entry->GetMargins();
            EXPECT_GE(menu.GetGrid()->GetBounds().GetWidth() - margins.left - margins.right, text.cx);
        }
    }
}

TEST(ContextMenuItemTest, DumpsNameTheKeyTheObjectAndTheText)
{
    VelContextMenuString entry(L"call", L"Call mobile");
    VelContextMenuSeparator separator;
    EXPECT_EQ(entry.Dump(), L"\t Item id call Object id " + std::to_wstring(entry.GetId()) +
                                L" 0 class name VelContextMenuString\nItem text Call mobile\n");
    EXPECT_EQ(separator.Dump(), L"\t Item id  Object id " + std::to_wstring(separator.GetId()) +
                                    L" 0 class name VelContextMenuSeparator\n\n");
}

}  // namespace
