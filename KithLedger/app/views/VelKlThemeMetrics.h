#pragma once
#include "VelThemeMetrics.h"

// The program's own measures beside the toolkit's, each an integer fraction
// of a side of the screen (L the longer, S the shorter).
class VelKlThemeMetrics : public VelThemeMetrics {
public:
    explicit VelKlThemeMetrics(const SIZE& screen) : VelThemeMetrics(screen) {}

    // The record of VelScreenMetrics' size, made again only when it changes.
    static const VelKlThemeMetrics& ForScreen();

    // A view's title bar; one sized by its image stands this much taller.
    int GetTitleBarHeight() const { return GetLongerSide() / 10; }
    int GetTitleBarExtra() const { return GetLongerSide() / 160; }
    int GetGroupRowHeight() const { return GetLongerSide() / 12; }
    int GetProgressHeight() const { return GetShorterSide() / 120; }

    // The call and message rows: the icon's left margin and the time's right
    // one, where the text starts, and the first line's top margin (in a
    // contact row, over and under its two lines).
    int GetRowIconMargin() const { return GetLongerSide() / 40; }
    int GetRowTextLeft() const { return GetLongerSide() / 10; }
    int GetRowLineMargin() const { return GetLongerSide() / 80; }
    // A message row: over and under its two lines together.
    int GetMessageRowPadding() const { return GetLongerSide() / 40; }
    // The contact row's picture column, which the thumbnails are made to fit.
    int GetPictureColumnWidth() const { return GetLongerSide() / 10; }

    // The contact view: the margin at the sides, the gap between rows, and
    // how far the two small buttons stand above the frame's bottom.
    int GetContactMargin() const { return GetShorterSide() / 30; }
    int GetContactGap() const { return GetShorterSide() / 20; }
    int GetContactCardLift() const { return GetShorterSide() / 48; }

    // The main view's tab buttons, the caption band over their images, and
    // the keypad's margin when docked.
    int GetTabButtonWidth() const { return GetScreen().cx / 5; }
    int GetTabCaptionHeight() const { return GetScreen().cy / 24; }
    int GetDockMargin() const { return GetShorterSide() / 10; }

    // The theme's own drawing: the grid line and how far it stops short of
    // the row's ends, the group header text's indent, the group mark's place
    // and the key caption's top margin.
    int GetGridLineHeight() const { return GetShorterSide() / 240; }
    int GetGridLineInset() const { return GetShorterSide() / 30; }
    int GetGroupHeaderIndent() const { return GetShorterSide() / 10; }
    POINT GetGroupMarkOffset() const { return POINT{GetShorterSide() / 30, GetShorterSide() / 33}; }
    int GetKeyCaptionTop() const { return GetShorterSide() / 120; }
};
