#include <gtest/gtest.h>

#include "VelGDIRenderer.h"
#include "ListRows.h"
#include "VelGroupItem.h"
#include "VelThemeDefault.h"

#include <boost/make_shared.hpp>
#include <boost/weak_ptr.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef boost::shared_ptr<VelItem> ItemPtr;
typedef boost::shared_ptr<VelStringItem> StringPtr;
typedef boost::shared_ptr<VelGroupItem> GroupPtr;

const UINT kFormat = DT_SINGLELINE | DT_END_ELLIPSIS;

// An entry with no text, like a menu entry.
class PlainItem : public VelItem {
public:
    explicit PlainItem(const std::wstring& key = L"plain", DWORD state = 0, bool cell = true)
        : VelItem(key, state, cell)
    {
    }
    int Measure(VelCanvas*) override { return 0; }
};

// Counts the events an item raises.
class EventProbe {
public:
    explicit EventProbe(VelItem& item)
    {
        item.StateChanged += VelBind(this, &EventProbe::OnState);
        item.DataChanged += VelBind(this, &EventProbe::OnData);
    }
    void OnState(VelItem* sender, const VelItemStateChangeEventArgs* args)
    {
        EXPECT_EQ(args->item, sender);
        ++stateChanges;
    }
    void OnData(VelItem* sender, const VelItemDataChangeEventArgs* args)
    {
        EXPECT_EQ(args->item, sender);
        ++dataChanges;
    }
    int stateChanges = 0;
    int dataChanges = 0;
};

std::vector<std::wstring> Texts(const VelGroupItem& group)
{
    return ReadChildren(group,
                        [](const VelItem* child) { return static_cast<const VelStringItem*>(child)->GetText(); });
}

StringPtr Text(const std::wstring& text, const std::wstring& key = std::wstring())
{
    return boost::make_shared<VelStringItem>(text, key.empty() ? text : key, kFormat);
}

struct StateCase {
    const char* name;
    std::function<void(VelItem&, bool)> set;
    std::function<bool(const VelItem&)> get;
    bool setsBitWhen;  // the argument that sets the bit
    DWORD bit;
};

const StateCase kStateCases[] = {
    {"visible", [](VelItem& i, bool v) { i.SetVisible(v); }, [](const VelItem& i) { return i.IsVisible(); }, false,
     VelItem::kHidden},
    {"collapsed", [](VelItem& i, bool v) { i.SetCollapsed(v); }, [](const VelItem& i) { return i.IsCollapsed(); }, true,
     VelItem::kCollapsed},
    {"selected", [](VelItem& i, bool v) { i.SetSelected(v); }, [](const VelItem& i) { return i.IsSelected(); }, true,
     VelItem::kSelected},
    {"pressed", [](VelItem& i, bool v) { i.SetPressed(v); }, [](const VelItem& i) { return i.IsPressed(); }, true,
     VelItem::kPressed},
    {"disabled", [](VelItem& i, bool v) { i.SetDisabled(v); }, [](const VelItem& i) { return i.IsDisabled(); }, true,
     VelItem::kDisabled},
};

TEST(ItemStateTest, SettersRaiseOnlyOnARealChange)
{
    for (const StateCase& c : kStateCases) {
        SCOPED_TRACE(c.name);
        PlainItem item(L"k", 0x02);
        EventProbe probe(item);

        c.set(item, !c.setsBitWhen);
        EXPECT_EQ(probe.stateChanges, 0) << "the value it already has";
        c.set(item, c.setsBitWhen);
        EXPECT_EQ(item.GetState(), 0x02 | c.bit);
        EXPECT_EQ(c.get(item), c.setsBitWhen);
        EXPECT_EQ(probe.stateChanges, 1);
        c.set(item, c.setsBitWhen);
        EXPECT_EQ(probe.stateChanges, 1) << "set again";
        c.set(item, !c.setsBitWhen);
        EXPECT_EQ(item.GetState(), 0x02u) << "the meaningless bit stays";
        EXPECT_EQ(probe.stateChanges, 2);
    }
}

TEST(ItemStateTest, TogglesFlipTheirBitSilently)
{
    struct Case {
        std::function<void(VelItem&)> toggle;
        DWORD bit;
    };
    const Case cases[] = {
        {[](VelItem& i) { i.ToggleHidden(); }, VelItem::kHidden},
        {[](VelItem& i) { i.ToggleSelected(); }, VelItem::kSelected},
        {[](VelItem& i) { i.ToggleCollapsed(); }, VelItem::kCollapsed},
        {[](VelItem& i) { i.TogglePressed(); }, VelItem::kPressed},
        {[](VelItem& i) { i.ToggleDisabled(); }, VelItem::kDisabled},
    };
    for (const Case& c : cases) {
        VelStringItem item(L"a", L"a", kFormat);
        EventProbe probe(item);
        c.toggle(item);
        EXPECT_EQ(item.GetState(), c.bit);
        c.toggle(item);
        EXPECT_EQ(item.GetState(), 0u);
        EXPECT_EQ(probe.stateChanges, 0);
    }
}

