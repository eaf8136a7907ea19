#include "VelItem.h"

#include "VelGroupItem.h"

#include <algorithm>
#include <memory>

namespace {

const std::wstring& NoKey()
{
    static const std::wstring* none = new std::wstring;
    return *none;
}

}  // namespace

VelItem::VelItem(const std::wstring& key, DWORD state, bool cellItem)
    : VelVisualObject(nullptr, std::string()), m_extras(0), m_state(state), m_cellItem(cellItem ? 1 : 0)
{
    if (!key.empty())
        MakeExtras()->key = key;
}

VelItem::~VelItem()
{
    // Groups that still know this item as a former or present child forget it.
    const GroupList groups = GetParentGroups();
    if (Extras* extras = GetExtras())
        extras->groups.clear();
    else
        m_extras = 0;
    for (VelGroupItem* group : groups)
        group->ForgetReferrer(this);
    delete GetExtras();
}

const wchar_t* VelItem::GetClassName() const { return L"VelItem"; }

const std::wstring& VelItem::GetKey() const { return StoredKey(); }

const std::wstring& VelItem::StoredKey() const
{
    const Extras* extras = GetExtras();
    return extras ? extras->key : NoKey();
}

void VelItem::SetKey(const std::wstring& key)
{
    if (!key.empty()) {
        MakeExtras()->key = key;
    } else if (Extras* extras = GetExtras()) {
        extras->key.clear();
        CompactExtras();
    }
}

int VelItem::GetReserved() const { return 0; }

bool VelItem::IsLessThan(const VelItem*) const { return false; }

bool VelItem::IsEqualTo(const VelItem*) const { return false; }

bool VelItem::IsGreaterThan(const VelItem*) const { return false; }

void VelItem::PaintBackground(VelCanvas*, const RECT&) {}

void VelItem::PaintContent(VelCanvas*, const RECT&) {}

void VelItem::PaintOverlay(VelCanvas*, const RECT&) {}

void VelItem::PaintState(VelCanvas*, const RECT&) {}

bool VelItem::IsCellItem() const { return m_cellItem != 0; }

void VelItem::SetCellItem(bool cellItem) { m_cellItem = cellItem ? 1 : 0; }

bool VelItem::IsGroup() const { return false; }

std::wstring VelItem::Dump() const
{
    return L"\t Item id " + StoredKey() + L" Object id " + std::to_wstring(GetId()) + L" class name " + GetClassName() +
           L"\n";
}

bool VelItem::HasChildren() const { return false; }

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

bool VelItem::IsHidden() const { return (m_state & kHidden) != 0; }

bool VelItem::IsVisible() const { return !IsHidden(); }

bool VelItem::IsCollapsed() const { return (m_state & kCollapsed) != 0; }

bool VelItem::IsSelected() const { return (m_state & kSelected) != 0; }

bool VelItem::IsPressed() const { return (m_state & kPressed) != 0; }

bool VelItem::IsDisabled() const { return (m_state & kDisabled) != 0; }

bool VelItem::IsEnabled() const { return !IsDisabled(); }

void VelItem::ToggleHidden() { m_state ^= kHidden; }

void VelItem::ToggleSelected() { m_state ^= kSelected; }

void VelItem::ToggleCollapsed() { m_state ^= kCollapsed; }

void VelItem::TogglePressed() { m_state ^= kPressed; }

void VelItem::ToggleDisabled() { m_state ^= kDisabled; }

VelItem::Extras* VelItem::GetExtras() const
{
    return (m_extras & 1) ? reinterpret_cast<Extras*>(m_extras & ~uintptr_t(1)) : nullptr;
}

VelItem::Extras* VelItem::MakeExtras()
{
    if (Extras* extras = GetExtras())
        return extras;
    std::unique_ptr<Extras> made(new Extras);
    if (m_extras)
        made->groups.push_back(reinterpret_cast<VelGroupItem*>(m_extras));
    m_extras = reinterpret_cast<uintptr_t>(made.get()) | 1;
    return made.release();
}

void VelItem::CompactExtras()
{
    Extras* extras = GetExtras();
    if (!extras || !extras->key.empty() || extras->groups.size() > 1)
        return;
    m_extras = extras->groups.empty() ? 0 : reinterpret_cast<uintptr_t>(extras->groups.front());
    delete extras;
}

std::vector<VelGroupItem*> VelItem::GetParentGroups() const
{
    if (const Extras* extras = GetExtras())
        return extras->groups;
    if (m_extras)
        return GroupList(1, reinterpret_cast<VelGroupItem*>(m_extras));
    return GroupList();
}

bool VelItem::HasParentGroup(const VelGroupItem* group) const
{
    if (const Extras* extras = GetExtras())
        return std::find(extras->groups.begin(), extras->groups.end(), group) != extras->groups.end();
    return group && m_extras == reinterpret_cast<uintptr_t>(group);
}

void VelItem::PushParentGroup(VelGroupItem* group)
{
    if (m_extras)
        MakeExtras()->groups.push_back(group);
    else
        m_extras = reinterpret_cast<uintptr_t>(group);
}

void VelItem::AddParentGroup(VelGroupItem* group)
{
    if (!group)
        return;
    PushParentGroup(group);
    group->NoteReferrer(this);
}

void VelItem::RemoveParentGroup(VelGroupItem* group)
{
    if (!group || !HasParentGroup(group))
        return;
    if (Extras* extras = GetExtras()) {
        extras->groups.erase(std::find(extras->groups.begin(), extras->groups.end(), group));
        CompactExtras();
    } else {
        m_extras = 0;
    }
    if (!HasParentGroup(group))
        group->ForgetReferrer(this);
}

void VelItem::DropParentGroup(VelGroupItem* group)
{
    if (Extras* extras = GetExtras()) {
        extras->groups.erase(std::remove(extras->groups.begin(), extras->groups.end(), group), extras->groups.end());
        CompactExtras();
    } else if (m_extras == reinterpret_cast<uintptr_t>(group)) {
        m_extras = 0;
    }
}

void VelItem::PaintAll(VelCanvas* canvas, const RECT& rect)
{
    PaintBackground(canvas, rect);
    PaintContent(canvas, rect);
    PaintOverlay(canvas, rect);
    PaintState(canvas, rect);
}
