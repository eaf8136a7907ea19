#include "VelListView.h"

#include "VelKlTheme.h"
#include "VelProgressWindowLess.h"
#include "VelTimer.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace {

const UINT kPlainHeaderFormat = DT_SINGLELINE | DT_END_ELLIPSIS;
const int kProgressRange = 100;

}  // namespace

VelListView::VelListView(VelObject* owner, const std::string& name)
    : VelGridView(owner, name), m_progress(nullptr), m_pendingRegroup(0), m_pendingRefilter(0),
      m_groupsFollowChildren(0), m_highlightEnabled(0), m_grouping(nullptr), m_highlighted(nullptr),
      m_highlightTimer(nullptr), m_pressCandidate(nullptr), m_loadingDepth(0), m_lastPaintedPosition(0)
{
    Created += VelBind(this, &VelListView::Create);
    TimerElapsed += VelBind(this, &VelListView::OnHighlightTimer);
}

VelListView::~VelListView()
{
    // No paint or input may reach the list while its parts go.
    Destroy();
    Lock lock(this);
    // The grouping is not touched: its owner, the view, may have deleted it already.
    if (m_highlightTimer)
        m_highlightTimer->Stop();
}

const wchar_t* VelListView::GetClassName() const { return L"VelListView"; }

void VelListView::Create(VelObject*, const VelCreateEventArgs*)
{
    Lock lock(this);
    if (m_progress)
        return;
    SetSpareFlag(true);
    m_progress = new VelProgressWindowLess(this, 0, kProgressRange, this, "progress");
    m_progress->SetVisible(false);
    m_progress->SetAutoHide(true);
    m_progress->SetRect(VelRect(0, 0, GetWidth(), VelKlTheme::GetMetrics().GetProgressHeight()));
    m_highlightTimer = new VelTimer(kHighlightMs, this, this, "highlight-item-timer");
}

// ---------------------------------------------------------------- input and paint

int VelListView::OnMouseDown(const VelMouseEventArgs* args)
{
    Lock lock(this);
    m_lastPointer = args->point;
    return VelGridView::OnMouseDown(args);
}

int VelListView::OnMouseDoubleClick(const VelMouseEventArgs* args) { return OnMouseDown(args); }

int VelListView::OnMouseMove(const VelMouseEventArgs* args)
{
    Lock lock(this);
    m_lastPointer = args->point;
    RemoveHighlight();
    return VelGridView::OnMouseMove(args);
}

int VelListView::OnMouseUp(const VelMouseEventArgs* args)
{
    Lock lock(this);
    m_lastPointer = args->point;
    if (m_highlightTimer && m_highlightTimer->IsActive())
        m_highlightTimer->Stop();
    const int result = VelGridView::OnMouseUp(args);
    RemoveHighlight();
    return result;
}

int VelListView::OnKeyDown(const VelKeyEventArgs* args)
{
    Lock lock(this);
    return VelGridView::OnKeyDown(args);
}

int VelListView::OnTimer(const VelTimerEventArgs* args)
{
    Lock lock(this);
    return VelGridView::OnTimer(args);
}

int VelListView::OnSize(const VelSizeEventArgs* args)
{
    Lock lock(this);
    return VelGridView::OnSize(args);
}

int VelListView::OnPaint(const VelPaintEventArgs* args)
{
    Lock lock(this);
    const bool barShown = m_progress && m_progress->IsVisible();
    // A scroll moves the pixels already painted, the bar's among them: with
    // the bar up, the rows are painted afresh instead.
    if (barShown && GetScrollPosition() != m_lastPaintedPosition)
        SetFullRepaint(true);
    m_lastPaintedPosition = GetScrollPosition();
    const int result = VelGridView::OnPaint(args);
    if (barShown)
        m_progress->Paint(args->canvas, args->area);
    return result;
}

