#pragma once
#include "VelItem.h"

// An entry of a context menu. The menu's grid owns it through its shared
// pointers only: an object owner as well would delete it a second time.
class VelContextMenuItem : public VelItem {
public:
    explicit VelContextMenuItem(const std::wstring& key = std::wstring());

    const wchar_t* GetClassName() const override;

protected:
    // The cell rectangle less the item's margins.
    RECT Deflated(const RECT& rect) const;
    // The dump's first line, up to the class name.
    std::wstring DumpHeader() const;
};
