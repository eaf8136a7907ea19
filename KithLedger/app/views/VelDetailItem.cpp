#include "VelDetailItem.h"

#include "VelCanvas.h"
#include "VelDateTime.h"
#include "VelDatedItem.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"

#include <cstdlib>

namespace {

const UINT kItemFormat = 32800;
const RECT kMargins = {24, 8, 24, 8};

}  // namespace

VelDetailItem::VelDetailItem(const std::wstring& text, int height)
    : VelStringItem(text, std::wstring(), kItemFormat), m_secondFormat(kDefaultSecondFormat), m_height(height)
{
    SetMargins(kMargins);
}

VelDetailItem::~VelDetailItem() {}

void VelDetailItem::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    VelKlTheme* theme = GetCurrentTheme();
    if (IsPressed())
        theme->DrawSelectedItemBackground(canvas, rect);
    else
        theme->DrawItemBackground(canvas, rect);
}

void VelDetailItem::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (GetText().empty())
        return;
    VelKlTheme* theme = GetCurrentTheme();
    const RECT margins = GetMargins();
    // Before its first measure the row is as high as its cell.
    const int height = m_height >= 0 ? m_height : std::abs(rect.bottom - rect.top);
    VelColor colour;
    canvas->SaveState();
    canvas->SetOpaque(false);
    canvas->SetFont(theme->GetMediumFont());
    canvas->SetTextColor(theme->GetItemTextColor(colour));
    canvas->SetTextFormat(m_secondFormat);
    canvas->DrawText(
        GetText(), VelPoint(rect.left + margins.left, rect.top + margins.top),
        SIZE{std::abs(rect.right - rect.left) - margins.right - margins.left, height - margins.bottom - margins.top});
    canvas->RestoreState();
}

void VelDetailItem::PaintOverlay(VelCanvas*, const RECT&) {}

void VelDetailItem::PaintState(VelCanvas*, const RECT&) {}

int VelDetailItem::Measure(VelCanvas* canvas)
{
    if (m_height < 0) {
        const RECT margins = GetMargins();
        const TEXTMETRICW metrics = canvas->GetTextMetrics(GetCurrentTheme()->GetMediumFont()).metrics;
        m_height = margins.top + margins.bottom + metrics.tmHeight + metrics.tmExternalLeading - 1;
    }
    return m_height;
}

bool CompareItemsByDate(const VelGroupItem::ItemPtr& first, const VelGroupItem::ItemPtr& second)
{
    const VelDatedItem* a = dynamic_cast<const VelDatedItem*>(first.get());
    const VelDatedItem* b = dynamic_cast<const VelDatedItem*>(second.get());
    const VelDateTime* da = a ? a->GetDate() : nullptr;
    const VelDateTime* db = b ? b->GetDate() : nullptr;
    if (!da || !db)
        return da && !db;
    return db->IsEarlier(*da);
}
