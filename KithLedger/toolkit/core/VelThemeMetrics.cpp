#include "VelThemeMetrics.h"

#include "VelScreenMetrics.h"

#include <algorithm>

VelThemeMetrics::VelThemeMetrics(const SIZE& screen)
    : m_screen(screen), m_longer(std::max(screen.cx, screen.cy)), m_shorter(std::min(screen.cx, screen.cy))
{
}

const VelThemeMetrics& VelThemeMetrics::ForScreen() { return KeptForScreen<VelThemeMetrics>(); }

SIZE VelThemeMetrics::CurrentScreen() { return VelScreenMetrics::GetSize(); }
