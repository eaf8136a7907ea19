#pragma once
#include "VelBitmap.h"
#include "VelCanvas.h"
#include "VelObject.h"
#include "VelThemeMetrics.h"
#include <string>

class VelVisualObject;

// The one object every control asks for its colours, fonts, metrics and
// images, and to which it hands most of its drawing. Controls fetch
// CurrentTheme at each paint and never keep it. Colour operations fill the
// caller's record and return it; fonts are shared objects the caller never
// frees. The order of the operations is part of the contract.
class VelTheme : public VelObject {
public:
    VelTheme();
    const wchar_t* GetClassName() const override;
    // The controls' measures for the current screen; there with no theme too.
    static const VelThemeMetrics& GetMetrics() { return VelThemeMetrics::ForScreen(); }

    virtual VelColor& GetBackgroundColor(VelColor& color) = 0;
    virtual VelColor& GetWindowColor(VelColor& color) = 0;
    virtual VelColor& GetGridBackgroundColor(VelColor& color) = 0;
    virtual VelColor& GetCaptionTextColor(VelColor& color) = 0;
    virtual VelColor& GetStaticTextColor(VelColor& color) = 0;
    virtual VelColor& GetButtonTextColor(VelColor& color) = 0;
    virtual VelColor& GetButtonFaceColor(VelColor& color) = 0;
    virtual VelColor& GetButtonPressedFaceColor(VelColor& color) = 0;
    virtual VelColor& GetButtonAltFaceColor(VelColor& color) = 0;
    virtual VelColor& GetButtonDisabledFaceColor(VelColor& color) = 0;
    virtual VelColor& GetItemColor(VelColor& color) = 0;
    virtual VelColor& GetItemTextColor(VelColor& color) = 0;
    virtual VelColor& GetSelectedItemColor(VelColor& color) = 0;
    virtual VelColor& GetSelectedItemTextColor(VelColor& color) = 0;
    virtual VelColor& GetPressedItemColor(VelColor& color) = 0;
    virtual VelColor& GetPressedItemTextColor(VelColor& color) = 0;
    virtual VelColor& GetMenuItemColor(VelColor& color) = 0;
    virtual VelColor& GetMenuItemTextColor(VelColor& color) = 0;
    virtual VelColor& GetMenuPressedItemColor(VelColor& color) = 0;
    virtual VelColor& GetMenuPressedItemTextColor(VelColor& color) = 0;
    virtual VelColor& GetMenuDisabledItemColor(VelColor& color) = 0;
    virtual VelColor& GetMenuDisabledItemTextColor(VelColor& color) = 0;
    virtual VelColor& GetHighlightedItemColor(VelColor& color) = 0;
    virtual VelColor& GetDimTextColor(VelColor& color) = 0;
    virtual VelColor& GetMenuBorderColor(VelColor& color) = 0;
    virtual VelColor& GetGroupHeaderColor(VelColor& color) = 0;
    virtual VelColor& GetGroupHeaderTextColor(VelColor& color) = 0;
    virtual VelColor& GetToolbarButtonColor(VelColor& color) = 0;
    virtual VelColor& GetToolbarButtonTextColor(VelColor& color) = 0;
    virtual VelColor& GetToolbarColor(VelColor& color) = 0;
    virtual VelColor& GetToolbarTextColor(VelColor& color) = 0;
    virtual VelColor& GetGridLineColor(VelColor& color) = 0;
    virtual int GetGridLineWidth() = 0;
    virtual VelColor& GetGridThickLineColor(VelColor& color) = 0;
    virtual int GetFrameWidth() = 0;
    virtual VelColor& GetScrollTrackColor(VelColor& color) = 0;
    virtual VelColor& GetScrollTrackActiveColor(VelColor& color) = 0;
    virtual VelColor& GetScrollThumbColor(VelColor& color) = 0;
    virtual VelColor& GetScrollThumbActiveColor(VelColor& color) = 0;
    virtual int GetExtraMetric() = 0;
    virtual VelColor& GetKeypadColor(VelColor& color) = 0;
    virtual VelBitmap GetThemeImage() = 0;
    virtual VelBitmap GetThemeImageAlt() = 0;
    virtual RECT& GetScrollbarRect(RECT& result, const RECT& rect) = 0;
    virtual VelFont* GetTextFont() = 0;
    virtual VelFont* GetItemFont() = 0;
    // The item font's metrics, fetched from the first canvas asked and kept.
    virtual const VelTextMetrics* GetTextMetrics(VelCanvas* canvas);
    virtual VelFont* GetGroupHeaderFont() = 0;
    virtual VelFont* GetToolbarButtonFont() = 0;
    virtual VelFont* GetToolbarTextFont() = 0;
    virtual VelFont* GetKeyFont() = 0;
    virtual VelFont* GetKeySubFont() = 0;
    virtual SIZE& GetKeySize(SIZE& size) = 0;
    virtual VelFont* GetToolbarItemFont() = 0;
    virtual VelFont* GetLargeFont() = 0;

