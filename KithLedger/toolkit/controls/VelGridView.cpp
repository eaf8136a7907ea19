#include "VelGridView.h"

#include "VelCanvas.h"
#include "VelControlCore.h"
#include "VelGridViewPainter.h"
#include "VelScreenMetrics.h"
#include "VelScrollbar.h"
#include "VelTheme.h"
#include "VelTimer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace {

const wchar_t kDefaultGroupName[] = L"(Unclassified)";
const wchar_t kDefaultGroupKey[] = L"$$NOGROUP$$";
const UINT kDefaultGroupFormat = 0x8020;  // single line, end ellipsis
const DWORD kPressedLookPauseMs = 50;

bool HasArea(const RECT& rect) { return rect.right != rect.left && rect.bottom != rect.top; }

}  // namespace

// ---------------------------------------------------------------- lock

VelGridView::Lock::Lock(VelGridView* grid) : m_grid(grid)
{
    grid->m_lock.Lock();
    ++grid->m_lockDepth;
}

VelGridView::Lock::~Lock()
{
    VelGridView* grid = m_grid;
    if (--grid->m_lockDepth > 0 || !grid->m_hasDeferred) {
        grid->m_lock.Unlock();
        return;
    }
    const RECT area = grid->m_deferredArea;
    grid->m_hasDeferred = 0;
    grid->m_lock.Unlock();
    // The core forwards it to the owner's thread.
    grid->InvalidateRect(area);
}

// ---------------------------------------------------------------- life

VelGridView::VelGridView(VelObject* owner, const std::string& name)
    : VelControl(owner, name), m_groupComparator(nullptr), m_groupsInOrder(1), m_columns(1), m_layoutDirty(1),
      m_painter(nullptr), m_rowHeight(20), m_groupRowHeight(-1), m_separatorStyle(0), m_selectable(0), m_multiSelect(0),
      m_pressedItem(nullptr), m_candidate(nullptr), m_collapsibleGroups(0), m_spareFlag(1), m_hideEmptyGroups(0),
      m_groupSortMode(kSortNone), m_defaultGroupName(kDefaultGroupName), m_groupLabels(0), m_labelTop(0),
      m_labelMode(kLabelAlways), m_lockDepth(0), m_hasDeferred(0), m_deferredArea{0, 0, 0, 0}, m_updateSuspended(0),
      m_labelTimer(nullptr), m_pressTimer(nullptr), m_labelShown(0), m_selectOnClick(0), m_repaintPending(0),
      m_separatorWidth(1), m_groupSeparators(0), m_scrollbar(nullptr), m_mouseCaptured(0), m_holdHandled(0),
      m_holdItem(nullptr)
{
    AddGroup(MakeDefaultGroup(m_defaultGroupName));
}

VelGridView::~VelGridView()
{
    // No paint or input may reach the grid while its parts go.
    Destroy();
    Lock lock(this);
    if (m_labelTimer)
        m_labelTimer->Stop();
    if (m_pressTimer)
        m_pressTimer->Stop();
    if (m_painter)
        m_painter->ForgetAll();
    m_groups.clear();
    delete m_painter;
    m_painter = nullptr;
    m_redrawQueue.clear();
    m_selection.clear();
    m_keys.clear();
    m_owners.Clear();
}

VelGroupItem* VelGridView::MakeDefaultGroup(const std::wstring& name)
{
    VelGroupItem* group = new VelGroupItem(name, kDefaultGroupKey, kDefaultGroupFormat);
    group->SetVisible(false);
    return group;
}

const wchar_t* VelGridView::GetClassName() const { return L"VelGridView"; }

void VelGridView::Create(VelAbstractControl* parent, DWORD style, const RECT& bounds)
{
    Lock lock(this);
    FlingStopped += VelBind(this, &VelGridView::OnFlingStopped);
    TransitionStarted += VelBind(this, &VelGridView::OnTransitionStarted);
    VelRect place(bounds);
    if ((style & kStyleFillParent) && parent) {
        place.right = place.left + parent->GetWidth();
        place.bottom = place.top + parent->GetHeight();
    }
    VelControl::Create(parent, style, place);

    m_scrollbar = new VelScrollbar(this, "scrollbar");
    m_scrollbar->ValueChanged += VelBind(this, &VelGridView::OnScrollbarValueChanged);
    m_scrollbar->Create(this, kVelStyleVisible, VelRect());
    m_scrollbar->SetVisible(true);
    m_scrollbar->SetAutoHide(true);

    Scrolled += VelBind(this, &VelGridView::OnScrolled);
    WindowPosChanged += VelBind(this, &VelGridView::OnWindowPosChanged);
    Notified += VelBind(this, &VelGridView::OnLayoutChanged);

    // The touch strip is a tenth of the screen wide, the bar drawn at its right edge far thinner.
    PlaceScrollbar(VelTheme::GetMetrics().GetScrollStripWidth());
    m_scrollbar->SetBarWidth(VelTheme::GetMetrics().GetScrollBarWidth());

    VelScrollableControl::Init(this);
    m_labelTimer = new VelTimer(kLabelTimerMs, this, this, "VelGridViewTimer");
    m_pressTimer = new VelTimer(kPressTimerMs, this, this, "VelGridViewSelectionTimer");
    m_painter = new VelGridViewPainter(this, VelRect(0, 0, GetWidth(), GetHeight()));
}