TEST(ItemStateTest, HiddenAndEnabledGoThroughTheOverridableGetters)
{
    class Locked : public PlainItem {
    public:
        bool IsHidden() const override { return true; }
        bool IsDisabled() const override { return true; }
    };
    Locked item;
    EventProbe probe(item);
    EXPECT_FALSE(item.IsVisible());
    EXPECT_FALSE(item.IsEnabled());
    item.SetVisible(false);
    item.SetDisabled(true);
    EXPECT_EQ(probe.stateChanges, 0) << "the getters already answer so";
    EXPECT_EQ(item.GetState(), 0u);
    item.SetVisible(true);
    EXPECT_EQ(probe.stateChanges, 1);
    EXPECT_EQ(item.GetState(), 0u) << "SetVisible(true) clears the hidden bit";
}

TEST(ItemTest, EachKindStartsAsItShould)
{
    PlainItem plain(L"p", 0x3F, false);
    VelStringItem string(L"text", L"s", kFormat);
    VelGroupItem group(L"Group", L"g", DT_CENTER);

    EXPECT_EQ(plain.GetState(), 0x3Fu);
    EXPECT_TRUE(plain.IsHidden() && plain.IsDisabled() && plain.IsSelected() && plain.IsCollapsed() &&
                plain.IsPressed());
    EXPECT_FALSE(plain.IsCellItem());
    EXPECT_EQ(string.GetState(), 0u);
    EXPECT_TRUE(string.IsCellItem());
    EXPECT_FALSE(string.IsGroup());
    EXPECT_EQ(group.GetState(), 0u);
    EXPECT_FALSE(group.IsCellItem()) << "a group header takes a whole row";
    EXPECT_TRUE(group.IsGroup());
    EXPECT_EQ(group.GetFormat(), static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(group.GetSortMode(), VelGroupItem::kNoSort);
    EXPECT_EQ(group.GetComparator(), nullptr);
    for (const VelItem* item : {static_cast<const VelItem*>(&plain), static_cast<const VelItem*>(&string),
                                static_cast<const VelItem*>(&group)}) {
        EXPECT_STREQ(item->GetClassName(), L"VelItem");
        EXPECT_EQ(item->GetOwner(), nullptr);
        EXPECT_EQ(item->GetName(), "");
    }
    EXPECT_EQ(string.Dump(), L"\t Item id s Object id " + std::to_wstring(string.GetId()) + L" class name VelItem\n");
}

TEST(ItemTest, OnlyTheTextRaisesDataChangedAndAlwaysDoes)
{
    VelStringItem item(L"same", L"key", kFormat);
    EventProbe probe(item);
    item.SetText(L"same");
    EXPECT_EQ(probe.dataChanges, 1);
    item.SetText(L"other");
    EXPECT_EQ(item.GetText(), L"other");
    EXPECT_EQ(probe.dataChanges, 2);
    item.SetKey(L"new key");
    item.SetCellItem(false);
    EXPECT_EQ(item.GetKey(), L"new key");
    EXPECT_FALSE(item.IsCellItem());
    EXPECT_EQ(probe.dataChanges, 2);
    EXPECT_EQ(probe.stateChanges, 0);
}

TEST(ItemOrderTest, TextsCompareByUnsignedCodeUnits)
{
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool aFirst;
    };
    const Case cases[] = {
        {L"a", L"b", true},      {L"b", L"a", false},      {L"B", L"a", true},       {L"ab", L"abc", true},
        {L"abc", L"ab", false},  {L"", L"a", true},        {L"a", L"a", false},      {L"\xD800", L"a", false},
        {L"z", L"\xFF21", true}, {L"\x00E9", L"e", false}, {L"Anna", L"anna", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        VelStringItem a(c.a, L"a", kFormat);
        VelStringItem b(c.b, L"b", kFormat);
        EXPECT_EQ(a.IsLessThan(&b), c.aFirst);
        EXPECT_EQ(b.IsGreaterThan(&a), c.aFirst);
        EXPECT_EQ(a.IsGreaterThan(&b), b.IsLessThan(&a));
        EXPECT_FALSE(a.IsEqualTo(&b));
    }
}

TEST(ItemOrderTest, AnItemWithoutTextIsUnordered)
{
    VelStringItem text(L"m", L"m", kFormat);
    PlainItem plain;
    EXPECT_FALSE(text.IsGreaterThan(&plain));
    EXPECT_FALSE(text.IsLessThan(&plain));
    EXPECT_FALSE(plain.IsLessThan(&text));
    EXPECT_FALSE(plain.IsGreaterThan(&text));
}

bool ByKey(const ItemPtr& a, const ItemPtr& b) { return a->GetKey() < b->GetKey(); }
// Texts from the last letter to the first: an order that neither built-in mode gives.
bool ByTextBackwards(const ItemPtr& a, const ItemPtr& b)
{
    return static_cast<const VelStringItem*>(b.get())->GetText() <
           static_cast<const VelStringItem*>(a.get())->GetText();
}

TEST(GroupTest, SortModesOrderTheChildren)
{
    struct Case {
        int mode;
        VelGroupItem::Comparator comparator;
        std::vector<std::wstring> order;
    };
    const Case cases[] = {
        {VelGroupItem::kNoSort, nullptr, {L"b", L"a", L"B"}},
        {VelGroupItem::kAscending, nullptr, {L"B", L"a", L"b"}},
        {VelGroupItem::kDescending, nullptr, {L"b", L"a", L"B"}},
        {VelGroupItem::kCustomSort, &ByKey, {L"a", L"b", L"B"}},
        {VelGroupItem::kCustomSort, nullptr, {L"b", L"a", L"B"}},
        {7, &ByKey, {L"b", L"a", L"B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        VelGroupItem group(L"g", L"g", kFormat);
        group.SetSortMode(c.mode);
        group.SetComparator(c.comparator);
        group.AddChild(Text(L"b", L"2"));
        group.AddChild(Text(L"a", L"1"));
        group.AddChild(Text(L"B", L"3"));
        EXPECT_EQ(Texts(group), c.order);
    }
}

TEST(GroupTest, SortingIsRedoneOnDemandAndAfterRemoval)
{
    VelGroupItem group(L"g", L"g", kFormat);
    for (const wchar_t* text : {L"c", L"a", L"d", L"b"})
        group.AddChild(Text(text));
    group.SetSortMode(VelGroupItem::kAscending);
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"c", L"a", L"d", L"b"})) << "a mode alone sorts nothing";
    group.RemoveChildByKey(L"d");
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    static_cast<VelStringItem*>(group.GetChildren()[0].get())->SetText(L"z");
    group.Sort();
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"b", L"c", L"z"}));
}

