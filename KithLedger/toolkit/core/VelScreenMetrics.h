#pragma once
#include "VelPlatform.h"

// The screen size, read once and cached for the life of the process (an
// orientation change is not seen). Layout is sized as fractions of the longer
// and the shorter side.
class VelScreenMetrics {
public:
    typedef int(WINAPI* MetricSource)(int index);

    static int GetWidth();
    static int GetHeight();
    static SIZE GetSize();
    static int GetLongerSide();
    static int GetShorterSide();
    // Not cached.
    static int GetColorDepth();
    // GetDeviceCaps of the screen's device context, not cached.
    static int GetScreenDeviceCaps(int index);

    // Test seam: replaces GetSystemMetrics (null restores it) and forgets the cache.
    static void SetMetricSource(MetricSource source);

private:
    static int Read(int& cached, int index);

    static MetricSource s_source;
    static int s_width;
    static int s_height;
};
