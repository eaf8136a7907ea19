#include "GridTestKit.h"

#include <atomic>
#include <cstdint>
#include <set>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace gridkit;

namespace {

// Item k of a group filled at the top of the view, in one column.
int RowY(int k) { return 40 + 20 * k; }
const int kX = 60;

bool Throws(const std::function<void()>& call, const std::string& what)
{
    try {
        call();
    } catch (const std::exception& e) {
        return e.what() == what;
    }
    return false;
}

bool GoesAfter(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b) { return b->GetText() < a->GetText(); }

}  // namespace

class GridModelTest : public GridFixture {};

TEST_F(GridModelTest, ANewGridHoldsOneHiddenDefaultGroupThatAddItemFills)
{
    ASSERT_EQ(grid->GetGroups().size(), 1u);
    VelGroupItem* group = grid->GetDefaultGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetText(), L"(Unclassified)");
    EXPECT_EQ(group->GetKey(), L"$$NOGROUP$$");
    EXPECT_EQ(group->GetFormat(), 0x8020u);
    EXPECT_TRUE(group->IsHidden());
    EXPECT_TRUE(grid->IsEmpty());

    VelItem* a = Item(L"a");
    grid->AddItem(a);
    EXPECT_TRUE(group->ContainsChild(a));
    EXPECT_EQ(grid->FindItemByKey(L"a"), a);
    EXPECT_EQ(grid->GetItemCount(), 1);
    EXPECT_TRUE(Throws([this] { grid->FindGroup(L""); }, "Null group name specified."));
    EXPECT_EQ(grid->FindGroup(L"$$NOGROUP$$"), nullptr) << "groups are found by text, not key";

    // Every group gone, the default one too: AddItem brings it back rather than failing.
    grid->RemoveAllGroups();
    EXPECT_TRUE(grid->GetGroups().empty());
    VelItem* b = Item(L"b");
    grid->AddItem(b);
    ASSERT_NE(grid->GetDefaultGroup(), nullptr);
    EXPECT_TRUE(grid->GetDefaultGroup()->IsHidden());
    EXPECT_TRUE(grid->GetDefaultGroup()->ContainsChild(b));
    EXPECT_TRUE(Throws([this, b] { grid->AddItemToGroup(b, nullptr); }, "Null group specified."));
}

TEST_F(GridModelTest, CreateFitsTheScrollStripToTheScreenAndMayFillTheParent)
{
    // A tenth of the screen's width to touch, a hundred-and-twentieth drawn.
    const int screen = ::GetSystemMetrics(SM_CXSCREEN);
    VelScrollbar* bar = grid->GetScrollbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetName(), "scrollbar");
    EXPECT_EQ(bar->GetBounds(), VelRect(kWidth - screen / 10, 0, kWidth, kHeight));
    EXPECT_EQ(bar->GetBarWidth(), screen / 120);
    EXPECT_TRUE(bar->GetAutoHide());
    EXPECT_NE(grid->GetLabelTimerId(), 0u);
    EXPECT_NE(grid->GetPressTimerId(), 0u);

    VelGridView* filling = new VelGridView(&window, "filling");
    filling->Create(&window, kVelStyleVisible | VelGridView::kStyleFillParent, VelRect(10, 20, 11, 21));
    EXPECT_EQ(filling->GetBounds(), VelRect(10, 20, 10 + kWidth, 20 + kHeight)) << "left and top kept";

    // A new size lays the list out again: the cells follow the width.
    grid->SetColumnCount(2);
    Fill(L"G", 4);
    Settle();
    EXPECT_EQ(grid->GetPainter()->GetCellWidth(), kWidth / 2);
    grid->SetBounds(VelRect(0, 0, 200, kHeight));
    Settle();
    EXPECT_EQ(grid->GetPainter()->GetCellWidth(), 100);
    EXPECT_EQ(bar->GetBounds(), VelRect(200 - screen / 10, 0, 200, kHeight));
}

