#pragma once
#include "VelControl.h"
#include "VelCriticalSection.h"
#include "VelGridViewItemSet.h"
#include "VelGroupItem.h"
#include "VelItemIterator.h"
#include "VelScrollableControl.h"

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

class VelGridViewPainter;
class VelScrollbar;
class VelTimer;

// The toolkit's list: items in groups, laid out in columns, scrolled by the
// finger, with a pressed cell that follows touch and the arrow keys, single
// or multiple selection and a floating label naming the group at the top.
// Every operation runs under the grid's own lock, so a second thread may add
// and remove items while the UI thread paints.
class VelGridView : public VelControl, public VelScrollableControl {
public:
    typedef boost::shared_ptr<VelItem> ItemPtr;
    typedef boost::shared_ptr<VelGroupItem> GroupPtr;
    typedef std::vector<GroupPtr> Groups;
    // True when the first group goes before the second.
    typedef bool (*GroupComparator)(const GroupPtr& first, const GroupPtr& second);
    typedef VelDelegate<VelGridView*, const VelGridViewSelEventArgs*> SelectionEvent;
    typedef VelDelegate<VelObject*, const VelItemEventArgs*> ItemEvent;

    enum : DWORD { kStatusGroupNotHeld = 0x4060000A, kStatusNotLaidOut = 0x4060000C };
    enum : DWORD { kStyleFillParent = 0x200 };
    enum : UINT { kLabelTimerMs = 2000, kPressTimerMs = 50 };
    enum : DWORD { kHoldMs = 350, kPressShowMs = 116 };
    enum : int { kSortNone = 0, kSortAscending = 1, kSortDescending = 2, kSortComparator = 3 };
    enum : int { kLabelAlways = 0, kLabelWhileScrolling = 1 };

