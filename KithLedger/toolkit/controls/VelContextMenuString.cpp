#include "VelContextMenuString.h"

#include "VelTheme.h"

VelContextMenuString::VelContextMenuString(const std::wstring& key, const std::wstring& text)
    : VelContextMenuItem(key), m_text(text), m_height(-1)
{
    const int margin = VelTheme::GetMetrics().GetMenuItemMargin();
    SetMargins(RECT{margin, margin, margin, margin});
}

const wchar_t* VelContextMenuString::GetClassName() const { return L"VelContextMenuString"; }

int VelContextMenuString::Measure(VelCanvas* canvas)
{
    if (m_height == -1 && CurrentTheme) {
        const TEXTMETRICW& metrics = CurrentTheme->GetTextMetrics(canvas)->metrics;
        const RECT margins = GetMargins();
        m_height = margins.top + margins.bottom + metrics.tmHeight + metrics.tmExternalLeading;
    }
    return m_height;
}

void VelContextMenuString::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    if (!CurrentTheme)
        return;
    if (IsPressed() || IsSelected())
        CurrentTheme->DrawMenuPressedItemBackground(canvas, rect);
    else if (IsEnabled())
        CurrentTheme->DrawMenuItemBackground(canvas, rect);
    else
        CurrentTheme->DrawMenuDisabledItemBackground(canvas, rect);
}

void VelContextMenuString::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (!CurrentTheme)
        return;
    const VelRect inner(Deflated(rect));
    const VelPoint point(inner.left, inner.top);
    const SIZE size = inner.GetSize();
    if (IsPressed() || IsSelected())
        CurrentTheme->DrawMenuPressedItemText(canvas, point, m_text, size);
    else if (IsEnabled())
        CurrentTheme->DrawMenuItemText(canvas, point, m_text, size);
    else
        CurrentTheme->DrawMenuDisabledItemText(canvas, point, m_text, size);
}

std::wstring VelContextMenuString::Dump() const { return DumpHeader() + L"Item text " + m_text + L"\n"; }

void VelContextMenuString::SetText(const std::wstring& text) { m_text = text; }
