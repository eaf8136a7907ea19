#pragma once
#include "VelPlatform.h"

class VelCanvas;

// Makes the canvases the control core paints into and hands out the device
// contexts they are modelled on. The caller owns every canvas it is given;
// null means there was no memory for one.
class VelRenderer {
public:
    // Without a window.
    virtual VelCanvas* CreateCanvas(int width, int height) = 0;
    virtual VelCanvas* CreateWindowCanvas(HWND window, int width, int height) = 0;
    // Of the window's client size.
    virtual VelCanvas* CreateClientCanvas(HWND window) = 0;
    virtual HDC GetMemoryDC() = 0;
    virtual HDC GetScreenDC() = 0;
    virtual ~VelRenderer();
};
