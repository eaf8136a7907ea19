#pragma once
#include "VelColor.h"
#include "VelFont.h"
#include "VelPen.h"
#include "VelRect.h"
#include "VelRegion.h"
#include "VelSolidBrush.h"
#include <string>
#include <vector>

class VelBitmap;
class VelGradient;

// The platform's text metrics followed by a flag byte; every query clears the
// flag, and the theme's cache uses it as its stale flag.
struct VelTextMetrics {
    TEXTMETRICW metrics;
    BYTE stale;
};

enum VelGradientDirection { kGradientHorizontal = 0, kGradientVertical = 1 };

// The surface every painter draws on. It keeps the current colours, font,
// brush, pen, text format and background mode, a logical clip region (the
// dirty area the paint pass reads) and a viewport offset that maps the
// caller's coordinates into the surface's. Pens, brushes and fonts handed to
// it stay owned by the caller and must outlive their use.
class VelCanvas {
public:
    VelCanvas(int width, int height);
    VelCanvas(const VelCanvas&) = delete;
    VelCanvas& operator=(const VelCanvas&) = delete;

    virtual int Present(int sourceX, int sourceY) = 0;
    virtual void CopyToCanvas(VelCanvas* target, const POINT& targetPoint, const SIZE& size, const POINT& sourcePoint,
                              DWORD rop) = 0;
    virtual void CopyToDC(HDC dc, const POINT& targetPoint, const SIZE& size, const POINT& sourcePoint, DWORD rop) = 0;
    virtual void SelectClipRegion(const VelRegion& region) = 0;
    virtual const VelRegion& GetSelectedClipRegion() const = 0;
    virtual void SetClip(const VelRegion& region);
    virtual void AddClip(const VelRegion& region);
    virtual void ExcludeClip(const VelRegion& region);
    virtual void ClearClip();
    virtual const VelRegion& GetClipRegion() const;
    virtual void SetAuxiliaryValue(DWORD value);
    virtual DWORD GetAuxiliaryValue() const;
    virtual void SetBrush(VelBrush* brush) = 0;
    virtual VelPen* GetPen() const;
    virtual void SetPen(VelPen* pen) = 0;
    virtual void SetViewport(const RECT& viewport);
    virtual VelRect GetViewport() const;
    virtual std::vector<VelPoint> ToCanvasPoints(const std::vector<VelPoint>& points) const;
    virtual VelPoint ToCanvasPoint(const VelPoint& point) const;
    virtual VelRect ToCanvasRect(const RECT& rect) const;
    virtual std::vector<VelPoint> FromCanvasPoints(const std::vector<VelPoint>& points) const;
    virtual VelPoint FromCanvasPoint(const VelPoint& point) const;
    virtual VelRect FromCanvasRect(const RECT& rect) const;
    virtual void SetFont(VelFont* font) = 0;
    virtual void SetForeColor(const VelColor& color);
    virtual void SetBackColor(const VelColor& color) = 0;
    virtual void SetTextColor(const VelColor& color) = 0;
    virtual void SetTextFormat(UINT format);
    virtual void SetOpaque(bool opaque) = 0;
    virtual void SetAuxiliaryFlag(BYTE flag);
    virtual void SaveState() = 0;
    virtual void RestoreState() = 0;
    virtual void DrawLine(const VelPoint& from, const VelPoint& to) = 0;
    // A width or height of kMeasure measures the text first.
    virtual void DrawTextInRect(const std::wstring& text, int length, const VelPoint& point, const SIZE& size) = 0;
    virtual void DrawText(const std::wstring& text, const VelPoint& point, const SIZE& size);
    virtual void DrawTextAt(const std::wstring& text, const VelPoint& point, int first, int count) = 0;
    virtual void DrawTextAtWhole(const std::wstring& text, const VelPoint& point);
    virtual void FrameRect(const RECT& rect) = 0;
    virtual void FrameRoundRect(const RECT& rect, const SIZE& corner) = 0;
    virtual void DrawRect(const RECT& rect) = 0;
    // Fills with the background colour.
    virtual void FillRect(const RECT& rect) = 0;
    virtual void DrawRoundRect(const RECT& rect, const SIZE& corner) = 0;
    virtual void FillGradient(const RECT& rect, const VelGradient& gradient, int direction) = 0;
    virtual void DrawBitmapPart(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size,
                                const VelPoint& source, DWORD rop) = 0;
    virtual void DrawBitmap(const VelBitmap& bitmap, const VelPoint& point, DWORD rop) = 0;
    virtual void StretchBitmap(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size, const VelPoint& source,
                               const SIZE& sourceSize, DWORD rop) = 0;
    virtual void DrawTransparentBitmapPart(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size,
                                           const VelPoint& source, const VelColor& key) = 0;
    virtual void DrawTransparentBitmap(const VelBitmap& bitmap, const VelPoint& point, const VelColor& key) = 0;
    // Inverts every other pixel.
    virtual void DitherRect(const RECT& rect) = 0;
    virtual VelColor GetPixel(const VelPoint& point) const = 0;
    // Sets the pixel to the fore colour.
    virtual void SetPixel(const VelPoint& point) = 0;
    virtual void FramePolygon(const std::vector<VelPoint>& points) = 0;
    virtual void DrawPolygon(const std::vector<VelPoint>& points) = 0;
    // Metrics of `font`, or of the current font when null.
    virtual VelTextMetrics GetTextMetrics(VelFont* font) = 0;
    virtual SIZE MeasureText(const std::wstring& text) = 0;
    virtual HDC GetDC() const = 0;
    virtual std::wstring GetFontFace() const = 0;
    virtual int GetDpiY() const = 0;
    virtual int GetDpiX() const = 0;
    virtual ~VelCanvas();
    // `update` may be null; it receives the area the scroll uncovered.
    virtual void Scroll(int dx, int dy, const RECT* rect, RECT* update) = 0;

    VelColor GetForeColor() const { return m_foreColor; }
    VelColor GetBackColor() const { return m_backColor; }
    VelColor GetTextColor() const { return m_textColor; }
    VelBrush* GetBrush() const { return m_brush ? m_brush : m_defaultBrush; }
    VelFont* GetFont() const { return m_font ? m_font : const_cast<VelFont*>(&m_defaultFont); }
    UINT GetTextFormat() const { return m_textFormat; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsOpaque() const { return m_opaque != 0; }

    static const int kMeasure = 32767;
    static const UINT kDefaultTextFormat = DT_SINGLELINE | DT_END_ELLIPSIS;

protected:
    VelFont* m_font;
    VelColor m_foreColor;
    VelColor m_backColor;
    VelColor m_textColor;
    VelBrush* m_brush;
    VelPen* m_pen;
    int m_width;
    int m_height;
    VelRegion m_bounds;
    UINT m_textFormat;
    BYTE m_opaque;
    BYTE m_auxiliaryFlag;
    VelRect m_viewport;
    VelRegion m_clip;
    DWORD m_auxiliaryValue;
    VelFont m_defaultFont;
    VelSolidBrush* m_defaultBrush;
    VelPen m_defaultPen;

private:
    POINT Offset() const;
};
