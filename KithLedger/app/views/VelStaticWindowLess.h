#pragma once
#include "VelBaseWindowLess.h"

#include <string>

class VelBitmap;

// A text, a picture or both, drawn centred in the own rectangle.
class VelStaticWindowLess : public VelBaseWindowLess {
public:
    // The image is not owned and may be null; with one, the own rectangle
    // takes its size at the host's origin.
    VelStaticWindowLess(VelControl* host, int id, const std::wstring& text, VelBitmap* image,
                        VelObject* parent = nullptr, const std::string& name = std::string());
    ~VelStaticWindowLess() override;

    const wchar_t* GetClassName() const override;
    const std::wstring& GetText() const override;
    void SetText(std::wstring text) override;
    void Paint(VelCanvas* canvas, const RECT& rect) override;

    // Not owned; may be null. The own rectangle stays as it is.
    virtual void SetImage(VelBitmap* image);
    virtual VelBitmap* GetImage() const;

    static const UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS;
    // Kept clear on the left and on the right of the text.
    static const int kTextInsetPixels = 4;

private:
    std::wstring m_text;
    VelBitmap* m_image;
};