UINT VelGridView::GetLabelTimerId() const { return m_labelTimer ? m_labelTimer->GetTimerId() : 0; }

UINT VelGridView::GetPressTimerId() const { return m_pressTimer ? m_pressTimer->GetTimerId() : 0; }

void VelGridView::PlaceScrollbar(int width)
{
    if (!m_scrollbar)
        return;
    const VelRect client = GetClientRect();
    VelControlCore::Instance->SetBounds(m_scrollbar,
                                        VelRect(client.GetWidth() - width, 0, client.GetWidth(), client.GetHeight()));
}

// ---------------------------------------------------------------- repainting

void VelGridView::Invalidate(const RECT* rect)
{
    if (!IsCreated())
        return;
    const RECT area = rect ? *rect : RECT(GetClientRect());
    // An area of nothing would read as "everything" to the core.
    if (!HasArea(area))
        return;
    if (GetOwnerThreadId() == ::GetCurrentThreadId()) {
        InvalidateRect(area);
        return;
    }
    if (m_hasDeferred)
        ::UnionRect(&m_deferredArea, &m_deferredArea, &area);
    else
        m_deferredArea = area;
    m_hasDeferred = 1;
}

void VelGridView::RepaintWhole()
{
    if (m_updateSuspended)
        m_repaintPending = 1;
    else
        Invalidate(nullptr);
}

void VelGridView::UpdateNow()
{
    if (IsCreated())
        VelControlCore::Instance->UpdateNow(this, false);
}

void VelGridView::SetLayoutDirty(bool dirty)
{
    Lock lock(this);
    m_layoutDirty = dirty ? 1 : 0;
    if (!dirty)
        return;
    if (m_painter)
        m_painter->RequireFullLayout();
    m_pressedItem = nullptr;
    RepaintWhole();
}

void VelGridView::NoteInserted(VelItem* item, VelGroupItem* group)
{
    // As SetLayoutDirty, but the next layout only places the new row.
    if (m_painter)
        m_painter->NoteInserted(item, group);
    m_layoutDirty = 1;
    m_pressedItem = nullptr;
    RepaintWhole();
}

void VelGridView::BeginUpdate() { m_updateSuspended = 1; }

void VelGridView::EndUpdate()
{
    // Under the lock: another thread may be asking for a repaint meanwhile.
    Lock lock(this);
    m_updateSuspended = 0;
    PutGroupsInOrder();
    if (!m_repaintPending)
        return;
    m_repaintPending = 0;
    Invalidate(nullptr);
}

void VelGridView::PutGroupsInOrder()
{
    Lock lock(this);
    for (const GroupPtr& group : m_groups)
        group->PutInOrder();
}

void VelGridView::SetFullRepaint(bool full)
{
    Lock lock(this);
    if (m_painter)
        m_painter->SetFullRepaint(full);
}

void VelGridView::QueueItemRedraw(VelItem* item, const VelPoint& cell, bool invalidate)
{
    Lock lock(this);
    m_redrawQueue.push_back(Redraw{item, cell});
    if (!invalidate || !m_painter)
        return;
    if (cell.x == -1 || cell.y == -1) {
        m_painter->SetFullRepaint(true);
        Invalidate(nullptr);
        return;
    }
    VelRect area = m_painter->GetCellRect(item, cell);
    if (area.IsEmpty())
        return;
    // A row is painted from the bottom of the row above it, one line higher than its rectangle.
    if (cell.y > 0 && area.top > 0)
        --area.top;
    Invalidate(&area);
}

void VelGridView::ClearRedrawQueue()
{
    Lock lock(this);
    m_redrawQueue.clear();
}

// ---------------------------------------------------------------- groups

VelGroupItem* VelGridView::FindGroup(const std::wstring& name)
{
    if (name.empty())
        throw std::invalid_argument("Null group name specified.");
    Lock lock(this);
    for (const GroupPtr& group : m_groups)
        if (group->GetText() == name)
            return group.get();
    return nullptr;
}

VelGroupItem* VelGridView::GetDefaultGroup() { return FindGroup(m_defaultGroupName); }

