#pragma once
#include "VelItem.h"

#include <string>

class VelDateTime;
class VelFont;

// A row of the call and message lists: the lists group and order their rows
// by this date.
class VelDatedItem : public VelItem {
public:
    VelDatedItem(const std::wstring& key, DWORD state, bool cellItem);
    ~VelDatedItem() override;

    virtual const VelDateTime* GetDate() const = 0;

    // The theme's item background, its selected one when pressed or selected.
    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;

    // The time within this week, where the header names the day already;
    // the day and month before it.
    static std::wstring TimeLabel(const VelDateTime& date);
    // The height of one line of the font.
    static int LineHeight(VelCanvas* canvas, VelFont* font);
    // The size of the time column at the right, in the font. Measured each
    // time: the theme and its fonts may change while the program runs.
    static SIZE TimeColumn(VelCanvas* canvas, VelFont* font);
};
