#pragma once
#include "VelBaseWindowLess.h"
#include "VelProgress.h"

// A thin bar filled from its left (or top) edge in proportion to position /
// range. With auto-hide it shows itself when a run starts and hides itself
// when the position reaches the range.
class VelProgressWindowLess : public VelBaseWindowLess, public VelProgress {
public:
    // A range below 1 becomes 1.
    VelProgressWindowLess(VelControl* host, int id, int range, VelObject* parent = nullptr,
                          const std::string& name = std::string());
    ~VelProgressWindowLess() override;

    const wchar_t* GetClassName() const override;
    void Paint(VelCanvas* canvas, const RECT& rect) override;

    virtual void SetVertical(bool vertical);
    virtual bool IsVertical() const;
    virtual void SetAutoHide(bool autoHide);
    virtual bool GetAutoHide() const;

    // A range below 1 changes nothing. With auto-hide every valid range starts
    // a new run: the bar shows, empty, even when the range is the same.
    void SetRange(int range) override;
    int GetRange() const override;
    // A position outside 0..range is ignored.
    void SetPosition(int position) override;
    int GetPosition() const override;

    // Repaints only when the fill moved by this much since the last repaint.
    static const int kRepaintStepPixels = 5;

private:
    int FillFor(int position) const;
    void Refill();

    BYTE m_autoHide;
    int m_vertical;
    int m_range;
    int m_position;
    int m_lastFill;
};