void VelListView::SetProgressVisible(bool visible)
{
    Lock lock(this);
    if (!m_progress || m_progress->IsVisible() == visible)
        return;
    m_progress->SetVisible(visible);
    InvalidateRect(m_progress->GetRect());
}

bool VelListView::IsProgressVisible() const { return m_progress && m_progress->IsVisible(); }

// ---------------------------------------------------------------- groups

VelGroupItem* VelListView::FindGroup(const std::wstring& label)
{
    if (label.empty())
        return nullptr;
    Lock lock(this);
    std::unordered_map<std::wstring, VelGroupItem*>::const_iterator found = m_groupsByLabel.find(label);
    if (found != m_groupsByLabel.end())
        return found->second;
    // The grid's default group, and groups handed straight to the grid.
    return VelGridView::FindGroup(label);
}

void VelListView::AddGroup(VelGroupItem* group)
{
    Lock lock(this);
    if (group)
        m_groupsByLabel[group->GetText()] = group;
    VelGridView::AddGroup(group);
    FollowChildren(group);
}

void VelListView::AddItemToGroup(VelItem* item, VelGroupItem* group)
{
    Lock lock(this);
    VelGridView::AddItemToGroup(item, group);
    FollowChildren(group);
}

DWORD VelListView::RemoveGroup(VelGroupItem* group)
{
    Lock lock(this);
    for (std::unordered_map<std::wstring, VelGroupItem*>::iterator it = m_groupsByLabel.begin();
         it != m_groupsByLabel.end();)
        it = it->second == group ? m_groupsByLabel.erase(it) : std::next(it);
    return VelGridView::RemoveGroup(group);
}

void VelListView::RemoveAllGroups()
{
    Lock lock(this);
    m_groupsByLabel.clear();
    VelGridView::RemoveAllGroups();
}

VelGroupItem* VelListView::CreateGroupHeader(const std::wstring& label, const std::wstring& key)
{
    if (m_grouping && m_grouping->createHeader)
        if (VelGroupItem* header = m_grouping->createHeader(label, key))
            return header;
    return new VelGroupItem(label, key, kPlainHeaderFormat);
}

void VelListView::SetGroupsFollowChildren(bool follow)
{
    Lock lock(this);
    m_groupsFollowChildren = follow ? 1 : 0;
    if (!follow)
        return;
    // The grid's own rule would show again a group whose rows are all filtered out.
    SetHideEmptyGroups(false);
    FollowChildrenAll();
    SetLayoutDirty(true);
}

void VelListView::FollowChildren(VelGroupItem* group)
{
    // A loading cycle settles every group once at its end; asking a group
    // whose rows are all filtered out after each row would walk it each time.
    if (m_loadingDepth > 0)
        return;
    if (m_groupsFollowChildren && group)
        group->SetVisible(group->HasVisibleChildren());
}

void VelListView::FollowChildrenAll()
{
    for (const GroupPtr& group : GetGroups())
        FollowChildren(group.get());
}

// ---------------------------------------------------------------- rows

void VelListView::Filter(VelItem* item) { item->SetVisible(m_filter ? m_filter(item) : true); }

void VelListView::GroupsFor(VelItem* item, std::vector<VelGroupItem*>& groups)
{
    groups.clear();
    if (m_grouping && m_grouping->keys) {
        for (const VelListGrouping::GroupKey& key : m_grouping->keys(item)) {
            if (key.first.empty())
                continue;
            VelGroupItem* group = FindGroup(key.first);
            if (!group) {
                group = CreateGroupHeader(key.first, key.second);
                if (m_grouping->itemComparator) {
                    group->SetComparator(m_grouping->itemComparator);
                    group->SetSorter(m_grouping->itemSorter);
                    group->SetSortMode(VelGroupItem::kCustomSort);
                }
                AddGroup(group);
            }
            if (std::find(groups.begin(), groups.end(), group) == groups.end())
                groups.push_back(group);
        }
    }
    if (groups.empty()) {
        VelGroupItem* fallback = GetDefaultGroup();
        if (!fallback) {
            // Removing every group took the default one too: the grid makes it again.
            VelGridView::AddItem(item);
            fallback = GetDefaultGroup();
        }
        groups.push_back(fallback);
    }
}

