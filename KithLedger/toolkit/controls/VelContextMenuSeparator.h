#pragma once
#include "VelContextMenuItem.h"

// A thin line between groups of menu entries; disabled, so it is never chosen.
class VelContextMenuSeparator : public VelContextMenuItem {
public:
    VelContextMenuSeparator();

    const wchar_t* GetClassName() const override;
    int Measure(VelCanvas* canvas) override;
    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    std::wstring Dump() const override;

    virtual void SetHeight(int height);

private:
    int m_height;
};
