#include "VelGroupItem.h"

#include "VelTheme.h"

#include <iterator>

VelGroupItem::VelGroupItem(const std::wstring& text, const std::wstring& key, UINT format)
    : VelStringItem(text, key, format), m_sortMode(kNoSort), m_comparator(nullptr), m_sorter(nullptr), m_sorted(true),
      m_orderedCount(0)
{
    SetCellItem(false);
}

VelGroupItem::~VelGroupItem()
{
    std::set<VelItem*> referrers;
    referrers.swap(m_referrers);
    for (VelItem* item : referrers)
        item->DropParentGroup(this);
    for (const ItemPtr& child : m_children)
        child->DropParentGroup(this);
    m_children.clear();
}

void VelGroupItem::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    if (CurrentTheme)
        CurrentTheme->DrawGroupHeaderBackground(canvas, rect);
}

void VelGroupItem::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (!CurrentTheme)
        return;
    FormatScope format(canvas, GetFormat());
    const VelRect row(rect);
    CurrentTheme->DrawGroupHeaderText(canvas, VelPoint(rect.left, rect.top), GetText(), row.GetSize());
}

void VelGroupItem::PaintState(VelCanvas* canvas, const RECT& rect)
{
    if (!CurrentTheme)
        return;
    if (IsCollapsed())
        CurrentTheme->DrawCollapsedGroupMark(canvas, rect);
    else
        CurrentTheme->DrawExpandedGroupMark(canvas, rect);
}

int VelGroupItem::Measure(VelCanvas* canvas)
{
    return CurrentTheme ? LineHeight(canvas, CurrentTheme->GetGroupHeaderFont()) : 0;
}

bool VelGroupItem::IsGroup() const { return true; }

bool VelGroupItem::HasChildren() const { return !m_children.empty(); }

bool VelGroupItem::HasVisibleChildren() const
{
    for (const ItemPtr& child : m_children)
        if (!child->IsHidden())
            return true;
    return false;
}

void VelGroupItem::AddChild(VelItem* item)
{
    if (!item || ContainsChild(item))
        return;
    // Wrapping an item that a shared pointer owns already would delete it twice.
    ItemPtr owned = item->weak_from_this().lock();
    AddChild(owned ? owned : ItemPtr(item));
}

bool VelGroupItem::Admit(const ItemPtr& item)
{
    if (!item || ContainsChild(item.get()))
        return false;
    item->PushParentGroup(this);
    // A former child that comes back is known through the children again.
    if (!m_referrers.empty())
        m_referrers.erase(item.get());
    return true;
}

void VelGroupItem::AddChild(const ItemPtr& item)
{
    if (!Admit(item))
        return;
    if (!m_sorted) {
        m_children.push_back(item);
        PutInOrder();
        return;
    }
    // After its equals, so rows of the same order keep the order they came in.
    std::vector<ItemPtr>::iterator at = m_children.end();
    WithOrder<VelItem>(m_sortMode, m_comparator, [&](auto before) {
        // Rows that come in order go last without a search.
        if (!m_children.empty() && before(item, m_children.back()))
            at = std::upper_bound(m_children.begin(), m_children.end(), item, before);
    });
    m_children.insert(at, item);
}

void VelGroupItem::AppendChild(const ItemPtr& item)
{
    if (!Admit(item))
        return;
    if (m_sorted && !m_children.empty())
        WithOrder<VelItem>(m_sortMode, m_comparator, [&](auto before) {
            if (before(item, m_children.back())) {
                m_sorted = false;
                m_orderedCount = m_children.size();
            }
        });
    m_children.push_back(item);
}

