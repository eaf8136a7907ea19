#include "VelPoint.h"

VelPoint::~VelPoint() {}
