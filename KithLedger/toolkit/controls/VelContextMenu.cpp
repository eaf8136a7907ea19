#include "VelContextMenu.h"

#include "VelCanvas.h"
#include "VelContextMenuSeparator.h"
#include "VelContextMenuString.h"
#include "VelControlCore.h"
#include "VelGridView.h"
#include "VelGridViewPainter.h"
#include "VelScreenMetrics.h"
#include "VelTheme.h"

#include <algorithm>

namespace {

const char kGridName[] = "grid-view-context-menu";
const int kMeasureEachRow = -1;
const DWORD kPressedLookMs = 50;

// One axis of the placement: from `at` towards the end of the screen when the
// menu fits there, else back from `at`, else over the larger side of it.
void Place(int at, int size, int screen, LONG& low, LONG& high)
{
    if (at + size <= screen) {
        low = at;
        high = at + size;
    } else if (at - size > 0) {
        low = at - size;
        high = at;
    } else if (at > screen / 2) {
        low = 0;
        high = at;
    } else {
        low = at;
        high = screen;
    }
}

// The width the widest entry needs to be read whole in the theme's menu font,
// its margins and the menu's border included.
int WidestEntry(VelGridView* grid, int border)
{
    if (!CurrentTheme)
        return 0;
    HDC dc = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(dc, CurrentTheme->GetItemFont()->GetHandle());
    int widest = 0;
    VelItemIterator items = grid->GetItemIterator();
    for (VelItem* item = items.First(); item; item = items.Next()) {
        const VelContextMenuString* entry = dynamic_cast<const VelContextMenuString*>(item);
        if (!entry)
            continue;
        SIZE size = {0, 0};
        ::GetTextExtentPoint32W(dc, entry->GetText().c_str(), static_cast<int>(entry->GetText().size()), &size);
        const RECT margins = entry->GetMargins();
        widest = std::max<int>(widest, size.cx + margins.left + margins.right + 2 * border);
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    return widest;
}

}  // namespace

VelContextMenu::VelContextMenu(VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_maxHeight(-1), m_width(-1), m_grid(new VelGridView(this, kGridName)),
      m_borderWidth(1), m_cancelled(0)
{
    m_grid->ItemClicked += VelBind(this, &VelContextMenu::OnItemChosen);
}

const wchar_t* VelContextMenu::GetClassName() const { return L"VelContextMenu"; }

int VelContextMenu::Show(VelAbstractControl* owner, const VelPoint& point)
{
    if (!IsCreated()) {
        Create(owner, kVelStyleVisible, VelRect());
        m_grid->Create(this, kVelStyleVisible, VelRect());
        m_grid->SetRowHeight(kMeasureEachRow);
        if (VelGroupItem* group = m_grid->GetDefaultGroup())
            group->SetVisible(false);
        m_grid->SetLayoutDirty(true);
        m_grid->SetLocks(true, true);
    }

    VelPoint at = point;
    VelControlCore::MapPointToControl(GetParent(), nullptr, at);
    const int screenWidth = VelScreenMetrics::GetWidth();
    const int screenHeight = VelScreenMetrics::GetHeight();

    // Entries added since the last layout count too.
    if (m_grid->IsLayoutDirty() && m_grid->GetPainter())
        m_grid->GetPainter()->ForgetAll();
    const int tallest = VelTheme::GetMetrics().GetMenuMaxHeight();
    const int limit = (m_maxHeight != -1 && m_maxHeight <= tallest) ? m_maxHeight : tallest;
    const int height = std::min(m_grid->GetContentHeight() + 2 * m_borderWidth, limit);
    // Without a width of its own: the usual width, wider where an entry needs
    // it, within the screen.
    const int width = m_width != -1 ? m_width
                                    : std::max(VelTheme::GetMetrics().GetMenuWidth(),
                                               std::min(WidestEntry(m_grid, m_borderWidth), screenWidth));

    VelRect place;
    Place(at.y, height, screenHeight, place.top, place.bottom);
    Place(at.x, width, screenWidth, place.left, place.right);
    VelControlCore::MapRectToAncestor(nullptr, GetParent(), place);
    VelControlCore::Instance->SetBounds(this, place);
    VelRect inner = GetClientRect();
    inner.Inflate(-m_borderWidth, -m_borderWidth);
    VelControlCore::Instance->SetBounds(m_grid, inner);

    SetVisible(true);
    // Drawn, and its entries laid out at their width, before the loop reads the first tap.
    VelControlCore::Instance->UpdateNow(this, false);
    return RunModal();
}

void VelContextMenu::SetMaxHeight(int height) { m_maxHeight = height; }

void VelContextMenu::SetWidth(int width) { m_width = width; }

VelContextMenuString* VelContextMenu::AddString(const std::wstring& key, const std::wstring& text, bool enabled)
{
    VelContextMenuString* item = new VelContextMenuString(key, text);
    item->SetDisabled(!enabled);
    m_grid->AddItem(item);
    return item;
}

VelContextMenuString* VelContextMenu::AddString(const std::wstring& text, bool enabled)
{
    return AddString(std::wstring(), text, enabled);
}

void VelContextMenu::AddItem(VelContextMenuItem* item) { m_grid->AddItem(item); }

VelContextMenuSeparator* VelContextMenu::AddSeparator()
{
    VelContextMenuSeparator* item = new VelContextMenuSeparator();
    m_grid->AddItem(item);
    return item;
}

VelItem* VelContextMenu::GetItemAt(int row)
{
    // The grid's own lookups take its lock.
    return m_grid->GetItemAtCell(0, row);
}

VelItem* VelContextMenu::FindItem(const std::wstring& key) { return m_grid->FindItemByKey(key); }

void VelContextMenu::OnItemChosen(VelObject*, const VelItemEventArgs* args)
{
    // The grid reports Enter on a disabled entry too; a separator is never a choice.
    if (!args || !args->item || args->item->IsDisabled())
        return;
    Finish(args->cell.y, false);
    // So that the pressed look is seen before the menu closes.
    ::Sleep(kPressedLookMs);
}

void VelContextMenu::Finish(int result, bool cancelled)
{
    SetModalResult(result);
    m_cancelled = cancelled ? 1 : 0;
    SetModalDone(true);
}

VelMouseEventArgs VelContextMenu::ToGrid(const VelMouseEventArgs* args) const
{
    VelPoint point = args->point;
    VelControlCore::MapPointToControl(this, m_grid, point);
    return VelMouseEventArgs(point, args->keys);
}

int VelContextMenu::Press(const VelMouseEventArgs* args)
{
    if (!GetClientRect().ContainsPoint(args->point)) {
        Finish(-1, true);
        return 0;
    }
    const VelMouseEventArgs forwarded = ToGrid(args);
    return m_grid->OnMouseDown(&forwarded);
}

int VelContextMenu::OnMouseDown(const VelMouseEventArgs* args) { return Press(args); }

// A quick second tap arrives as a double click: outside the menu it must
// cancel like any tap, not press the entry nearest to it.
int VelContextMenu::OnMouseDoubleClick(const VelMouseEventArgs* args) { return Press(args); }

int VelContextMenu::OnMouseMove(const VelMouseEventArgs* args)
{
    const VelMouseEventArgs forwarded = ToGrid(args);
    return m_grid->OnMouseMove(&forwarded);
}

int VelContextMenu::OnMouseUp(const VelMouseEventArgs* args)
{
    const VelMouseEventArgs forwarded = ToGrid(args);
    return m_grid->OnMouseUp(&forwarded);
}

int VelContextMenu::OnKeyDown(const VelKeyEventArgs* args) { return m_grid->OnKeyDown(args); }

int VelContextMenu::OnPaint(const VelPaintEventArgs* args)
{
    if (CurrentTheme)
        CurrentTheme->DrawMenuFrame(args->canvas, GetClientRect(), m_borderWidth);
    return 0;
}
