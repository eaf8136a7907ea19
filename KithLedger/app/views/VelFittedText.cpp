#include "VelFittedText.h"

#include <algorithm>

namespace {

void DrawRun(VelCanvas* canvas, const std::wstring& text, int first, int count, const VelPoint& at, VelFont* font,
             const VelColor& color)
{
    canvas->SetFont(font);
    canvas->SetTextColor(color);
    canvas->DrawTextAt(text, at, first, count);
}

// The width of the run just drawn, in the canvas's current font. The box's
// remaining width only bounds the platform's fit count: the width is the whole
// run's.
int MeasureRun(VelCanvas* canvas, const std::wstring& text, int first, int count, int maxExtent)
{
    SIZE extent = {0, 0};
    INT fit = 0;
    ::GetTextExtentExPointW(canvas->GetDC(), text.c_str() + first, count, std::max(maxExtent, 0), &fit, nullptr,
                            &extent);
    return extent.cx;
}

}  // namespace

void DrawFittedText(VelCanvas* canvas, const std::wstring& text, const VelPoint& point, const SIZE& size,
                    VelFont* normalFont, VelFont* highlightFont, const VelColor& normalColor,
                    const VelColor& highlightColor, int highlightStart, int highlightLength)
{
    // A row's match range can outlive a change of its text; never read past it.
    const int length = static_cast<int>(text.size());
    const int start = std::min(std::max(highlightStart, 0), length);
    const int count = std::min(std::max(highlightLength, 0), length - start);

    int width = 0;
    if (start > 0) {
        DrawRun(canvas, text, 0, start, point, normalFont, normalColor);
        width = MeasureRun(canvas, text, 0, start, size.cx);
    }
    DrawRun(canvas, text, start, count, VelPoint(point.x + width, point.y), highlightFont, highlightColor);
    width += MeasureRun(canvas, text, start, count, size.cx - width);
    if (start + count < length)
        DrawRun(canvas, text, start + count, length - start - count, VelPoint(point.x + width, point.y), normalFont,
                normalColor);
}