    virtual void DrawFrame(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawHook() = 0;
    // `control` may be null; its background object, when it has one, draws instead.
    virtual void DrawControlBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) = 0;
    virtual void DrawGridBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) = 0;
    virtual void DrawWindowBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawStaticText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                const SIZE& size) = 0;
    virtual void DrawDisabledOverlay(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawGridLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end) = 0;
    virtual void DrawGridThickLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end) = 0;
    virtual void DrawGridLabel(VelCanvas* canvas, const std::wstring& text, const VelPoint& point) = 0;
    virtual void DrawSelectedItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawPressedItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawPressedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                     const SIZE& size) = 0;
    virtual void DrawDimItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                 const SIZE& size) = 0;
    virtual void DrawHighlightedItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawSelectedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                      const SIZE& size) = 0;
    virtual void DrawItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawMenuFrame(VelCanvas* canvas, const RECT& rect, int lineWidth) = 0;
    virtual void DrawMenuSeparator(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawMenuItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawMenuPressedItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawMenuDisabledItemBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawMenuItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                  const SIZE& rowSize) = 0;
    virtual void DrawMenuPressedItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                         const SIZE& rowSize) = 0;
    virtual void DrawMenuDisabledItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                          const SIZE& rowSize) = 0;
    virtual void DrawItemText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text) = 0;
    virtual void DrawGroupHeaderBackground(VelCanvas* canvas, const RECT& rect) = 0;
    // `size`: the header row's width and height.
    virtual void DrawGroupHeaderText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                     const SIZE& size) = 0;
    virtual void DrawCollapsedGroupMark(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawExpandedGroupMark(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawToolbarButtonBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawToolbarButtonText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                       const SIZE& size) = 0;
    virtual void DrawToolbarBackground(VelCanvas* canvas, const RECT& paintRect, const RECT& backgroundRect,
                                       const VelVisualObject* control) = 0;
    virtual void DrawToolbarText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                 const SIZE& size) = 0;
    // Button states: 0 normal, 1 alternate, 2 pressed, 3 disabled.
    virtual void DrawButtonBackground(VelCanvas* canvas, const RECT& rect, int state,
                                      const VelVisualObject* control) = 0;
    virtual void DrawButtonFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) = 0;
    virtual void DrawButtonContent(VelCanvas* canvas, const RECT& rect, const std::wstring& caption,
                                   const VelBitmap* image, int state, const VelVisualObject* control) = 0;
    virtual void DrawButtonOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) = 0;
    virtual void DrawScrollTrack(VelCanvas* canvas, const RECT& rect, bool active) = 0;
    virtual void DrawScrollThumb(VelCanvas* canvas, const RECT& rect, bool active) = 0;
    virtual void DrawKeyBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) = 0;
    virtual void DrawKeyFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) = 0;
    virtual void DrawKeyOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) = 0;
    virtual void DrawKeyCaption(VelCanvas* canvas, const RECT& rect, const std::wstring& label,
                                const std::wstring& subLabel, const VelVisualObject* control) = 0;
    virtual void DrawKeypadBackground(VelCanvas* canvas, const RECT& rect) = 0;
    virtual void DrawInsetBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) = 0;

private:
    VelTextMetrics m_metrics;  // its flag byte is the stale flag
};

// The theme every control draws with; owned by the application.
extern VelTheme* CurrentTheme;
