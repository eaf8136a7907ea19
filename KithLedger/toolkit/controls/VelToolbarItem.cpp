#include "VelToolbarItem.h"

VelToolbarItem::VelToolbarItem(int id, VelObject* parent, const std::string& name)
    : VelObject(parent, name), m_itemId(id), m_highlighted(0), m_visible(1), m_selected(0)
{
}

const wchar_t* VelToolbarItem::GetClassName() const { return L"VelToolbarItem"; }

void VelToolbarItem::SetId(int id) { m_itemId = id; }
int VelToolbarItem::GetId() { return m_itemId; }

void VelToolbarItem::SetFlag(BYTE& flag, bool value)
{
    if (value == (flag != 0))
        return;
    flag = value ? 1 : 0;
    RaiseChanged();
}

void VelToolbarItem::SetVisible(bool visible) { SetFlag(m_visible, visible); }
bool VelToolbarItem::IsVisible() const { return m_visible != 0; }
void VelToolbarItem::SetHighlighted(bool highlighted) { SetFlag(m_highlighted, highlighted); }
bool VelToolbarItem::IsHighlighted() const { return m_highlighted != 0; }
void VelToolbarItem::SetSelected(bool selected) { m_selected = selected ? 1 : 0; }
bool VelToolbarItem::IsSelected() const { return m_selected != 0; }
RECT VelToolbarItem::GetRect() const { return m_rect; }
void VelToolbarItem::SetRect(const RECT& rect) { m_rect = rect; }

void VelToolbarItem::RaiseClick()
{
    VelToolbarItemEventArgs args(this);
    Click.Invoke(this, &args);
}

void VelToolbarItem::RaiseChanged()
{
    VelObjectChangeEventArgs args(this);
    Changed.Invoke(this, &args);
}
