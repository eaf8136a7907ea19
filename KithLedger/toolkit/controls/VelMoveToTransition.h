#pragma once
#include "VelPoint.h"
#include "VelTransition.h"

// Moves its target from where it stands at the start to a destination point
// (parent coordinates). While it runs the target is painted whole: a native
// window's canvas switches to full pictures, a windowless control gets a
// canvas of its own, so the parts that slide into view need no repaint.
class VelMoveToTransition : public VelTransition {
public:
    VelMoveToTransition(const VelPoint& destination, float durationMs);
    // Undoes the preparation of a transition deleted before it finished.
    ~VelMoveToTransition() override;

    void OnAdded() override;
    void Start(DWORD now) override;
    void Apply(float progress) override;
    void Finish(DWORD now) override;

    const VelPoint& GetDestination() const { return m_destination; }

private:
    void Unprepare();

    VelPoint m_start;
    VelPoint m_destination;
    int m_deltaX;
    int m_deltaY;
    BYTE m_fullPictureSet;
    BYTE m_canvasAttached;
    // The control prepared, which later SetTarget calls do not change.
    VelAbstractControl* m_prepared;
    int m_preparedId;
};