TEST_F(GridModelTest, RemovalFailsCleanlyAndForgetsEveryTraceOfTheItem)
{
    VelGroupItem* one = Fill(L"one", 0);
    VelGroupItem* two = Fill(L"two", 0);
    VelItem* shared = Item(L"shared");
    grid->AddItemToGroup(shared, one);
    grid->AddItemToGroup(shared, two);
    boost::weak_ptr<VelItem> watch = shared->weak_from_this();
    EXPECT_TRUE(one->ContainsChild(shared));
    EXPECT_TRUE(two->ContainsChild(shared));
    EXPECT_EQ(watch.use_count(), 3) << "one owner entry and the two groups' shares of it";

    // Two items under one key: the later one answers, and keeps answering when the older goes.
    VelItem* older = Item(L"k");
    VelItem* newer = Item(L"k");
    grid->AddItemToGroup(older, one);
    grid->AddItemToGroup(newer, two);
    EXPECT_EQ(grid->FindItemByKey(L"k"), newer);
    grid->RemoveItem(older);
    EXPECT_EQ(grid->FindItemByKey(L"k"), newer);

    grid->RemoveItem(shared);
    EXPECT_TRUE(watch.expired()) << "gone from both groups and from the owners";
    VelStringItem stranger(L"x", L"x", 0);
    EXPECT_TRUE(Throws([&] { grid->RemoveItem(&stranger); }, "Item not found."));

    // Groups emptied while the grid still owns an item: the grid counts as empty.
    VelItem* kept = Item(L"kept");
    grid->AddItemToGroup(kept, one);
    EXPECT_EQ(grid->RemoveGroup(one), 0u);
    EXPECT_EQ(grid->RemoveGroup(one), DWORD(VelGridView::kStatusGroupNotHeld));
    grid->RemoveItem(newer);
    EXPECT_EQ(grid->GetItemCount(), 0);
    EXPECT_TRUE(Throws([&] { grid->RemoveItem(kept); }, "The grid is empty."));
}

TEST_F(GridModelTest, GroupsAreSharedNeverWrappedTwiceAndSortByTheirMode)
{
    VelGridView::GroupPtr held(Group(L"held"));
    grid->AddGroup(held.get());
    EXPECT_EQ(held.use_count(), 2) << "the grid joined the existing owner";
    grid->RemoveGroup(held.get());
    EXPECT_EQ(held.use_count(), 1);

    EXPECT_TRUE(Throws([this] { grid->SetColumnCount(0); }, "Number of columns must be positive integer"));
    EXPECT_EQ(grid->GetColumnCount(), 1);

    grid->RemoveAllGroups();
    for (const wchar_t* name : {L"b", L"a", L"c"})
        grid->AddGroup(Group(name));
    struct Case {
        int mode;
        VelGridView::GroupComparator comparator;
        std::wstring order;
    };
    const Case cases[] = {
        {VelGridView::kSortNone, nullptr, L"bac"},       {VelGridView::kSortAscending, nullptr, L"abc"},
        {VelGridView::kSortDescending, nullptr, L"cba"}, {VelGridView::kSortComparator, &GoesAfter, L"cba"},
        {VelGridView::kSortComparator, nullptr, L"cba"},  // no comparator: left as it is
        {VelGridView::kSortAscending, nullptr, L"abc"},
    };
    for (const Case& c : cases) {
        grid->SetGroupSortMode(c.mode);
        grid->SetGroupComparator(c.comparator);
        grid->SortGroups();
        std::wstring order;
        for (const VelGridView::GroupPtr& g : grid->GetGroups())
            order += g->GetText();
        EXPECT_EQ(order, c.order) << c.mode;
    }
}

