#include "GridTestKit.h"
#include "ListRows.h"
#include "VelItemIterator.h"

#include <climits>

using namespace gridkit;

namespace {

std::wstring TextOf(const VelItem* item)
{
    if (!item)
        return L"-";
    const VelStringItem* s = dynamic_cast<const VelStringItem*>(item);
    return s ? s->GetText() : L"?";
}

// Texts of the walk, "-" for a null step.
std::wstring Walk(VelItemIterator& it, VelItem* (VelItemIterator::*step)(), int steps)
{
    std::wstring out;
    for (int i = 0; i < steps; ++i)
        out += TextOf((it.*step)()) + L" ";
    return out;
}

VelItemIterator::Groups ThreeGroups(bool lastEmpty)
{
    VelItemIterator::Groups groups;
    for (const wchar_t* name : {L"A", L"B", L"C"})
        groups.push_back(VelItemIterator::Groups::value_type(new VelGroupItem(name, name, 0)));
    groups[0]->AddChild(new VelStringItem(L"a1", L"a1", 0));
    groups[0]->AddChild(new VelStringItem(L"a2", L"a2", 0));
    if (!lastEmpty)
        groups[2]->AddChild(new VelStringItem(L"c1", L"c1", 0));
    return groups;
}

}  // namespace

TEST(ItemIterator, WalksGroupsThenTheirChildrenDepthFirst)
{
    const VelItemIterator::Groups groups = ThreeGroups(false);
    VelItemIterator it(groups);
    EXPECT_EQ(it.Current(), nullptr);
    std::wstring seen;
    while (it.HasNext())
        seen += TextOf(it.Next()) + L" ";
    EXPECT_EQ(seen, L"A a1 a2 B C c1 ");
    EXPECT_EQ(TextOf(it.Next()), L"-");

    VelItemIterator back(groups);
    EXPECT_EQ(TextOf(back.Last()), L"c1");
    EXPECT_EQ(Walk(back, &VelItemIterator::Previous, 7), L"C B a2 a1 A - c1 ");

    VelItemIterator skip(groups);
    skip.Next();
    skip.Next();
    EXPECT_EQ(Walk(skip, &VelItemIterator::NextGroup, 3), L"B C - ");
    EXPECT_EQ(Walk(skip, &VelItemIterator::PreviousGroup, 3), L"C B A ");

    // Skipping a group's children: onto the next group and one step back.
    VelItemIterator collapse(groups);
    collapse.Next();
    collapse.NextGroup();
    EXPECT_EQ(TextOf(collapse.Previous()), L"a2");
    EXPECT_EQ(TextOf(collapse.Next()), L"B");
}

TEST(ItemIterator, EndsCleanlyOnEmptyGroupsAndEmptyLists)
{
    const VelItemIterator::Groups groups = ThreeGroups(true);
    VelItemIterator it(groups);
    std::wstring seen;
    while (it.HasNext())
        seen += TextOf(it.Next()) + L" ";
    EXPECT_EQ(seen, L"A a1 a2 B C ");
    VelItemIterator last(groups);
    EXPECT_EQ(TextOf(last.Last()), L"C") << "the last group itself when it has no children";

    // Skipping the last group's children leaves nothing to walk.
    VelItemIterator end(groups);
    while (end.HasNext() && end.Next() != groups[2].get()) {
    }
    end.NextGroup();
    end.Previous();
    EXPECT_FALSE(end.HasNext());

    const VelItemIterator::Groups none;
    VelItemIterator empty(none);
    EXPECT_FALSE(empty.HasNext());
    EXPECT_EQ(empty.First(), nullptr);
    EXPECT_EQ(empty.Next(), nullptr);
    EXPECT_EQ(empty.Last(), nullptr);
}

class GridLayoutTest : public GridFixture {
protected:
    VelGridViewPainter* Painter() { return grid->GetPainter(); }
    // The table as texts, rows separated by "|".
    std::wstring Table()
    {
        Settle();
        std::wstring out;
        for (const std::vector<std::wstring>& cells : ReadLayout(*grid, &TextOf)) {
            for (const std::wstring& cell : cells)
                out += cell + L" ";
            out += L"|";
        }
        return out;
    }
    std::vector<int> Bottoms()
    {
        Settle();
        std::vector<int> b;
        for (int r = 0; r < Painter()->GetRowCount(); ++r)
            b.push_back(Painter()->GetRowBottom(r));
        return b;
    }
};