void VelGridView::AddGroup(VelGroupItem* group)
{
    if (!group)
        throw std::invalid_argument("Null group specified.");
    Lock lock(this);
    // A group some shared pointer owns already is joined, never wrapped a second time.
    GroupPtr owned = boost::static_pointer_cast<VelGroupItem>(group->weak_from_this().lock());
    const GroupPtr added = owned ? owned : GroupPtr(group);
    if (!m_groupsInOrder) {
        m_groups.push_back(added);
        SortGroups();
        return;
    }
    // After its equals, as a stable sort would put it; groups that keep
    // their order take a search each instead of a sort of them all.
    Groups::iterator at = m_groups.end();
    VelGroupItem::WithOrder<VelGroupItem>(m_groupSortMode, m_groupComparator, [&](auto before) {
        at = std::upper_bound(m_groups.begin(), m_groups.end(), added, before);
    });
    m_groups.insert(at, added);
    SetLayoutDirty(true);
}

DWORD VelGridView::RemoveGroup(VelGroupItem* group)
{
    Lock lock(this);
    for (Groups::iterator it = m_groups.begin(); it != m_groups.end(); ++it) {
        if (it->get() != group)
            continue;
        const GroupPtr keep = *it;
        group->ClearChildren();
        m_groups.erase(it);
        ForgetItem(group);
        SetLayoutDirty(true);
        return 0;
    }
    return kStatusGroupNotHeld;
}

void VelGridView::RemoveAllGroups()
{
    Lock lock(this);
    for (const GroupPtr& group : m_groups)
        ForgetItem(group.get());
    m_groups.clear();
    m_groupsInOrder = 1;
    SetLayoutDirty(true);
}

void VelGridView::SortGroups()
{
    Lock lock(this);
    VelGroupItem::SortByMode(m_groups, m_groupSortMode, m_groupComparator);
    m_groupsInOrder = 1;
    SetLayoutDirty(true);
}

void VelGridView::ExpandAllGroups()
{
    Lock lock(this);
    for (const GroupPtr& group : m_groups)
        group->SetCollapsed(false);
    SetLayoutDirty(true);
}

void VelGridView::CollapseAllGroups()
{
    Lock lock(this);
    for (const GroupPtr& group : m_groups)
        group->SetCollapsed(true);
    SetLayoutDirty(true);
}

int VelGridView::GetGroupRowCount(VelGroupItem* group)
{
    Lock lock(this);
    return group ? int(std::ceil(double(group->GetChildCount()) / double(m_columns))) : 0;
}

VelItem* VelGridView::GetItemInGroupAt(VelGroupItem* group, int column, int row)
{
    Lock lock(this);
    if (!group || column < 0 || column >= m_columns || row < 0)
        return nullptr;
    const size_t index = size_t(column) + size_t(m_columns) * size_t(row);
    return index < group->GetChildCount() ? group->GetChildren()[index].get() : nullptr;
}

VelItemIterator VelGridView::GetItemIterator()
{
    Lock lock(this);
    return VelItemIterator(m_groups);
}

// ---------------------------------------------------------------- items

void VelGridView::AddItem(VelItem* item)
{
    Lock lock(this);
    VelGroupItem* group = FindGroup(m_defaultGroupName);
    if (!group) {
        // Every group went, the default one too: items without a group of their own need it back.
        group = MakeDefaultGroup(m_defaultGroupName);
        AddGroup(group);
    }
    AddItemToGroup(item, group);
}

void VelGridView::AddItemToGroup(VelItem* item, VelGroupItem* group)
{
    if (!item)
        throw std::invalid_argument("Null item specified.");
    if (!group)
        throw std::invalid_argument("Null group specified.");
    Lock lock(this);
    const ItemPtr* owner = m_owners.Find(item);
    ItemPtr owned;
    if (!owner) {
        owned = item->weak_from_this().lock();
        if (!owned)
            owned.reset(item);
        m_owners.Insert(owned);
        m_keys[item->GetKey()] = item;
    }
    // While updates wait, many rows come at once: the group sorts them once
    // when the updates resume, not the rows after each one at each add.
    const size_t before = group->GetChildCount();
    if (m_updateSuspended)
        group->AppendChild(owner ? *owner : owned);
    else
        group->AddChild(owner ? *owner : owned);
    if (group->GetChildCount() != before)
        NoteInserted(item, group);
    else
        SetLayoutDirty(true);
}

void VelGridView::ForgetItem(const VelItem* item)
{
    if (m_candidate == item)
        m_candidate = nullptr;
    if (m_holdItem == item)
        m_holdItem = nullptr;
    if (m_pressedItem == item)
        m_pressedItem = nullptr;
    m_redrawQueue.erase(
        std::remove_if(m_redrawQueue.begin(), m_redrawQueue.end(), [item](const Redraw& r) { return r.item == item; }),
        m_redrawQueue.end());
    if (m_painter)
        m_painter->ForgetItem(item);
}

