#include "VelItem.h"

#include "VelGroupItem.h"

#include <algorithm>

namespace {

const std::wstring& NoKey()
{
    static const std::wstring* none = new std::wstring;
    return *none;
}

} // namespace

VelItem::VelItem(const std::wstring& key, DWORD state, bool cellItem)
    : VelVisualObject(nullptr, std::string()), m_key(key.empty() ? nullptr : new std::wstring(key)), m_state(state),
      m_cellItem(cellItem ? 1 : 0)
{
}

VelItem::~VelItem()
{
    // Groups that still know this item as a former or present child forget it.
    std::vector<VelGroupItem*> groups;
    groups.swap(m_parentGroups);
    for (VelGroupItem* group : groups)
        group->ForgetReferrer(this);
    delete m_key;
}

const wchar_t* VelItem::GetClassName() const
{
    return L"VelItem";
}

const std::wstring& VelItem::GetKey() const
{
    return m_key ? *m_key : NoKey();
}

void VelItem::SetKey(const std::wstring& key)
{
    if (m_key)
        *m_key = key;
    else if (!key.empty())
        m_key = new std::wstring(key);
}

int VelItem::GetReserved() const
{
    return 0;
}

bool VelItem::IsLessThan(const VelItem*) const
{
    return false;
}

bool VelItem::IsEqualTo(const VelItem*) const
{
    return false;
}

bool VelItem::IsGreaterThan(const VelItem*) const
{
    return false;
}

void VelItem::PaintBackground(VelCanvas*, const RECT&) {}

void VelItem::PaintContent(VelCanvas*, const RECT&) {}

void VelItem::PaintOverlay(VelCanvas*, const RECT&) {}

void VelItem::PaintState(VelCanvas*, const RECT&) {}

bool VelItem::IsCellItem() const
{
    return m_cellItem != 0;
}

void VelItem::SetCellItem(bool cellItem)
{
    m_cellItem = cellItem ? 1 : 0;
}

bool VelItem::IsGroup() const
{
    return false;
}

std::wstring VelItem::Dump() const
{
    return L"\t Item id " + (m_key ? *m_key : NoKey()) + L" Object id " + std::to_wstring(GetId()) + L" class name " +
           GetClassName() + L"\n";
}

bool VelItem::HasChildren() const
{
    return false;
}

void VelItem::ChangeBit(DWORD bit, bool set)
{
    m_state = set ? (m_state | bit) : (m_state & ~bit);
    VelItemStateChangeEventArgs args(this);
    StateChanged.Invoke(this, &args);
}

void VelItem::SetVisible(bool visible)
{
    if (IsVisible() != visible)
        ChangeBit(kHidden, !visible);
}

void VelItem::SetCollapsed(bool collapsed)
{
    if (IsCollapsed() != collapsed)
        ChangeBit(kCollapsed, collapsed);
}

void VelItem::SetSelected(bool selected)
{
    if (IsSelected() != selected)
        ChangeBit(kSelected, selected);
}

void VelItem::SetPressed(bool pressed)
{
    if (IsPressed() != pressed)
        ChangeBit(kPressed, pressed);
}

void VelItem::SetDisabled(bool disabled)
{
    if (IsDisabled() != disabled)
        ChangeBit(kDisabled, disabled);
}

bool VelItem::IsHidden() const
{
    return (m_state & kHidden) != 0;
}

bool VelItem::IsVisible() const
{
    return !IsHidden();
}

bool VelItem::IsCollapsed() const
{
    return (m_state & kCollapsed) != 0;
}

bool VelItem::IsSelected() const
{
    return (m_state & kSelected) != 0;
}

bool VelItem::IsPressed() const
{
    return (m_state & kPressed) != 0;
}

bool VelItem::IsDisabled() const
{
    return (m_state & kDisabled) != 0;
}

bool VelItem::IsEnabled() const
{
    return !IsDisabled();
}

void VelItem::ToggleHidden()
{
    m_state ^= kHidden;
}

void VelItem::ToggleSelected()
{
    m_state ^= kSelected;
}

void VelItem::ToggleCollapsed()
{
    m_state ^= kCollapsed;
}

void VelItem::TogglePressed()
{
    m_state ^= kPressed;
}

void VelItem::ToggleDisabled()
{
    m_state ^= kDisabled;
}

void VelItem::AddParentGroup(VelGroupItem* group)
{
    if (!group)
        return;
    m_parentGroups.push_back(group);
    group->NoteReferrer(this);
}

void VelItem::RemoveParentGroup(VelGroupItem* group)
{
    std::vector<VelGroupItem*>::iterator found = std::find(m_parentGroups.begin(), m_parentGroups.end(), group);
    if (found == m_parentGroups.end())
        return;
    m_parentGroups.erase(found);
    if (std::find(m_parentGroups.begin(), m_parentGroups.end(), group) == m_parentGroups.end())
        group->ForgetReferrer(this);
}

void VelItem::DropParentGroup(VelGroupItem* group)
{
    m_parentGroups.erase(std::remove(m_parentGroups.begin(), m_parentGroups.end(), group), m_parentGroups.end());
}

void VelItem::PaintAll(VelCanvas* canvas, const RECT& rect)
{
    PaintBackground(canvas, rect);
    PaintContent(canvas, rect);
    PaintOverlay(canvas, rect);
    PaintState(canvas, rect);
}
