#include "VelTabPage.h"

#include "VelObject.h"

VelTabPage::VelTabPage(int pageId) : m_pageId(pageId), m_active(FALSE), m_tag(nullptr), m_value(0) {}

void VelTabPage::ApplyTag(VelTabBar* tabBar, const RECT& pageRect)
{
    SetTag(tabBar, pageRect);
}

bool VelTabPage::CanActivate()
{
    return true;
}

void VelTabPage::SetActive(bool active)
{
    m_active = active ? TRUE : FALSE;
}

void VelTabPage::SetValue(int value)
{
    m_value = value;
    RaiseChanged();
}

int VelTabPage::GetValue() const
{
    return m_value;
}

VelTabBar* VelTabPage::GetTag() const
{
    return m_tag;
}

void VelTabPage::SetTag(VelTabBar* tag, const RECT&)
{
    m_tag = tag;
}

void VelTabPage::RaiseChanged()
{
    VelObject* page = dynamic_cast<VelObject*>(this);
    VelObjectChangeEventArgs args(page);
    Changed.Invoke(page, &args);
}
