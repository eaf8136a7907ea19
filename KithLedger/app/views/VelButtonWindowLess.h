#pragma once
#include "VelButton.h"

#include <cstdint>
#include <string>

class VelFont;
class VelRect;

// A faceless button: its image (the pressed one while pressed), a caption and
// an optional second line below it. The pressed image travels in the
// button's second data word.
class VelButtonWindowLess : public VelButton {
public:
    // As VelButton's; `data2` is the pressed image (see ImageData), or 0.
    VelButtonWindowLess(int buttonId, const std::wstring& caption, VelBitmap* image, DWORD_PTR data2, DWORD_PTR data3,
                        DWORD_PTR data, VelObject* parent = nullptr, const std::string& name = std::string());
    ~VelButtonWindowLess() override;

    const wchar_t* GetClassName() const override;
    void PaintFace(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;

    virtual void SetSubText(const std::wstring& text);
    virtual const std::wstring& GetSubText() const;
    // Not owned; null draws the second line in the caption's font.
    virtual void SetSubTextFont(VelFont* font);
    virtual VelFont* GetSubTextFont() const;
    // DrawText flags of the caption and the second line.
    virtual void SetTextFormat(UINT format);
    virtual UINT GetTextFormat() const;

    VelBitmap* GetPressedImage() const;
    // An image as a data word of the button.
    static DWORD_PTR ImageData(VelBitmap* image) { return reinterpret_cast<DWORD_PTR>(image); }

    static const UINT kDefaultTextFormat = DT_SINGLELINE | DT_END_ELLIPSIS;
    // Text beside the icon: caption and second line start this far right of the
    // left edge and keep kTextIndentPixels - kTextStartPixels clear on the right.
    static const int kTextStartPixels = 36;
    static const int kTextIndentPixels = 44;
    static const int kCaptionTopPixels = 8;
    static const int kSubTextGapPixels = 12;
    // A caption alone, centred: inset on both sides.
    static const int kCentredInsetPixels = 4;
    // A caption on two lines above the second line keeps this clear of the
    // face's top and bottom edges.
    static const int kWrappedInsetPixels = 2;

private:
    void InvalidateWhole();
    // The caption broken onto two lines above the second line, where the
    // face has the height for the three; false, drawing nothing, where not.
    bool PaintWrapped(VelCanvas* canvas, const VelRect& area, VelFont* font, VelFont* subFont);

    std::wstring m_subText;
    UINT m_textFormat;
    VelFont* m_subTextFont;
};