TEST(GroupTest, ChildrenAddedOutOfOrderTakeTheirPlaceAndEqualsKeepTheirArrival)
{
    struct Case {
        int mode;
        VelGroupItem::Comparator comparator;
        std::vector<std::wstring> order;
    };
    // Texts with their keys: "b" arrives twice, first as key 1 then as key 2.
    const std::vector<std::pair<std::wstring, std::wstring>> arrivals = {{L"d", L"0"}, {L"b", L"1"}, {L"e", L"2"},
                                                                         {L"a", L"3"}, {L"b", L"4"}, {L"c", L"5"}};
    const Case cases[] = {
        {VelGroupItem::kAscending, nullptr, {L"a3", L"b1", L"b4", L"c5", L"d0", L"e2"}},
        {VelGroupItem::kDescending, nullptr, {L"e2", L"d0", L"c5", L"b1", L"b4", L"a3"}},
        {VelGroupItem::kCustomSort, &ByKey, {L"d0", L"b1", L"e2", L"a3", L"b4", L"c5"}},
        {VelGroupItem::kNoSort, nullptr, {L"d0", L"b1", L"e2", L"a3", L"b4", L"c5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        VelGroupItem group(L"g", L"g", kFormat);
        group.SetSortMode(c.mode);
        group.SetComparator(c.comparator);
        for (const auto& a : arrivals)
            group.AddChild(Text(a.first, a.second));
        const std::vector<std::wstring> order = ReadChildren(group, [](const VelItem* child) {
            return static_cast<const VelStringItem*>(child)->GetText() + child->GetKey();
        });
        EXPECT_EQ(order, c.order);
    }
}

TEST(GroupTest, ChildrenAppendedInABatchEndWhereOneByOneAddsPutThem)
{
    // Many equals, more than a sort handles by insertion alone: a sort that
    // is not stable mixes up their arrival.
    std::vector<std::pair<std::wstring, std::wstring>> arrivals;
    for (int i = 0; i < 90; ++i)
        arrivals.emplace_back(std::wstring(1, L"cab"[(i * 7) % 3]), std::to_wstring(100 + i));
    const int modes[] = {VelGroupItem::kAscending, VelGroupItem::kDescending, VelGroupItem::kNoSort};
    for (int mode : modes) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        auto order = [](const VelGroupItem& group) {
            return ReadChildren(group, [](const VelItem* child) {
                return static_cast<const VelStringItem*>(child)->GetText() + child->GetKey();
            });
        };
        VelGroupItem oneByOne(L"g", L"g", kFormat);
        VelGroupItem batch(L"g", L"g", kFormat);
        oneByOne.SetSortMode(mode);
        batch.SetSortMode(mode);
        for (size_t i = 0; i < arrivals.size(); ++i) {
            oneByOne.AddChild(Text(arrivals[i].first, arrivals[i].second));
            // The batch comes after a few rows added one by one.
            if (i < 10)
                batch.AddChild(Text(arrivals[i].first, arrivals[i].second));
            else
                batch.AppendChild(Text(arrivals[i].first, arrivals[i].second));
        }
        EXPECT_EQ(batch.IsInOrder(), mode == VelGroupItem::kNoSort);
        batch.PutInOrder();
        EXPECT_TRUE(batch.IsInOrder());
        EXPECT_EQ(order(batch), order(oneByOne));
        // A removal leaves the others where they were.
        oneByOne.RemoveChildAt(5);
        batch.RemoveChildAt(5);
        EXPECT_EQ(order(batch), order(oneByOne));
    }
}

TEST(GroupTest, BatchesMergedRoundByRoundKeepTheOrderOfOneByOneAdds)
{
    // Rounds of appends, as a load's ticks give them, each put in order at
    // its end, with removals from the ordered part and the appended one
    // while a round is open: the same rows in the same order as adds one by one.
    auto order = [](const VelGroupItem& group) {
        return ReadChildren(group, [](const VelItem* child) {
            return static_cast<const VelStringItem*>(child)->GetText() + child->GetKey();
        });
    };
    const int modes[] = {VelGroupItem::kAscending, VelGroupItem::kDescending, VelGroupItem::kCustomSort};
    for (int mode : modes) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        VelGroupItem oneByOne(L"g", L"g", kFormat);
        VelGroupItem batch(L"g", L"g", kFormat);
        for (VelGroupItem* group : {&oneByOne, &batch}) {
            group->SetSortMode(mode);
            group->SetComparator(&ByTextBackwards);
        }
        int serial = 0;
        for (int round = 0; round < 6; ++round) {
            for (int i = 0; i < 23; ++i, ++serial) {
                const std::wstring text(1, wchar_t(L'a' + (serial * 11 + round) % 7));
                const std::wstring key = std::to_wstring(1000 + serial);
                oneByOne.AddChild(Text(text, key));
                batch.AppendChild(Text(text, key));
            }
            if (round % 2 == 1) {
                // The first child is ordered already; the last came in this round.
                const std::wstring keys[] = {batch.GetChildren().front()->GetKey(),
                                             batch.GetChildren().back()->GetKey()};
                for (const std::wstring& key : keys) {
                    ASSERT_EQ(batch.RemoveChildByKey(key), 1);
                    ASSERT_EQ(oneByOne.RemoveChildByKey(key), 1);
                }
            }
            batch.PutInOrder();
            ASSERT_EQ(order(batch), order(oneByOne)) << "round " << round;
        }
    }
}