TEST_F(GridLayoutTest, AGroupTakesAWholeRowAndTheLastRowIsPaddedWithTheBackground)
{
    grid->SetColumnCount(2);
    Fill(L"G", 3);
    EXPECT_EQ(Table(), L"G G |G 0 G 1 |G 2 - |");
    EXPECT_EQ(Bottoms(), (std::vector<int>{30, 50, 70}));
    EXPECT_EQ(Painter()->GetCellWidth(), 120);
    EXPECT_EQ(grid->GetContentHeight(), 70);

    EXPECT_EQ(Pixel(150, 10), kHeader) << "the group's row reaches across both columns";
    EXPECT_EQ(Pixel(100, 45), kItem);
    EXPECT_EQ(Pixel(150, 45), kItem);
    EXPECT_EQ(Pixel(100, 65), kItem);
    EXPECT_EQ(Pixel(150, 65), kBackground) << "the empty cell";
    EXPECT_EQ(Pixel(100, 200), kBackground) << "below the content";
}

TEST_F(GridLayoutTest, CollapsedHiddenAndEmptyGroupsShapeTheTable)
{
    std::vector<VelItem*> items;
    VelGroupItem* first = Fill(L"A", 3, &items);
    Fill(L"B", 1);
    VelGroupItem* empty = Group(L"C");
    grid->AddGroup(empty);
    EXPECT_EQ(Table(), L"A |A 0 |A 1 |A 2 |B |B 0 |C |");

    first->SetCollapsed(true);
    grid->SetLayoutDirty(true);
    EXPECT_EQ(Table(), L"A |B |B 0 |C |") << "a collapsed group's children take no rows";
    grid->ExpandAllGroups();
    EXPECT_EQ(Table(), L"A |A 0 |A 1 |A 2 |B |B 0 |C |");

    items[1]->SetVisible(false);
    grid->SetLayoutDirty(true);
    EXPECT_EQ(Table(), L"A |A 0 |A 2 |B |B 0 |C |") << "a hidden child leaves no gap";

    grid->SetHideEmptyGroups(true);
    grid->SetLayoutDirty(true);
    EXPECT_EQ(Table(), L"A |A 0 |A 2 |B |B 0 |");
    EXPECT_TRUE(empty->IsHidden()) << "the layout hid it";
    grid->AddItemToGroup(Item(L"C 0"), empty);
    EXPECT_EQ(Table(), L"A |A 0 |A 2 |B |B 0 |C |C 0 |");

    // A hidden group that is not collapsed still shows its children.
    first->SetVisible(false);
    grid->SetHideEmptyGroups(false);
    grid->SetLayoutDirty(true);
    EXPECT_EQ(Table(), L"A 0 |A 2 |B |B 0 |C |C 0 |");
}

TEST_F(GridLayoutTest, HitTestsMissPastTheLastColumnAndBelowTheContent)
{
    grid->SetColumnCount(7);  // 240 / 7 = 34: pixels 238 and 239 belong to no column
    Fill(L"G", 10);
    Settle();
    VelGridViewPainter* painter = Painter();
    ASSERT_EQ(painter->GetCellWidth(), 34);
    struct Case {
        int x, y;
        VelPoint cell;
    };
    const Case cases[] = {
        {0, 0, VelPoint(0, 0)},
        {237, 10, VelPoint(6, 0)},
        {238, 10, VelPoint(INT_MAX, INT_MAX)},
        {-1, 40, VelPoint(INT_MAX, INT_MAX)},  // unsigned: far right
        {40, 35, VelPoint(1, 1)},
        {40, 50, VelPoint(1, 1)},  // the bottom itself belongs to the row above
        {40, 51, VelPoint(1, 2)},
        {40, 70, VelPoint(1, 2)},
        {40, 71, VelPoint(INT_MAX, INT_MAX)},  // below the content
        {40, -25, VelPoint(1, 0)},             // above it, pulled past the top
    };
    for (const Case& c : cases)
        EXPECT_EQ(painter->CellAtPoint(VelPoint(c.x, c.y)), c.cell) << c.x << "," << c.y;

    VelPoint cell;
    EXPECT_EQ(grid->GetItemAtPoint(VelPoint(238, 40), cell), nullptr);
    VelItem* hit = grid->GetItemAtPoint(VelPoint(40, 60), cell);
    EXPECT_EQ(TextOf(hit), L"G 8");
    EXPECT_EQ(cell, VelPoint(1, 2));
    EXPECT_EQ(grid->GetCellOfItem(hit, cell), 0u);
    EXPECT_EQ(cell, VelPoint(1, 2));
    VelStringItem stranger(L"x", L"x", 0);
    EXPECT_EQ(grid->GetCellOfItem(&stranger, cell), DWORD(VelGridView::kStatusNotLaidOut));

    const VelRect rect = grid->GetCellRect(hit, VelPoint(1, 2));
    EXPECT_EQ(rect, VelRect(34, 51, 68, 70));
    const VelRect header = grid->GetCellRect(grid->GetItemAtCell(0, 0), VelPoint(0, 0));
    EXPECT_EQ(header, VelRect(0, 0, 240, 30)) << "a whole-row item reaches the view's right edge";
}

