#include "VelBaseWindowLess.h"

VelBaseWindowLess::VelBaseWindowLess(VelControl* host, int id, VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_host(host), m_visible(1), m_partId(id)
{
}

VelBaseWindowLess::~VelBaseWindowLess() = default;

const wchar_t* VelBaseWindowLess::GetClassName() const { return L"VelBaseWindowLess"; }

void VelBaseWindowLess::SetVisible(bool visible)
{
    if (visible == IsVisible())
        return;
    m_visible = visible ? 1 : 0;
    InvalidateInHost();
}

bool VelBaseWindowLess::IsVisible() const { return m_visible != 0; }

bool VelBaseWindowLess::HitTest(const VelPoint& point) const { return m_rect.ContainsPoint(point); }

void VelBaseWindowLess::Paint(VelCanvas*, const RECT&) {}

void VelBaseWindowLess::SetHost(VelControl* host) { m_host = host; }

VelControl* VelBaseWindowLess::GetHost() const { return m_host; }

void VelBaseWindowLess::SetId(int id) { m_partId = id; }

int VelBaseWindowLess::GetId() { return m_partId; }

void VelBaseWindowLess::SetRect(const RECT& rect) { m_rect = rect; }

RECT VelBaseWindowLess::GetRect() const { return m_rect; }

void VelBaseWindowLess::InvalidateInHost()
{
    // An empty area would reach the core as "the whole host".
    if (m_host && !::IsRectEmpty(&m_rect))
        m_host->InvalidateRect(m_rect);
}