TEST_F(GridModelTest, SelectionChangedCarriesEachStateOfTheSelection)
{
    std::vector<VelItem*> items;
    Fill(L"G", 3, &items);
    VelItem* a = items[0];
    VelItem* b = items[1];
    VelItem* c = items[2];
    typedef std::vector<std::vector<VelItem*>> Log;

    grid->Select(a);
    EXPECT_TRUE(selections.empty()) << "not selectable";
    grid->SetSelectionMode(true, false);
    grid->Select(a);
    grid->Select(a);
    grid->Select(b);
    EXPECT_EQ(selections, (Log{{a}, {}, {b}})) << "a single-select change empties first";
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    grid->Select(grid->GetDefaultGroup());
    EXPECT_EQ(selections.size(), 3u) << "a whole-row item is never selected";

    selections.clear();
    grid->SetSelectionMode(true, true);
    grid->Select(c);
    grid->SelectOnly(b);
    EXPECT_EQ(grid->GetSelection(), (std::vector<VelItem*>{b, c}));
    grid->SetSelectionMode(true, false);
    EXPECT_EQ(selections, (Log{{b, c}, {}}));
    EXPECT_EQ(grid->GetFirstSelected(), nullptr);

    selections.clear();
    grid->Select(a);
    grid->SetSelectionMode(false, false);
    grid->SetSelectionMode(true, false);
    grid->Select(b);
    grid->RemoveItem(b);
    EXPECT_EQ(selections, (Log{{a}, {}, {b}, {}})) << "a removed item leaves the selection";
    grid->Select(c);
    grid->RemoveAllItems();
    EXPECT_TRUE(grid->GetSelection().empty());
    EXPECT_EQ(selections.back(), std::vector<VelItem*>{});
}

class GridInputTest : public GridFixture {
protected:
    std::vector<VelItem*> items;
    VelGroupItem* group = nullptr;
    void SetUp() override
    {
        GridFixture::SetUp();
        group = Fill(L"G", 30, &items);
        Settle();
    }
    int Position() { return grid->GetScrollPosition(); }
    void RunFling()
    {
        for (int i = 0; i < 400 && grid->IsScrolling(); ++i)
            FlingTick(30);
        ASSERT_FALSE(grid->IsScrolling());
    }
};

TEST_F(GridInputTest, ATapShowsThePressAtTheFirstTickAndClicksTheCell)
{
    Down(kX, RowY(1));
    EXPECT_EQ(Pixel(100, RowY(1)), kItem) << "nothing pressed before the first tick";
    PressTick(50);
    EXPECT_EQ(Pixel(100, RowY(1)), kPressed);
    EXPECT_EQ(Pixel(100, RowY(1) - 10), kPressed) << "the row's first line too";
    EXPECT_EQ(Pixel(100, RowY(0)), kItem);
    EXPECT_EQ(grid->GetPressedItem(), items[1]);
    EXPECT_FALSE(items[1]->IsPressed()) << "the look is the grid's; the item's bit stays clear";
    Up(kX, RowY(1), 20);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, items[1]);
    EXPECT_EQ(clicks[0].cell, VelPoint(0, 2)) << "column and row, not the screen point";
    EXPECT_EQ(Pixel(100, RowY(1)), kItem);
    EXPECT_EQ(Pixel(100, RowY(1) - 10), kItem);

    // A tap that ends within the press's own clock step still counts.
    clicks.clear();
    Down(kX, RowY(3));
    Up(kX, RowY(3), 0);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, items[3]);

    // The platform reports the second press of a double tap as a double click.
    clicks.clear();
    tick.Advance(1000);
    Down(kX, RowY(2));
    Up(kX, RowY(2), 30);
    DoubleDown(kX, RowY(2));
    Up(kX, RowY(2), 30);
    EXPECT_EQ(clicks.size(), 2u);
    EXPECT_EQ(Position(), 0);
}