TEST_F(GridLayoutTest, SeparatorsGoAtTheTopOfEachRowAndRowZeroKeepsItsHeight)
{
    grid->SetSeparatorStyle(1);
    grid->GetDefaultGroup()->SetVisible(false);
    for (int i = 0; i < 3; ++i)
        grid->AddItem(Item(L"i" + std::to_wstring(i)));
    // A cell row adds the line's width twice after a cell row, once at the top.
    EXPECT_EQ(Bottoms(), (std::vector<int>{21, 43, 65}));
    EXPECT_EQ(Pixel(100, 0), kLine);
    EXPECT_EQ(Pixel(100, 1), kItem) << "row 0 keeps its whole height";
    EXPECT_EQ(Pixel(100, 20), kItem);
    EXPECT_EQ(Pixel(100, 21), kLine);
    EXPECT_EQ(Pixel(100, 22), kItem);
    EXPECT_EQ(Pixel(100, 43), kLine);

    // Next to a group no line, unless group separators are on.
    VelGroupItem* group = Group(L"G");
    grid->AddGroup(group);
    grid->AddItemToGroup(Item(L"g0"), group);
    EXPECT_EQ(Bottoms(), (std::vector<int>{21, 43, 65, 96, 117}));
    EXPECT_EQ(Pixel(100, 65), kHeader);
    EXPECT_EQ(Pixel(100, 96), kItem);
    grid->SetGroupSeparators(true);
    grid->SetLayoutDirty(true);
    EXPECT_EQ(Bottoms(), (std::vector<int>{21, 43, 65, 96, 118}));
    EXPECT_EQ(Pixel(100, 65), kLine);
    EXPECT_EQ(Pixel(100, 96), kLine);
}

TEST_F(GridLayoutTest, TheFloatingLabelNamesTheGroupAtTheTop)
{
    grid->SetGroupLabels(true);
    VelGroupItem* a = Fill(L"A", 10);
    VelGroupItem* b = Fill(L"B", 30);
    Settle();
    VelGridViewPainter* painter = Painter();
    EXPECT_EQ(painter->GroupAtY(0), a);
    EXPECT_EQ(painter->GroupAtY(230), a);
    EXPECT_EQ(painter->GroupAtY(231), b);
    EXPECT_EQ(painter->GroupAtY(-5), nullptr) << "pulled past the top: no label";
    EXPECT_EQ(painter->GetCurrentLabel(), a);

    // The label is drawn in white over the green header and the grey rows.
    auto whiteAtTop = [this] { return Count(VelRect(0, 0, 180, 30), kWhite); };
    EXPECT_GT(whiteAtTop(), 0);
    grid->ScrollTo(300, false);
    Settle();
    EXPECT_EQ(painter->GetCurrentLabel(), b);

    // While-scrolling mode: gone once the label timer fires.
    grid->SetLabelMode(VelGridView::kLabelWhileScrolling);
    grid->ScrollTo(0, true);
    Settle();
    EXPECT_TRUE(grid->IsLabelShown());
    EXPECT_EQ(painter->GetCurrentLabel(), a);
    Timer(grid->GetLabelTimerId(), 2000);
    Settle();
    EXPECT_FALSE(grid->IsLabelShown());
    EXPECT_EQ(painter->GetCurrentLabel(), nullptr);
    EXPECT_EQ(whiteAtTop(), 0) << "the rows under the label are painted again";
}

namespace {

// A row whose height follows its text, and that counts how often it is measured.
class MeasuredItem : public VelStringItem {
public:
    MeasuredItem(const std::wstring& text, int* measures)
        : VelStringItem(text, text, DT_SINGLELINE), m_measures(measures)
    {
    }
    int Measure(VelCanvas*) override
    {
        ++*m_measures;
        return 14 + int(GetText().size() % 9);
    }

private:
    int* m_measures;
};

}  // namespace

