#pragma once
#include "VelFont.h"
#include "VelToolbarItem.h"

#include <string>

class VelBitmap;

// A toolbar entry with a text band and up to three images.
class VelToolbarButton : public VelToolbarItem {
public:
    enum : DWORD {
        kStyleTextBelow = 0x02,
        kStyleTextAbove = 0x04,
        kStyleImage = 0x08,
        kStyleToggle = 0x10,
    };

    // The images stay owned by the caller and must outlive the button.
    VelToolbarButton(int id, const std::wstring& text, VelBitmap* image, VelBitmap* selectedImage,
                     VelBitmap* highlightedImage, DWORD style, VelObject* parent, const std::string& name);

    const wchar_t* GetClassName() const override;

    virtual void SetStyle(DWORD style);
    virtual DWORD GetStyle() const;
    virtual void SetText(const std::wstring& text);
    virtual const std::wstring& GetText() const;
    // Throws VelWinException "VelFont ctor" when the font cannot be made.
    virtual void SetBold(bool bold);
    virtual void SetImage(VelBitmap* image);
    virtual VelBitmap* GetImage() const;
    virtual void SetHighlightedImage(VelBitmap* image);
    virtual VelBitmap* GetHighlightedImage() const;
    virtual void SetSelectedImage(VelBitmap* image);
    virtual VelBitmap* GetSelectedImage() const;

    void GetSize(SIZE& size) const override;
    void SetSize(const SIZE& size) override;
    void Paint(VelCanvas* canvas, const RECT& rect) override;
    // A toggle flips its selected flag before Click is raised.
    void RaiseClick() override;

private:
    void SetImageField(VelBitmap*& field, VelBitmap* image);
    const VelBitmap* ChooseImage() const;

    DWORD m_style;
    std::wstring m_text;
    VelFont m_font;
    VelBitmap* m_image;
    VelBitmap* m_selectedImage;
    VelBitmap* m_highlightedImage;
    SIZE m_size;
};
