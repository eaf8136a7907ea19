#pragma once
#include "VelStringItem.h"

#include <algorithm>
#include <set>

// A string item that holds child items and keeps them sorted; a grid's top
// level is a list of groups. A group takes a whole row by itself.
class VelGroupItem : public VelStringItem {
public:
    typedef boost::shared_ptr<VelItem> ItemPtr;
    // True when the first item goes before the second; a strict weak order.
    typedef bool (*Comparator)(const ItemPtr& first, const ItemPtr& second);
    // Puts items in the order a stable sort by the comparator gives, the
    // owner's faster way (each item's key read once, say).
    typedef void (*Sorter)(std::vector<ItemPtr>& items);

    enum SortMode { kNoSort = 0, kAscending = 1, kDescending = 2, kCustomSort = 3 };

    VelGroupItem(const std::wstring& text, const std::wstring& key, UINT format);
    ~VelGroupItem() override;

    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    // The collapsed or the expanded mark; a group has no disabled look.
    void PaintState(VelCanvas* canvas, const RECT& rect) override;
    int Measure(VelCanvas* canvas) override;
    bool IsGroup() const override;
    bool HasChildren() const override;
    virtual bool HasVisibleChildren() const;

    // An item the group holds already is ignored; otherwise the item lists the
    // group among its parents and the children are sorted again. A raw item
    // that a shared pointer owns already joins that ownership.
    void AddChild(VelItem* item);
    void AddChild(const ItemPtr& item);
    // As AddChild, but a child that does not go last only joins the end: the
    // children are put in order once, by PutInOrder or the next AddChild,
    // instead of moving the ones after it at every add.
    void AppendChild(const ItemPtr& item);
    void PutInOrder();
    bool IsInOrder() const { return m_sorted; }
    bool ContainsChild(const VelItem* item) const;
    // Each answers 1 when a child was removed, else 0; the others keep their
    // order and the item keeps the group among its parents.
    int RemoveChild(const VelItem* item);
    int RemoveChildByKey(const std::wstring& key);
    int RemoveChildAt(size_t index);
    void ClearChildren();
    const std::vector<ItemPtr>& GetChildren() const { return m_children; }
    size_t GetChildCount() const { return m_children.size(); }
    bool IsEmpty() const { return m_children.empty(); }

    int GetSortMode() const { return m_sortMode; }
    void SetSortMode(int mode)
    {
        m_sortMode = mode;
        m_sorted = false;
        m_orderedCount = 0;
    }
    Comparator GetComparator() const { return m_comparator; }
    void SetComparator(Comparator comparator)
    {
        m_comparator = comparator;
        m_sorted = false;
        m_orderedCount = 0;
    }
    // Used by the custom mode in place of a stable sort by the comparator.
    Sorter GetSorter() const { return m_sorter; }
    void SetSorter(Sorter sorter)
    {
        m_sorter = sorter;
        m_sorted = false;
        m_orderedCount = 0;
    }
    void Sort();
    // Moves a child whose text changed back to its place among the others.
    void ResortChild(const VelItem* item);

    // Orders shared item pointers by a sort mode: ascending and descending by
    // IsLessThan, the custom mode by the comparator (no comparator, or any
    // other mode, leaves the order as it is). The grid orders its groups so.
    // Stable: equals keep the order they came in, as one by one adds give.
    // The ordering predicate of a sort mode; false when the mode keeps the order.
    template <typename T, typename Compare, typename Visit>
    static bool WithOrder(int mode, Compare comparator, Visit visit)
    {
        typedef boost::shared_ptr<T> Ptr;
        switch (mode) {
        case kAscending:
            visit([](const Ptr& a, const Ptr& b) { return a->IsLessThan(b.get()); });
            return true;
        case kDescending:
            visit([](const Ptr& a, const Ptr& b) { return b->IsLessThan(a.get()); });
            return true;
        case kCustomSort:
            if (!comparator)
                return false;
            visit(comparator);
            return true;
        default:
            return false;
        }
    }

    template <typename T, typename Compare>
    static void SortByMode(std::vector<boost::shared_ptr<T>>& items, int mode, Compare comparator)
    {
        typedef boost::shared_ptr<T> Ptr;
        switch (mode) {
        case kAscending:
            std::stable_sort(items.begin(), items.end(),
                             [](const Ptr& a, const Ptr& b) { return a->IsLessThan(b.get()); });
            break;
        case kDescending:
            std::stable_sort(items.begin(), items.end(),
                             [](const Ptr& a, const Ptr& b) { return b->IsLessThan(a.get()); });
            break;
        case kCustomSort:
            if (comparator)
                std::stable_sort(items.begin(), items.end(), comparator);
            break;
        default:
            break;
        }
    }

private:
    friend class VelItem;

    // False for a null item or one the group holds already; otherwise the
    // item lists the group and is ready to be placed among the children.
    bool Admit(const ItemPtr& item);
    bool UsesSorter() const { return m_sortMode == kCustomSort && m_comparator && m_sorter; }
    void RemoveChildAtPosition(std::vector<ItemPtr>::iterator position);
    // Sorts the children from m_orderedCount on and merges them into the ones before.
    template <typename Before>
    void MergeAppended(Before before);
    // A child that leaves still lists the group: it becomes a referrer.
    void NoteLeaving(VelItem* item);
    void NoteReferrer(VelItem* item) { m_referrers.insert(item); }
    void ForgetReferrer(VelItem* item) { m_referrers.erase(item); }

    std::vector<ItemPtr> m_children;
    int m_sortMode;
    Comparator m_comparator;
    Sorter m_sorter;
    // The children are in the order of the mode as it is now: a new child can
    // go straight to its place instead of sorting them all again.
    bool m_sorted;
    // While not sorted, the children before this count still are: the ones
    // appended after them are merged in, not the whole group sorted again.
    size_t m_orderedCount;
    // Items that list this group among their parents without being children
    // now; with the children they are every item the destructor takes itself
    // out of, so no list names a dead group. Children stay out of it: a node
    // for each row of a large list would cost more than the row itself.
    std::set<VelItem*> m_referrers;
};
