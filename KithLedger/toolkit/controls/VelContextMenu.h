#pragma once
#include "VelControl.h"

class VelContextMenuItem;
class VelContextMenuSeparator;
class VelContextMenuString;
class VelGridView;
class VelItem;

// A modal pop-up list of entries for the finger. Show places it at a point of
// its owner, runs the core's modal loop and returns the row tapped, or -1
// when a tap lands outside the menu.
class VelContextMenu : public VelControl {
public:
    explicit VelContextMenu(VelObject* parent = nullptr, const std::string& name = std::string());

    const wchar_t* GetClassName() const override;
    int OnKeyDown(const VelKeyEventArgs* args) override;
    int OnMouseDown(const VelMouseEventArgs* args) override;
    int OnMouseDoubleClick(const VelMouseEventArgs* args) override;
    int OnMouseMove(const VelMouseEventArgs* args) override;
    int OnMouseUp(const VelMouseEventArgs* args) override;
    int OnPaint(const VelPaintEventArgs* args) override;

    // `point` in the owner's coordinates. The first call makes the menu a child
    // of `owner`; later calls reuse it. Blocks until an entry is chosen.
    virtual int Show(VelAbstractControl* owner, const VelPoint& point);
    // At most two thirds of the screen's height in any case.
    virtual void SetMaxHeight(int height);
    // The menu's width in pixels; two thirds of the screen's width when unset.
    void SetWidth(int width) override;
    virtual VelContextMenuString* AddString(const std::wstring& key, const std::wstring& text, bool enabled);
    virtual VelContextMenuString* AddString(const std::wstring& text, bool enabled);
    // The menu's grid takes the item's ownership.
    virtual void AddItem(VelContextMenuItem* item);
    virtual VelContextMenuSeparator* AddSeparator();
    // Null before the first Show lays the entries out, and past the last row.
    virtual VelItem* GetItemAt(int row);
    virtual VelItem* FindItem(const std::wstring& key);
    virtual void OnItemChosen(VelObject* sender, const VelItemEventArgs* args);

    VelGridView* GetGrid() const { return m_grid; }
    int GetBorderWidth() const { return m_borderWidth; }

private:
    // Ends the modal loop with `result`.
    void Finish(int result, bool cancelled);
    // A press: outside the client rectangle it cancels, inside it goes to the grid.
    int Press(const VelMouseEventArgs* args);
    VelMouseEventArgs ToGrid(const VelMouseEventArgs* args) const;

    int m_maxHeight;
    int m_width;
    VelGridView* m_grid;
    int m_borderWidth;
    BYTE m_cancelled;
};
