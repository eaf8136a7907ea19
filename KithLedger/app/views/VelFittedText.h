#pragma once
#include "VelCanvas.h"

#include <string>

// Draws one line in up to three runs: [0, start) in the normal font and
// colour, [start, start + length) in the highlight ones, the rest normal again,
// each run placed right after the measured width of the runs before it.
// Positions count UTF-16 code units; a range reaching past the text is cut to
// it. The runs are not clipped to the box, and the canvas keeps the font and
// colour of the last run.
void DrawFittedText(VelCanvas* canvas, const std::wstring& text, const VelPoint& point, const SIZE& size,
                    VelFont* normalFont, VelFont* highlightFont, const VelColor& normalColor,
                    const VelColor& highlightColor, int highlightStart, int highlightLength);
