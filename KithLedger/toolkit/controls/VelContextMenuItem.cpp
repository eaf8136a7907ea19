#include "VelContextMenuItem.h"

VelContextMenuItem::VelContextMenuItem(const std::wstring& key) : VelItem(key, 0, true) {}

const wchar_t* VelContextMenuItem::GetClassName() const { return L"VelContextMenuItem"; }

RECT VelContextMenuItem::Deflated(const RECT& rect) const
{
    const RECT margins = GetMargins();
    return RECT{rect.left + margins.left, rect.top + margins.top, rect.right - margins.right,
                rect.bottom - margins.bottom};
}

std::wstring VelContextMenuItem::DumpHeader() const
{
    return L"\t Item id " + GetKey() + L" Object id " + std::to_wstring(GetId()) + L" " +
           std::to_wstring(GetReserved()) + L" class name " + GetClassName() + L"\n";
}