void VelGridView::RemoveItem(VelItem* item)
{
    Lock lock(this);
    if (GetItemCount() == 0)
        throw std::logic_error("The grid is empty.");
    Unselect(item);
    if (item == m_pressedItem)
        m_pressedItem = nullptr;
    // Alive until every reference to it is gone.
    ItemPtr keep;
    if (item)
        keep = item->weak_from_this().lock();
    bool removed = false;
    for (const GroupPtr& group : m_groups)
        if (group->RemoveChild(item) == 1)
            removed = true;
    if (m_owners.Contains(item)) {
        // A later item with the same key keeps its entry.
        std::map<std::wstring, VelItem*>::iterator key = m_keys.find(item->GetKey());
        if (key != m_keys.end() && key->second == item)
            m_keys.erase(key);
        m_owners.Erase(item);
        removed = true;
    }
    if (!removed)
        throw std::logic_error("Item not found.");
    ForgetItem(item);
    SetLayoutDirty(true);
}

void VelGridView::RefreshItem(VelItem* item) { QueueItemRedraw(item, VelPoint(-1, -1), true); }

void VelGridView::RemoveAllItems()
{
    Lock lock(this);
    ClearSelection();
    m_pressedItem = nullptr;
    m_candidate = nullptr;
    m_holdItem = nullptr;
    m_redrawQueue.clear();
    if (m_painter)
        m_painter->ForgetAll();
    for (const GroupPtr& group : m_groups)
        group->ClearChildren();
    m_owners.Clear();
    m_keys.clear();
    SetLayoutDirty(true);
}

void VelGridView::SetSpareFlag(bool flag) { Store(m_spareFlag, BYTE(flag ? 1 : 0)); }

int VelGridView::GetItemCount()
{
    Lock lock(this);
    size_t count = 0;
    for (const GroupPtr& group : m_groups)
        count += group->GetChildCount();
    return int(count);
}

bool VelGridView::IsEmpty() { return GetItemCount() == 0; }

int VelGridView::GetRowCount()
{
    Lock lock(this);
    return int(std::ceil(double(GetItemCount()) / double(m_columns)));
}

VelItem* VelGridView::FindItemByKey(const std::wstring& key)
{
    Lock lock(this);
    std::map<std::wstring, VelItem*>::const_iterator found = m_keys.find(key);
    return found == m_keys.end() ? nullptr : found->second;
}

void VelGridView::SetColumnCount(int columns)
{
    Lock lock(this);
    if (columns == m_columns)
        return;
    if (columns < 1)
        throw std::domain_error("Number of columns must be positive integer");
    m_columns = columns;
    SetLayoutDirty(true);
}

int VelGridView::GetColumnCount()
{
    Lock lock(this);
    return m_columns;
}

// ---------------------------------------------------------------- cells

VelItem* VelGridView::GetItemAtPoint(const VelPoint& point, VelPoint& cell)
{
    Lock lock(this);
    if (!m_painter)
        return nullptr;
    cell = m_painter->CellAtPoint(point);
    if (cell.x == INT_MAX || cell.y == INT_MAX)
        return nullptr;
    return GetItemAtCell(cell);
}

VelItem* VelGridView::GetItemAtCell(int column, int row)
{
    Lock lock(this);
    return m_painter ? m_painter->GetCell(column, row) : nullptr;
}

VelItem* VelGridView::GetItemAtCell(const VelPoint& cell) { return GetItemAtCell(cell.x, cell.y); }

DWORD VelGridView::GetCellOfItem(VelItem* item, VelPoint& cell)
{
    Lock lock(this);
    return m_painter ? m_painter->GetItemCell(item, cell) : DWORD(kStatusNotLaidOut);
}

VelRect VelGridView::GetCellRect(VelItem* item, const VelPoint& cell)
{
    Lock lock(this);
    return m_painter ? m_painter->GetCellRect(item, cell) : VelRect();
}

VelCanvas* VelGridView::GetLayoutCanvas()
{
    for (VelAbstractControl* control = this; control; control = control->GetParent())
        if (control->GetStateFlag())
            return control->GetCanvas();
    return nullptr;
}

int VelGridView::GetContentHeight()
{
    Lock lock(this);
    if (!m_painter)
        return 0;
    if (m_painter->GetRowCount() == 0)
        if (VelCanvas* canvas = GetLayoutCanvas())
            m_painter->Layout(canvas);
    return m_painter->GetContentHeight();
}

int VelGridView::GetRowHeightOrMeasure(int row)
{
    Lock lock(this);
    if (!m_painter)
        return -1;
    const int height = m_painter->GetRowHeight(row);
    if (height != -1)
        return height;
    VelCanvas* canvas = GetLayoutCanvas();
    return canvas ? m_painter->MeasureRow(canvas, row) : -1;
}