void VelListView::File(VelItem* item, std::vector<VelGroupItem*>& groups)
{
    GroupsFor(item, groups);
    for (VelGroupItem* group : groups)
        AddItemToGroup(item, group);
}

void VelListView::File(VelItem* item)
{
    std::vector<VelGroupItem*> groups;
    File(item, groups);
}

void VelListView::Refile(VelItem* item)
{
    std::vector<VelGroupItem*> wanted;
    GroupsFor(item, wanted);
    // A copy: leaving a group may change the item's list of parents.
    const std::vector<VelGroupItem*> parents = item->GetParentGroups();
    for (VelGroupItem* group : parents) {
        if (!group->ContainsChild(item))
            continue;
        if (std::find(wanted.begin(), wanted.end(), group) != wanted.end()) {
            // A group keeps its order as rows come in: a changed row moves to its new place.
            group->ResortChild(item);
            continue;
        }
        group->RemoveChild(item);
        FollowChildren(group);
    }
    for (VelGroupItem* group : wanted)
        AddItemToGroup(item, group);
    SetLayoutDirty(true);
}

void VelListView::AddItem(VelItem* item)
{
    if (!item)
        throw std::invalid_argument("Null item specified.");
    Lock lock(this);
    if (Holds(item))
        return;
    Filter(item);
    File(item);
    m_items.push_back(item);
    m_held.Insert(item);
}

void VelListView::AddItem(VelItem* item, VelGroupItem* group)
{
    Lock lock(this);
    if (group)
        AddItemToGroup(item, group);
    else
        VelGridView::AddItem(item);
}

void VelListView::RefreshFilterAndGroup(VelItem* item)
{
    Lock lock(this);
    if (!item || !Holds(item))
        return;
    Filter(item);
    Refile(item);
}

void VelListView::RefreshItem(VelItem* item)
{
    Lock lock(this);
    // A changed row may no longer match the filter nor belong where it was.
    if (item && Holds(item)) {
        Filter(item);
        Refile(item);
    }
    VelGridView::RefreshItem(item);
}

void VelListView::RemoveItem(VelItem* item)
{
    Lock lock(this);
    if (!Holds(item))
        return;
    m_items.erase(std::find(m_items.begin(), m_items.end(), item));
    m_held.Erase(item);
    if (m_highlighted == item)
        m_highlighted = nullptr;
    if (m_pressCandidate == item)
        m_pressCandidate = nullptr;
    std::vector<VelGroupItem*> groups;
    for (VelGroupItem* group : item->GetParentGroups())
        if (group->ContainsChild(item))
            groups.push_back(group);
    // The item may go with it; the groups stay with the grid.
    VelGridView::RemoveItem(item);
    for (VelGroupItem* group : groups)
        FollowChildren(group);
}

void VelListView::RemoveAllItems()
{
    Lock lock(this);
    m_items.clear();
    m_held.Clear();
    m_highlighted = nullptr;
    m_pressCandidate = nullptr;
    VelGridView::RemoveAllItems();
    FollowChildrenAll();
}

VelItem* VelListView::FindItem(const Predicate& predicate)
{
    Lock lock(this);
    if (!predicate)
        return nullptr;
    for (VelItem* item : m_items)
        if (predicate(item))
            return item;
    return nullptr;
}

std::vector<VelItem*> VelListView::GetItems()
{
    Lock lock(this);
    return m_items;
}

// ---------------------------------------------------------------- loading

void VelListView::SetWaitCursor(bool wait)
{
    // The cursor belongs to the thread that owns the window.
    if (GetOwnerThreadId() == ::GetCurrentThreadId())
        ::SetCursor(wait ? ::LoadCursorW(nullptr, IDC_WAIT) : nullptr);
}

