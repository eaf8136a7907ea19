#include "VelToolbar.h"

#include "VelTheme.h"
#include "VelToolbarItem.h"

#include <algorithm>

namespace {

// Subscribing twice would run the handler twice; a second hook replaces the first.
template <typename Event, typename Receiver, typename Method>
void SubscribeOnce(Event& event, Receiver* receiver, Method method)
{
    event.RemoveReceiver(receiver);
    event += VelBind(receiver, method);
}

}  // namespace

VelToolbar::VelToolbar(DWORD style, VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_layoutStyle(style), m_highlightedIndex(-1), m_selectedIndex(-1),
      m_savedSelectedIndex(-1), m_pressed(false)
{
}

VelToolbar::~VelToolbar()
{
    // Destroyed handlers still see a whole toolbar.
    Destroy();
    // The items outlive the toolbar; none may call back into it.
    for (const auto& entry : m_itemIndex) {
        static_cast<VelToolbarItem*>(entry.first)->Changed.RemoveReceiver(this);
        entry.first->Destroying.RemoveReceiver(this);
    }
}

const wchar_t* VelToolbar::GetClassName() const { return L"VelToolbar"; }

void VelToolbar::HookEvents()
{
    VelControl::HookEvents();
    SubscribeOnce(Paint, this, &VelToolbar::OnPaintEvent);
    SubscribeOnce(MouseDown, this, &VelToolbar::OnPointerDown);
    SubscribeOnce(MouseMove, this, &VelToolbar::OnPointerMove);
    SubscribeOnce(MouseUp, this, &VelToolbar::OnPointerUp);
}

int VelToolbar::AddItem(VelToolbarItem* item) { return InsertItem(-1, item); }

int VelToolbar::InsertItem(int index, VelToolbarItem* item)
{
    const int count = GetItemCount();
    // The end itself is a place to insert at, so an empty toolbar takes index 0.
    if (index > count || !item)
        return -1;
    const int position = index < 0 ? count : index;
    m_items.insert(m_items.begin() + position, item);
    HookItem(item);
    Reindex();
    return position;
}

void VelToolbar::RemoveItem(int index)
{
    if (!InRange(index))
        return;
    VelToolbarItem* item = m_items[index];
    m_items.erase(m_items.begin() + index);
    if (std::find(m_items.begin(), m_items.end(), item) == m_items.end())
        Unhook(item);
    Reindex();
}

VelToolbarItem* VelToolbar::GetItem(int index) const { return InRange(index) ? m_items[index] : nullptr; }
int VelToolbar::GetItemCount() const { return int(m_items.size()); }

void VelToolbar::HookItem(VelToolbarItem* item)
{
    SubscribeOnce(item->Changed, this, &VelToolbar::OnItemChanged);
    SubscribeOnce(item->Destroying, this, &VelToolbar::OnItemDestroyed);
    m_itemIndex.insert(std::make_pair(static_cast<VelObject*>(item), -1));
}

void VelToolbar::Unhook(VelToolbarItem* item)
{
    item->Changed.RemoveReceiver(this);
    item->Destroying.RemoveReceiver(this);
    m_itemIndex.erase(item);
}

void VelToolbar::Reindex()
{
    for (auto& entry : m_itemIndex)
        entry.second = -1;
    for (int i = GetItemCount() - 1; i >= 0; --i)
        m_itemIndex[m_items[i]] = i;
}

void VelToolbar::SetStyle(DWORD style) { m_layoutStyle = style; }
DWORD VelToolbar::GetStyle() const { return m_layoutStyle; }

bool VelToolbar::InRange(int index) const { return index >= 0 && index < GetItemCount(); }

void VelToolbar::MoveFlag(int& current, int index, FlagSetter setter)
{
    if (index == current)
        return;
    RECT dirty[2] = {};
    if (InRange(current)) {
        (m_items[current]->*setter)(false);
        dirty[0] = m_items[current]->GetRect();
    }
    current = index;
    if (InRange(index)) {
        (m_items[index]->*setter)(true);
        dirty[1] = m_items[index]->GetRect();
    }
    for (const RECT& rect : dirty)
        if (!::IsRectEmpty(&rect))
            InvalidateRect(rect);
}

void VelToolbar::SetHighlightedIndex(int index)
{
    MoveFlag(m_highlightedIndex, index, &VelToolbarItem::SetHighlighted);
}

int VelToolbar::GetHighlightedIndex() const { return m_highlightedIndex; }

void VelToolbar::SetSelectedIndex(int index) { MoveFlag(m_selectedIndex, index, &VelToolbarItem::SetSelected); }
int VelToolbar::GetSelectedIndex() const { return m_selectedIndex; }

void VelToolbar::OnItemChanged(VelObject*, const VelObjectChangeEventArgs*) { InvalidateRect(VelRect()); }

void VelToolbar::OnItemDestroyed(VelObject* sender, const VelObjectDestroyEventArgs*)
{
    auto entry = m_itemIndex.find(sender);
    if (entry == m_itemIndex.end())
        return;
    m_itemIndex.erase(entry);
    // The item is past its own destructor: compare addresses only.
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                                 [sender](VelToolbarItem* item) { return static_cast<const void*>(item) == sender; }),
                  m_items.end());
    Reindex();
    InvalidateRect(VelRect());
}

