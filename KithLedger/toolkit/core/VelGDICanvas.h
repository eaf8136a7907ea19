#pragma once
#include "VelCanvas.h"
#include "VelUniqueHandle.h"

class VelRenderer;

// An off-screen memory DC with a back buffer of the canvas's size, presented
// to its window with one BitBlt.
class VelGDICanvas : public VelCanvas {
public:
    // The memory DC and the back buffer are modelled on the renderer's screen DC.
    VelGDICanvas(VelRenderer* renderer, HWND window, int width, int height);
    ~VelGDICanvas() override;

    int Present(int sourceX, int sourceY) override;
    void CopyToCanvas(VelCanvas* target, const POINT& targetPoint, const SIZE& size, const POINT& sourcePoint,
                      DWORD rop) override;
    void CopyToDC(HDC dc, const POINT& targetPoint, const SIZE& size, const POINT& sourcePoint, DWORD rop) override;
    void SelectClipRegion(const VelRegion& region) override;
    const VelRegion& GetSelectedClipRegion() const override;
    void SetBrush(VelBrush* brush) override;
    void SetPen(VelPen* pen) override;
    void SetFont(VelFont* font) override;
    void SetBackColor(const VelColor& color) override;
    void SetTextColor(const VelColor& color) override;
    void SetOpaque(bool opaque) override;
    void SaveState() override;
    void RestoreState() override;
    void DrawLine(const VelPoint& from, const VelPoint& to) override;
    void DrawTextInRect(const std::wstring& text, int length, const VelPoint& point, const SIZE& size) override;
    void DrawTextAt(const std::wstring& text, const VelPoint& point, int first, int count) override;
    void FrameRect(const RECT& rect) override;
    void FrameRoundRect(const RECT& rect, const SIZE& corner) override;
    void DrawRect(const RECT& rect) override;
    void FillRect(const RECT& rect) override;
    void DrawRoundRect(const RECT& rect, const SIZE& corner) override;
    void FillGradient(const RECT& rect, const VelGradient& gradient, int direction) override;
    void DrawBitmapPart(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size, const VelPoint& source,
                        DWORD rop) override;
    void DrawBitmap(const VelBitmap& bitmap, const VelPoint& point, DWORD rop) override;
    void StretchBitmap(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size, const VelPoint& source,
                       const SIZE& sourceSize, DWORD rop) override;
    void DrawTransparentBitmapPart(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size,
                                   const VelPoint& source, const VelColor& key) override;
    void DrawTransparentBitmap(const VelBitmap& bitmap, const VelPoint& point, const VelColor& key) override;
    void DitherRect(const RECT& rect) override;
    VelColor GetPixel(const VelPoint& point) const override;
    void SetPixel(const VelPoint& point) override;
    void FramePolygon(const std::vector<VelPoint>& points) override;
    void DrawPolygon(const std::vector<VelPoint>& points) override;
    VelTextMetrics GetTextMetrics(VelFont* font) override;
    SIZE MeasureText(const std::wstring& text) override;
    HDC GetDC() const override;
    std::wstring GetFontFace() const override;
    int GetDpiY() const override;
    int GetDpiX() const override;
    void Scroll(int dx, int dy, const RECT* rect, RECT* update) override;

    // 1: GradientFill; 0: one-pixel bands.
    void SetGradientMode(int mode) { m_gradientMode = mode; }
    int GetGradientMode() const { return m_gradientMode; }
    HWND GetWindow() const { return m_window; }
    // A cached canvas may be handed to another window.
    void SetWindow(HWND window) { m_window = window; }

private:
    void FillBands(const VelRect& rect, const VelGradient& gradient, bool vertical);
    void FillWithGradientFill(const VelRect& rect, const VelGradient& gradient, bool vertical);
    void FillSolid(const RECT& mapped, const VelColor& color);

    VelMemoryDC m_memoryDC;
    VelGdiObject<HBITMAP> m_backBuffer;
    HGDIOBJ m_previousBitmap;
    HGDIOBJ m_previousFont;
    int m_gradientMode;
    HWND m_window;
    VelRegion m_deviceClip;
    // Metrics of fonts measured without being current: selecting a font in and
    // out per row is what a layout of thousands of rows would spend its time on.
    // A handle names one font for its life and a handle made again differs;
    // the description is compared too, so a reused value cannot answer stale.
    struct MetricsEntry {
        HFONT font;
        LOGFONTW description;
        TEXTMETRICW metrics;
    };
    static constexpr int kMetricsCacheSize = 4;
    MetricsEntry m_metricsCache[kMetricsCacheSize];
    int m_metricsNext;
};
