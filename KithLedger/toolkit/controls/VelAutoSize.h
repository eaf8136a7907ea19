#pragma once
#include "VelAbstractControl.h"
#include "VelBitmap.h"

// The rule shared by the controls that can take their image's size: the
// top-left corner stays, the size becomes the image's.
inline VelRect VelBoundsForImage(const RECT& bounds, const VelBitmap& image)
{
    return VelRect(bounds.left, bounds.top, bounds.left + image.GetWidth(), bounds.top + image.GetHeight());
}

// Resizes a created control to its image when auto-size is on, then repaints it whole.
inline void VelApplyAutoSize(VelAbstractControl& control, bool autoSize, const VelBitmap* image)
{
    if (autoSize && image && control.IsCreated())
        control.SetBounds(VelBoundsForImage(control.GetBounds(), *image));
    control.InvalidateRect(control.GetClientRect());
}

// The bounds a control is created with: its image's size when auto-size is on.
inline VelRect VelCreationBounds(const RECT& bounds, bool autoSize, const VelBitmap* image)
{
    return autoSize && image ? VelBoundsForImage(bounds, *image) : VelRect(bounds);
}