// ---------------------------------------------------------------- selection

void VelGridView::SetSelectionMode(bool selectable, bool multi)
{
    Lock lock(this);
    m_selectable = selectable ? 1 : 0;
    m_multiSelect = multi ? 1 : 0;
    if (!selectable || (!multi && m_selection.size() > 1))
        ClearSelection();
}

void VelGridView::SetSelectOnClick(bool selectOnClick) { Store(m_selectOnClick, BYTE(selectOnClick ? 1 : 0)); }

void VelGridView::SelectOnly(VelItem* item)
{
    Lock lock(this);
    if (IsSelected(item))
        return;
    ClearSelection();
    Select(item);
}

void VelGridView::Select(VelItem* item)
{
    Lock lock(this);
    if (!m_selectable || !item || !item->IsCellItem() || IsSelected(item))
        return;
    if (!m_multiSelect)
        ClearSelection();
    item->SetSelected(true);
    m_selection.push_back(item);
    QueueItemRedraw(item, VelPoint(-1, -1), true);
    RaiseSelectionChanged();
}

void VelGridView::Unselect(VelItem* item)
{
    Lock lock(this);
    std::vector<VelItem*>::iterator found = std::find(m_selection.begin(), m_selection.end(), item);
    if (!item || found == m_selection.end())
        return;
    item->SetSelected(false);
    QueueItemRedraw(item, VelPoint(-1, -1), true);
    m_selection.erase(std::find(m_selection.begin(), m_selection.end(), item));
    RaiseSelectionChanged();
}

bool VelGridView::IsSelected(VelItem* item)
{
    Lock lock(this);
    return std::find(m_selection.begin(), m_selection.end(), item) != m_selection.end();
}

void VelGridView::ClearSelection()
{
    Lock lock(this);
    if (m_selection.empty())
        return;
    std::vector<VelItem*> selection;
    selection.swap(m_selection);
    for (VelItem* item : selection) {
        item->SetSelected(false);
        QueueItemRedraw(item, VelPoint(-1, -1), true);
    }
    RaiseSelectionChanged();
}

VelItem* VelGridView::GetFirstSelected()
{
    Lock lock(this);
    return m_selection.empty() ? nullptr : m_selection.front();
}

void VelGridView::RaiseSelectionChanged()
{
    Lock lock(this);
    const VelGridViewSelEventArgs args(m_selection);
    SelectionChanged.Invoke(this, &args);
}

// ---------------------------------------------------------------- pressing

void VelGridView::PressCell(int column, int row)
{
    Lock lock(this);
    if (m_pressedItem)
        QueueItemRedraw(m_pressedItem, m_pressedCell, true);
    m_pressedItem = GetItemAtCell(column, row);
    if (!m_pressedItem)
        return;
    m_pressedCell = VelPoint(column, row);
    QueueItemRedraw(m_pressedItem, m_pressedCell, true);
}

void VelGridView::PressCellAt(const VelPoint& cell) { PressCell(cell.x, cell.y); }

void VelGridView::ReleasePressed()
{
    Lock lock(this);
    if (!m_pressedItem)
        return;
    QueueItemRedraw(m_pressedItem, m_pressedCell, true);
    m_pressedItem = nullptr;
}

void VelGridView::ActivateItem(VelItem* item, const VelPoint& cell)
{
    Lock lock(this);
    if (!item)
        return;
    if (item->IsEnabled()) {
        if (item->IsGroup() && m_collapsibleGroups) {
            item->ToggleCollapsed();
            SetLayoutDirty(true);
        }
        if (m_selectOnClick && m_selectable && item->IsCellItem())
            Select(item);
    }
    const VelItemEventArgs args(item, cell);
    ItemClicked.Invoke(this, &args);
}

