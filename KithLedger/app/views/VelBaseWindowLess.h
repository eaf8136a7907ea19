#pragma once
#include "VelControl.h"

class VelCanvas;

// A part of a host control that owns no window and sits in no control tree:
// the host places it (own rectangle, in the host's coordinates), calls its
// Paint at the end of its own paint, and shows or hides it through the
// control's visibility operation. Whatever it changes on screen it
// invalidates in the host.
class VelBaseWindowLess : public VelControl {
public:
    VelBaseWindowLess(VelControl* host, int id, VelObject* parent = nullptr, const std::string& name = std::string());
    ~VelBaseWindowLess() override;

    const wchar_t* GetClassName() const override;
    // Its own flag, not the control's style bit: the part is never created.
    void SetVisible(bool visible) override;
    bool IsVisible() const override;

    // `point` in the host's coordinates.
    virtual bool HitTest(const VelPoint& point) const;
    virtual void Paint(VelCanvas* canvas, const RECT& rect);
    virtual void SetHost(VelControl* host);
    virtual VelControl* GetHost() const;
    virtual void SetId(int id);
    // The host's id for the part. It hides, and does not replace, the object
    // id that the registry and VelObject* callers see.
    virtual int GetId();
    // Placing the part does not repaint: the host lays out, then repaints.
    virtual void SetRect(const RECT& rect);
    virtual RECT GetRect() const;

protected:
    // Repaints the own rectangle in the host, if there is both.
    void InvalidateInHost();

private:
    VelControl* m_host;
    int m_visible;
    int m_partId;
    VelRect m_rect;
};