TEST_F(GridInputTest, AMoveWithinTheToleranceShowsThePressAfter116Milliseconds)
{
    // The tolerance is a third of the double-click rectangle: 8 pixels here.
    Down(kX, RowY(1));
    Move(kX + 3, RowY(1) + 2, 60);
    EXPECT_EQ(Pixel(100, RowY(1)), kItem);
    EXPECT_EQ(Position(), -2) << "before the press shows, the finger drags";
    Move(kX + 4, RowY(1) + 4, 60);
    EXPECT_EQ(Pixel(100, RowY(1)), kPressed);
    EXPECT_EQ(Position(), -2) << "the content stays still under a pressed cell";
    Up(kX + 4, RowY(1) + 4, 20);
    EXPECT_EQ(clicks.size(), 1u);
    RunFling();
    EXPECT_EQ(Position(), 0);

    // Beyond it before then: a drag, and no click.
    clicks.clear();
    tick.Advance(1000);
    Down(kX, RowY(5));
    PressTick(50);
    EXPECT_EQ(Pixel(100, RowY(5)), kPressed);
    Move(kX, RowY(5) - 30, 40);
    EXPECT_EQ(Position(), 30);
    EXPECT_EQ(Pixel(100, RowY(5) - 30), kItem) << "the pressed look goes with the drag";
    Up(kX, RowY(5) - 30, 700);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(GridInputTest, HoldingSelectsOrUnselectsAndTheReleaseDoesNotClick)
{
    grid->SetSelectionMode(true, true);
    Down(kX, RowY(2));
    PressTick(50);
    PressTick(350);
    EXPECT_TRUE(items[2]->IsSelected());
    EXPECT_EQ(Pixel(100, RowY(2)), kSelected) << "selected, no longer pressed";
    Up(kX, RowY(2), 100);
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(items[2]->IsSelected());

    // The same hold on a selected item unselects it.
    tick.Advance(1000);
    Down(kX, RowY(2));
    PressTick(400);
    EXPECT_FALSE(items[2]->IsSelected());
    Up(kX, RowY(2), 50);

    // Leaving the spot during the hold undoes what the hold selected.
    tick.Advance(1000);
    Down(kX, RowY(4));
    PressTick(400);
    EXPECT_TRUE(items[4]->IsSelected());
    Move(kX + 20, RowY(4), 50);
    EXPECT_FALSE(items[4]->IsSelected());
    Up(kX + 20, RowY(4), 50);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(GridInputTest, DisabledItemsAndGroupsAnswerTapsAsTheirKindDoes)
{
    items[1]->SetDisabled(true);
    grid->SetSelectionMode(true, false);
    grid->SetSelectOnClick(true);
    Down(kX, RowY(1));
    PressTick(50);
    EXPECT_EQ(grid->GetPressedItem(), nullptr);
    Up(kX, RowY(1), 20);
    EXPECT_TRUE(clicks.empty()) << "a disabled item is neither pressed nor clicked by touch";

    tick.Advance(1000);
    Tap(kX, RowY(2));
    EXPECT_TRUE(items[2]->IsSelected()) << "select on click";

    // A group row is a candidate, never pressed; collapsible groups toggle.
    grid->SetCollapsibleGroups(true);
    Tap(kX, 10);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1].item, group);
    EXPECT_EQ(clicks[1].cell, VelPoint(0, 0));
    EXPECT_TRUE(group->IsCollapsed());
    Settle();
    EXPECT_EQ(grid->GetPainter()->GetRowCount(), 1);
    EXPECT_EQ(Pixel(100, RowY(0)), kBackground);
    Tap(kX, 10);
    EXPECT_FALSE(group->IsCollapsed());
    EXPECT_EQ(Pixel(100, RowY(0)), kItem);
}

TEST_F(GridInputTest, ItemsRemovedDuringAPressAreNeverReachedAgain)
{
    grid->SetSelectionMode(true, false);
    grid->Select(items[1]);
    Down(kX, RowY(1));
    PressTick(50);
    ASSERT_EQ(grid->GetPressedItem(), items[1]);
    boost::weak_ptr<VelItem> watch = items[1]->weak_from_this();
    grid->RemoveItem(items[1]);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(grid->GetPressedItem(), nullptr);
    VelPoint cell;
    EXPECT_EQ(grid->GetItemAtPoint(VelPoint(kX, RowY(1)), cell), nullptr) << "its cell is empty until the layout";
    Up(kX, RowY(1), 20);
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(grid->GetSelection().empty());

    // The whole list going during a press on a group.
    tick.Advance(1000);
    Down(kX, 10);
    PressTick(50);
    grid->RemoveAllGroups();
    Up(kX, 10, 20);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(Pixel(100, 10), kBackground);
}

TEST_F(GridInputTest, ADragMovesThePaintedRowsExactlyAsAFreshPaintWould)
{
    Down(kX, 250);
    for (int y = 244; y >= 100; y -= 12)
        Move(kX, y, 20);
    EXPECT_EQ(Position(), 150);
    EXPECT_TRUE(PaintedAsFresh());
    EXPECT_EQ(grid->GetScrollbar()->GetPosition(), 150) << "the bar follows the content";
    for (int y = 115; y <= 250; y += 15)
        Move(kX, y, 20);
    EXPECT_EQ(Position(), 0);
    EXPECT_TRUE(PaintedAsFresh());
    Up(kX, 250, 700);
    EXPECT_FALSE(grid->IsScrolling());
}

