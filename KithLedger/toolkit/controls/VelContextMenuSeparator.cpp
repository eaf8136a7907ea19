#include "VelContextMenuSeparator.h"

#include "VelTheme.h"

VelContextMenuSeparator::VelContextMenuSeparator() : m_height(VelTheme::GetMetrics().GetMenuSeparatorHeight())
{
    const int margin = VelTheme::GetMetrics().GetMenuItemMargin();
    SetMargins(RECT{margin, 0, margin, 0});
    SetDisabled(true);
}

const wchar_t* VelContextMenuSeparator::GetClassName() const { return L"VelContextMenuSeparator"; }

int VelContextMenuSeparator::Measure(VelCanvas*) { return m_height; }

void VelContextMenuSeparator::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    if (CurrentTheme)
        CurrentTheme->DrawMenuItemBackground(canvas, rect);
}

void VelContextMenuSeparator::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (CurrentTheme)
        CurrentTheme->DrawMenuSeparator(canvas, Deflated(rect));
}

std::wstring VelContextMenuSeparator::Dump() const { return DumpHeader() + L"\n"; }

void VelContextMenuSeparator::SetHeight(int height) { m_height = height; }
