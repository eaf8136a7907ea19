#include "Taps.h"

#include "FakeTick.h"

void TapWindow(HWND window, const VelPoint& at, FakeTick* tick, DWORD holdMs, DWORD afterMs)
{
    const LPARAM where = MAKELPARAM(at.x, at.y);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    if (tick)
        tick->Advance(holdMs);
    ::SendMessageW(window, WM_LBUTTONUP, 0, where);
    if (tick)
        tick->Advance(afterMs);
}
