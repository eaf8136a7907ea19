#include "VelBrush.h"

VelBrush::~VelBrush() {}
