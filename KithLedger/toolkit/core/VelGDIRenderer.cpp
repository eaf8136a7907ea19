#include "VelGDIRenderer.h"

#include "VelGDICanvas.h"
#include <new>

VelGDIRenderer::VelGDIRenderer()
    : m_previousBitmap(nullptr), m_screenDC(nullptr), m_memoryDC(::CreateCompatibleDC(m_screenDC.Get())),
      m_screenBitmap(
          ::CreateCompatibleBitmap(m_screenDC.Get(), ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)))
{
    m_previousBitmap = ::SelectObject(m_memoryDC.Get(), m_screenBitmap.Get());
}

VelGDIRenderer::~VelGDIRenderer()
{
    // A bitmap still selected into a DC cannot be deleted.
    ::SelectObject(m_memoryDC.Get(), m_previousBitmap);
}

HDC VelGDIRenderer::GetMemoryDC() { return m_memoryDC.Get(); }

HDC VelGDIRenderer::GetScreenDC() { return m_screenDC.Get(); }

VelCanvas* VelGDIRenderer::CreateCanvas(int width, int height) { return CreateWindowCanvas(nullptr, width, height); }

VelCanvas* VelGDIRenderer::CreateWindowCanvas(HWND window, int width, int height)
{
    return new (std::nothrow) VelGDICanvas(this, window, width, height);
}

VelCanvas* VelGDIRenderer::CreateClientCanvas(HWND window)
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(window, &client);
    return CreateWindowCanvas(window, client.right, client.bottom);
}
