#pragma once
#include "VelPlatform.h"

// Makes the canvases the control core paints into and hands out the device
// contexts they are modelled on. The canvas factories join this interface
// together with the canvas.
class VelRenderer {
public:
    virtual HDC GetMemoryDC() = 0;
    virtual HDC GetScreenDC() = 0;
    virtual ~VelRenderer();
};
