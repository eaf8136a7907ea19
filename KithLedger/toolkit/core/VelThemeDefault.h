#pragma once
#include "VelTheme.h"

// The built-in look: system colours, a few fixed greys, two system metrics and
// the eight default Tahoma fonts.
class VelThemeDefault : public VelTheme {
public:
    VelColor& GetBackgroundColor(VelColor& color) override;
    VelColor& GetWindowColor(VelColor& color) override;
    VelColor& GetGridBackgroundColor(VelColor& color) override;
    VelColor& GetCaptionTextColor(VelColor& color) override;
    VelColor& GetStaticTextColor(VelColor& color) override;
    VelColor& GetButtonTextColor(VelColor& color) override;
    VelColor& GetButtonFaceColor(VelColor& color) override;
    VelColor& GetButtonPressedFaceColor(VelColor& color) override;
    VelColor& GetButtonAltFaceColor(VelColor& color) override;
    VelColor& GetButtonDisabledFaceColor(VelColor& color) override;
    VelColor& GetItemColor(VelColor& color) override;
    VelColor& GetItemTextColor(VelColor& color) override;
    VelColor& GetSelectedItemColor(VelColor& color) override;
    VelColor& GetSelectedItemTextColor(VelColor& color) override;
    VelColor& GetPressedItemColor(VelColor& color) override;
    VelColor& GetPressedItemTextColor(VelColor& color) override;
    VelColor& GetMenuItemColor(VelColor& color) override;
    VelColor& GetMenuItemTextColor(VelColor& color) override;
    VelColor& GetMenuPressedItemColor(VelColor& color) override;
    VelColor& GetMenuPressedItemTextColor(VelColor& color) override;
    VelColor& GetMenuDisabledItemColor(VelColor& color) override;
    VelColor& GetMenuDisabledItemTextColor(VelColor& color) override;
    VelColor& GetHighlightedItemColor(VelColor& color) override;
    VelColor& GetDimTextColor(VelColor& color) override;
    VelColor& GetMenuBorderColor(VelColor& color) override;
    VelColor& GetGroupHeaderColor(VelColor& color) override;
    VelColor& GetGroupHeaderTextColor(VelColor& color) override;
    VelColor& GetToolbarButtonColor(VelColor& color) override;
    VelColor& GetToolbarButtonTextColor(VelColor& color) override;
    VelColor& GetToolbarColor(VelColor& color) override;
    VelColor& GetToolbarTextColor(VelColor& color) override;
    VelColor& GetGridLineColor(VelColor& color) override;
    int GetGridLineWidth() override;
    VelColor& GetGridThickLineColor(VelColor& color) override;
    int GetFrameWidth() override;
    VelColor& GetScrollTrackColor(VelColor& color) override;
    VelColor& GetScrollTrackActiveColor(VelColor& color) override;
    VelColor& GetScrollThumbColor(VelColor& color) override;
    VelColor& GetScrollThumbActiveColor(VelColor& color) override;
    int GetExtraMetric() override;
    VelColor& GetKeypadColor(VelColor& color) override;
    VelBitmap GetThemeImage() override;
    VelBitmap GetThemeImageAlt() override;
    RECT& GetScrollbarRect(RECT& result, const RECT& rect) override;
    VelFont* GetTextFont() override;
    VelFont* GetItemFont() override;
    VelFont* GetGroupHeaderFont() override;
    VelFont* GetToolbarButtonFont() override;
    VelFont* GetToolbarTextFont() override;
    VelFont* GetKeyFont() override;
    VelFont* GetKeySubFont() override;
    SIZE& GetKeySize(SIZE& size) override;
    VelFont* GetToolbarItemFont() override;
    VelFont* GetLargeFont() override;
    void DrawFrame(VelCanvas* canvas, const RECT& rect) override;
    void DrawHook() override;
    void DrawControlBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) override;
    void DrawGridBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) override;
    void DrawWindowBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawStaticText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text, const SIZE& size) override;
    void DrawDisabledOverlay(VelCanvas* canvas, const RECT& rect) override;
    void DrawGridLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end) override;
    void DrawGridThickLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end) override;
    void DrawGridLabel(VelCanvas* canvas, const std::wstring& text, const VelPoint& point) override;
    void DrawSelectedItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawPressedItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawPressedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                             const SIZE& size) override;
    void DrawDimItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text, const SIZE& size) override;
    void DrawHighlightedItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawSelectedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                              const SIZE& size) override;
    void DrawItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawMenuFrame(VelCanvas* canvas, const RECT& rect, int lineWidth) override;
    void DrawMenuSeparator(VelCanvas* canvas, const RECT& rect) override;
    void DrawMenuItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawMenuPressedItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawMenuDisabledItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawMenuItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                          const SIZE& rowSize) override;
    void DrawMenuPressedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                 const SIZE& rowSize) override;
    void DrawMenuDisabledItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                  const SIZE& rowSize) override;
    void DrawItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text) override;
    void DrawGroupHeaderBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawGroupHeaderText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                             const SIZE& size) override;
    void DrawCollapsedGroupMark(VelCanvas* canvas, const RECT& rect) override;
    void DrawExpandedGroupMark(VelCanvas* canvas, const RECT& rect) override;
    void DrawToolbarButtonBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawToolbarButtonText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                               const SIZE& size) override;
    void DrawToolbarBackground(VelCanvas* canvas, const RECT& paintRect, const RECT& backgroundRect,
                               const VelVisualObject* control) override;
    void DrawToolbarText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text, const SIZE& size) override;
    void DrawButtonBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawButtonFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawButtonContent(VelCanvas* canvas, const RECT& rect, const std::wstring& caption, const VelBitmap* image,
                           int state, const VelVisualObject* control) override;
    void DrawButtonOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawScrollTrack(VelCanvas* canvas, const RECT& rect, bool active) override;
    void DrawScrollThumb(VelCanvas* canvas, const RECT& rect, bool active) override;
    void DrawKeyBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawKeyFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawKeyOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawKeyCaption(VelCanvas* canvas, const RECT& rect, const std::wstring& label, const std::wstring& subLabel,
                        const VelVisualObject* control) override;
    void DrawKeypadBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawInsetBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) override;

    virtual VelColor& GetMenuSeparatorColor(VelColor& color);
    virtual VelColor& GetGridLabelColor(VelColor& color);

protected:
    // Fills the rectangle with a colour, the canvas's background colour put back.
    static void FillWith(VelCanvas* canvas, const RECT& rect, const VelColor& color);
    // The rectangle less the control's margins; all of it without a control.
    static VelRect ContentRect(const RECT& rect, const VelVisualObject* control);
    // Draws with the font and colour, the canvas's text records put back after;
    // with a size through the current format, else the whole text at the point.
    static void DrawTextWith(VelCanvas* canvas, VelFont* font, const VelColor& color, const VelPoint& point,
                             const std::wstring& text, const SIZE* size, bool transparent);
};
