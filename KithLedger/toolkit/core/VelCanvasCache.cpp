#include "VelCanvasCache.h"
#include "VelCanvas.h"
#include "VelScopedLock.h"

VelCanvasCache::~VelCanvasCache() { Clear(); }

VelCanvas* VelCanvasCache::Take(int width, int height)
{
    VelScopedLock lock(&m_lock);
    for (auto it = m_canvases.begin(); it != m_canvases.end(); ++it) {
        if ((*it)->GetWidth() == width && (*it)->GetHeight() == height) {
            VelCanvas* canvas = *it;
            m_canvases.erase(it);
            return canvas;
        }
    }
    return nullptr;
}

void VelCanvasCache::Put(VelCanvas* canvas)
{
    VelScopedLock lock(&m_lock);
    if (m_canvases.size() >= kCapacity) {
        delete m_canvases.front();
        m_canvases.pop_front();
    }
    m_canvases.push_back(canvas);
}

size_t VelCanvasCache::GetCount()
{
    VelScopedLock lock(&m_lock);
    return m_canvases.size();
}

void VelCanvasCache::Clear()
{
    VelScopedLock lock(&m_lock);
    for (VelCanvas* canvas : m_canvases)
        delete canvas;
    m_canvases.clear();
}