void VelListView::BeginLoading()
{
    Lock lock(this);
    if (m_loadingDepth++ > 0)
        return;
    BeginUpdate();
    SetWaitCursor(true);
    m_pendingRegroup = 0;
    m_pendingRefilter = 0;
}

void VelListView::EndLoading()
{
    {
        Lock lock(this);
        if (m_loadingDepth == 0 || --m_loadingDepth > 0)
            return;
        ApplyPending();
        m_pendingRegroup = 0;
        m_pendingRefilter = 0;
        SetWaitCursor(false);
        EndUpdate();
        InvalidateRect(VelRect());
    }
    // At once only on the owner's thread, and with the list lock let go: the
    // paint takes the core's lock first. Elsewhere the posted invalidation serves.
    if (GetOwnerThreadId() == ::GetCurrentThreadId())
        Update(false);
}

bool VelListView::IsBusy()
{
    Lock lock(this);
    return m_loadingDepth > 0;
}

void VelListView::ApplyPending()
{
    Lock lock(this);
    const bool refilter = m_pendingRefilter != 0;
    const bool regroup = m_pendingRegroup != 0;
    if (refilter || regroup) {
        std::vector<VelGroupItem*> groups;
        for (VelItem* item : m_items) {
            if (refilter)
                Filter(item);
            if (regroup)
                File(item, groups);
        }
    }
    FollowChildrenAll();
    if (refilter)
        SetLayoutDirty(true);
}

void VelListView::SetGrouping(VelListGrouping* grouping)
{
    Lock lock(this);
    if (grouping == m_grouping)
        return;
    BeginLoading();
    m_grouping = grouping;
    if (grouping) {
        grouping->list = this;
        SetGroupComparator(grouping->groupComparator);
        SetGroupSortMode(grouping->groupComparator ? kSortComparator : kSortNone);
        if (grouping->keys) {
            RemoveAllGroups();
            m_pendingRegroup = 1;
        }
    }
    EndLoading();
}

void VelListView::SetFilter(Predicate predicate, bool apply)
{
    Lock lock(this);
    if (!apply) {
        m_filter = std::move(predicate);
        m_pendingRefilter = 0;
        m_pendingRegroup = 0;
        InvalidateRect(VelRect());
        return;
    }
    BeginLoading();
    m_pendingRefilter = 1;
    m_filter = std::move(predicate);
    EndLoading();
}

// ---------------------------------------------------------------- highlight

void VelListView::SetHighlightEnabled(bool enabled)
{
    Lock lock(this);
    m_highlightEnabled = enabled ? 1 : 0;
    if (!enabled)
        RemoveHighlight();
}

void VelListView::Highlight(VelItem* item)
{
    Lock lock(this);
    if (!m_highlightEnabled || item == m_highlighted)
        return;
    if (m_highlighted)
        m_highlighted->SetPressed(false);
    m_highlighted = item;
    if (item)
        item->SetPressed(true);
    SetLayoutDirty(true);
    InvalidateRect(VelRect());
}

void VelListView::RemoveHighlight()
{
    if (!m_highlighted)
        return;
    m_highlighted->SetPressed(false);
    m_highlighted = nullptr;
    SetLayoutDirty(true);
    InvalidateRect(VelRect());
}

void VelListView::OnHighlightTimer(VelObject*, const VelTimerEventArgs* args)
{
    if (!m_highlightTimer || !args || args->timerId != m_highlightTimer->GetTimerId())
        return;
    Lock lock(this);
    if (m_pressCandidate && m_pressCandidateRect.ContainsPoint(m_lastPointer)) {
        VelPoint cell;
        const VelPoint at(m_lastPointer.x, m_lastPointer.y + GetScrollPosition());
        if (GetItemAtPoint(at, cell) == m_pressCandidate)
            Highlight(m_pressCandidate);
    }
    m_highlightTimer->Stop();
}