int VelGridView::TrackPress(bool notify, int x, int y, DWORD time, bool& handled, bool& pressChanged)
{
    Lock lock(this);
    handled = false;
    pressChanged = false;
    if (x == -1) {
        x = GetLastPoint().x;
        y = GetLastPoint().y;
        time = VelControlCore::GetTick();
    }
    const VelPoint press = GetPressPoint();
    const int dx = press.x - x;
    const int dy = press.y - y;
    const DWORD elapsed = time - GetPressTime();
    const int tx = ::GetSystemMetrics(SM_CXDOUBLECLK) / 3;
    const int ty = ::GetSystemMetrics(SM_CYDOUBLECLK) / 3;
    const bool nearby = std::abs(dx) < tx && std::abs(dy) < ty;
    const int position = GetScrollPosition();
    bool changed = false;

    if (elapsed > kHoldMs) {
        if (m_holdHandled) {
            // Leaving the spot undoes what the hold selected.
            if (m_holdItem && !nearby) {
                Unselect(m_holdItem);
                m_holdItem = nullptr;
                if (m_pressTimer)
                    m_pressTimer->Stop();
            }
        } else {
            if (m_pressedItem)
                ReleasePressed();
            m_candidate = nullptr;
            if (nearby) {
                VelPoint cell;
                VelItem* item = GetItemAtPoint(VelPoint(x, y + position), cell);
                if (item && item->IsCellItem()) {
                    if (!IsSelected(item)) {
                        Select(item);
                        m_holdItem = item;
                    } else {
                        Unselect(item);
                    }
                    changed = true;
                }
            }
            m_holdHandled = 1;
            if (!m_holdItem && m_pressTimer)
                m_pressTimer->Stop();
        }
    } else {
        // A finger that has not moved counts at once; the platform's clock
        // steps about every 15 ms, so a quick tap may end in the press's own step.
        const bool still = dx == 0 && dy == 0;
        if ((elapsed >= kPressShowMs && nearby) || still) {
            VelPoint cell;
            VelItem* item = GetItemAtPoint(VelPoint(x, y + position), cell);
            if (item == m_pressedItem) {
                // Still on the pressed cell.
            } else if (!item || item->IsDisabled()) {
                if (m_pressedItem)
                    ReleasePressed();
                changed = true;
                m_candidate = nullptr;
            } else if (item->IsCellItem()) {
                if (m_pressedItem)
                    QueueItemRedraw(m_pressedItem, m_pressedCell, true);
                m_pressedItem = m_candidate = item;
                m_pressedCell = m_candidateCell = cell;
                QueueItemRedraw(item, cell, true);
                changed = true;
                pressChanged = true;
            } else {
                m_candidate = item;
                m_candidateCell = cell;
            }
            handled = true;
        }
    }
    if (changed && notify && IsCreated()) {
        UpdateNow();
        return 0;
    }
    return changed ? 1 : 0;
}

// ---------------------------------------------------------------- input

bool VelGridView::BeginPress(const VelMouseEventArgs* args)
{
    if (m_pressTimer) {
        m_pressTimer->Stop();
        m_pressTimer->Start();
    }
    m_holdHandled = 0;
    m_holdItem = nullptr;
    m_candidate = nullptr;
    const bool wasFlinging = IsScrolling();
    if (!GetScrollState()->dragLock) {
        CaptureMouse();
        m_mouseCaptured = 1;
    }
    OnPointerDown(args);
    return wasFlinging && !IsScrolling();
}

int VelGridView::OnMouseDown(const VelMouseEventArgs* args)
{
    Lock lock(this);
    if (m_updateSuspended)
        return 0;
    if (BeginPress(args) && m_painter)
        m_painter->InvalidateLabel(nullptr);
    return 0;
}

int VelGridView::OnMouseDoubleClick(const VelMouseEventArgs* args) { return OnMouseDown(args); }

int VelGridView::OnMouseMove(const VelMouseEventArgs* args)
{
    bool pause = false;
    {
        Lock lock(this);
        // Only a finger on the glass moves anything; a pointer passing over does not.
        if (m_updateSuspended || !(args->keys & MK_LBUTTON))
            return 0;
        const DWORD time = VelControlCore::GetTick();
        bool handled = false;
        bool pressChanged = false;
        bool changed = TrackPress(false, args->point.x, args->point.y, time, handled, pressChanged) != 0;
        if (!handled || !m_pressedItem) {
            bool invalidated = false;
            if (OnPointerMove(args) == kResultMoved) {
                Invalidate(nullptr);
                invalidated = true;
                changed = true;
            }
            if (m_pressedItem) {
                QueueItemRedraw(m_pressedItem, m_pressedCell, !invalidated);
                m_pressedItem = nullptr;
            }
            m_candidate = nullptr;
        } else {
            // Within the press rules the content stays still under the pressed cell.
            RecordMove(args->point, time);
        }
        if (changed)
            UpdateNow();
        pause = changed && pressChanged;
    }
    // So that the pressed look is seen before the next move; the lock is free meanwhile.
    if (pause)
        ::Sleep(kPressedLookPauseMs);
    return 0;
}

int VelGridView::OnMouseUp(const VelMouseEventArgs* args)
{
    Lock lock(this);
    if (m_updateSuspended)
        return 0;
    bool handled = false;
    bool pressChanged = false;
    TrackPress(true, args->point.x, args->point.y, VelControlCore::GetTick(), handled, pressChanged);
    if (m_pressedItem) {
        VelItem* item = m_pressedItem;
        const VelPoint cell = m_pressedCell;
        m_pressedItem = nullptr;
        QueueItemRedraw(item, cell, false);
        if (m_painter) {
            VelRect area = m_painter->GetCellRect(item, cell);
            if (cell.y > 0 && area.top > 0)
                --area.top;
            Invalidate(&area);
        }
        UpdateNow();
    }
    if (VelItem* candidate = m_candidate) {
        m_candidate = nullptr;
        ActivateItem(candidate, m_candidateCell);
    }
    m_holdHandled = 1;
    if (m_pressTimer)
        m_pressTimer->Stop();
    if (m_mouseCaptured) {
        m_mouseCaptured = 0;
        ReleaseMouse();
    }
    return OnPointerUp(args);
}

