#pragma once
// A finger's tap as the window sees it: a press and a lift on one spot.
#include <windows.h>

#include "VelPoint.h"

class FakeTick;

// Presses at `at` of the window and lifts there. With a fake tick, the tick
// moves on `holdMs` between the two and `afterMs` after the lift, so that
// the next tap is not taken for the second half of a double tap.
void TapWindow(HWND window, const VelPoint& at, FakeTick* tick = nullptr, DWORD holdMs = 20, DWORD afterMs = 400);