class GridInsertionLayoutTest : public GridLayoutTest {
protected:
    // Everything the layout answers: cells, bottoms, stored heights and the group of each row.
    std::wstring Shape()
    {
        std::wstring out = Table();
        for (int r = 0; r < Painter()->GetRowCount(); ++r) {
            const VelGroupItem* group = Painter()->GroupAtY(Painter()->GetRowBottom(r));
            out += L" " + std::to_wstring(Painter()->GetRowBottom(r)) + L"/" +
                   std::to_wstring(Painter()->GetRowHeight(r)) + L"/" + (group ? group->GetText() : L"-");
        }
        out += L" tallest " + std::to_wstring(Painter()->GetTallestRow()) + L" content " +
               std::to_wstring(grid->GetContentHeight());
        return out;
    }
    // The shape after the layout that placed only the new rows, then after a whole one.
    void ExpectAsAWholeLayout(const std::string& when)
    {
        const std::wstring placed = Shape();
        grid->SetLayoutDirty(true);
        EXPECT_EQ(placed, Shape()) << when;
    }
    int measures = 0;
};

TEST_F(GridInsertionLayoutTest, RowsAddedBetweenLayoutsGoWhereAWholeLayoutPutsThem)
{
    struct Look {
        int separatorStyle;
        bool groupSeparators;
        int rowHeight;  // -1: each row measured
    };
    const Look looks[] = {{0, false, 20}, {1, false, -1}, {1, true, -1}, {3, true, 20}};
    for (const Look& look : looks) {
        SCOPED_TRACE("separators " + std::to_string(look.separatorStyle) + (look.groupSeparators ? " with" : "") +
                     ", row height " + std::to_string(look.rowHeight));
        grid->RemoveAllItems();
        grid->RemoveAllGroups();
        grid->SetSeparatorStyle(look.separatorStyle);
        grid->SetGroupSeparators(look.groupSeparators);
        grid->SetRowHeight(look.rowHeight);
        grid->SetGroupSortMode(VelGridView::kSortAscending);
        std::vector<VelGroupItem*> groups;
        for (const wchar_t* name : {L"D", L"B", L"E", L"A", L"C"}) {
            VelGroupItem* group = Group(name);
            group->SetSortMode(VelGroupItem::kAscending);
            grid->AddGroup(group);
            groups.push_back(group);
        }
        groups[2]->SetCollapsed(true);  // E: its rows come, none shows
        groups[4]->SetVisible(false);   // C: its rows show without their header
        grid->SetLayoutDirty(true);
        Settle();
        unsigned seed = 7;
        auto next = [&seed](unsigned below) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % below;
        };
        for (int round = 0; round < 12; ++round) {
            // Some rounds come as a batch, the way a loader adds them.
            const bool batch = round % 3 == 1;
            if (batch)
                grid->BeginUpdate();
            for (int i = 0; i < 5; ++i) {
                VelGroupItem* group = groups[next(unsigned(groups.size()))];
                grid->AddItemToGroup(new MeasuredItem(group->GetText() + std::to_wstring(next(1000)), &measures),
                                     group);
            }
            if (batch)
                grid->EndUpdate();
            ExpectAsAWholeLayout("round " + std::to_string(round));
        }
        // A hidden row keeps a whole layout to itself; rows added after it still land right.
        VelItem* hidden = groups[0]->GetChildren().front().get();
        hidden->SetVisible(false);
        grid->SetLayoutDirty(true);
        Settle();
        grid->AddItemToGroup(new MeasuredItem(L"D0", &measures), groups[0]);
        grid->AddItemToGroup(new MeasuredItem(L"A5", &measures), groups[3]);
        ExpectAsAWholeLayout("after a hidden row");
        EXPECT_EQ(Table().find(TextOf(hidden) + L" "), std::wstring::npos);
    }
}

TEST_F(GridInsertionLayoutTest, ALayoutAfterAnAddMeasuresOnlyTheNewRow)
{
    grid->SetRowHeight(-1);
    VelGroupItem* group = Group(L"G");
    group->SetSortMode(VelGroupItem::kAscending);
    grid->AddGroup(group);
    for (int i = 0; i < 100; ++i)
        grid->AddItemToGroup(new MeasuredItem(L"row " + std::to_wstring(1000 + i), &measures), group);
    Settle();
    measures = 0;
    grid->AddItemToGroup(new MeasuredItem(L"row 1050a", &measures), group);
    Settle();
    EXPECT_EQ(measures, 1);
    EXPECT_EQ(TextOf(Painter()->GetCell(0, 52)), L"row 1050a") << "after its header and the 51 rows before it";

    // Anything but an add lays every row out again.
    measures = 0;
    grid->SetLayoutDirty(true);
    Settle();
    EXPECT_EQ(measures, 101);
}
