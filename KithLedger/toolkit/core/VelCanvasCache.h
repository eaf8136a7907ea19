#pragma once
#include "VelCriticalSection.h"

#include <list>

class VelCanvas;

// Canvases given back by controls, kept for the next control of the same size.
// Its lock is taken last and guards only the list.
class VelCanvasCache {
public:
    // Canvases kept; the oldest goes when one more comes back.
    enum : size_t { kCapacity = 4 };

    VelCanvasCache() = default;
    ~VelCanvasCache();
    VelCanvasCache(const VelCanvasCache&) = delete;
    VelCanvasCache& operator=(const VelCanvasCache&) = delete;

    // A kept canvas of that size, or null.
    VelCanvas* Take(int width, int height);
    void Put(VelCanvas* canvas);
    size_t GetCount();
    void Clear();

private:
    VelCriticalSection m_lock;
    std::list<VelCanvas*> m_canvases;
};