template <typename Before>
void VelGroupItem::MergeAppended(Before before)
{
    const size_t ordered = std::min(m_orderedCount, m_children.size());
    std::vector<ItemPtr> appended(std::make_move_iterator(m_children.begin() + ptrdiff_t(ordered)),
                                  std::make_move_iterator(m_children.end()));
    if (UsesSorter())
        m_sorter(appended);
    else
        std::stable_sort(appended.begin(), appended.end(), before);
    // From the back: each appended child goes after the ordered ones it does
    // not precede, as a stable sort of them all would put it, with a search
    // each instead of a comparison with every child.
    size_t kept = ordered;
    size_t write = m_children.size();
    for (size_t i = appended.size(); i-- > 0;) {
        const size_t at =
            size_t(std::upper_bound(m_children.begin(), m_children.begin() + ptrdiff_t(kept), appended[i], before) -
                   m_children.begin());
        std::move_backward(m_children.begin() + ptrdiff_t(at), m_children.begin() + ptrdiff_t(kept),
                           m_children.begin() + ptrdiff_t(write));
        write -= kept - at;
        kept = at;
        m_children[--write] = std::move(appended[i]);
    }
}

void VelGroupItem::PutInOrder()
{
    if (m_sorted)
        return;
    if (m_orderedCount == 0) {
        Sort();
        return;
    }
    WithOrder<VelItem>(m_sortMode, m_comparator, [&](auto before) { MergeAppended(before); });
    m_sorted = true;
}

bool VelGroupItem::ContainsChild(const VelItem* item) const
{
    // An item lists every group that ever held it: one that does not list this
    // group is no child of it, which spares a walk of a large group per add.
    if (!item)
        return false;
    if (!item->HasParentGroup(this))
        return false;
    for (const ItemPtr& child : m_children)
        if (child.get() == item)
            return true;
    return false;
}

void VelGroupItem::RemoveChildAtPosition(std::vector<ItemPtr>::iterator position)
{
    // Held until the vector is whole again: the child's destructor may run here.
    ItemPtr removed = *position;
    if (size_t(position - m_children.begin()) < m_orderedCount)
        --m_orderedCount;
    m_children.erase(position);
    NoteLeaving(removed.get());
    // The others keep their order.
    PutInOrder();
}

void VelGroupItem::NoteLeaving(VelItem* item)
{
    if (item->HasParentGroup(this))
        m_referrers.insert(item);
}

int VelGroupItem::RemoveChild(const VelItem* item)
{
    for (std::vector<ItemPtr>::iterator it = m_children.begin(); it != m_children.end(); ++it) {
        if (it->get() == item) {
            RemoveChildAtPosition(it);
            return 1;
        }
    }
    return 0;
}

int VelGroupItem::RemoveChildByKey(const std::wstring& key)
{
    for (std::vector<ItemPtr>::iterator it = m_children.begin(); it != m_children.end(); ++it) {
        if ((*it)->GetKey() == key) {
            RemoveChildAtPosition(it);
            return 1;
        }
    }
    return 0;
}

int VelGroupItem::RemoveChildAt(size_t index)
{
    if (index >= m_children.size())
        return 0;
    RemoveChildAtPosition(m_children.begin() + index);
    return 1;
}

void VelGroupItem::ClearChildren()
{
    std::vector<ItemPtr> children;
    children.swap(m_children);
    m_orderedCount = 0;
    // Before any goes: a child's destructor takes it out of the referrers again.
    for (const ItemPtr& child : children)
        NoteLeaving(child.get());
}

void VelGroupItem::Sort()
{
    if (UsesSorter())
        m_sorter(m_children);
    else
        SortByMode(m_children, m_sortMode, m_comparator);
    m_sorted = true;
}

void VelGroupItem::ResortChild(const VelItem* item)
{
    std::vector<ItemPtr>::iterator found = m_children.begin();
    while (found != m_children.end() && found->get() != item)
        ++found;
    if (found == m_children.end())
        return;
    if (!m_sorted) {
        Sort();
        return;
    }
    const ItemPtr child = *found;
    m_children.erase(found);
    std::vector<ItemPtr>::iterator at = m_children.end();
    WithOrder<VelItem>(m_sortMode, m_comparator, [&](auto before) {
        at = std::upper_bound(m_children.begin(), m_children.end(), child, before);
    });
    m_children.insert(at, child);
}
