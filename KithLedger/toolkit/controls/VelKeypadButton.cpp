#include "VelKeypadButton.h"

#include "VelTheme.h"

VelKeypadButton::VelKeypadButton(VelObject* parent, const std::string& name)
    : VelButton(0, std::wstring(), nullptr, 0, 0, 0, parent, name)
{
}

const wchar_t* VelKeypadButton::GetClassName() const { return L"VelKeypadButton"; }

const std::wstring& VelKeypadButton::GetText() const { return m_label; }

void VelKeypadButton::SetText(std::wstring text)
{
    m_label = std::move(text);
    InvalidateRect(GetClientRect());
}

void VelKeypadButton::SetSubLabel(std::wstring subLabel)
{
    m_subLabel = std::move(subLabel);
    InvalidateRect(GetClientRect());
}

void VelKeypadButton::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    if (!IsTransparent())
        CurrentTheme->DrawKeyBackground(canvas, rect, GetState(), this);
}

void VelKeypadButton::PaintFace(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawKeyFace(canvas, rect, GetState(), this);
}

void VelKeypadButton::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawKeyCaption(canvas, rect, m_label, m_subLabel, this);
}

void VelKeypadButton::PaintOverlay(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawKeyOverlay(canvas, rect, GetState(), this);
}
