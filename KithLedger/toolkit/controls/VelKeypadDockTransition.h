#pragma once
#include "VelRect.h"
#include "VelTransition.h"

// What the dock transition needs of the keypad: to show only the part of its
// keys that lies in a rectangle of its parent's coordinates.
class VelKeypadDockTarget {
public:
    virtual void SetClipRect(const RECT& rect) = 0;

protected:
    ~VelKeypadDockTarget() = default;
};

// Moves the keypad's visible rectangle from one rectangle to another; the
// target control must be a VelKeypadDockTarget, any other is left alone.
class VelKeypadDockTransition : public VelTransition {
public:
    enum : int { kDurationMs = 150 };

    VelKeypadDockTransition(const RECT& start, const RECT& end);

    void Start(DWORD now) override;
    void Apply(float progress) override;
    // Lands on the end rectangle exactly, then reports the finish.
    void Finish(DWORD now) override;

    const VelRect& GetStartRect() const { return m_start; }
    const VelRect& GetEndRect() const { return m_end; }

private:
    void SetKeypadRect(const RECT& rect);

    VelRect m_start;
    VelRect m_end;
    int m_deltaLeft;
    int m_deltaTop;
    int m_deltaRight;
    int m_deltaBottom;
};