TEST(GroupTest, AChildAddedAfterTheModeChangedSortsTheRestAndAChangedChildMovesBack)
{
    VelGroupItem group(L"g", L"g", kFormat);
    for (const wchar_t* text : {L"c", L"a", L"d"})
        group.AddChild(Text(text));
    group.SetSortMode(VelGroupItem::kAscending);
    group.AddChild(Text(L"b"));
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));

    VelStringItem* first = static_cast<VelStringItem*>(group.GetChildren()[0].get());
    first->SetText(L"cc");
    group.ResortChild(first);
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"b", L"c", L"cc", L"d"}));
    group.AddChild(Text(L"a"));
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"a", L"b", L"c", L"cc", L"d"}));
    // Removed and added again (its parents still name the group): once, in its place.
    ItemPtr b = group.GetChildren()[1];
    group.RemoveChild(b.get());
    group.AddChild(b);
    group.AddChild(b);
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"a", L"b", L"c", L"cc", L"d"}));
    StringPtr stranger = Text(L"x");
    group.ResortChild(stranger.get());
    EXPECT_EQ(group.GetChildCount(), 5u) << "an item the group does not hold is left alone";
}

TEST(GroupTest, AChildIsHeldOnce)
{
    VelGroupItem group(L"g", L"g", kFormat);
    StringPtr item = Text(L"a");
    group.AddChild(item);
    group.AddChild(item);
    group.AddChild(item.get());
    group.AddChild(ItemPtr());
    group.AddChild(static_cast<VelItem*>(nullptr));
    EXPECT_EQ(group.GetChildCount(), 1u);
    EXPECT_TRUE(group.ContainsChild(item.get()));
    EXPECT_EQ(item->GetParentGroups(), std::vector<VelGroupItem*>{&group});
}

TEST(GroupTest, RemovalAnswersWhetherAChildWentAndKeepsTheOthersInOrder)
{
    VelGroupItem group(L"g", L"g", kFormat);
    for (const wchar_t* key : {L"k", L"x", L"K", L"y", L"k"})
        group.AddChild(Text(key));
    PlainItem stranger;

    EXPECT_EQ(group.RemoveChild(&stranger), 0);
    EXPECT_EQ(group.RemoveChildAt(5), 0);
    EXPECT_EQ(group.RemoveChildByKey(L"z"), 0);
    EXPECT_EQ(group.GetChildCount(), 5u);

    EXPECT_EQ(group.RemoveChildByKey(L"k"), 1);
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"x", L"K", L"y", L"k"})) << "the first exact match only";
    EXPECT_EQ(group.RemoveChildAt(1), 1);
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"x", L"y", L"k"}));
    EXPECT_EQ(group.RemoveChild(group.GetChildren()[1].get()), 1);
    EXPECT_EQ(Texts(group), (std::vector<std::wstring>{L"x", L"k"}));
    group.ClearChildren();
    EXPECT_TRUE(group.IsEmpty());
    EXPECT_FALSE(group.HasChildren());
}

TEST(GroupTest, ARemovedChildLivesOnlyWhileAnotherOwnerHoldsIt)
{
    GroupPtr group = boost::make_shared<VelGroupItem>(L"g", L"g", kFormat);
    StringPtr kept = Text(L"kept");
    boost::weak_ptr<VelItem> dropped;
    {
        StringPtr item = Text(L"dropped");
        dropped = item;
        group->AddChild(item);
        group->AddChild(kept);
    }
    EXPECT_FALSE(dropped.expired()) << "the group shares the ownership";
    group->RemoveChild(dropped.lock().get());
    EXPECT_TRUE(dropped.expired());

    StringPtr again = Text(L"again");
    boost::weak_ptr<VelItem> released = again;
    group->AddChild(again);
    again.reset();
    group.reset();
    EXPECT_TRUE(released.expired()) << "a destroyed group releases its children";
    EXPECT_TRUE(kept->GetParentGroups().empty());
}