int VelGridView::OnTimer(const VelTimerEventArgs* args)
{
    {
        Lock lock(this);
        const UINT id = args->timerId;
        if (id == GetTimerId()) {
            const int result = OnScrollTimer(args);
            if (result == kResultTickIdle) {
                if (m_painter && m_groupLabels && m_labelMode == kLabelWhileScrolling)
                    m_painter->InvalidateTopLabel();
            } else if (result == kResultTickMoved) {
                if (m_updateSuspended)
                    m_repaintPending = 1;
                else if (IsCreated())
                    VelControlCore::Instance->UpdateNow(this, true);
            } else {
                return result;
            }
        } else if (m_labelTimer && id == m_labelTimer->GetTimerId()) {
            m_labelShown = 0;
            m_labelTimer->Stop();
            if (m_painter && m_painter->InvalidateLabel(nullptr))
                UpdateNow();
        } else if (m_pressTimer && id == m_pressTimer->GetTimerId()) {
            bool handled = false;
            bool pressChanged = false;
            TrackPress(true, -1, -1, 0, handled, pressChanged);
        }
    }
    TimerElapsed.Invoke(this, args);
    return 0;
}

void VelGridView::StopScrolling()
{
    Lock lock(this);
    VelScrollableControl::StopScrolling();
    if (!m_labelShown)
        return;
    m_labelShown = 0;
    if (m_labelTimer)
        m_labelTimer->Stop();
    if (m_painter && m_painter->InvalidateLabel(nullptr))
        UpdateNow();
}

int VelGridView::OnSize(const VelSizeEventArgs* args)
{
    {
        Lock lock(this);
        // Cell widths, labels and the scroll range all follow the view's size.
        SetLayoutDirty(true);
        PlaceScrollbar(VelTheme::GetMetrics().GetScrollStripWidth());
        if (m_scrollbar)
            m_scrollbar->SetRange(GetContentHeight());
    }
    Resized.Invoke(this, args);
    return 0;
}

int VelGridView::OnPaint(const VelPaintEventArgs* args)
{
    Lock lock(this);
    if (!m_painter)
        return 0;
    m_painter->SetRect(args->area);
    m_painter->Paint(args->canvas);
    return 0;
}

// ---------------------------------------------------------------- scrolling

void VelGridView::ScrollTo(int position, bool showLabel)
{
    Lock lock(this);
    // Never left past an end: nothing would bring the content back until the next touch.
    const VelScrollState* state = GetScrollState();
    if (state->maximum >= state->minimum)
        position = std::max(state->minimum, std::min(position, state->maximum));
    SetScrollPosition(position, 0);
    if (showLabel && !IsScrolling() && m_labelMode == kLabelWhileScrolling && m_labelTimer &&
        !m_labelTimer->IsActive()) {
        m_labelShown = 1;
        m_labelTimer->Start();
    }
    Invalidate(nullptr);
}

int VelGridView::RowTop(int row)
{
    if (row <= 0 || !m_painter || m_painter->GetRowCount() == 0)
        return 0;
    return m_painter->GetRowBottom(std::min(row - 1, m_painter->GetRowCount() - 1));
}

void VelGridView::ScrollToCell(const VelPoint& cell)
{
    Lock lock(this);
    if (IsScrolling())
        StopScrolling();
    ScrollTo(RowTop(cell.y), true);
}

DWORD VelGridView::ScrollToItem(VelItem* item)
{
    Lock lock(this);
    if (!m_painter)
        return kStatusNotLaidOut;
    if (m_updateSuspended) {
        m_painter->SetPendingScrollItem(item);
        return 0;
    }
    if (IsScrolling())
        StopScrolling();
    VelPoint cell;
    if (m_painter->GetItemCell(item, cell) != 0)
        return kStatusNotLaidOut;
    ScrollTo(RowTop(cell.y), false);
    return 0;
}

// ---------------------------------------------------------------- keys

