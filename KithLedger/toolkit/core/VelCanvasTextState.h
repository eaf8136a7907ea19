#pragma once
#include "VelCanvas.h"

// Font, text and background colours, text format and opaque mode of a canvas
// for one scope. The canvas's SaveState covers only the device context, so a
// paint part that changes these puts them back here; otherwise the next part
// inherits them, or a font pointer that dies with its item.
class VelCanvasTextState {
public:
    explicit VelCanvasTextState(VelCanvas* canvas)
        : m_canvas(canvas), m_font(canvas->GetFont()), m_textColor(canvas->GetTextColor()),
          m_backColor(canvas->GetBackColor()), m_format(canvas->GetTextFormat()), m_opaque(canvas->IsOpaque())
    {
    }
    ~VelCanvasTextState()
    {
        m_canvas->SetFont(m_font);
        m_canvas->SetTextColor(m_textColor);
        m_canvas->SetBackColor(m_backColor);
        m_canvas->SetTextFormat(m_format);
        m_canvas->SetOpaque(m_opaque);
    }
    VelCanvasTextState(const VelCanvasTextState&) = delete;
    VelCanvasTextState& operator=(const VelCanvasTextState&) = delete;

private:
    VelCanvas* m_canvas;
    VelFont* m_font;
    VelColor m_textColor;
    VelColor m_backColor;
    UINT m_format;
    bool m_opaque;
};
