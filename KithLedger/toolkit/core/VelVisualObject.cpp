#include "VelVisualObject.h"

VelVisualObject::VelVisualObject(VelObject* owner, const std::string& name)
    : VelObject(owner, name), m_font(nullptr), m_background(nullptr), m_margins{0, 0, 0, 0}
{
}

VelVisualObject::~VelVisualObject() {}

const wchar_t* VelVisualObject::GetClassName() const { return L"VelVisualObject"; }

void VelVisualObject::SetColor(const VelColor& color)
{
    m_color = color;
    ColorChanged.Invoke(this, nullptr);
}

void VelVisualObject::SetFont(VelFont* font)
{
    m_font = font;
    FontChanged.Invoke(this, nullptr);
}

void VelVisualObject::SetMargins(const RECT& margins)
{
    m_margins = margins;
    MarginsChanged.Invoke(this, nullptr);
}

void VelVisualObject::SetBackground(VelBackground* background)
{
    m_background = background;
    BackgroundChanged.Invoke(this, nullptr);
}
