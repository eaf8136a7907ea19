#include "VelThemeDefault.h"

#include "VelBackground.h"
#include "VelCanvasTextState.h"
#include "VelToolkitStatics.h"
#include "VelVisualObject.h"

namespace {

enum DefaultFont {
    kTextFont,
    kItemFont,
    kGroupHeaderFont,
    kToolbarButtonFont,
    kToolbarTextFont,
    kKeyFont,
    kKeySubFont,
    kLargeFont
};

// The phone marks system-colour indexes with 0x40000000; the desktop answers 0
// for such an index, so the flag is never passed on here.
VelColor& SystemColor(VelColor& color, int index)
{
    color = VelColor::FromColorRef(::GetSysColor(index));
    return color;
}

VelColor& Grey(VelColor& color, BYTE level)
{
    color = VelColor(level, level, level);
    return color;
}

// Pen of the canvas for one scope.
class PenState {
public:
    explicit PenState(VelCanvas* canvas) : m_canvas(canvas), m_pen(canvas->GetPen()) {}
    ~PenState() { m_canvas->SetPen(m_pen); }

private:
    VelCanvas* m_canvas;
    VelPen* m_pen;
};

}  // namespace

void VelThemeDefault::FillWith(VelCanvas* canvas, const RECT& rect, const VelColor& color)
{
    const VelColor previous = canvas->GetBackColor();
    canvas->SetBackColor(color);
    canvas->FillRect(rect);
    canvas->SetBackColor(previous);
}

VelRect VelThemeDefault::ContentRect(const RECT& rect, const VelVisualObject* control)
{
    VelRect content(rect);
    if (control) {
        const RECT margins = control->GetMargins();
        content = VelRect(rect.left + margins.left, rect.top + margins.top, rect.right - margins.right,
                          rect.bottom - margins.bottom);
    }
    return content;
}

void VelThemeDefault::DrawTextWith(VelCanvas* canvas, VelFont* font, const VelColor& color, const VelPoint& point,
                                   const std::wstring& text, const SIZE* size, bool transparent)
{
    VelCanvasTextState state(canvas);
    canvas->SetFont(font);
    canvas->SetTextColor(color);
    if (transparent)
        canvas->SetOpaque(false);
    if (size)
        canvas->DrawText(text, point, *size);
    else
        canvas->DrawTextAtWhole(text, point);
}

VelColor& VelThemeDefault::GetBackgroundColor(VelColor& c) { return SystemColor(c, COLOR_BACKGROUND); }
VelColor& VelThemeDefault::GetWindowColor(VelColor& c) { return SystemColor(c, COLOR_WINDOW); }
VelColor& VelThemeDefault::GetGridBackgroundColor(VelColor& c) { return Grey(c, 220); }
VelColor& VelThemeDefault::GetCaptionTextColor(VelColor& c) { return SystemColor(c, COLOR_CAPTIONTEXT); }
VelColor& VelThemeDefault::GetStaticTextColor(VelColor& c) { return SystemColor(c, COLOR_CAPTIONTEXT); }
VelColor& VelThemeDefault::GetButtonTextColor(VelColor& c) { return SystemColor(c, COLOR_BTNTEXT); }
VelColor& VelThemeDefault::GetButtonFaceColor(VelColor& c) { return SystemColor(c, COLOR_BTNFACE); }
VelColor& VelThemeDefault::GetButtonPressedFaceColor(VelColor& c) { return SystemColor(c, COLOR_BTNHIGHLIGHT); }
VelColor& VelThemeDefault::GetButtonAltFaceColor(VelColor& c) { return SystemColor(c, COLOR_BTNHIGHLIGHT); }
VelColor& VelThemeDefault::GetButtonDisabledFaceColor(VelColor& c) { return SystemColor(c, COLOR_GRAYTEXT); }
VelColor& VelThemeDefault::GetItemColor(VelColor& c) { return SystemColor(c, COLOR_WINDOW); }
VelColor& VelThemeDefault::GetItemTextColor(VelColor& c) { return SystemColor(c, COLOR_MENUTEXT); }
VelColor& VelThemeDefault::GetSelectedItemColor(VelColor& c) { return SystemColor(c, COLOR_HIGHLIGHT); }
VelColor& VelThemeDefault::GetSelectedItemTextColor(VelColor& c) { return SystemColor(c, COLOR_HIGHLIGHTTEXT); }

VelColor& VelThemeDefault::GetPressedItemColor(VelColor& c)
{
    GetSelectedItemColor(c).Lighten(0.3f);
    return c;
}

