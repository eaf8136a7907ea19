#pragma once
#include "VelGroupItem.h"
#include "VelStringItem.h"

// A text row of the call and message detail views: the medium font inside
// margins of 24 and 8 pixels, one line with an ellipsis unless told otherwise.
class VelDetailItem : public VelStringItem {
public:
    // A negative height is measured from the font at first use.
    VelDetailItem(const std::wstring& text, int height);
    ~VelDetailItem() override;

    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    void PaintOverlay(VelCanvas* canvas, const RECT& rect) override;
    void PaintState(VelCanvas* canvas, const RECT& rect) override;
    int Measure(VelCanvas* canvas) override;

    // DrawText flags of the text.
    void SetSecondFormat(UINT format) { m_secondFormat = format; }
    UINT GetSecondFormat() const { return m_secondFormat; }
    int GetHeight() const { return m_height; }
    void SetHeight(int height) { m_height = height; }

    static const UINT kDefaultSecondFormat = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER;

private:
    UINT m_secondFormat;
    int m_height;
};

// Rows of the call and message lists, newest first; a row without a date
// after every dated one.
bool CompareItemsByDate(const VelGroupItem::ItemPtr& first, const VelGroupItem::ItemPtr& second);
