#include "VelVisualObject.h"

const VelVisualObject::Look& VelVisualObject::NoLook()
{
    static const Look none;
    return none;
}

VelVisualObject::VelVisualObject(VelObject* owner, const std::string& name) : VelObject(owner, name), m_look(nullptr) {}

VelVisualObject::VelVisualObject(const VelVisualObject& other)
    : VelObject(other), ColorChanged(other.ColorChanged), FontChanged(other.FontChanged),
      MarginsChanged(other.MarginsChanged), BackgroundChanged(other.BackgroundChanged),
      AuxiliaryChanged(other.AuxiliaryChanged), m_look(other.m_look ? new Look(*other.m_look) : nullptr)
{
}

VelVisualObject::~VelVisualObject() { delete m_look; }

VelVisualObject::Look& VelVisualObject::ChangeLook()
{
    if (!m_look)
        m_look = new Look;
    return *m_look;
}

const wchar_t* VelVisualObject::GetClassName() const { return L"VelVisualObject"; }

void VelVisualObject::SetColor(const VelColor& color)
{
    ChangeLook().color = color;
    ColorChanged.Invoke(this, nullptr);
}

void VelVisualObject::SetFont(VelFont* font)
{
    ChangeLook().font = font;
    FontChanged.Invoke(this, nullptr);
}

void VelVisualObject::SetMargins(const RECT& margins)
{
    ChangeLook().margins = margins;
    MarginsChanged.Invoke(this, nullptr);
}

void VelVisualObject::SetBackground(VelBackground* background)
{
    ChangeLook().background = background;
    BackgroundChanged.Invoke(this, nullptr);
}
