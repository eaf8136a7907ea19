#include "VelGDIRenderer.h"

#include "VelGDICanvas.h"
#include <new>

VelGDIRenderer::VelGDIRenderer()
    : m_previousBitmap(nullptr), m_screenDC(::GetDC(nullptr)), m_memoryDC(::CreateCompatibleDC(m_screenDC)),
      m_screenBitmap(
          ::CreateCompatibleBitmap(m_screenDC, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)))
{
    m_previousBitmap = ::SelectObject(m_memoryDC, m_screenBitmap);
}

VelGDIRenderer::~VelGDIRenderer()
{
    ::ReleaseDC(nullptr, m_screenDC);
    // A bitmap still selected into a DC cannot be deleted.
    ::SelectObject(m_memoryDC, m_previousBitmap);
    ::DeleteObject(m_screenBitmap);
    ::DeleteDC(m_memoryDC);
}

HDC VelGDIRenderer::GetMemoryDC() { return m_memoryDC; }

HDC VelGDIRenderer::GetScreenDC() { return m_screenDC; }

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
