#pragma once
#include "VelControl.h"

#include <string>

class VelBitmap;

// A label: a text and an optional image placed by alignment flags.
class VelStaticText : public VelControl {
public:
    // Image alignment flags; bottom wins over vertical centre, right over
    // horizontal centre, and neither means top or left.
    enum : DWORD {
        kAlignBottom = 1,
        kAlignVerticalCentre = 2,
        kAlignHorizontalCentre = 8,
        kAlignRight = 32,
        kAlignCentre = kAlignVerticalCentre | kAlignHorizontalCentre,
    };
    static constexpr UINT kDefaultFormat = DT_END_ELLIPSIS | DT_SINGLELINE;

    // The image is not owned and may be null.
    VelStaticText(const std::wstring& text, VelBitmap* image, VelObject* parent = nullptr,
                  const std::string& name = std::string());
    // `format`: DrawText flags.
    VelStaticText(const std::wstring& text, UINT format, VelBitmap* image, VelObject* parent = nullptr,
                  const std::string& name = std::string());
    explicit VelStaticText(VelObject* parent = nullptr, const std::string& name = std::string());
    ~VelStaticText() override;

    const wchar_t* GetClassName() const override;
    void HookEvents() override;
    void Create(VelAbstractControl* parent, DWORD style, const RECT& bounds) override;
    const std::wstring& GetText() const override;
    void SetText(std::wstring text) override;

    // On, with an image, the control takes the image's size (its top-left stays).
    virtual void SetAutoSize(bool autoSize);
    virtual bool GetAutoSize() const;
    // The theme's flat background, never the control's background object.
    virtual void PaintBackground(VelCanvas* canvas, const RECT& rect);
    virtual void PaintContent(VelCanvas* canvas, const RECT& rect);
    virtual void PaintOverlay(VelCanvas* canvas, const RECT& rect);
    virtual void PaintLast(VelCanvas* canvas, const RECT& rect);

    void SetImageAlign(DWORD flags);
    // Not owned; may be null. The bounds stay as they are.
    void SetImage(VelBitmap* image);
    VelBitmap* GetImage() const { return m_image; }

private:
    void OnPaintRequested(VelObject* sender, const VelPaintEventArgs* args);
    void InvalidateWhole();

    std::wstring m_text;
    VelBitmap* m_image;
    UINT m_format;
    DWORD m_imageAlign;
    BYTE m_autoSize;
};
