#pragma once
#include "VelGradient.h"
#include "VelKlThemeMetrics.h"
#include "VelThemeDefault.h"

#include <map>
#include <memory>

// The program's own look: a slate-blue palette, Verdana fonts, three vertical
// gradients, and the images of the loaded theme library (ThemeModule), fetched
// by resource id and kept for the theme's life. Without a theme library every
// image is missing and the image-sized metrics are zero.
class VelKlTheme : public VelThemeDefault {
public:
    VelKlTheme();
    ~VelKlTheme() override;
    // The views' measures for the current screen, the toolkit's among them.
    static const VelKlThemeMetrics& GetMetrics() { return VelKlThemeMetrics::ForScreen(); }

    VelColor& GetBackgroundColor(VelColor& color) override;
    VelColor& GetGridBackgroundColor(VelColor& color) override;
    VelColor& GetStaticTextColor(VelColor& color) override;
    VelColor& GetButtonFaceColor(VelColor& color) override;
    VelColor& GetButtonPressedFaceColor(VelColor& color) override;
    VelColor& GetButtonAltFaceColor(VelColor& color) override;
    VelColor& GetButtonDisabledFaceColor(VelColor& color) override;
    VelColor& GetItemColor(VelColor& color) override;
    VelColor& GetItemTextColor(VelColor& color) override;
    VelColor& GetMenuItemColor(VelColor& color) override;
    VelColor& GetMenuItemTextColor(VelColor& color) override;
    VelColor& GetMenuPressedItemColor(VelColor& color) override;
    VelColor& GetMenuPressedItemTextColor(VelColor& color) override;
    VelColor& GetMenuDisabledItemColor(VelColor& color) override;
    VelColor& GetMenuDisabledItemTextColor(VelColor& color) override;
    VelColor& GetDimTextColor(VelColor& color) override;
    VelColor& GetMenuBorderColor(VelColor& color) override;
    VelColor& GetGroupHeaderColor(VelColor& color) override;
    VelColor& GetGroupHeaderTextColor(VelColor& color) override;
    VelColor& GetToolbarButtonColor(VelColor& color) override;
    VelColor& GetToolbarButtonTextColor(VelColor& color) override;
    VelColor& GetToolbarColor(VelColor& color) override;
    VelColor& GetToolbarTextColor(VelColor& color) override;
    VelColor& GetGridLineColor(VelColor& color) override;
    VelColor& GetScrollTrackColor(VelColor& color) override;
    VelColor& GetScrollTrackActiveColor(VelColor& color) override;
    VelColor& GetScrollThumbColor(VelColor& color) override;
    VelColor& GetScrollThumbActiveColor(VelColor& color) override;
    VelColor& GetKeypadColor(VelColor& color) override;
    RECT& GetScrollbarRect(RECT& result, const RECT& rect) override;
    VelFont* GetGroupHeaderFont() override;
    VelFont* GetKeyFont() override;
    VelFont* GetKeySubFont() override;
    // The size of the key face image; zero when the library has none.
    SIZE& GetKeySize(SIZE& size) override;
    VelFont* GetToolbarItemFont() override;
    VelFont* GetLargeFont() override;
    void DrawGridLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end) override;
    void DrawGridThickLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end) override;
    void DrawGridLabel(VelCanvas* canvas, const std::wstring& text, const VelPoint& point) override;
    void DrawSelectedItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawPressedItemBackground(VelCanvas* canvas, const RECT& rect) override;
    // Leaves the item colour as the canvas's background colour.
    void DrawItemBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawGroupHeaderBackground(VelCanvas* canvas, const RECT& rect) override;
    void DrawGroupHeaderText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                             const SIZE& size) override;
    void DrawCollapsedGroupMark(VelCanvas* canvas, const RECT& rect) override;
    void DrawExpandedGroupMark(VelCanvas* canvas, const RECT& rect) override;
    // Buttons show only their content.
    void DrawButtonFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawKeyBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    void DrawKeyFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override;
    // The text colour is the canvas's own.
    void DrawKeyCaption(VelCanvas* canvas, const RECT& rect, const std::wstring& label, const std::wstring& subLabel,
                        const VelVisualObject* control) override;
    VelColor& GetMenuSeparatorColor(VelColor& color) override;
    VelColor& GetGridLabelColor(VelColor& color) override;

    // The colours of the program's own views, by their use.
    virtual VelColor& GetFavoriteNameColor(VelColor& color);
    // The typed run of a matched name or number: the line's own colour, darker.
    virtual VelColor& GetMatchedTextColor(const VelColor& lineColor, VelColor& color);
    virtual VelColor& GetMissedCallColor(VelColor& color);
    virtual VelColor& GetOutgoingCallColor(VelColor& color);
    virtual VelColor& GetIncomingCallColor(VelColor& color);
    virtual VelColor& GetReceivedMessageColor(VelColor& color);
    virtual VelColor& GetSentMessageColor(VelColor& color);
    // The vertical gradients of a view's title bar, the main view's tab bar
    // and the contact view's background.
    virtual VelColor& GetTitleBarTopColor(VelColor& color);
    virtual VelColor& GetTitleBarBottomColor(VelColor& color);
    virtual VelColor& GetTabBarTopColor(VelColor& color);
    virtual VelColor& GetTabBarBottomColor(VelColor& color);
    virtual VelColor& GetContactBackgroundTopColor(VelColor& color);
    virtual VelColor& GetContactBackgroundBottomColor(VelColor& color);
    // The captions of the contact view's buttons.
    virtual VelColor& GetContactCaptionColor(VelColor& color);

    // The theme library's bitmap of that id, else its "PNG" image; null when it
    // has neither or the image does not decode (asked again next time). The
    // theme owns what it returns.
    virtual VelBitmap* GetImage(UINT resourceId);
    virtual VelFont* GetMediumFont();
    // Read from the first canvas asked and kept.
    virtual const VelTextMetrics* GetMediumTextMetrics(VelCanvas* canvas);
    virtual VelFont* GetMediumBoldFont();
    virtual VelFont* GetSmallFont();
    virtual VelFont* GetSmallBoldFont();
    virtual VelFont* GetTinyFont();
    virtual VelFont* GetTinyBoldFont();

private:
    void DrawGroupMark(VelCanvas* canvas, const RECT& rect, UINT imageId);

    VelFont m_smallFont;
    VelFont m_smallBoldFont;
    VelFont m_tinyFont;
    VelFont m_tinyBoldFont;
    VelFont m_mediumFont;
    VelFont m_mediumBoldFont;
    VelFont m_hugeFont;
    VelPen m_pen;
    VelGradient m_groupHeaderGradient;
    VelGradient m_selectionGradient;
    VelGradient m_pressedGradient;
    std::map<UINT, std::unique_ptr<VelBitmap>> m_images;
    VelTextMetrics m_mediumMetrics;  // its flag byte is the stale flag
};
