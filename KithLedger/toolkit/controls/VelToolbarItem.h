#pragma once
#include "VelObject.h"
#include "VelRect.h"

class VelCanvas;

// A light-weight entry of a toolbar: not a control, painted by the toolbar
// into its own canvas at the rectangle the toolbar's walk gives it.
class VelToolbarItem : public VelObject {
public:
    typedef VelDelegate<VelObject*, const VelObjectChangeEventArgs*> ChangeEvent;
    typedef VelDelegate<VelObject*, const VelToolbarItemEventArgs*> ClickEvent;

    VelToolbarItem(int id, VelObject* parent, const std::string& name);

    const wchar_t* GetClassName() const override;

    virtual void SetId(int id);
    // The caller's id (page or button id). It hides, and does not replace,
    // the object id that the registry and VelObject* callers see.
    virtual int GetId();
    virtual void SetVisible(bool visible);
    virtual bool IsVisible() const;
    virtual void SetHighlighted(bool highlighted);
    virtual bool IsHighlighted() const;
    virtual void SetSelected(bool selected);
    virtual bool IsSelected() const;
    // Writes the item's size into `size`; an item without one leaves it as it is.
    virtual void GetSize(SIZE& size) const = 0;
    virtual void SetSize(const SIZE& size) = 0;
    // Where the toolbar last painted the item.
    virtual RECT GetRect() const;
    virtual void Paint(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void RaiseClick();
    virtual void RaiseChanged();
    virtual void SetRect(const RECT& rect);

    ChangeEvent Changed;
    ClickEvent Click;

private:
    // Stores the flag and raises Changed when the value differs.
    void SetFlag(BYTE& flag, bool value);

    int m_itemId;
    BYTE m_highlighted;
    BYTE m_visible;
    BYTE m_selected;
    VelRect m_rect;
};