TEST(GroupTest, ARawItemAlreadySharedJoinsThatOwnership)
{
    GroupPtr group = boost::make_shared<VelGroupItem>(L"g", L"g", kFormat);
    StringPtr owner = Text(L"a");
    boost::weak_ptr<VelItem> watch = owner;
    group->AddChild(owner.get());
    owner.reset();
    ASSERT_FALSE(watch.expired()) << "a second, separate owner would have deleted it here";
    EXPECT_EQ(group->GetChildren()[0], watch.lock());

    group->AddChild(new VelStringItem(L"raw", L"raw", kFormat));
    EXPECT_EQ(group->GetChildCount(), 2u);
    group.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(GroupTest, VisibleChildrenFollowTheHiddenBit)
{
    VelGroupItem group(L"g", L"g", kFormat);
    EXPECT_FALSE(group.HasChildren());
    EXPECT_FALSE(group.HasVisibleChildren());
    StringPtr first = Text(L"a");
    StringPtr second = Text(L"b");
    first->SetVisible(false);
    second->SetVisible(false);
    group.AddChild(first);
    group.AddChild(second);
    EXPECT_TRUE(group.HasChildren());
    EXPECT_FALSE(group.HasVisibleChildren());
    second->SetVisible(true);
    EXPECT_TRUE(group.HasVisibleChildren());
    EXPECT_FALSE(first->HasChildren());
}

TEST(GroupTest, ParentGroupsOutliveRemovalButNotTheGroup)
{
    StringPtr item = Text(L"a");
    GroupPtr first = boost::make_shared<VelGroupItem>(L"1", L"1", kFormat);
    GroupPtr second = boost::make_shared<VelGroupItem>(L"2", L"2", kFormat);
    first->AddChild(item);
    second->AddChild(item);
    EXPECT_EQ(item->GetParentGroups(), (std::vector<VelGroupItem*>{first.get(), second.get()}));

    // How the list removes an item everywhere: a walk that removes as it goes.
    for (VelGroupItem* group : item->GetParentGroups())
        EXPECT_EQ(group->RemoveChild(item.get()), 1);
    EXPECT_EQ(item->GetParentGroups().size(), 2u);

    second->AddChild(item);
    EXPECT_EQ(item->GetParentGroups(), (std::vector<VelGroupItem*>{first.get(), second.get(), second.get()}));
    second.reset();
    EXPECT_EQ(item->GetParentGroups(), std::vector<VelGroupItem*>{first.get()}) << "the held item forgets it";
    first.reset();
    EXPECT_TRUE(item->GetParentGroups().empty()) << "so does an item it held once";

    item->RemoveParentGroup(nullptr);
    EXPECT_TRUE(item->GetParentGroups().empty());
}

// The key and the groups are kept together: each must survive every change of the other.
TEST(GroupTest, KeyAndParentGroupsSurviveEachOthersChanges)
{
    GroupPtr first = boost::make_shared<VelGroupItem>(L"1", L"1", kFormat);
    GroupPtr second = boost::make_shared<VelGroupItem>(L"2", L"2", kFormat);
    boost::shared_ptr<PlainItem> item = boost::make_shared<PlainItem>(L"");
    EXPECT_EQ(item->GetKey(), L"");
    first->AddChild(item);
    item->SetKey(L"set after the group");
    EXPECT_EQ(item->GetKey(), L"set after the group");
    EXPECT_EQ(item->GetParentGroups(), std::vector<VelGroupItem*>{first.get()});
    EXPECT_TRUE(first->ContainsChild(item.get()));

    second->AddChild(item);
    item->SetKey(L"");
    EXPECT_EQ(item->GetKey(), L"");
    EXPECT_EQ(item->GetParentGroups(), (std::vector<VelGroupItem*>{first.get(), second.get()}));
    EXPECT_TRUE(second->ContainsChild(item.get()));

    second.reset();
    EXPECT_EQ(item->GetParentGroups(), std::vector<VelGroupItem*>{first.get()});
    EXPECT_TRUE(first->ContainsChild(item.get()));
    item->SetKey(L"again");
    EXPECT_EQ(first->RemoveChild(item.get()), 1);
    EXPECT_EQ(item->GetKey(), L"again");
    EXPECT_EQ(item->GetParentGroups(), std::vector<VelGroupItem*>{first.get()}) << "a former group stays listed";
    first.reset();
    EXPECT_TRUE(item->GetParentGroups().empty());
    EXPECT_EQ(item->GetKey(), L"again");

    // An item with a key, in two groups, gone before both.
    GroupPtr third = boost::make_shared<VelGroupItem>(L"3", L"3", kFormat);
    GroupPtr fourth = boost::make_shared<VelGroupItem>(L"4", L"4", kFormat);
    StringPtr keyed = Text(L"k", L"a key");
    third->AddChild(keyed);
    fourth->AddChild(keyed);
    EXPECT_EQ(third->RemoveChild(keyed.get()), 1);
    EXPECT_EQ(fourth->RemoveChild(keyed.get()), 1);
    keyed.reset();
    third.reset();
    fourth.reset();
}

TEST(GroupTest, AnItemGoneBeforeItsFormerGroupLeavesNothingBehind)
{
    GroupPtr group = boost::make_shared<VelGroupItem>(L"g", L"g", kFormat);
    StringPtr item = Text(L"a");
    group->AddChild(item);
    group->RemoveChildAt(0);
    item.reset();
    // The group's destructor must not reach the destroyed item.
    group.reset();

    VelGroupItem other(L"o", L"o", kFormat);
    PlainItem plain;
    plain.AddParentGroup(&other);
    plain.AddParentGroup(&other);
    plain.RemoveParentGroup(&other);
    EXPECT_EQ(plain.GetParentGroups(), std::vector<VelGroupItem*>{&other});
}

// However a child leaves, a group destroyed later takes itself out of the
// lists of the items it held, whether they left, came back or died.
TEST(GroupTest, EveryWayOutLeavesNoDeadGroupInAnyList)
{
    const std::vector<std::pair<const char*, std::function<void(VelGroupItem&, VelItem*)>>> ways = {
        {"by item", [](VelGroupItem& g, VelItem* i) { EXPECT_EQ(g.RemoveChild(i), 1); }},
        {"by key", [](VelGroupItem& g, VelItem* i) { EXPECT_EQ(g.RemoveChildByKey(i->GetKey()), 1); }},
        {"by index", [](VelGroupItem& g, VelItem*) { EXPECT_EQ(g.RemoveChildAt(1), 1); }},
        {"all at once", [](VelGroupItem& g, VelItem*) { g.ClearChildren(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
        GroupPtr group = boost::make_shared<VelGroupItem>(L"g", L"g", kFormat);
        GroupPtr kept = boost::make_shared<VelGroupItem>(L"k", L"k", kFormat);
        StringPtr first = Text(L"a");
        StringPtr leaving = Text(L"b");
        StringPtr dying = Text(L"c");
        StringPtr returning = Text(L"d");
        for (const StringPtr& item : {first, leaving, dying, returning})
            group->AddChild(item);
        kept->AddChild(leaving);
        way.second(*group, leaving.get());
        group->RemoveChild(dying.get());
        group->RemoveChild(returning.get());
        group->AddChild(returning);
        EXPECT_TRUE(group->ContainsChild(returning.get()));
        EXPECT_FALSE(group->ContainsChild(leaving.get()));
        dying.reset();  // gone before its former group
        group.reset();
        EXPECT_EQ(leaving->GetParentGroups(), std::vector<VelGroupItem*>{kept.get()});
        EXPECT_TRUE(first->GetParentGroups().empty());
        EXPECT_TRUE(returning->GetParentGroups().empty());
    }
}

// Records the item operations of the theme, with the canvas format each text
// operation found.
class RecordingTheme : public VelThemeDefault {
public:
    struct Text {
        std::string name;
        VelPoint point;
        UINT format;
        SIZE size;
    };

    void DrawItemBackground(VelCanvas* c, const RECT& r) override { Call("ItemBackground", c, r); }
    void DrawPressedItemBackground(VelCanvas* c, const RECT& r) override { Call("PressedBackground", c, r); }
    void DrawSelectedItemBackground(VelCanvas* c, const RECT& r) override { Call("SelectedBackground", c, r); }
    void DrawDisabledOverlay(VelCanvas* c, const RECT& r) override { Call("DisabledOverlay", c, r); }
    void DrawGroupHeaderBackground(VelCanvas* c, const RECT& r) override { Call("GroupBackground", c, r); }
    void DrawCollapsedGroupMark(VelCanvas* c, const RECT& r) override { Call("CollapsedMark", c, r); }
    void DrawExpandedGroupMark(VelCanvas* c, const RECT& r) override { Call("ExpandedMark", c, r); }
    void DrawItemText(VelCanvas* c, const VelPoint& p, const std::wstring&) override
    {
        Write("ItemText", c, p, SIZE{0, 0});
    }
    void DrawPressedItemText(VelCanvas* c, const VelPoint& p, const std::wstring&, const SIZE& s) override
    {
        Write("PressedText", c, p, s);
    }
    void DrawSelectedItemText(VelCanvas* c, const VelPoint& p, const std::wstring&, const SIZE& s) override
    {
        Write("SelectedText", c, p, s);
    }
    void DrawGroupHeaderText(VelCanvas* c, const VelPoint& p, const std::wstring&, const SIZE& s) override
    {
        Write("GroupText", c, p, s);
    }

    std::vector<std::string> calls;
    std::vector<Text> texts;

private:
    void Call(const char* name, VelCanvas*, const RECT& rect)
    {
        calls.push_back(name);
        EXPECT_EQ(VelRect(rect), VelRect(kRect)) << name;
    }
    void Write(const char* name, VelCanvas* canvas, const VelPoint& point, const SIZE& size)
    {
        calls.push_back(name);
        texts.push_back(Text{name, point, canvas->GetTextFormat(), size});
    }

public:
    static constexpr RECT kRect = {10, 20, 110, 60};
};

class ItemPaintTest : public ::testing::Test {
protected:
    ItemPaintTest() : canvas(renderer.CreateCanvas(160, 80)), previous(CurrentTheme) { CurrentTheme = &theme; }
    ~ItemPaintTest() override { CurrentTheme = previous; }

    std::vector<std::string> PaintAll(VelItem& item)
    {
        theme.calls.clear();
        theme.texts.clear();
        item.PaintAll(canvas.get(), RecordingTheme::kRect);
        return theme.calls;
    }

    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas;
    RecordingTheme theme;
    VelTheme* previous;
};

typedef std::vector<std::string> Calls;

TEST_F(ItemPaintTest, PaintAllRunsTheFourPartsInOrder)
{
    class Parts : public PlainItem {
    public:
        void PaintBackground(VelCanvas*, const RECT&) override { order += "B"; }
        void PaintContent(VelCanvas*, const RECT&) override { order += "C"; }
        void PaintOverlay(VelCanvas*, const RECT&) override { order += "O"; }
        void PaintState(VelCanvas*, const RECT&) override { order += "S"; }
        std::string order;
    };
    Parts parts;
    EXPECT_TRUE(PaintAll(parts).empty());
    EXPECT_EQ(parts.order, "BCOS");
    PlainItem plain(L"p", 0x3F);
    EXPECT_TRUE(PaintAll(plain).empty()) << "a bare item draws nothing";
}

TEST_F(ItemPaintTest, AStringItemPaintsByItsState)
{
    struct Case {
        DWORD state;
        Calls calls;
    };
    const Case cases[] = {
        {0, {"ItemBackground", "ItemText"}},
        {VelItem::kHidden | VelItem::kCollapsed, {"ItemBackground", "ItemText"}},
        {VelItem::kSelected, {"SelectedBackground", "SelectedText"}},
        {VelItem::kPressed, {"PressedBackground", "PressedText"}},
        {VelItem::kPressed | VelItem::kSelected,
         {"PressedBackground", "SelectedBackground", "PressedText", "SelectedText"}},
        {VelItem::kDisabled, {"ItemBackground", "ItemText", "DisabledOverlay"}},
        {VelItem::kDisabled | VelItem::kSelected, {"SelectedBackground", "SelectedText", "DisabledOverlay"}},
    };
    for (const Case& c : cases) {
        VelStringItem item(L"text", L"k", kFormat);
        item.SetSelected(c.state & VelItem::kSelected);
        item.SetPressed(c.state & VelItem::kPressed);
        item.SetDisabled(c.state & VelItem::kDisabled);
        item.SetVisible(!(c.state & VelItem::kHidden));
        item.SetCollapsed(c.state & VelItem::kCollapsed);
        EXPECT_EQ(PaintAll(item), c.calls) << "state " << c.state;
    }
}

TEST_F(ItemPaintTest, AGroupShowsItsMarkByTheCollapsedBitAndNoOtherState)
{
    struct Case {
        DWORD state;
        const char* mark;
    };
    const Case cases[] = {
        {0, "ExpandedMark"},
        {VelItem::kCollapsed, "CollapsedMark"},
        {VelItem::kSelected | VelItem::kPressed | VelItem::kDisabled, "ExpandedMark"},
    };
    for (const Case& c : cases) {
        VelGroupItem group(L"Group", L"g", kFormat);
        group.SetCollapsed(c.state & VelItem::kCollapsed);
        group.SetSelected(c.state & VelItem::kSelected);
        group.SetPressed(c.state & VelItem::kPressed);
        group.SetDisabled(c.state & VelItem::kDisabled);
        EXPECT_EQ(PaintAll(group), (Calls{"GroupBackground", "GroupText", c.mark})) << "state " << c.state;
    }
}

TEST_F(ItemPaintTest, TextGoesToTheTopLeftInTheItemsOwnFormat)
{
    const UINT before = DT_CENTER | DT_VCENTER;
    canvas->SetTextFormat(before);
    VelStringItem item(L"text", L"k", DT_RIGHT | DT_SINGLELINE);
    item.SetPressed(true);
    item.SetSelected(true);
    VelGroupItem group(L"Group", L"g", DT_END_ELLIPSIS);
    PaintAll(item);
    std::vector<RecordingTheme::Text> texts = theme.texts;
    PaintAll(group);
    texts.insert(texts.end(), theme.texts.begin(), theme.texts.end());

    ASSERT_EQ(texts.size(), 3u);
    for (const RecordingTheme::Text& text : texts) {
        SCOPED_TRACE(text.name);
        EXPECT_EQ(text.point, VelPoint(RecordingTheme::kRect.left, RecordingTheme::kRect.top));
        EXPECT_EQ(text.format, text.name == "GroupText" ? static_cast<UINT>(DT_END_ELLIPSIS)
                                                        : static_cast<UINT>(DT_RIGHT | DT_SINGLELINE));
        if (text.name != "GroupText") {
            const int measure = VelCanvas::kMeasure;
            EXPECT_EQ(text.size.cx, measure) << "the canvas measures the text";
            EXPECT_EQ(text.size.cy, measure);
        } else {
            EXPECT_EQ(text.size.cx, 100) << "the header row's size";
            EXPECT_EQ(text.size.cy, 40);
        }
    }
    EXPECT_EQ(canvas->GetTextFormat(), before) << "the next painter finds the format it left";
}

TEST_F(ItemPaintTest, NothingIsDrawnWithoutATheme)
{
    CurrentTheme = nullptr;
    VelStringItem item(L"text", L"k", kFormat);
    item.SetDisabled(true);
    VelGroupItem group(L"Group", L"g", kFormat);
    EXPECT_TRUE(PaintAll(item).empty());
    EXPECT_TRUE(PaintAll(group).empty());
    EXPECT_EQ(item.Measure(canvas.get()), 0);
    EXPECT_EQ(group.Measure(canvas.get()), 0);
}

// The default theme's drawing with colours of its own, read back as pixels.
class ColourTheme : public VelThemeDefault {
public:
    ColourTheme() : groupFont(L"Tahoma", 30, FW_BOLD) {}
    VelColor& GetItemColor(VelColor& c) override { return c = VelColor(200, 200, 200); }
    VelColor& GetSelectedItemColor(VelColor& c) override { return c = VelColor(0, 0, 160); }
    VelColor& GetPressedItemColor(VelColor& c) override { return c = VelColor(160, 0, 0); }
    VelColor& GetGroupHeaderColor(VelColor& c) override { return c = VelColor(0, 120, 0); }
    VelColor& GetGroupHeaderTextColor(VelColor& c) override { return c = VelColor(255, 255, 255); }
    VelFont* GetGroupHeaderFont() override { return &groupFont; }
    VelFont groupFont;
};

class ItemPixelTest : public ::testing::Test {
protected:
    ItemPixelTest() : canvas(renderer.CreateCanvas(kWidth, kHeight)), previous(CurrentTheme) { CurrentTheme = &theme; }
    ~ItemPixelTest() override { CurrentTheme = previous; }

    COLORREF Pixel(int x, int y) const { return ::GetPixel(canvas->GetDC(), x, y); }
    // Rows of the rectangle that hold a pixel other than the colour.
    int InkedRows(const RECT& area, COLORREF background) const
    {
        int rows = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(x, y) != background) {
                    ++rows;
                    break;
                }
        return rows;
    }

    static const int kWidth = 200;
    static const int kHeight = 80;
    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas;
    ColourTheme theme;
    VelTheme* previous;
};

TEST_F(ItemPixelTest, TheCellTakesTheColourOfItsState)
{
    struct Case {
        bool selected;
        bool pressed;
        COLORREF fill;
    };
    const Case cases[] = {
        {false, false, RGB(200, 200, 200)},
        {true, false, RGB(0, 0, 160)},
        {false, true, RGB(160, 0, 0)},
        {true, true, RGB(0, 0, 160)},
    };
    const VelRect cell(0, 0, kWidth, kHeight);
    for (const Case& c : cases) {
        VelStringItem item(L"Text", L"k", kFormat);
        item.SetSelected(c.selected);
        item.SetPressed(c.pressed);
        item.PaintAll(canvas.get(), cell);
        EXPECT_EQ(Pixel(kWidth - 2, kHeight - 2), c.fill) << c.selected << c.pressed;
        EXPECT_GT(InkedRows(VelRect(0, 0, kWidth, kHeight / 2), c.fill), 0) << "the text is drawn";
    }
}

TEST_F(ItemPixelTest, ADisabledItemIsDithered)
{
    VelStringItem item(L"", L"k", kFormat);
    item.SetDisabled(true);
    item.PaintAll(canvas.get(), VelRect(0, 0, kWidth, kHeight));
    const COLORREF a = Pixel(100, 40);
    const COLORREF b = Pixel(101, 40);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a == RGB(200, 200, 200) || b == RGB(200, 200, 200));
}

TEST_F(ItemPixelTest, ACollapsedGroupShowsAMinusAndAnExpandedOneAPlus)
{
    const COLORREF header = RGB(0, 120, 0);
    const VelRect cell(0, 0, kWidth, kHeight);
    const VelRect markArea(kWidth - 20, 0, kWidth, kHeight);
    VelGroupItem group(L"", L"g", kFormat);
    canvas->SetOpaque(false);

    group.SetCollapsed(true);
    group.PaintAll(canvas.get(), cell);
    const int minusRows = InkedRows(markArea, header);
    group.SetCollapsed(false);
    group.PaintAll(canvas.get(), cell);
    const int plusRows = InkedRows(markArea, header);

    EXPECT_GT(minusRows, 0);
    EXPECT_GT(plusRows, minusRows + 2) << "the plus has a vertical stroke";
    EXPECT_EQ(Pixel(kWidth / 2, kHeight - 2), header);
}

TEST_F(ItemPixelTest, EachKindMeasuresTheLinesOfItsThemeFont)
{
    VelStringItem item(L"text", L"k", kFormat);
    VelGroupItem group(L"Group", L"g", kFormat);
    const TEXTMETRICW itemMetrics = canvas->GetTextMetrics(theme.GetItemFont()).metrics;
    const TEXTMETRICW groupMetrics = canvas->GetTextMetrics(&theme.groupFont).metrics;

    EXPECT_EQ(item.Measure(canvas.get()), itemMetrics.tmHeight + itemMetrics.tmExternalLeading);
    EXPECT_EQ(group.Measure(canvas.get()), groupMetrics.tmHeight + groupMetrics.tmExternalLeading);
    EXPECT_GT(group.Measure(canvas.get()), item.Measure(canvas.get())) << "the group measures with its own font";
}

}  // namespace
