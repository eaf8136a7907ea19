#pragma once
#include "VelContextMenuItem.h"

// A menu entry showing one line of text; a disabled one is drawn greyed and
// cannot be chosen.
class VelContextMenuString : public VelContextMenuItem {
public:
    VelContextMenuString(const std::wstring& key, const std::wstring& text);

    const wchar_t* GetClassName() const override;
    // Measured once, on the first canvas asked.
    int Measure(VelCanvas* canvas) override;
    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    std::wstring Dump() const override;

    const std::wstring& GetText() const { return m_text; }
    virtual void SetText(const std::wstring& text);

private:
    std::wstring m_text;
    int m_height;
};
