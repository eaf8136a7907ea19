#pragma once
#include "VelItem.h"

class VelFont;

// An item that shows one text, drawn in its own DrawText format.
class VelStringItem : public VelItem {
public:
    VelStringItem(const std::wstring& text, const std::wstring& key, UINT format);

    // Text order: code unit by code unit, unsigned, no case folding or locale;
    // an item without a text is never below or above one.
    bool IsLessThan(const VelItem* other) const override;
    bool IsEqualTo(const VelItem* other) const override;
    bool IsGreaterThan(const VelItem* other) const override;
    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    void PaintState(VelCanvas* canvas, const RECT& rect) override;
    int Measure(VelCanvas* canvas) override;

    const std::wstring& GetText() const { return m_text; }
    // Raises DataChanged even when the text stays the same.
    void SetText(const std::wstring& text);
    UINT GetFormat() const { return m_format; }

protected:
    // The item's format on the canvas for one scope, so the next painter finds
    // the format it left.
    class FormatScope {
    public:
        FormatScope(VelCanvas* canvas, UINT format);
        ~FormatScope();
        FormatScope(const FormatScope&) = delete;
        FormatScope& operator=(const FormatScope&) = delete;

    private:
        VelCanvas* m_canvas;
        UINT m_previous;
    };

    // Height plus external leading of the font's lines on the canvas.
    static int LineHeight(VelCanvas* canvas, VelFont* font);

private:
    std::wstring m_text;
    UINT m_format;
};