TEST_F(GridInputTest, APullPastTheTopShowsTheBackgroundAndSpringsBack)
{
    Down(kX, 100);
    Move(kX, 130, 300);
    Move(kX, 160, 300);
    EXPECT_EQ(Position(), -60);
    EXPECT_EQ(Pixel(100, 30), kBackground);
    EXPECT_EQ(Pixel(100, 59), kBackground);
    EXPECT_EQ(Pixel(100, 70), kHeader);
    Up(kX, 160, 20);
    EXPECT_TRUE(grid->IsScrolling()) << "past an end the content always springs back";
    std::vector<int> steps;
    while (grid->IsScrolling() && steps.size() < 50) {
        FlingTick(30);
        steps.push_back(Position());
        EXPECT_EQ(Pixel(100, std::max(-Position(), 0) + 5), kHeader) << Position();
    }
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(steps.front(), -30) << "half the overshoot per tick";
    EXPECT_TRUE(PaintedAsFresh());
}

TEST_F(GridInputTest, AFlingCoastsWithinTheContentAndEndsWhereAFreshPaintAgrees)
{
    Down(kX, 250);
    Move(kX, 200, 20);
    Move(kX, 150, 20);
    Up(kX, 150, 10);
    ASSERT_TRUE(grid->IsScrolling());
    const int maximum = grid->GetScrollState()->maximum;
    EXPECT_EQ(maximum, 30 + 30 * 20 - kHeight);
    RunFling();
    EXPECT_GT(Position(), 100);
    EXPECT_LE(Position(), maximum);
    EXPECT_EQ(grid->GetScrollbar()->GetPosition(), Position());
    EXPECT_TRUE(PaintedAsFresh());

    // A touch stops a running fling where it is.
    Down(kX, 100);
    Move(kX, 200, 20);
    Up(kX, 200, 10);
    ASSERT_TRUE(grid->IsScrolling());
    FlingTick(30);
    const int stopped = Position();
    Down(kX, 100);
    EXPECT_FALSE(grid->IsScrolling());
    FlingTick(30);
    EXPECT_EQ(Position(), stopped);
    Up(kX, 100, 700);
}

TEST_F(GridInputTest, ArrowKeysWalkTheCellsAndEnterClicksEvenADisabledOne)
{
    grid->SetFocus();
    Key('A');
    EXPECT_EQ(grid->GetPressedItem(), items[0]) << "any key presses the first visible cell item";
    EXPECT_EQ(Position(), 30) << "and brings its row to the top";
    EXPECT_EQ(Pixel(100, RowY(0) - 30), kPressed);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(grid->GetPressedItem(), items[2]);
    Key(VK_UP);
    EXPECT_EQ(grid->GetPressedItem(), items[1]);
    EXPECT_EQ(Position(), 30) << "within the view nothing scrolls";
    EXPECT_EQ(Pixel(100, RowY(1) - 30), kPressed);
    EXPECT_EQ(Pixel(100, RowY(2) - 30), kItem);

    items[1]->SetDisabled(true);
    grid->SetSelectionMode(true, false);
    grid->SetSelectOnClick(true);
    Key(VK_RETURN);
    Key(VK_RIGHT);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].item, items[1]);
    EXPECT_EQ(clicks[0].cell, VelPoint(0, 2));
    EXPECT_FALSE(items[1]->IsSelected());

    // Down past the last visible row scrolls the view along.
    for (int i = 0; i < 20; ++i)
        Key(VK_DOWN);
    EXPECT_EQ(grid->GetPressedItem(), items[21]);
    const VelRect pressed = grid->GetCellRect(items[21], VelPoint(0, 22));
    EXPECT_GT(Position(), 0);
    EXPECT_LE(pressed.bottom, kHeight);
    EXPECT_EQ(Pixel(100, pressed.bottom - 2), kPressed);
    for (int i = 0; i < 30; ++i)
        Key(VK_UP);
    EXPECT_EQ(grid->GetPressedItem(), items[0]);
    EXPECT_EQ(Position(), 30) << "the row's top, below the group";
}

