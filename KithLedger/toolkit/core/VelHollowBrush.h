#pragma once
#include "VelBrush.h"

// The stock null brush: shared by every hollow brush and never deleted.
class VelHollowBrush : public VelBrush {
public:
    VelHollowBrush();
};