VelColor& VelThemeDefault::GetPressedItemTextColor(VelColor& c)
{
    GetSelectedItemTextColor(c).Lighten(0.3f);
    return c;
}

VelColor& VelThemeDefault::GetMenuItemColor(VelColor& c) { return GetItemColor(c); }
VelColor& VelThemeDefault::GetMenuItemTextColor(VelColor& c) { return GetItemTextColor(c); }
VelColor& VelThemeDefault::GetMenuPressedItemColor(VelColor& c) { return GetPressedItemColor(c); }
VelColor& VelThemeDefault::GetMenuPressedItemTextColor(VelColor& c) { return GetPressedItemTextColor(c); }
VelColor& VelThemeDefault::GetMenuDisabledItemColor(VelColor& c) { return GetItemColor(c); }
VelColor& VelThemeDefault::GetMenuDisabledItemTextColor(VelColor& c) { return SystemColor(c, COLOR_GRAYTEXT); }
VelColor& VelThemeDefault::GetHighlightedItemColor(VelColor& c) { return SystemColor(c, COLOR_HIGHLIGHT); }
VelColor& VelThemeDefault::GetDimTextColor(VelColor& c) { return SystemColor(c, COLOR_GRAYTEXT); }
VelColor& VelThemeDefault::GetMenuBorderColor(VelColor& c) { return SystemColor(c, COLOR_ACTIVEBORDER); }
VelColor& VelThemeDefault::GetGroupHeaderColor(VelColor& c) { return SystemColor(c, COLOR_ACTIVECAPTION); }
VelColor& VelThemeDefault::GetGroupHeaderTextColor(VelColor& c) { return SystemColor(c, COLOR_MENUTEXT); }
VelColor& VelThemeDefault::GetToolbarButtonColor(VelColor& c) { return SystemColor(c, COLOR_BACKGROUND); }
VelColor& VelThemeDefault::GetToolbarButtonTextColor(VelColor& c) { return SystemColor(c, COLOR_MENUTEXT); }
VelColor& VelThemeDefault::GetToolbarColor(VelColor& c) { return SystemColor(c, COLOR_BACKGROUND); }
VelColor& VelThemeDefault::GetToolbarTextColor(VelColor& c) { return SystemColor(c, COLOR_MENUTEXT); }
VelColor& VelThemeDefault::GetGridLineColor(VelColor& c) { return SystemColor(c, COLOR_WINDOWFRAME); }
int VelThemeDefault::GetGridLineWidth() { return ::GetSystemMetrics(SM_CXBORDER); }
VelColor& VelThemeDefault::GetGridThickLineColor(VelColor& c) { return SystemColor(c, COLOR_WINDOWFRAME); }
int VelThemeDefault::GetFrameWidth() { return ::GetSystemMetrics(SM_CXBORDER) + 2; }
VelColor& VelThemeDefault::GetScrollTrackColor(VelColor& c) { return Grey(c, 128); }
VelColor& VelThemeDefault::GetScrollTrackActiveColor(VelColor& c) { return Grey(c, 153); }
VelColor& VelThemeDefault::GetScrollThumbColor(VelColor& c) { return Grey(c, 179); }
VelColor& VelThemeDefault::GetScrollThumbActiveColor(VelColor& c) { return Grey(c, 255); }
int VelThemeDefault::GetExtraMetric() { return 3; }
VelColor& VelThemeDefault::GetKeypadColor(VelColor& c) { return SystemColor(c, COLOR_BACKGROUND); }
VelColor& VelThemeDefault::GetMenuSeparatorColor(VelColor& c) { return SystemColor(c, COLOR_WINDOWFRAME); }
VelColor& VelThemeDefault::GetGridLabelColor(VelColor& c) { return SystemColor(c, COLOR_MENUTEXT); }
// No caller reads it; the program module holds no image of that name, so it is empty.
VelBitmap VelThemeDefault::GetThemeImage() { return VelBitmap(static_cast<IImage*>(nullptr)); }

VelBitmap VelThemeDefault::GetThemeImageAlt() { return GetThemeImage(); }

RECT& VelThemeDefault::GetScrollbarRect(RECT& result, const RECT& rect)
{
    result = RECT{rect.right - 20, rect.top, rect.right, rect.bottom};
    return result;
}