TEST_F(GridInputTest, KeysSkipGroupRowsAndLeftStaysInTheRow)
{
    grid->RemoveAllGroups();
    grid->SetColumnCount(2);
    std::vector<VelItem*> a;
    std::vector<VelItem*> b;
    Fill(L"A", 3, &a);
    Fill(L"B", 2, &b);
    Settle();
    grid->SetFocus();
    grid->PressCell(1, 1);
    EXPECT_EQ(grid->GetPressedItem(), a[1]);
    Key(VK_LEFT);
    EXPECT_EQ(grid->GetPressedItem(), a[0]);
    Key(VK_LEFT);
    EXPECT_EQ(grid->GetPressedItem(), a[0]) << "nothing left of column 0";
    Key(VK_DOWN);
    EXPECT_EQ(grid->GetPressedItem(), a[2]);
    Key(VK_DOWN);
    EXPECT_EQ(grid->GetPressedItem(), b[0]) << "the group row between is skipped";
    Key(VK_UP);
    EXPECT_EQ(grid->GetPressedItem(), a[2]);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(grid->GetPressedItem(), b[0]) << "past the last row nothing happens";
}

TEST_F(GridInputTest, ScrollToItemWaitsForTheLayoutWhileUpdatesAreSuspendedAndStaysInRange)
{
    VelItem* late = Item(L"late");
    grid->AddItemToGroup(late, group);
    EXPECT_EQ(grid->ScrollToItem(late), DWORD(VelGridView::kStatusNotLaidOut)) << "not laid out yet";
    Settle();
    EXPECT_EQ(grid->ScrollToItem(items[5]), 0u);
    EXPECT_EQ(Position(), 130);

    grid->BeginUpdate();
    VelItem* later = Item(L"later");
    grid->AddItemToGroup(later, group);
    EXPECT_EQ(grid->ScrollToItem(items[25]), 0u);
    Down(kX, 100);
    EXPECT_EQ(grid->GetScrollPosition(), 130) << "input waits too";
    grid->EndUpdate();
    Settle();
    const int maximum = grid->GetScrollState()->maximum;
    EXPECT_EQ(maximum, 30 + 32 * 20 - kHeight);
    EXPECT_EQ(Position(), maximum) << "row 26 starts further down than the view can go";
    EXPECT_EQ(Pixel(100, kHeight - 5), kItem) << "no blank below the content";
    EXPECT_EQ(grid->GetScrollbar()->GetRange(), 30 + 32 * 20);
}

TEST_F(GridInputTest, ItemTextIsDrawnWithoutABoxOfItsOwn)
{
    // The host window leaves white as the canvas's back colour.
    EXPECT_EQ(Count(VelRect(0, 0, 180, RowY(3)), kWhite), 0);
    EXPECT_GT(Count(VelRect(0, 30, 100, 50), RGB(0, 0, 0)), 0) << "the text is there";
}

