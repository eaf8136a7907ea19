#include "VelDatedItem.h"

#include "VelCanvas.h"
#include "VelDateTime.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"

namespace {

// The widest label the time column has to hold.
const wchar_t kTimeSample[] = L"May  28";

}  // namespace

VelDatedItem::VelDatedItem(const std::wstring& key, DWORD state, bool cellItem) : VelItem(key, state, cellItem) {}

VelDatedItem::~VelDatedItem() {}

void VelDatedItem::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    VelKlTheme* theme = GetCurrentTheme();
    if (IsPressed() || IsSelected())
        theme->DrawSelectedItemBackground(canvas, rect);
    else
        theme->DrawItemBackground(canvas, rect);
}

std::wstring VelDatedItem::TimeLabel(const VelDateTime& date)
{
    return FormatDateTime(date, date.IsInCurrentWeek() ? L"%H:%M" : L"%e-%b");
}

int VelDatedItem::LineHeight(VelCanvas* canvas, VelFont* font)
{
    const VelTextMetrics metrics = canvas->GetTextMetrics(font);
    return metrics.metrics.tmHeight + metrics.metrics.tmExternalLeading;
}

SIZE VelDatedItem::TimeColumn(VelCanvas* canvas, VelFont* font)
{
    canvas->SaveState();
    canvas->SetFont(font);
    const SIZE size = canvas->MeasureText(kTimeSample);
    canvas->RestoreState();
    return size;
}