VelFont* VelThemeDefault::GetTextFont() { return &DefaultFonts[kTextFont]; }
VelFont* VelThemeDefault::GetItemFont() { return &DefaultFonts[kItemFont]; }
VelFont* VelThemeDefault::GetGroupHeaderFont() { return &DefaultFonts[kGroupHeaderFont]; }
VelFont* VelThemeDefault::GetToolbarButtonFont() { return &DefaultFonts[kToolbarButtonFont]; }
VelFont* VelThemeDefault::GetToolbarTextFont() { return &DefaultFonts[kToolbarTextFont]; }
VelFont* VelThemeDefault::GetKeyFont() { return &DefaultFonts[kKeyFont]; }
VelFont* VelThemeDefault::GetKeySubFont() { return &DefaultFonts[kKeySubFont]; }

SIZE& VelThemeDefault::GetKeySize(SIZE& size)
{
    size = SIZE{0, 0};
    return size;
}

VelFont* VelThemeDefault::GetToolbarItemFont() { return &DefaultFonts[kToolbarTextFont]; }
VelFont* VelThemeDefault::GetLargeFont() { return &DefaultFonts[kLargeFont]; }

void VelThemeDefault::DrawFrame(VelCanvas* canvas, const RECT& rect)
{
    const VelColor previous = canvas->GetBackColor();
    VelColor color;
    canvas->SetBackColor(GetBackgroundColor(color));
    canvas->FrameRect(rect);
    canvas->SetBackColor(previous);
}

void VelThemeDefault::DrawHook() {}

void VelThemeDefault::DrawControlBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control)
{
    if (control && control->GetBackground()) {
        control->GetBackground()->Draw(canvas, rect);
        return;
    }
    VelColor color;
    FillWith(canvas, rect, GetBackgroundColor(color));
}

void VelThemeDefault::DrawGridBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control)
{
    if (control && control->GetBackground()) {
        control->GetBackground()->Draw(canvas, rect);
        return;
    }
    VelColor color;
    FillWith(canvas, rect, GetGridBackgroundColor(color));
}

void VelThemeDefault::DrawWindowBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetWindowColor(color));
}

void VelThemeDefault::DrawStaticText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                     const SIZE& size)
{
    VelColor color;
    DrawTextWith(canvas, GetTextFont(), GetStaticTextColor(color), point, text, &size, false);
}

void VelThemeDefault::DrawDisabledOverlay(VelCanvas* canvas, const RECT& rect) { canvas->DitherRect(rect); }

void VelThemeDefault::DrawGridLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end)
{
    VelColor color;
    FillWith(canvas, RECT{start.x, start.y, end.x, start.y + 1}, GetGridLineColor(color));
}

void VelThemeDefault::DrawGridThickLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end)
{
    VelColor color;
    FillWith(canvas, RECT{start.x, start.y, end.x, start.y + GetGridLineWidth() + 1}, GetGridThickLineColor(color));
}

void VelThemeDefault::DrawGridLabel(VelCanvas* canvas, const std::wstring& text, const VelPoint& point)
{
    VelColor color;
    DrawTextWith(canvas, GetLargeFont(), GetGridLabelColor(color), point, text, nullptr, false);
}

void VelThemeDefault::DrawSelectedItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetSelectedItemColor(color));
}

void VelThemeDefault::DrawPressedItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetPressedItemColor(color));
}

void VelThemeDefault::DrawPressedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                          const SIZE& size)
{
    VelColor color;
    DrawTextWith(canvas, GetItemFont(), GetPressedItemTextColor(color), point, text, &size, true);
}

void VelThemeDefault::DrawDimItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                      const SIZE& size)
{
    VelColor color;
    DrawTextWith(canvas, GetItemFont(), GetDimTextColor(color), point, text, &size, true);
}

void VelThemeDefault::DrawHighlightedItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetHighlightedItemColor(color));
}

void VelThemeDefault::DrawSelectedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                           const SIZE& size)
{
    VelColor color;
    DrawTextWith(canvas, GetItemFont(), GetSelectedItemTextColor(color), point, text, &size, true);
}

void VelThemeDefault::DrawItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetItemColor(color));
}

void VelThemeDefault::DrawMenuFrame(VelCanvas* canvas, const RECT& rect, int lineWidth)
{
    VelColor color;
    VelPen pen(PS_SOLID, lineWidth, GetMenuBorderColor(color));
    PenState state(canvas);
    canvas->SetPen(&pen);
    canvas->FrameRect(rect);
}

void VelThemeDefault::DrawMenuSeparator(VelCanvas* canvas, const RECT& rect)
{
    const int middle = rect.top + abs(rect.top - rect.bottom) / 2;
    VelColor color;
    FillWith(canvas, RECT{rect.left, middle, rect.right, middle + 1}, GetMenuSeparatorColor(color));
}

void VelThemeDefault::DrawMenuItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetMenuItemColor(color));
}

