#include "VelStringItem.h"

#include "VelTheme.h"

#include <algorithm>

VelStringItem::VelStringItem(const std::wstring& text, const std::wstring& key, UINT format)
    : VelItem(key, 0, true), m_text(text), m_format(format)
{
}

bool VelStringItem::IsLessThan(const VelItem* other) const { return other->IsGreaterThan(this); }

bool VelStringItem::IsEqualTo(const VelItem*) const { return false; }

bool VelStringItem::IsGreaterThan(const VelItem* other) const
{
    // Entries of other kinds (a menu entry has no text) compare as unordered.
    const VelStringItem* string = dynamic_cast<const VelStringItem*>(other);
    if (!string)
        return false;
    const std::wstring& mine = m_text;
    const std::wstring& theirs = string->m_text;
    return std::lexicographical_compare(
        theirs.begin(), theirs.end(), mine.begin(), mine.end(),
        [](wchar_t a, wchar_t b) { return static_cast<unsigned short>(a) < static_cast<unsigned short>(b); });
}

void VelStringItem::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    if (!CurrentTheme)
        return;
    if (!IsSelected() && !IsPressed()) {
        CurrentTheme->DrawItemBackground(canvas, rect);
        return;
    }
    if (IsPressed())
        CurrentTheme->DrawPressedItemBackground(canvas, rect);
    if (IsSelected())
        CurrentTheme->DrawSelectedItemBackground(canvas, rect);
}

void VelStringItem::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (!CurrentTheme)
        return;
    FormatScope format(canvas, m_format);
    const VelPoint point(rect.left, rect.top);
    const SIZE measure = {VelCanvas::kMeasure, VelCanvas::kMeasure};
    if (!IsSelected() && !IsPressed()) {
        CurrentTheme->DrawItemText(canvas, point, m_text);
        return;
    }
    if (IsPressed())
        CurrentTheme->DrawPressedItemText(canvas, point, m_text, measure);
    if (IsSelected())
        CurrentTheme->DrawSelectedItemText(canvas, point, m_text, measure);
}

void VelStringItem::PaintState(VelCanvas* canvas, const RECT& rect)
{
    if (CurrentTheme && IsDisabled())
        CurrentTheme->DrawDisabledOverlay(canvas, rect);
}

int VelStringItem::Measure(VelCanvas* canvas)
{
    return CurrentTheme ? LineHeight(canvas, CurrentTheme->GetItemFont()) : 0;
}

void VelStringItem::SetText(const std::wstring& text)
{
    m_text = text;
    VelItemDataChangeEventArgs args(this);
    DataChanged.Invoke(this, &args);
}

VelStringItem::FormatScope::FormatScope(VelCanvas* canvas, UINT format)
    : m_canvas(canvas), m_previous(canvas->GetTextFormat())
{
    canvas->SetTextFormat(format);
}

VelStringItem::FormatScope::~FormatScope() { m_canvas->SetTextFormat(m_previous); }

int VelStringItem::LineHeight(VelCanvas* canvas, VelFont* font)
{
    const VelTextMetrics metrics = canvas->GetTextMetrics(font);
    return metrics.metrics.tmHeight + metrics.metrics.tmExternalLeading;
}
