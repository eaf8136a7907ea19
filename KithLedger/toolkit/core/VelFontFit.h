#pragma once
#include "VelCanvas.h"
#include "VelFont.h"

#include <memory>
#include <string>

// One line of text fitted to a width without losing what the user must read:
// the font's own size where the text fits, else the same face smaller down to
// a floor that stays legible, and only then an ellipsis, which stops before a
// trailing count ("Messages (3)") and never cuts a number.
struct VelFittedLine {
    std::wstring text;
    int points;
    // Whether `text` at `points` is within the width (a bare number or count
    // wider than the box is shown whole all the same).
    bool fits;
};

const int kLegibleFloorPoints = 7;

// While it lives the canvas draws and measures in its font at `points`; the
// font it had comes back after. A size loop makes one font a size with it.
class VelPointSizeScope {
public:
    VelPointSizeScope(VelCanvas* canvas, int points);
    ~VelPointSizeScope();
    VelPointSizeScope(const VelPointSizeScope&) = delete;
    VelPointSizeScope& operator=(const VelPointSizeScope&) = delete;

private:
    VelCanvas* m_canvas;
    VelFont* m_before;
    std::unique_ptr<VelFont> m_sized;  // none at the font's own size
};

// Measured with the canvas's current font; the canvas keeps that font.
VelFittedLine FitLine(VelCanvas* canvas, const std::wstring& text, int width);

// A text that does not fit one line, broken at a word onto two, with the
// height of one of them.
struct VelWrappedLines {
    std::wstring first;
    std::wstring second;
    int points;
    int lineHeight;
};

// The largest size, from the font's own down to the floor, at which the text
// breaks at a space into two lines each within the width and two lines are
// no higher than `height`; false when there is none. Measured with the
// canvas's current font; the canvas keeps that font.
bool FitTwoLines(VelCanvas* canvas, const std::wstring& text, int width, int height, VelWrappedLines* lines);

// Draws the line as FitLine fits it, with the canvas's text format; where the
// text fits as it is, exactly as VelCanvas::DrawText would.
void DrawFittedLine(VelCanvas* canvas, const std::wstring& text, const VelPoint& point, const SIZE& size);
// The same, for a line FitLine has fitted already.
void DrawFittedLine(VelCanvas* canvas, const VelFittedLine& line, const VelPoint& point, const SIZE& size);

// Whether the text is a telephone number: digits with the signs numbers are
// written with, and at least one digit.
bool IsNumberText(const std::wstring& text);
