#pragma once
#include "VelBrush.h"
#include "VelColor.h"

// Owns its brush. A refused CreateSolidBrush leaves a null handle, which the
// canvas selects as it is.
class VelSolidBrush : public VelBrush {
public:
    explicit VelSolidBrush(const VelColor& color);
    ~VelSolidBrush() override;

    // A black brush on the heap, or null when there is no memory for it.
    static VelSolidBrush* CreateDefault();
};
