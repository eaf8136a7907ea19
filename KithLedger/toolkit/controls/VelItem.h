#pragma once
#include "VelCanvas.h"
#include "VelVisualObject.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

class VelGroupItem;

// An entry of a grid view: a light object, not a control, with a key, state
// bits, a cell flag (one cell of a row, or a whole row by itself) and the paint
// parts the grid's painter calls for each visible cell. Items travel in
// shared pointers; groups and the grid share their ownership.
class VelItem : public VelVisualObject, public boost::enable_shared_from_this<VelItem> {
public:
    typedef VelDelegate<VelItem*, const VelItemDataChangeEventArgs*> DataChangeEvent;
    typedef VelDelegate<VelItem*, const VelItemStateChangeEventArgs*> StateChangeEvent;

    // State bits; 0x02 means nothing.
    static constexpr DWORD kHidden = 0x01;
    static constexpr DWORD kDisabled = 0x04;
    static constexpr DWORD kSelected = 0x08;
    static constexpr DWORD kCollapsed = 0x10;  // a group's children stay out of the layout
    static constexpr DWORD kPressed = 0x20;

    VelItem(const std::wstring& key, DWORD state, bool cellItem);
    // A copy would list groups that never registered it.
    VelItem(const VelItem&) = delete;
    ~VelItem() override;

    const wchar_t* GetClassName() const override;

    virtual const std::wstring& GetKey() const;
    virtual void SetKey(const std::wstring& key);
    // Nothing in the toolkit calls it; free for subclasses.
    virtual int GetReserved() const;
    virtual bool IsLessThan(const VelItem* other) const;
    virtual bool IsEqualTo(const VelItem* other) const;
    virtual bool IsGreaterThan(const VelItem* other) const;
    virtual void PaintBackground(VelCanvas* canvas, const RECT& rect);
    virtual void PaintContent(VelCanvas* canvas, const RECT& rect);
    virtual void PaintOverlay(VelCanvas* canvas, const RECT& rect);
    virtual void PaintState(VelCanvas* canvas, const RECT& rect);
    // The row height the item needs.
    virtual int Measure(VelCanvas* canvas) = 0;
    virtual bool IsCellItem() const;
    virtual void SetCellItem(bool cellItem);
    virtual bool IsGroup() const;
    virtual std::wstring Dump() const;
    virtual bool HasChildren() const;

    // The setters raise StateChanged only when the matching getter answers
    // otherwise; the toggles never raise it.
    virtual void SetVisible(bool visible);
    virtual void SetCollapsed(bool collapsed);
    virtual void SetSelected(bool selected);
    virtual void SetPressed(bool pressed);
    virtual void SetDisabled(bool disabled);
    virtual bool IsHidden() const;
    virtual bool IsVisible() const;
    virtual bool IsCollapsed() const;
    virtual bool IsSelected() const;
    virtual bool IsPressed() const;
    virtual bool IsDisabled() const;
    virtual bool IsEnabled() const;
    virtual void ToggleHidden();
    virtual void ToggleSelected();
    virtual void ToggleCollapsed();
    virtual void TogglePressed();
    virtual void ToggleDisabled();

    DWORD GetState() const { return m_state; }

    // Every group that added this item, in the order they added it. Removal
    // from a group leaves its entry (a walk over this list may remove the item
    // from each group as it goes); a group that is destroyed drops its entries.
    // A copy, so such a walk may change the list as it goes.
    std::vector<VelGroupItem*> GetParentGroups() const;
    void AddParentGroup(VelGroupItem* group);
    // Erases the first entry of the group, if any.
    void RemoveParentGroup(VelGroupItem* group);

    // Background, content, overlay, state: the order the painter relies on.
    void PaintAll(VelCanvas* canvas, const RECT& rect);

    DataChangeEvent DataChanged;
    StateChangeEvent StateChanged;

private:
    friend class VelGroupItem;

    typedef std::vector<VelGroupItem*> GroupList;
    // The key, and the groups once there are two or more: few rows have either.
    struct Extras {
        std::wstring key;
        GroupList groups;
    };

    void ChangeBit(DWORD bit, bool set);
    void DropParentGroup(VelGroupItem* group);
    bool HasParentGroup(const VelGroupItem* group) const;
    void PushParentGroup(VelGroupItem* group);
    const std::wstring& StoredKey() const;
    Extras* GetExtras() const;
    // Moves the one group in, if any.
    Extras* MakeExtras();
    // Back to the inline form once the extras hold no key and one group or none.
    void CompactExtras();

    // Nearly every row has no key and exactly one group: null, that group, or
    // with the low bit set the Extras.
    uintptr_t m_extras;
    DWORD m_state;
    // Last, so a subclass's small fields pack into the padding after it.
    BYTE m_cellItem;
};