    explicit VelGridView(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelGridView() override;

    const wchar_t* GetClassName() const override;
    int OnTimer(const VelTimerEventArgs* args) override;
    int OnKeyDown(const VelKeyEventArgs* args) override;
    int OnMouseDown(const VelMouseEventArgs* args) override;
    // The platform reports the second press of a double tap as a double
    // click: it starts a press like any other, so a double tap is two taps.
    int OnMouseDoubleClick(const VelMouseEventArgs* args) override;
    int OnMouseMove(const VelMouseEventArgs* args) override;
    int OnMouseUp(const VelMouseEventArgs* args) override;
    int OnSize(const VelSizeEventArgs* args) override;
    int OnPaint(const VelPaintEventArgs* args) override;
    using VelAbstractControl::OnWindowPosChanged;
    void Create(VelAbstractControl* parent, DWORD style, const RECT& bounds) override;
    void StopScrolling() override;

    // Matches the text, not the key; throws std::invalid_argument for an empty name.
    virtual VelGroupItem* FindGroup(const std::wstring& name);
    // The grid shares the group's ownership from here on.
    virtual void AddGroup(VelGroupItem* group);
    virtual DWORD RemoveGroup(VelGroupItem* group);
    // The default group goes too; the next AddItem makes it again.
    virtual void RemoveAllGroups();
    virtual void AddItem(VelItem* item);
    // An item already held by the grid joins the group under the same owner.
    virtual void AddItemToGroup(VelItem* item, VelGroupItem* group);
    // Throws std::logic_error "The grid is empty." or "Item not found.".
    virtual void RemoveItem(VelItem* item);
    virtual void RefreshItem(VelItem* item);
    // The selection is cleared too: it would name items that are gone.
    virtual void RemoveAllItems();
    virtual void SetSpareFlag(bool flag);
    virtual void SelectOnly(VelItem* item);
    virtual void Select(VelItem* item);
    virtual void Unselect(VelItem* item);
    virtual bool IsSelected(VelItem* item);
    virtual void ClearSelection();
    virtual void PressCell(int column, int row);
    virtual void PressCellAt(const VelPoint& cell);
    virtual void ReleasePressed();
    virtual void SetScrollbarVisible(bool visible);
    virtual int GetSeparatorWidth();
    virtual void SetSeparatorWidth(int width);
    virtual void SetFullRepaint(bool full);
    virtual void OnFlingStopped(VelScrollableControl* sender, const VelScrollEventArgs* args);
    virtual void OnTransitionStarted(VelObject* sender, const VelTransitionEventArgs* args);
    virtual void OnScrolled(VelScrollableControl* sender, const VelScrollEventArgs* args);
    virtual void OnScrollbarValueChanged(VelScrollbar* sender, int value);
    virtual void OnWindowPosChanged(VelObject* sender, const VelWindowPosEventArgs* args);
    virtual void OnLayoutChanged(VelObject* sender, const VelEventArgs* args);
    virtual void RaiseSelectionChanged();

    // Forgets the pressed cell and repaints everything when set.
    void SetLayoutDirty(bool dirty);
    bool IsLayoutDirty() const { return m_layoutDirty != 0; }
    // While suspended the mouse and key handlers do nothing and repaints wait
    // for EndUpdate.
    void BeginUpdate();
    // Rows added while updates waited take their places in their groups.
    void PutGroupsInOrder();
    void EndUpdate();
    bool IsUpdateSuspended() const { return m_updateSuspended != 0; }
    VelGroupItem* GetDefaultGroup();
    void SetSelectionMode(bool selectable, bool multi);
    void SetSelectOnClick(bool selectOnClick);
    void ExpandAllGroups();
    void CollapseAllGroups();
    // Throws std::domain_error below 1.
    void SetColumnCount(int columns);
    int GetColumnCount();
    int GetItemCount();
    bool IsEmpty();
    int GetRowCount();
    int GetGroupRowCount(VelGroupItem* group);
    VelItem* GetItemInGroupAt(VelGroupItem* group, int column, int row);
    // `point` in content coordinates (view y plus the scroll position).
    VelItem* GetItemAtPoint(const VelPoint& point, VelPoint& cell);
    VelItem* GetItemAtCell(int column, int row);
    VelItem* GetItemAtCell(const VelPoint& cell);
    DWORD GetCellOfItem(VelItem* item, VelPoint& cell);
    VelRect GetCellRect(VelItem* item, const VelPoint& cell);
    VelItem* FindItemByKey(const std::wstring& key);
    VelItem* GetFirstSelected();
    const std::vector<VelItem*>& GetSelection() const { return m_selection; }
    int GetContentHeight();
    // Clamped into the scroll range.
    void ScrollTo(int position, bool showLabel);
    void ScrollToCell(const VelPoint& cell);
    DWORD ScrollToItem(VelItem* item);
    void QueueItemRedraw(VelItem* item, const VelPoint& cell, bool invalidate);
    void ClearRedrawQueue();
    void SortGroups();
    int GetRowHeightOrMeasure(int row);
    VelItemIterator GetItemIterator();

    // Settings the owner chooses; the owner marks the layout dirty after them.
    void SetRowHeight(int height);  // -1: each row measured from its items
    int GetRowHeight() const { return m_rowHeight; }
    void SetGroupRowHeight(int height);  // -1: the group's own Measure
    int GetGroupRowHeight() const { return m_groupRowHeight; }
    void SetSeparatorStyle(int style);  // 1 and 3 draw lines between rows
    int GetSeparatorStyle() const { return m_separatorStyle; }
    void SetGroupSeparators(bool on);
    bool HasGroupSeparators() const { return m_groupSeparators != 0; }
    void SetCollapsibleGroups(bool on);
    void SetHideEmptyGroups(bool on);
    bool GetHideEmptyGroups() const { return m_hideEmptyGroups != 0; }
    void SetGroupSortMode(int mode);
    void SetGroupComparator(GroupComparator comparator);
    void SetGroupLabels(bool on);
    bool HasGroupLabels() const { return m_groupLabels != 0; }
    void SetLabelTop(int top);
    int GetLabelTop() const { return m_labelTop; }
    void SetLabelMode(int mode);
    int GetLabelMode() const { return m_labelMode; }
    bool IsLabelShown() const { return m_labelShown != 0; }
    bool GetSpareFlag() const { return m_spareFlag != 0; }
    const Groups& GetGroups() const { return m_groups; }
    VelItem* GetPressedItem() const { return m_pressedItem; }
    const VelPoint& GetPressedCell() const { return m_pressedCell; }
    VelScrollbar* GetScrollbar() const { return m_scrollbar; }
    VelGridViewPainter* GetPainter() const { return m_painter; }
    // Zero before Create.
    UINT GetLabelTimerId() const;
    UINT GetPressTimerId() const;

    SelectionEvent SelectionChanged;
    ItemEvent ItemClicked;

protected:
    // A tap or Enter on an item: a collapsible group opens or closes, a cell
    // item may be selected, and ItemClicked is raised in every case.
    virtual void ActivateItem(VelItem* item, const VelPoint& cell);
    // Press tracking shared by the mouse handlers and the press timer; x = -1
    // takes the last pointer point and the clock's time.
    int TrackPress(bool notify, int x, int y, DWORD time, bool& handled, bool& pressChanged);

private:
    friend class VelGridViewPainter;

    // The grid lock for one scope. Invalidations asked for on a thread that
    // does not own the control wait until the outermost scope has let the
    // lock go: the core's lock must never be taken under the grid's there,
    // since painting takes them in the other order.
    class Lock {
    public:
        explicit Lock(VelGridView* grid);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        VelGridView* m_grid;
    };

    struct Redraw {
        VelItem* item;
        VelPoint cell;
    };

    static VelGroupItem* MakeDefaultGroup(const std::wstring& name);
    template <typename T>
    void Store(T& field, T value)
    {
        Lock lock(this);
        field = value;
    }
    // Null: the whole control.
    void Invalidate(const RECT* rect);
    void RepaintWhole();
    void UpdateNow();
    void PlaceScrollbar(int width);
    VelCanvas* GetLayoutCanvas();
    void ForgetItem(const VelItem* item);
    void NoteInserted(VelItem* item, VelGroupItem* group);
    // The scroll position for the top of a row.
    int RowTop(int row);
    bool BeginPress(const VelMouseEventArgs* args);

    Groups m_groups;
    GroupComparator m_groupComparator;
    // The groups are in the order of the sort mode: a new one takes its place without a sort.
    BYTE m_groupsInOrder;
    // The grid's share in every item it was given, in a group now or not.
    VelGridViewItemSet<ItemPtr> m_owners;
    std::map<std::wstring, VelItem*> m_keys;
    int m_columns;
    BYTE m_layoutDirty;
    VelGridViewPainter* m_painter;
    int m_rowHeight;
    int m_groupRowHeight;
    int m_separatorStyle;
    BYTE m_selectable;
    BYTE m_multiSelect;
    std::vector<VelItem*> m_selection;
    VelItem* m_pressedItem;
    VelItem* m_candidate;
    VelPoint m_candidateCell;
    VelPoint m_pressedCell;
    BYTE m_collapsibleGroups;
    BYTE m_spareFlag;
    BYTE m_hideEmptyGroups;
    int m_groupSortMode;
    std::wstring m_defaultGroupName;
    BYTE m_groupLabels;
    int m_labelTop;
    int m_labelMode;
    VelCriticalSection m_lock;
    int m_lockDepth;
    BYTE m_hasDeferred;
    RECT m_deferredArea;
    BYTE m_updateSuspended;
    VelTimer* m_labelTimer;
    VelTimer* m_pressTimer;
    BYTE m_labelShown;
    BYTE m_selectOnClick;
    std::vector<Redraw> m_redrawQueue;
    BYTE m_repaintPending;
    int m_separatorWidth;
    BYTE m_groupSeparators;
    VelScrollbar* m_scrollbar;
    BYTE m_mouseCaptured;
    BYTE m_holdHandled;
    VelItem* m_holdItem;
};
