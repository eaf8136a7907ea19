#include "VelHollowBrush.h"

VelHollowBrush::VelHollowBrush() : VelBrush(static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH))) {}
