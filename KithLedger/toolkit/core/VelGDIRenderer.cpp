#include "VelGDIRenderer.h"

VelGDIRenderer::VelGDIRenderer()
    : m_previousBitmap(nullptr),
      m_screenDC(::GetDC(nullptr)),
      m_memoryDC(::CreateCompatibleDC(m_screenDC)),
      m_screenBitmap(::CreateCompatibleBitmap(m_screenDC, ::GetSystemMetrics(SM_CXSCREEN),
                                              ::GetSystemMetrics(SM_CYSCREEN)))
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

HDC VelGDIRenderer::GetMemoryDC()
{
    return m_memoryDC;
}

HDC VelGDIRenderer::GetScreenDC()
{
    return m_screenDC;
}
