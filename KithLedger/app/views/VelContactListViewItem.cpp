#include "VelContactListViewItem.h"

#include "VelBitmap.h"
#include "VelCanvas.h"
#include "VelContactItem.h"
#include "VelFittedText.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"

#include <algorithm>

namespace {

const int kTextLeft = 8;
const int kPictureRight = 8;
const int kPictureGap = 24 - kPictureRight;

int LineHeight(const VelTextMetrics& metrics) { return metrics.metrics.tmHeight + metrics.metrics.tmExternalLeading; }

struct RowMetrics {
    int medium;
    int tiny;
    int height;
};

// Read afresh each time: the screen, the theme and its fonts may change while
// the program runs.
RowMetrics MeasureRow(VelCanvas* canvas)
{
    VelKlTheme* theme = GetCurrentTheme();
    RowMetrics row;
    row.medium = LineHeight(canvas->GetTextMetrics(theme->GetMediumFont()));
    row.tiny = LineHeight(canvas->GetTextMetrics(theme->GetTinyFont()));
    row.height = 2 * VelKlTheme::GetMetrics().GetRowLineMargin() + row.medium + row.tiny - 1;
    return row;
}

// One line of the row, with the matched run in the bold font when `matched`.
void DrawLine(VelCanvas* canvas, const std::wstring& text, const VelPoint& at, const SIZE& size, VelFont* font,
              VelFont* boldFont, const VelColor& color, bool matched, int start, int length)
{
    if (matched) {
        VelColor runColor;
        GetCurrentTheme()->GetMatchedTextColor(color, runColor);
        DrawFittedText(canvas, text, at, size, font, boldFont, color, runColor, start, length);
        return;
    }
    canvas->SetFont(font);
    canvas->SetTextColor(color);
    canvas->DrawTextAtWhole(text, at);
}

}  // namespace

VelContactListViewItem::VelContactListViewItem(VelContactItem* contact)
    : VelItem(std::wstring(), 0, true), m_matchKind(kMatchNone), m_matchStart(0), m_matchLength(0), m_contact(contact)
{
}

VelContactListViewItem::~VelContactListViewItem() = default;

const wchar_t* VelContactListViewItem::GetClassName() const { return L"VelContactListViewItem"; }

void VelContactListViewItem::SetMatch(int kind, int start, int length)
{
    m_matchKind = BYTE(kind);
    m_matchStart = start;
    m_matchLength = length;
}

int VelContactListViewItem::GetRowHeight(VelCanvas* canvas) { return MeasureRow(canvas).height; }

int VelContactListViewItem::Measure(VelCanvas* canvas) { return GetRowHeight(canvas); }

void VelContactListViewItem::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    VelKlTheme* theme = GetCurrentTheme();
    if (IsPressed())
        theme->DrawPressedItemBackground(canvas, rect);
    else if (IsSelected())
        theme->DrawSelectedItemBackground(canvas, rect);
    else
        theme->DrawItemBackground(canvas, rect);
}

void VelContactListViewItem::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (!m_contact)
        return;
    VelKlTheme* theme = GetCurrentTheme();
    const VelKlThemeMetrics& metrics = VelKlTheme::GetMetrics();
    const int column = metrics.GetPictureColumnWidth();
    const RowMetrics row = MeasureRow(canvas);
    const std::wstring& name = m_contact->GetDisplayNameText();
    const std::wstring& number = m_contact->GetPrimaryNumberText();

    canvas->SetOpaque(false);
    canvas->SetTextFormat(DT_END_ELLIPSIS);
    VelColor nameColor;
    if (m_contact->GetFavorite())
        theme->GetFavoriteNameColor(nameColor);
    else
        theme->GetItemTextColor(nameColor);
    const int width = (rect.right - rect.left) - column - kPictureRight - kPictureGap;
    const int x = rect.left + kTextLeft;

    // A contact known only by its number shows it once.
    if (name.empty() || number.empty() || name == number) {
        const std::wstring& text = name.empty() ? number : name;
        const VelPoint at(x, rect.top + ((row.height - row.medium) >> 1));
        const bool match = m_matchKind == kMatchName || (text == number && m_matchKind == kMatchNumber);
        DrawLine(canvas, text, at, SIZE{width, row.medium}, theme->GetMediumFont(), theme->GetMediumBoldFont(),
                 nameColor, match, m_matchStart, m_matchLength);
    } else {
        const int nameTop = rect.top + metrics.GetRowLineMargin();
        DrawLine(canvas, name, VelPoint(x, nameTop), SIZE{width, row.medium}, theme->GetMediumFont(),
                 theme->GetMediumBoldFont(), nameColor, m_matchKind == kMatchName, m_matchStart, m_matchLength);
        VelColor dim;
        theme->GetDimTextColor(dim);
        DrawLine(canvas, number, VelPoint(x, nameTop + row.medium), SIZE{width, row.tiny}, theme->GetTinyFont(),
                 theme->GetTinyBoldFont(), dim, m_matchKind == kMatchNumber, m_matchStart, m_matchLength);
    }

    if (IImage* thumbnail = m_contact->GetThumbnail()) {
        const VelBitmap picture(thumbnail);
        // Thumbnails are made as high as the column is wide, which can be more
        // than a row: keep to the row, centred, and leave the neighbours alone.
        const int height = std::min(picture.GetHeight(), row.height);
        const VelPoint at(rect.right - kPictureRight - column + (column - picture.GetWidth()) / 2,
                          rect.top + (row.height - height) / 2);
        canvas->DrawBitmapPart(picture, at, SIZE{picture.GetWidth(), height},
                               VelPoint(0, (picture.GetHeight() - height) / 2), SRCCOPY);
    }
}

void VelContactListViewItem::PaintOverlay(VelCanvas*, const RECT&) {}

void VelContactListViewItem::PaintState(VelCanvas*, const RECT&) {}

std::wstring VelContactListViewItem::Dump() const
{
    std::wstring line =
        L"\t Item id " + GetKey() + L" Object id " + std::to_wstring(GetId()) + L" class name " + GetClassName();
    if (m_contact)
        line += L" " + m_contact->GetDisplayNameText() + L" " + m_contact->GetPrimaryNumberText();
    return line + L"\n";
}
