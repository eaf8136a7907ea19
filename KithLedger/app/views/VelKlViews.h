#pragma once
#include "VelMainWindow.h"

// The program's own screens for its main window: the four list tabs, the
// keypad's contact filter and the three detail views.
VelMainWindowViews MakeKlViews();
