#include "VelScreenMetrics.h"
#include "VelUniqueHandle.h"

#include <algorithm>

// Null means GetSystemMetrics; a null default is constant-initialised, so
// static initialisers elsewhere may ask for the size before this file's run.
VelScreenMetrics::MetricSource VelScreenMetrics::s_source = nullptr;
int VelScreenMetrics::s_width = -1;
int VelScreenMetrics::s_height = -1;

int VelScreenMetrics::Read(int& cached, int index)
{
    if (cached == -1)
        cached = s_source ? s_source(index) : ::GetSystemMetrics(index);
    return cached;
}

int VelScreenMetrics::GetWidth() { return Read(s_width, SM_CXSCREEN); }

int VelScreenMetrics::GetHeight() { return Read(s_height, SM_CYSCREEN); }

SIZE VelScreenMetrics::GetSize() { return SIZE{GetWidth(), GetHeight()}; }

int VelScreenMetrics::GetLongerSide() { return std::max(GetWidth(), GetHeight()); }

int VelScreenMetrics::GetShorterSide() { return std::min(GetWidth(), GetHeight()); }

int VelScreenMetrics::GetColorDepth() { return GetScreenDeviceCaps(BITSPIXEL); }

int VelScreenMetrics::GetScreenDeviceCaps(int index)
{
    const VelWindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.Get(), index);
}

void VelScreenMetrics::SetMetricSource(MetricSource source)
{
    s_source = source;
    s_width = -1;
    s_height = -1;
}
