#include "VelSmsTextItem.h"

#include "VelCanvas.h"
#include "VelFont.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"

namespace {

const int kMeasureStartHeight = 10;

}  // namespace

VelSmsTextItem::VelSmsTextItem(const std::wstring& text, int width) : VelDetailItem(text, -1), m_width(width)
{
    SetSecondFormat(DT_WORDBREAK);
}

VelSmsTextItem::~VelSmsTextItem() {}

int VelSmsTextItem::Measure(VelCanvas* canvas)
{
    if (GetHeight() < 0) {
        const RECT margins = GetMargins();
        RECT bounds = {0, 0, m_width - margins.left - margins.right, kMeasureStartHeight};
        canvas->SaveState();
        canvas->SetFont(GetCurrentTheme()->GetMediumFont());
        ::DrawTextW(canvas->GetDC(), GetText().c_str(), static_cast<int>(GetText().size()), &bounds,
                    GetSecondFormat() | DT_CALCRECT);
        canvas->RestoreState();
        SetHeight(bounds.bottom + margins.top + margins.bottom);
    }
    return GetHeight();
}