int VelGridView::OnKeyDown(const VelKeyEventArgs* args)
{
    Lock lock(this);
    if (m_updateSuspended || !m_painter)
        return 0;
    const int rows = m_painter->GetRowCount();
    const int position = GetScrollPosition();
    int first = 0;
    int last = 0;
    m_painter->GetVisibleRows(position, GetClientRect().GetHeight(), first, last);

    if (!m_pressedItem) {
        for (int row = std::max(first == INT_MAX ? rows : first, 0); row < rows; ++row) {
            VelItem* item = GetItemAtCell(0, row);
            if (item && item->IsCellItem()) {
                PressCellAt(VelPoint(0, row));
                ScrollToCell(VelPoint(0, row));
                break;
            }
        }
        return 0;
    }

    const int column = m_pressedCell.x;
    const int row = m_pressedCell.y;
    switch (args->virtualKey) {
    case VK_UP:
        for (int r = row - 1; r >= 0; --r) {
            VelItem* item = GetItemAtCell(column, r);
            if (!item || !item->IsCellItem())
                continue;
            if (r > last || r <= first)
                ScrollToCell(VelPoint(column, r));
            PressCell(column, r);
            break;
        }
        break;
    case VK_LEFT:
        for (int c = column - 1; c >= 0; --c) {
            if (GetItemAtCell(c, row)) {
                PressCell(c, row);
                break;
            }
        }
        break;
    case VK_RETURN:
    case VK_RIGHT:
        ActivateItem(m_pressedItem, m_pressedCell);
        break;
    case VK_DOWN: {
        int skipped = 0;
        for (int r = row + 1; r < rows; ++r) {
            VelItem* item = GetItemAtCell(column, r);
            if (!item || !item->IsCellItem()) {
                skipped += GetRowHeightOrMeasure(r);
                continue;
            }
            if (r == last)
                ScrollTo(position + skipped + GetRowHeightOrMeasure(r), true);
            else if (r <= first || r > last)
                ScrollToCell(VelPoint(column, r));
            PressCell(column, r);
            break;
        }
        break;
    }
    default:
        break;
    }
    return 0;
}

// ---------------------------------------------------------------- handlers

void VelGridView::SetScrollbarVisible(bool visible)
{
    Lock lock(this);
    if (m_scrollbar)
        m_scrollbar->SetVisible(visible);
}

int VelGridView::GetSeparatorWidth()
{
    Lock lock(this);
    return m_separatorWidth;
}

void VelGridView::SetSeparatorWidth(int width)
{
    Lock lock(this);
    m_separatorWidth = width;
    SetLayoutDirty(true);
}

void VelGridView::OnFlingStopped(VelScrollableControl*, const VelScrollEventArgs*)
{
    Lock lock(this);
    if (m_painter && m_painter->InvalidateLabel(nullptr))
        UpdateNow();
}

void VelGridView::OnTransitionStarted(VelObject*, const VelTransitionEventArgs*)
{
    Lock lock(this);
    if (!GetStateFlag() && m_painter)
        m_painter->SetFullRepaint(true);
}

void VelGridView::OnScrolled(VelScrollableControl*, const VelScrollEventArgs* args)
{
    Lock lock(this);
    if (m_scrollbar)
        m_scrollbar->SetPosition(std::max(args->state.position, 0));
}

void VelGridView::OnScrollbarValueChanged(VelScrollbar*, int value) { ScrollTo(value, true); }

void VelGridView::OnWindowPosChanged(VelObject*, const VelWindowPosEventArgs*)
{
    Lock lock(this);
    PlaceScrollbar(::GetSystemMetrics(SM_CXSCREEN) / 120);
}

void VelGridView::OnLayoutChanged(VelObject*, const VelEventArgs*)
{
    Lock lock(this);
    if (m_scrollbar)
        m_scrollbar->SetRange(std::max(GetContentHeight(), 1));
}

// ---------------------------------------------------------------- settings

void VelGridView::SetRowHeight(int height) { Store(m_rowHeight, height); }

void VelGridView::SetGroupRowHeight(int height) { Store(m_groupRowHeight, height); }

void VelGridView::SetSeparatorStyle(int style) { Store(m_separatorStyle, style); }

void VelGridView::SetGroupSeparators(bool on) { Store(m_groupSeparators, BYTE(on ? 1 : 0)); }

void VelGridView::SetCollapsibleGroups(bool on) { Store(m_collapsibleGroups, BYTE(on ? 1 : 0)); }

void VelGridView::SetHideEmptyGroups(bool on) { Store(m_hideEmptyGroups, BYTE(on ? 1 : 0)); }

void VelGridView::SetGroupSortMode(int mode)
{
    Lock lock(this);
    if (mode != m_groupSortMode)
        m_groupsInOrder = 0;
    m_groupSortMode = mode;
}

void VelGridView::SetGroupComparator(GroupComparator comparator)
{
    Lock lock(this);
    if (comparator != m_groupComparator)
        m_groupsInOrder = 0;
    m_groupComparator = comparator;
}

void VelGridView::SetGroupLabels(bool on) { Store(m_groupLabels, BYTE(on ? 1 : 0)); }

void VelGridView::SetLabelTop(int top) { Store(m_labelTop, top); }

void VelGridView::SetLabelMode(int mode) { Store(m_labelMode, mode); }
