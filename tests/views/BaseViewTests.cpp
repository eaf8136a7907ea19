// The base view in a real window on the fake clock, with the Silver theme:
// its children and their settings, taps on the title bar and the list, and
// what it draws, read back from the window's canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "VelBackgroundGradient.h"
#include "VelControlCore.h"
#include "VelGridView.h"
#include "VelKlTheme.h"
#include "VelKlView.h"
#include "VelStringItem.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "VelToolbarStatic.h"
#include "FakeTick.h"
#include "Taps.h"
#include "ViewTestSupport.h"

namespace {

const DWORD kTitleAndList = VelKlView::kStyleTitleBar | VelKlView::kStyleList;

// Writes down every signal of a view, in order.
class SignalLog : public VelSlotHolder {
public:
    void Listen(VelKlView* view)
    {
        view->ItemActivated.Connect(this, &SignalLog::OnItem);
        view->TitleButtonClicked.Connect(this, &SignalLog::OnTitleButton);
        view->BackClicked.Connect(this, &SignalLog::OnBack);
    }
    void OnItem(VelItem* item)
    {
        entries.push_back("item");
        items.push_back(item);
    }
    void OnTitleButton(VelToolbar* bar, VelToolbarItem* button)
    {
        entries.push_back("title " + std::to_string(button->GetId()));
        bars.push_back(bar);
    }
    void OnBack() { entries.push_back("back"); }

    std::vector<std::string> entries;
    std::vector<VelItem*> items;
    std::vector<VelToolbar*> bars;
};

// A view of the given style filling a phone-sized top-level window.
class BaseViewTest : public ::testing::Test {
protected:
    BaseViewTest(int width = 480, int height = 640) : screen(width, height), width(width), height(height) {}

    void SetUp() override { ASSERT_NE(LoadTheme(L"Silver"), nullptr); }
    void TearDown() override { delete view; }

