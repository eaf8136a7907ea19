#include "VelTheme.h"

VelTheme* CurrentTheme = nullptr;

VelTheme::VelTheme() : VelObject(nullptr, std::string()), m_metrics() { m_metrics.stale = 1; }

const wchar_t* VelTheme::GetClassName() const { return L"VelTheme"; }

// The canvas's record carries 0 in the flag byte, so one copy clears it and
// every later call answers from the cache.
const VelTextMetrics* VelTheme::GetTextMetrics(VelCanvas* canvas)
{
    while (m_metrics.stale)
        m_metrics = canvas->GetTextMetrics(GetItemFont());
    return &m_metrics;
}