void VelThemeDefault::DrawMenuPressedItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetMenuPressedItemColor(color));
    VelColor frame = color;
    frame.Darken(0.1f);
    VelPen pen(PS_SOLID, 2, frame);
    PenState state(canvas);
    canvas->SetPen(&pen);
    canvas->FrameRect(rect);
}

void VelThemeDefault::DrawMenuDisabledItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetMenuDisabledItemColor(color));
}

namespace {

// Vertically centred in the row by the item font's metrics.
void DrawMenuText(VelThemeDefault* theme, VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                  const SIZE& rowSize, const VelColor& color)
{
    const TEXTMETRICW& metrics = theme->GetTextMetrics(canvas)->metrics;
    VelCanvasTextState state(canvas);
    canvas->SetOpaque(false);
    canvas->SetTextColor(color);
    canvas->SetTextFormat(DT_END_ELLIPSIS);
    canvas->SetFont(theme->GetItemFont());
    const int y = point.y + (rowSize.cy - metrics.tmHeight - metrics.tmExternalLeading) / 2;
    canvas->DrawTextAtWhole(text, VelPoint(point.x, y));
}

}  // namespace

void VelThemeDefault::DrawMenuItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                       const SIZE& rowSize)
{
    VelColor color;
    DrawMenuText(this, canvas, point, text, rowSize, GetMenuItemTextColor(color));
}

void VelThemeDefault::DrawMenuPressedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                              const SIZE& rowSize)
{
    VelColor color;
    DrawMenuText(this, canvas, point, text, rowSize, GetMenuPressedItemTextColor(color));
}

void VelThemeDefault::DrawMenuDisabledItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                               const SIZE& rowSize)
{
    VelColor color;
    DrawMenuText(this, canvas, point, text, rowSize, GetMenuDisabledItemTextColor(color));
}

void VelThemeDefault::DrawItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text)
{
    VelColor color;
    DrawTextWith(canvas, GetItemFont(), GetItemTextColor(color), point, text, nullptr, false);
}

void VelThemeDefault::DrawGroupHeaderBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    FillWith(canvas, rect, GetGroupHeaderColor(color));
}

void VelThemeDefault::DrawGroupHeaderText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                          const SIZE&)
{
    VelColor color;
    DrawTextWith(canvas, GetGroupHeaderFont(), GetGroupHeaderTextColor(color), point, text, nullptr, false);
}

namespace {

void DrawGroupMark(VelThemeDefault* theme, VelCanvas* canvas, const RECT& rect, const wchar_t* mark)
{
    VelColor color;
    VelCanvasTextState state(canvas);
    canvas->SetTextColor(theme->GetGroupHeaderTextColor(color));
    canvas->DrawText(mark, VelPoint(rect.right - 20, rect.top), SIZE{VelCanvas::kMeasure, VelCanvas::kMeasure});
}

}  // namespace

void VelThemeDefault::DrawCollapsedGroupMark(VelCanvas* canvas, const RECT& rect)
{
    DrawGroupMark(this, canvas, rect, L"-");
}

void VelThemeDefault::DrawExpandedGroupMark(VelCanvas* canvas, const RECT& rect)
{
    DrawGroupMark(this, canvas, rect, L"+");
}

void VelThemeDefault::DrawToolbarButtonBackground(VelCanvas* canvas, const RECT& rect)
{
    const VelColor previous = canvas->GetBackColor();
    VelColor color;
    canvas->SetBackColor(GetToolbarButtonColor(color));
    canvas->DrawRect(rect);
    canvas->SetBackColor(previous);
}

void VelThemeDefault::DrawToolbarButtonText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                            const SIZE& size)
{
    VelColor color;
    DrawTextWith(canvas, GetToolbarButtonFont(), GetToolbarButtonTextColor(color), point, text, &size, false);
}

void VelThemeDefault::DrawToolbarBackground(VelCanvas* canvas, const RECT& paintRect, const RECT& backgroundRect,
                                            const VelVisualObject* control)
{
    if (control && control->GetBackground()) {
        control->GetBackground()->Draw(canvas, backgroundRect);
        return;
    }
    VelColor color;
    FillWith(canvas, paintRect, GetToolbarColor(color));
}

void VelThemeDefault::DrawToolbarText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                      const SIZE& size)
{
    VelColor color;
    DrawTextWith(canvas, GetToolbarTextFont(), GetToolbarTextColor(color), point, text, &size, false);
}

void VelThemeDefault::DrawButtonBackground(VelCanvas* canvas, const RECT& rect, int, const VelVisualObject*)
{
    VelColor color;
    FillWith(canvas, rect, GetBackgroundColor(color));
}

