#pragma once
// The core library's colour-keyed blit. The source is a device context or a
// bitmap; every pixel of the key colour is left out.
#include <windows.h>

extern "C" {
__declspec(dllimport) BOOL TransparentImage(HDC destination, LONG destinationX, LONG destinationY,
                                            LONG destinationWidth, LONG destinationHeight, HANDLE source, LONG sourceX,
                                            LONG sourceY, LONG sourceWidth, LONG sourceHeight, COLORREF key);
}
