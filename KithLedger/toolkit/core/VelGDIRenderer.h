#pragma once
#include "VelRenderer.h"
#include "VelUniqueHandle.h"

// The screen's device context, and a memory DC compatible with it holding a
// screen-sized bitmap.
class VelGDIRenderer : public VelRenderer {
public:
    VelGDIRenderer();
    VelGDIRenderer(const VelGDIRenderer&) = delete;
    VelGDIRenderer& operator=(const VelGDIRenderer&) = delete;
    ~VelGDIRenderer() override;

    VelCanvas* CreateCanvas(int width, int height) override;
    VelCanvas* CreateWindowCanvas(HWND window, int width, int height) override;
    VelCanvas* CreateClientCanvas(HWND window) override;
    HDC GetMemoryDC() override;
    HDC GetScreenDC() override;

private:
    HGDIOBJ m_previousBitmap;
    VelWindowDC m_screenDC;
    VelMemoryDC m_memoryDC;
    VelGdiObject<HBITMAP> m_screenBitmap;
};