int VelToolbar::FindItemIndex(int id) const
{
    for (int i = 0; i < GetItemCount(); ++i)
        if (m_items[i]->GetId() == id)
            return i;
    return -1;
}

template <typename Visit>
void VelToolbar::WalkItems(Visit visit) const
{
    const bool vertical = (m_layoutStyle & kStyleVertical) != 0;
    const bool fromFarEnd = (m_layoutStyle & kStyleFromFarEnd) != 0;
    const VelRect client = GetClientRect();
    int x = fromFarEnd ? client.GetWidth() : 0;
    int y = fromFarEnd ? client.GetHeight() : 0;
    for (int i = 0; i < GetItemCount(); ++i) {
        VelToolbarItem* item = m_items[i];
        if (!item->IsVisible())
            continue;
        SIZE size = {0, 0};
        item->GetSize(size);
        const VelRect rect =
            fromFarEnd ? VelRect(x - size.cx, y - size.cy, x, y) : VelRect(x, y, x + size.cx, y + size.cy);
        if (visit(i, item, rect))
            return;
        const int step = fromFarEnd ? -1 : 1;
        if (vertical)
            y += step * size.cy;
        else
            x += step * size.cx;
    }
}

int VelToolbar::HitTest(const VelPoint& point) const
{
    int hit = -1;
    const POINT p = point.ToPoint();
    WalkItems([&hit, &p](int position, VelToolbarItem*, const VelRect& rect) {
        if (!::PtInRect(&rect, p))
            return false;
        hit = position;
        return true;
    });
    return hit;
}

void VelToolbar::OnPaintEvent(VelObject*, const VelPaintEventArgs* args)
{
    if (CurrentTheme)
        CurrentTheme->DrawToolbarBackground(args->canvas, args->area, GetClientRect(), this);
    VelCanvas* canvas = args->canvas;
    WalkItems([canvas](int, VelToolbarItem* item, const VelRect& rect) {
        item->SetRect(rect);
        item->Paint(canvas, rect);
        return false;
    });
}

void VelToolbar::OnPointerDown(VelObject*, const VelMouseEventArgs* args)
{
    m_pressed = true;
    SetCapture();
    m_savedSelectedIndex = m_selectedIndex;
    SetHighlightedIndex(HitTest(args->point));
    Update(false);
}

void VelToolbar::OnPointerMove(VelObject*, const VelMouseEventArgs* args)
{
    if (m_pressed)
        SetHighlightedIndex(HitTest(args->point));
}

void VelToolbar::OnPointerUp(VelObject*, const VelMouseEventArgs* args)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    SetHighlightedIndex(-1);
    const int hit = HitTest(args->point);
    if (hit >= 0) {
        SetSelectedIndex(hit);
        const int id = VelObject::GetId();
        VelToolbarItemEventArgs clicked(m_items[hit]);
        ItemClicked.Invoke(this, &clicked);
        // A handler may have closed the view that owns the toolbar.
        if (VelObject::FindById(id) != this)
            return;
    } else {
        SetSelectedIndex(m_savedSelectedIndex);
        m_savedSelectedIndex = -1;
    }
    ReleaseCapture();
    Update(false);
}
