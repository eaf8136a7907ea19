#pragma once
#include "VelCanvas.h"

// Puts back the canvas's font, text colour, text format and opaque mode when
// the scope ends. The canvas's saved state does not cover these records, so a
// text painter that changes them takes one of these.
class VelTextState {
public:
    explicit VelTextState(VelCanvas* canvas)
        : m_canvas(canvas), m_font(canvas->GetFont()), m_color(canvas->GetTextColor()),
          m_format(canvas->GetTextFormat()), m_opaque(canvas->IsOpaque())
    {
    }
    VelTextState(const VelTextState&) = delete;
    VelTextState& operator=(const VelTextState&) = delete;
    ~VelTextState()
    {
        m_canvas->SetFont(m_font);
        m_canvas->SetTextColor(m_color);
        m_canvas->SetTextFormat(m_format);
        m_canvas->SetOpaque(m_opaque);
    }

private:
    VelCanvas* m_canvas;
    VelFont* m_font;
    VelColor m_color;
    UINT m_format;
    bool m_opaque;
};
