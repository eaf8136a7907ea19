#pragma once
#include "VelToolbarItem.h"

#include <string>

class VelBitmap;

// A toolbar label: a text and an optional image, not interactive by itself.
class VelToolbarStatic : public VelToolbarItem {
public:
    // `noSize` set: the item reports no size of its own. The image stays owned
    // by the caller.
    VelToolbarStatic(int id, const std::wstring& text, VelBitmap* image, bool noSize, UINT textFormat, const SIZE& size,
                     VelObject* parent, const std::string& name);

    virtual const std::wstring& GetText() const;
    // The size becomes the image's, or 0 x 0 without one.
    virtual void SetImage(VelBitmap* image);
    void SetText(const std::wstring& text);

    void GetSize(SIZE& size) const override;
    void SetSize(const SIZE& size) override;
    void Paint(VelCanvas* canvas, const RECT& rect) override;

private:
    std::wstring m_text;
    BYTE m_noSize;
    UINT m_textFormat;
    SIZE m_size;
    VelBitmap* m_image;
};