TEST_F(GridInputTest, ASecondThreadChangesTheListWhileThisOnePaints)
{
    std::atomic<bool> done(false);
    std::thread worker([this, &done] {
        std::vector<VelItem*> added;
        for (int i = 0; i < 150; ++i) {
            added.push_back(Item(L"t" + std::to_wstring(i)));
            grid->AddItemToGroup(added.back(), group);
        }
        for (int i = 0; i < 100; ++i)
            grid->RemoveItem(added[size_t(i)]);
        for (int i = 0; i < 20; ++i)
            grid->RemoveItem(items[size_t(i)]);
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int passes = 0;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        grid->InvalidateRect(VelRect());
        Settle();
        ++passes;
    }
    ASSERT_TRUE(done) << "the two threads blocked each other";
    worker.join();
    EXPECT_GT(passes, 0);
    EXPECT_EQ(grid->GetItemCount(), 60);
    Settle();
    EXPECT_EQ(grid->GetPainter()->GetRowCount(), 61) << "the other thread's repaint reached this one";
    EXPECT_TRUE(PaintedAsFresh());
}

TEST_F(GridInputTest, ARowsScrollDoesNotCarryAControlDrawnOverTheList)
{
    // An opaque box over part of the list, as a docked key or a progress bar sits.
    class Box : public VelControl {
    public:
        int OnPaint(const VelPaintEventArgs* args) override
        {
            args->canvas->SetBackColor(VelColor(255, 0, 0));
            args->canvas->FillRect(GetClientRect());
            return 0;
        }
    };
    Box* box = new Box;
    box->Create(&window, kVelStyleVisible, VelRect(20, 150, 120, 180));
    Settle();
    Down(kX, 250);
    for (int y = 240; y >= 120; y -= 10)
        Move(kX, y, 20);
    EXPECT_EQ(Position(), 130);
    EXPECT_EQ(Count(VelRect(0, 0, 180, 320), RGB(255, 0, 0)), 100 * 30) << "red only where the box is";
    EXPECT_TRUE(PaintedAsFresh());
    Up(kX, 120, 700);
    box->Destroy();
    delete box;
}

TEST_F(GridModelTest, AShortListPushedPastItsEndShowsTheBackgroundThereAndComesBack)
{
    EXPECT_EQ(Pixel(100, 100), kBackground) << "an empty grid paints its background";
    Fill(L"G", 2);
    EXPECT_EQ(Pixel(100, 40), kItem);
    Down(kX, 300);
    Move(kX, 200, 300);
    Move(kX, 100, 300);
    EXPECT_EQ(grid->GetScrollPosition(), 200) << "the rows are all above the view now";
    EXPECT_EQ(Count(VelRect(0, 0, 180, kHeight), kBackground), 180 * kHeight);
    Up(kX, 100, 20);
    for (int i = 0; i < 50 && grid->IsScrolling(); ++i)
        FlingTick(30);
    EXPECT_EQ(grid->GetScrollPosition(), 0);
    EXPECT_EQ(Pixel(100, 40), kItem);
    EXPECT_EQ(Pixel(100, 100), kBackground);
}

// The grid's set of items against a tree, through growth, erasure from the
// middle of long probe runs and emptying, with shared and raw entries.
TEST(GridItemSetTest, AgreesWithATreeThroughInsertsAndErasures)
{
    std::vector<boost::shared_ptr<VelItem>> items;
    for (int i = 0; i < 3000; ++i)
        items.push_back(boost::shared_ptr<VelItem>(new VelStringItem(L"", L"", 0)));
    VelGridViewItemSet<boost::shared_ptr<VelItem>> shared;
    VelGridViewItemSet<const VelItem*> raw;
    std::set<const VelItem*> reference;
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int round = 0; round < 20000; ++round) {
        const boost::shared_ptr<VelItem>& item = items[next() % items.size()];
        const bool in = reference.count(item.get()) != 0;
        if (next() % 3 != 0) {
            EXPECT_EQ(shared.Insert(item), !in);
            EXPECT_EQ(raw.Insert(item.get()), !in);
            reference.insert(item.get());
        } else {
            EXPECT_EQ(shared.Erase(item.get()), in);
            EXPECT_EQ(raw.Erase(item.get()), in);
            reference.erase(item.get());
        }
        if (round % 1000 == 0 || round == 19999) {
            ASSERT_EQ(shared.GetCount(), reference.size());
            ASSERT_EQ(raw.GetCount(), reference.size());
            for (const boost::shared_ptr<VelItem>& each : items) {
                const bool expected = reference.count(each.get()) != 0;
                ASSERT_EQ(shared.Contains(each.get()), expected);
                ASSERT_EQ(raw.Contains(each.get()), expected);
                if (expected)
                    ASSERT_EQ(shared.Find(each.get())->get(), each.get());
            }
        }
    }
    // The shared set holds a share in what it holds, and lets it go.
    const long before = items[0].use_count();
    shared.Clear();
    EXPECT_EQ(shared.GetCount(), 0u);
    EXPECT_LE(items[0].use_count(), before);
    EXPECT_EQ(items[0].use_count(), 1);
    EXPECT_FALSE(shared.Contains(nullptr));
    EXPECT_FALSE(raw.Insert(nullptr));
}