    VelKlView* Open(DWORD style, int viewId = 2)
    {
        view = new VelKlView(viewId, style, nullptr, "test-view");
        log.Listen(view);
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, width, height));
        return view;
    }
    int TitleHeight() const { return view->GetTitleBarHeight(); }

    void Send(UINT message, int x, int y, WPARAM keys)
    {
        ::SendMessageW(view->GetHandle(), message, keys, MAKELPARAM(x, y));
    }
    void Down(int x, int y) { Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void Up(int x, int y)
    {
        tick.Advance(20);
        Send(WM_LBUTTONUP, x, y, 0);
        tick.Advance(400);
    }
    void Tap(int x, int y) { TapWindow(view->GetHandle(), VelPoint(x, y), &tick); }
    void Settle() { SettleWindow(view->GetHandle()); }
    COLORREF Pixel(int x, int y) { return ::GetPixel(view->GetCanvas()->GetDC(), x, y); }
    // The centre of the list's cell of an item, in the view's window.
    VelPoint CellCentre(VelItem* item)
    {
        VelListView* list = view->GetList();
        VelPoint cell;
        EXPECT_EQ(list->GetCellOfItem(item, cell), 0u);
        const VelRect rect = list->GetCellRect(item, cell);
        return VelPoint((rect.left + rect.right) / 2, list->GetTop() + (rect.top + rect.bottom) / 2);
    }

    // The space above the title's white text in its bar less the space below
    // it, in pixels, read in the middle half of the bar, clear of the buttons'
    // images, which may be wider than their squares.
    int TitleOffCentre()
    {
        Settle();
        const int t = TitleHeight();
        int top = t, bottom = -1;
        for (int y = 0; y < t; ++y) {
            for (int x = width / 4; x < width * 3 / 4; ++x) {
                const COLORREF p = Pixel(x, y);
                if (GetRValue(p) > 200 && GetGValue(p) > 200 && GetBValue(p) > 200) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_LE(top, bottom) << "no title seen";
        return top - (t - 1 - bottom);
    }

    VelApplication app{L"Velmora KL base view test"};
    ScreenScope screen;
    FakeTick tick{700000};
    int width;
    int height;
    VelKlView* view = nullptr;
    SignalLog log;
};

class SmallScreenViewTest : public BaseViewTest {
protected:
    SmallScreenViewTest() : BaseViewTest(240, 320) {}
};

TEST_F(SmallScreenViewTest, ChildrenFollowTheStyleBits)
{
    struct Case {
        DWORD style;
        bool titleBar;
        VelRect list;  // empty: no list
    };
    const Case cases[] = {
        {0, false, VelRect()},
        {VelKlView::kStyleTitleBar, true, VelRect()},
        {VelKlView::kStyleList, false, VelRect(0, 0, 240, 320)},
        {kTitleAndList, true, VelRect(0, 32, 240, 320)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Open(c.style);
        EXPECT_EQ(TitleHeight(), 32);
        VelToolbar* bar = view->GetTitleBar();
        ASSERT_EQ(bar != nullptr, c.titleBar);
        if (bar) {
            EXPECT_EQ(bar->GetName(), "view-titlebar");
            EXPECT_EQ(bar->GetBounds(), VelRect(0, 0, 240, 32));
            EXPECT_TRUE(bar->IsVisible());
            EXPECT_EQ(bar->GetParent(), view);
            ASSERT_EQ(bar->GetItemCount(), 1);
            VelToolbarStatic* title = dynamic_cast<VelToolbarStatic*>(bar->GetItem(0));
            ASSERT_NE(title, nullptr);
            EXPECT_EQ(title->GetId(), 253);
            EXPECT_EQ(title->GetName(), "view-title");
            SIZE size = {0, 0};
            title->GetSize(size);
            EXPECT_EQ(size.cx, 240);
            EXPECT_EQ(size.cy, 32);
        }
        VelListView* list = view->GetList();
        ASSERT_EQ(list != nullptr, !c.list.IsEmpty());
        if (list) {
            EXPECT_EQ(list->GetName(), "view-listview");
            EXPECT_EQ(list->GetBounds(), c.list);
            EXPECT_EQ(list->GetParent(), view);
        }
        delete view;
        view = nullptr;
    }
}

TEST_F(SmallScreenViewTest, TheListIsAnOpenGroupedListWithoutSelection)
{
    Open(kTitleAndList);
    VelListView* list = view->GetList();
    EXPECT_EQ(list->GetGroupRowHeight(), 26) << "320 / 12";
    EXPECT_EQ(list->GetRowHeight(), -1);
    EXPECT_EQ(list->GetSeparatorStyle(), 1);
    EXPECT_EQ(list->GetLabelMode(), VelGridView::kLabelWhileScrolling);
    EXPECT_TRUE(list->GetGroupsFollowChildren());
    EXPECT_FALSE(list->GetDefaultGroup()->IsVisible()) << "shown once it has a row";
    EXPECT_EQ(list->GetStateFlag(), 0) << "the list paints into the view's window";

    // A tap on a row neither selects it nor leaves it selected.
    VelGroupItem* group = new VelGroupItem(L"A", L"a", 0x8020);
    list->AddGroup(group);
    VelItem* row = new VelStringItem(L"Ada", L"ada", DT_SINGLELINE);
    list->AddItemToGroup(row, group);
    Settle();
    const VelPoint at = CellCentre(row);
    Tap(at.x, at.y);
    EXPECT_TRUE(list->GetSelection().empty());
    EXPECT_FALSE(row->IsSelected());
}

TEST_F(BaseViewTest, ARowIsActivatedOnceAndAGroupHeaderNever)
{
    Open(kTitleAndList);
    VelListView* list = view->GetList();
    VelGroupItem* group = new VelGroupItem(L"A", L"a", 0x8020);
    list->AddGroup(group);
    VelItem* first = new VelStringItem(L"Ada", L"ada", DT_SINGLELINE);
    VelItem* second = new VelStringItem(L"Alan", L"alan", DT_SINGLELINE);
    list->AddItemToGroup(first, group);
    list->AddItemToGroup(second, group);
    Settle();

    const VelPoint at = CellCentre(second);
    Tap(at.x, at.y);
    ASSERT_EQ(log.entries, std::vector<std::string>({"item"}));
    EXPECT_EQ(log.items[0], second);

    // The empty default group is left out, so the first row of the list is
    // the header of group A. Tapping it closes the group and activates nothing.
    const int headerY = TitleHeight() + list->GetGroupRowHeight() / 2;
    ASSERT_EQ(list->GetItemAtCell(0, 0), group);
    Tap(width / 2, headerY);
    EXPECT_EQ(log.entries, std::vector<std::string>({"item"}));
    EXPECT_TRUE(group->IsCollapsed()) << "groups open and close";
    Tap(width / 2, headerY);
    EXPECT_FALSE(group->IsCollapsed());
    EXPECT_EQ(log.entries.size(), 1u);
}

TEST_F(BaseViewTest, TheDefaultGroupShowsItsHeaderOnceItHasRows)
{
    Open(kTitleAndList);
    VelListView* list = view->GetList();
    VelItem* loose = new VelStringItem(L"Grace", L"grace", DT_SINGLELINE);
    list->AddItem(loose);
    Settle();
    EXPECT_EQ(list->GetItemAtCell(0, 0), list->GetDefaultGroup());
    EXPECT_EQ(list->GetItemAtCell(0, 1), loose);
}

TEST_F(BaseViewTest, TitleButtonsRaiseTheirIdAndTheBackButtonAlsoBack)
{
    Open(kTitleAndList);
    view->SetTitleBar(L"Call", 6, 177, 180, 4, 220, 221);
    VelToolbar* bar = view->GetTitleBar();
    const int t = TitleHeight();
    ASSERT_EQ(t, 64);

    // Left square, title between, right square.
    ASSERT_EQ(bar->GetItemCount(), 3);
    EXPECT_EQ(bar->GetItem(0)->GetName(), "view-top-left-button");
    EXPECT_EQ(bar->GetItem(1)->GetId(), 253);
    EXPECT_EQ(bar->GetItem(2)->GetName(), "view-top-right-button");
    SIZE title = {0, 0};
    bar->GetItem(1)->GetSize(title);
    EXPECT_EQ(title.cx, width - 2 * t);
    EXPECT_EQ(view->GetTitle(), L"Call");
    EXPECT_EQ(static_cast<VelToolbarStatic*>(bar->GetItem(1))->GetText(), L"Call");
    EXPECT_EQ(view->FindTitleBarItem(6), bar->GetItem(0));
    EXPECT_EQ(view->FindTitleBarItem(4), bar->GetItem(2));
    EXPECT_EQ(view->FindTitleBarItem(99), nullptr);

    struct Case {
        int x;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {t / 2, {"title 6", "back"}},
        {width - t / 2, {"title 4"}},
        {1, {"title 6", "back"}},
        {width - 1, {"title 4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        log.entries.clear();
        log.bars.clear();
        Tap(c.x, t / 2);
        EXPECT_EQ(log.entries, c.expected);
        ASSERT_FALSE(log.bars.empty());
        EXPECT_EQ(log.bars[0], bar);
    }

    // A tap below the title bar is not the title bar's.
    log.entries.clear();
    Tap(t / 2, t + 5);
    EXPECT_EQ(log.entries, std::vector<std::string>());
}

TEST_F(BaseViewTest, ASideWithoutAnIdStillHasItsImagelessSquare)
{
    Open(kTitleAndList);
    view->SetTitleBar(L"Calls", -1, 0, 0, -1, 0, 0);
    VelToolbar* bar = view->GetTitleBar();
    ASSERT_EQ(bar->GetItemCount(), 3);
    for (int i : {0, 2}) {
        VelToolbarButton* button = dynamic_cast<VelToolbarButton*>(bar->GetItem(i));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetImage(), nullptr);
        EXPECT_EQ(button->GetHighlightedImage(), nullptr);
        SIZE size = {0, 0};
        button->GetSize(size);
        EXPECT_EQ(size.cx, TitleHeight());
        EXPECT_EQ(size.cy, TitleHeight());
    }
    Tap(width - 3, TitleHeight() / 2);
    Tap(3, TitleHeight() / 2);
    EXPECT_EQ(log.entries, std::vector<std::string>({"title -1", "title -1"}));
}

TEST_F(BaseViewTest, WithoutATitleBarTheTitleIsOnlyStored)
{
    Open(0);
    view->SetTitleBar(L"Ignored", 6, 177, 180, 12, 233, 234);
    EXPECT_EQ(view->GetTitle(), L"") << "SetTitleBar does nothing at all";
    EXPECT_EQ(view->FindTitleBarItem(253), nullptr);
    EXPECT_EQ(view->FindTitleBarItem(6), nullptr);
    view->SetTitle(L"Kept");
    EXPECT_EQ(view->GetTitle(), L"Kept");
    EXPECT_TRUE(view->GetChildren().empty());
}

TEST_F(BaseViewTest, SetTitleShowsInTheTitleBar)
{
    Open(VelKlView::kStyleTitleBar);
    view->SetTitle(L"Contacts");
    EXPECT_EQ(view->GetTitle(), L"Contacts");
    VelToolbarStatic* title = dynamic_cast<VelToolbarStatic*>(view->FindTitleBarItem(253));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetText(), L"Contacts");
}

TEST_F(BaseViewTest, TheTitleSitsInTheMiddleOfItsBar)
{
    Open(kTitleAndList);
    view->SetTitleBar(L"Messages", 6, 177, 180, 12, 233, 234);
    EXPECT_LE(std::abs(TitleOffCentre()), TitleHeight() / 8);
}

TEST_F(SmallScreenViewTest, TheTitleSitsInTheMiddleOfItsBar)
{
    Open(kTitleAndList);
    view->SetTitleBar(L"Messages", 6, 177, 180, 12, 233, 234);
    EXPECT_LE(std::abs(TitleOffCentre()), TitleHeight() / 8);
}

// Closes the view from inside the title-button signal, as a navigation might.
class Closer : public VelSlotHolder {
public:
    void OnTitleButton(VelToolbar*, VelToolbarItem*)
    {
        delete *view;
        *view = nullptr;
        ++calls;
    }
    VelKlView** view = nullptr;
    int calls = 0;
};

TEST_F(BaseViewTest, AViewClosedByTheTitleSignalRaisesNoBack)
{
    Open(kTitleAndList);
    view->SetTitleBar(L"SMS", 6, 177, 180, 14, 222, 223);
    Closer closer;
    closer.view = &view;
    view->TitleButtonClicked.Connect(&closer, &Closer::OnTitleButton);
    const HWND window = view->GetHandle();
    TapWindow(window, VelPoint(5, 5));
    EXPECT_EQ(closer.calls, 1);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(log.entries, std::vector<std::string>({"title 6"}));
}

// What the title bar should show: the gradient over its width and the images
// centred in their squares, drawn on a canvas of our own.
class TitleBarPicture {
public:
    TitleBarPicture(int width, int height) : canvas(renderer.CreateCanvas(width, height))
    {
        const VelRect bar(0, 0, width, height);
        VelBackgroundGradient gradient;
        gradient.SetDirection(kGradientVertical);
        gradient.AddColorPoint(0, VelColor(70, 85, 103));
        gradient.AddColorPoint(100, VelColor(46, 52, 62));
        gradient.Draw(canvas.get(), bar);
    }
    void Centre(VelBitmap* image, int squareLeft, int side)
    {
        const VelPoint at(squareLeft + (side - image->GetWidth()) / 2, (side - image->GetHeight()) / 2);
        canvas->DrawBitmap(*image, at, SRCCOPY);
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(canvas->GetDC(), x, y); }

private:
    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas;
};

TEST_F(BaseViewTest, DrawsTheTitleBarGradientImagesAndTitle)
{
    Open(kTitleAndList);
    view->SetTitleBar(L"Contact", 6, 177, 180, 13, 176, 179);
    Settle();
    const int t = TitleHeight();
    VelKlTheme* theme = GetCurrentTheme();
    VelBitmap* back = theme->GetImage(177);
    VelBitmap* backPressed = theme->GetImage(180);
    VelBitmap* favourite = theme->GetImage(176);
    ASSERT_TRUE(back && backPressed && favourite);
    ASSERT_LE(back->GetHeight(), t);

    // The two squares as a picture of our own shows them, pixel for pixel.
    auto squaresMatch = [&](VelBitmap* left, VelBitmap* right) -> ::testing::AssertionResult {
        TitleBarPicture expected(width, t);
        expected.Centre(left, 0, t);
        expected.Centre(right, width - t, t);
        // Painted without taking queued input: the platform may queue a move
        // to wherever the real pointer is.
        ::UpdateWindow(view->GetHandle());
        for (int y = 0; y < t; ++y) {
            for (int x = 0; x < width; ++x) {
                if (x >= t && x < width - t)
                    continue;
                if (Pixel(x, y) != expected.Pixel(x, y))
                    return ::testing::AssertionFailure() << "differs at (" << x << ", " << y << ")";
            }
        }
        return ::testing::AssertionSuccess();
    };
    Settle();
    EXPECT_TRUE(squaresMatch(back, favourite));

    // The pressed image while the finger is on the button, the normal one after.
    Down(t / 2, t / 2);
    EXPECT_TRUE(squaresMatch(backPressed, favourite));
    Up(t / 2, t / 2);
    Settle();
    EXPECT_TRUE(squaresMatch(back, favourite)) << "no pressed look left behind by the tap";

    // The gradient runs down the title between the squares; the title is white.
    const COLORREF top = Pixel(t + 1, 0);
    const COLORREF bottom = Pixel(t + 1, t - 1);
    EXPECT_NEAR(GetRValue(top), 70, 3);
    EXPECT_NEAR(GetBValue(top), 103, 3);
    EXPECT_NEAR(GetRValue(bottom), 46, 3);
    EXPECT_NEAR(GetBValue(bottom), 62, 3);
    auto whiteText = [&] {
        Settle();
        for (int y = 0; y < t; ++y)
            for (int x = t; x < width - t; ++x)
                if (GetRValue(Pixel(x, y)) > 200 && GetGValue(Pixel(x, y)) > 200 && GetBValue(Pixel(x, y)) > 200)
                    return true;
        return false;
    };
    EXPECT_TRUE(whiteText());
    view->SetTitle(L"");
    EXPECT_FALSE(whiteText()) << "the title went with its text";

    // Below the title bar the list's own background.
    VelColor slate;
    theme->GetGridBackgroundColor(slate);
    EXPECT_EQ(Pixel(width / 2, t + 10), slate.ToColorRef());
    EXPECT_EQ(Pixel(width / 2, height - 10), slate.ToColorRef());
}

}  // namespace
