#include "VelMoveToTransition.h"
#include "VelAbstractControl.h"
#include "VelCanvas.h"
#include "VelControlCore.h"

namespace {

// start + trunc(delta × progress), the product in single precision.
int Along(int start, int delta, float progress)
{
    const float moved = float(delta) * progress;
    return start + int(moved);
}

}  // namespace

VelMoveToTransition::VelMoveToTransition(const VelPoint& destination, float durationMs)
    : VelTransition(durationMs), m_destination(destination), m_deltaX(0), m_deltaY(0), m_fullPictureSet(0),
      m_canvasAttached(0), m_prepared(nullptr), m_preparedId(0)
{
}

VelMoveToTransition::~VelMoveToTransition() { Unprepare(); }

void VelMoveToTransition::OnAdded()
{
    VelAbstractControl* target = GetTarget();
    if (!target)
        return;
    VelControlCore* core = VelControlCore::Instance;
    if (target->HasNativeWindow()) {
        if (VelCanvas* canvas = target->GetCanvas()) {
            canvas->SetAuxiliaryValue(1);
            m_fullPictureSet = 1;
        }
    } else {
        target->SetCanvasState(VelCanvasOwnership::Own, VelPicture::Whole);
        core->AttachCanvas(target, true);
        core->PaintControlNow(target, VelRegion());
        m_canvasAttached = 1;
    }
    m_prepared = target;
    m_preparedId = target->GetId();
}

void VelMoveToTransition::Start(DWORD now)
{
    VelTransition::Start(now);
    VelAbstractControl* target = GetTarget();
    if (!target)
        return;
    const VelRect bounds = target->GetBounds();
    m_start = VelPoint(bounds.left, bounds.top);
    m_deltaX = m_destination.x - m_start.x;
    m_deltaY = m_destination.y - m_start.y;
}

void VelMoveToTransition::Apply(float progress)
{
    if (VelAbstractControl* target = GetTarget())
        target->MoveTo(VelPoint(Along(m_start.x, m_deltaX, progress), Along(m_start.y, m_deltaY, progress)));
}

void VelMoveToTransition::Finish(DWORD now)
{
    VelTransition::Finish(now);
    Unprepare();
}

void VelMoveToTransition::Unprepare()
{
    if (VelAbstractControl* target = IfAlive(m_prepared, m_preparedId)) {
        if (m_fullPictureSet)
            if (VelCanvas* canvas = target->GetCanvas())
                canvas->SetAuxiliaryValue(0);
        if (m_canvasAttached)
            VelControlCore::Instance->DetachCanvas(target, true);
    }
    m_fullPictureSet = 0;
    m_canvasAttached = 0;
    m_prepared = nullptr;
}
