#include "VelListLoader.h"

#include "VelApplication.h"

VelListLoader* VelListLoader::Current() { return dynamic_cast<VelListLoader*>(VelApplication::Instance); }
