#pragma once
#include "VelCriticalSection.h"
#include "VelGridView.h"
#include "VelScopedLock.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class VelListView;
class VelProgressWindowLess;
class VelTimer;

// How a list files its rows: the groups a row belongs to, by (label, key),
// the order of the group headers and of the rows inside a group, and the
// header made for a label seen first. Owned by the view that sets it.
struct VelListGrouping {
    typedef std::pair<std::wstring, std::wstring> GroupKey;  // shown label, key
    typedef std::function<std::vector<GroupKey>(const VelItem*)> KeyFunction;
    typedef std::function<VelGroupItem*(const std::wstring& label, const std::wstring& key)> HeaderFactory;

    VelListGrouping() : list(nullptr), groupComparator(nullptr), itemComparator(nullptr), itemSorter(nullptr) {}

    std::wstring name;
    VelListView* list;
    KeyFunction keys;
    VelGridView::GroupComparator groupComparator;
    VelGroupItem::Comparator itemComparator;
    // Optional, with the comparator: sorts a group's rows as it would, faster.
    VelGroupItem::Sorter itemSorter;
    HeaderFactory createHeader;
};

// The grid of every list-bearing view, safe for the loaders on the UI thread
// and the data handlers on other threads: whatever reads or changes rows,
// groups, filter or grouping, or paints, takes the list lock first and the
// grid's lock second. Adds a loading cycle, a grouping, a filter, a thin
// progress bar over its top edge and a delayed highlight.
class VelListView : public VelGridView {
public:
    typedef std::function<bool(const VelItem*)> Predicate;
    enum : UINT { kHighlightMs = 400 };

    explicit VelListView(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelListView() override;

    using VelGridView::Create;
    const wchar_t* GetClassName() const override;

    int OnMouseDown(const VelMouseEventArgs* args) override;
    int OnMouseDoubleClick(const VelMouseEventArgs* args) override;
    int OnMouseMove(const VelMouseEventArgs* args) override;
    int OnMouseUp(const VelMouseEventArgs* args) override;
    int OnKeyDown(const VelKeyEventArgs* args) override;
    int OnTimer(const VelTimerEventArgs* args) override;
    int OnSize(const VelSizeEventArgs* args) override;
    int OnPaint(const VelPaintEventArgs* args) override;

    // The group recorded under the label (else the grid's group of that
    // text), null for none or an empty label.
    VelGroupItem* FindGroup(const std::wstring& label) override;
    void AddGroup(VelGroupItem* group) override;
    DWORD RemoveGroup(VelGroupItem* group) override;
    void RemoveAllGroups() override;
    // Filters and files an item the list does not hold yet; one it holds is ignored.
    void AddItem(VelItem* item) override;
    // Straight into the group, which shows once it has a visible row.
    void AddItemToGroup(VelItem* item, VelGroupItem* group) override;
    // Filters and files the item again.
    void RefreshItem(VelItem* item) override;
    // An item the list does not hold is left alone.
    void RemoveItem(VelItem* item) override;
    void RemoveAllItems() override;

    virtual void SetProgressVisible(bool visible);
    virtual bool IsProgressVisible() const;
    // Runs on the list's Created event: the progress bar and the highlight timer.
    virtual void Create(VelObject* sender, const VelCreateEventArgs* args);
    virtual void OnHighlightTimer(VelObject* sender, const VelTimerEventArgs* args);

    // Straight into the grid (the default group when none is given): no
    // filter, no grouping, not recorded among the list's rows.
    void AddItem(VelItem* item, VelGroupItem* group);
    void RefreshFilterAndGroup(VelItem* item);

    // A loading cycle: repaints wait, the wait cursor shows, and the end
    // applies what the cycle left pending and repaints once. Cycles nest,
    // from one thread or several; the outermost end does the work.
    void BeginLoading();
    void EndLoading();
    bool IsBusy();

    // Regroups every row, in a cycle of its own unless one is under way.
    void SetGrouping(VelListGrouping* grouping);
    VelListGrouping* GetGrouping() const { return m_grouping; }
    // With `apply` every row is filtered again (by the running cycle's end,
    // when there is one); without, the predicate only applies to rows to come.
    void SetFilter(Predicate predicate, bool apply);
    VelItem* FindItem(const Predicate& predicate);
    void ApplyPending();
    VelGroupItem* CreateGroupHeader(const std::wstring& label, const std::wstring& key);

    // A group then shows exactly while it has a visible row; this takes the
    // place of the grid's hiding of empty groups.
    void SetGroupsFollowChildren(bool follow);
    bool GetGroupsFollowChildren() const { return m_groupsFollowChildren != 0; }
    void SetHighlightEnabled(bool enabled);
    void Highlight(VelItem* item);
    VelItem* GetHighlightedItem() const { return m_highlighted; }

    // The loaders count on it; null before the list's window exists.
    VelProgressWindowLess* GetProgress() const { return m_progress; }
    VelTimer* GetHighlightTimer() const { return m_highlightTimer; }
    // The rows added through AddItem, in the order they came.
    std::vector<VelItem*> GetItems();

    // The list lock for one scope; callers that find a row and then change
    // it hold it across both, so no other thread removes the row in between.
    class Lock : public VelScopedLock {
    public:
        explicit Lock(VelListView* list) : VelScopedLock(&list->m_lock) {}
    };

private:
    bool Holds(const VelItem* item) const { return m_held.Contains(item); }
    void Filter(VelItem* item);
    // The groups the grouping files the item in, made when missing, into
    // `groups` (emptied first): a pass over every row reuses one vector.
    void GroupsFor(VelItem* item, std::vector<VelGroupItem*>& groups);
    void File(VelItem* item, std::vector<VelGroupItem*>& groups);
    void File(VelItem* item);
    void Refile(VelItem* item);
    void FollowChildren(VelGroupItem* group);
    void FollowChildrenAll();
    void RemoveHighlight();
    void SetWaitCursor(bool wait);

    VelProgressWindowLess* m_progress;
    VelCriticalSection m_lock;
    std::vector<VelItem*> m_items;
    VelGridViewItemSet<const VelItem*> m_held;  // m_items, to look up
    std::unordered_map<std::wstring, VelGroupItem*> m_groupsByLabel;
    Predicate m_filter;
    BYTE m_pendingRegroup;
    BYTE m_pendingRefilter;
    BYTE m_groupsFollowChildren;
    BYTE m_highlightEnabled;
    VelListGrouping* m_grouping;
    VelItem* m_highlighted;
    VelTimer* m_highlightTimer;
    VelItem* m_pressCandidate;
    VelRect m_pressCandidateRect;
    VelPoint m_lastPointer;
    int m_loadingDepth;
    int m_lastPaintedPosition;
};