void VelThemeDefault::DrawButtonFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control)
{
    VelColor face(0, 0, 0);
    switch (state) {
    case 0:
        GetButtonFaceColor(face);
        break;
    case 1:
        GetButtonAltFaceColor(face);
        break;
    case 2:
        GetButtonPressedFaceColor(face);
        break;
    case 3:
        GetButtonDisabledFaceColor(face);
        break;
    default:
        break;
    }
    VelSolidBrush brush(face);
    VelPen pen(PS_SOLID, 0, face);
    // The canvas's own records point at the brush and pen only inside the
    // saved state; put them back before the two die.
    VelBrush* previousBrush = canvas->GetBrush();
    PenState penState(canvas);
    canvas->SaveState();
    canvas->SetBrush(&brush);
    canvas->SetPen(&pen);
    canvas->DrawRoundRect(ContentRect(rect, control), SIZE{10, 10});
    canvas->RestoreState();
    canvas->SetBrush(previousBrush);
}

void VelThemeDefault::DrawButtonContent(VelCanvas* canvas, const RECT& rect, const std::wstring& caption,
                                        const VelBitmap* image, int, const VelVisualObject* control)
{
    const VelRect content = ContentRect(rect, control);
    canvas->SaveState();
    if (image) {
        const int x = content.left + (content.GetWidth() - image->GetWidth()) / 2;
        const int y = content.top + (content.GetHeight() - image->GetHeight()) / 2;
        canvas->DrawBitmap(*image, VelPoint(x, y), SRCCOPY);
    }
    if (!caption.empty()) {
        VelColor color;
        VelCanvasTextState state(canvas);
        canvas->SetFont(GetTextFont());
        canvas->SetOpaque(false);
        canvas->SetTextFormat(DT_CENTER | DT_VCENTER);
        canvas->SetTextColor(GetButtonTextColor(color));
        canvas->DrawText(caption, VelPoint(content.left, content.top), content.GetSize());
    }
    canvas->RestoreState();
}

void VelThemeDefault::DrawButtonOverlay(VelCanvas*, const RECT&, int, const VelVisualObject*) {}

void VelThemeDefault::DrawScrollTrack(VelCanvas* canvas, const RECT& rect, bool active)
{
    VelColor color;
    canvas->SaveState();
    FillWith(canvas, rect, active ? GetScrollTrackActiveColor(color) : GetScrollTrackColor(color));
    canvas->RestoreState();
}

void VelThemeDefault::DrawScrollThumb(VelCanvas* canvas, const RECT& rect, bool active)
{
    VelColor color;
    canvas->SaveState();
    FillWith(canvas, rect, active ? GetScrollThumbActiveColor(color) : GetScrollThumbColor(color));
    canvas->RestoreState();
}

void VelThemeDefault::DrawKeyBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control)
{
    DrawButtonBackground(canvas, rect, state, control);
}

void VelThemeDefault::DrawKeyFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control)
{
    DrawButtonFace(canvas, rect, state, control);
}

void VelThemeDefault::DrawKeyOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control)
{
    DrawButtonOverlay(canvas, rect, state, control);
}

void VelThemeDefault::DrawKeyCaption(VelCanvas* canvas, const RECT& rect, const std::wstring& label,
                                     const std::wstring& subLabel, const VelVisualObject* control)
{
    const VelRect content = ContentRect(rect, control);
    VelCanvasTextState state(canvas);
    canvas->SaveState();
    canvas->SetOpaque(false);
    canvas->SetFont(GetKeyFont());
    canvas->SetTextFormat(DT_CENTER | DT_VCENTER);
    if (!subLabel.empty()) {
        const SIZE half = {content.GetWidth(), content.GetHeight() / 2};
        canvas->SetTextFormat(DT_CENTER | DT_SINGLELINE);
        canvas->DrawText(label, VelPoint(content.left, content.top), half);
        canvas->SetTextFormat(DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
        canvas->SetFont(GetKeySubFont());
        canvas->DrawText(subLabel, VelPoint(content.left, content.top + half.cy), half);
    } else {
        canvas->DrawText(label, VelPoint(content.left, content.top), content.GetSize());
    }
    canvas->RestoreState();
}

void VelThemeDefault::DrawKeypadBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    canvas->SaveState();
    FillWith(canvas, rect, GetKeypadColor(color));
    canvas->RestoreState();
}

void VelThemeDefault::DrawInsetBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control)
{
    VelColor color;
    canvas->SaveState();
    FillWith(canvas, ContentRect(rect, control), GetWindowColor(color));
    canvas->RestoreState();
}
