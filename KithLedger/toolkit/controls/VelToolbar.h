#pragma once
#include "VelControl.h"

#include <map>
#include <vector>

class VelToolbarItem;

// A row or column of toolbar items that turns a tap into an item click. The
// items are not owned: they belong to the object named in their constructor.
class VelToolbar : public VelControl {
public:
    typedef VelDelegate<VelObject*, const VelToolbarItemEventArgs*> ItemEvent;

    enum : DWORD {
        kStyleVertical = 0x01,
        kStyleFromFarEnd = 0x02,  // laid out backwards from the right or bottom edge
    };

    VelToolbar(DWORD style, VelObject* parent, const std::string& name);
    ~VelToolbar() override;

    const wchar_t* GetClassName() const override;
    void HookEvents() override;

    virtual int AddItem(VelToolbarItem* item);
    // A negative index appends; returns the item's position, or -1 when the
    // index lies beyond the end.
    virtual int InsertItem(int index, VelToolbarItem* item);
    virtual void RemoveItem(int index);
    virtual VelToolbarItem* GetItem(int index) const;
    virtual int GetItemCount() const;
    virtual void HookItem(VelToolbarItem* item);
    // The layout style; it hides the control's window style, which the base
    // class still answers.
    virtual void SetStyle(DWORD style);
    virtual DWORD GetStyle() const;
    virtual void SetHighlightedIndex(int index);
    virtual int GetHighlightedIndex() const;
    virtual void SetSelectedIndex(int index);
    virtual int GetSelectedIndex() const;
    virtual void OnItemChanged(VelObject* sender, const VelObjectChangeEventArgs* args);
    virtual void OnItemDestroyed(VelObject* sender, const VelObjectDestroyEventArgs* args);

    // The position of the first item with that id, or -1.
    int FindItemIndex(int id) const;

    ItemEvent ItemClicked;

private:
    typedef void (VelToolbarItem::*FlagSetter)(bool);

    void OnPaintEvent(VelObject* sender, const VelPaintEventArgs* args);
    void OnPointerDown(VelObject* sender, const VelMouseEventArgs* args);
    void OnPointerMove(VelObject* sender, const VelMouseEventArgs* args);
    void OnPointerUp(VelObject* sender, const VelMouseEventArgs* args);

    // Calls visit(position, item, rectangle) for each visible item in layout
    // order until it returns true.
    template <typename Visit>
    void WalkItems(Visit visit) const;
    int HitTest(const VelPoint& point) const;
    void MoveFlag(int& current, int index, FlagSetter setter);
    bool InRange(int index) const;
    void Reindex();
    void Unhook(VelToolbarItem* item);

    std::vector<VelToolbarItem*> m_items;
    DWORD m_layoutStyle;
    int m_highlightedIndex;
    int m_selectedIndex;
    int m_savedSelectedIndex;
    // Every hooked item (as the object its Destroying event names) and the
    // position of its first entry in the list, -1 when it is not listed.
    std::map<VelObject*, int> m_itemIndex;
    // Set by a press on this toolbar: a release or a move without one is not a tap.
    bool m_pressed;
};
