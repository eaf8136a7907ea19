#include "VelFontFit.h"

#include <cwctype>

namespace {

const wchar_t kEllipsis[] = L"\u2026";

int WidthAt(VelCanvas* canvas, const VelFont& font, int points, const std::wstring& text)
{
    VelFont* current = canvas->GetFont();
    if (points == font.GetPointSize())
        return canvas->MeasureText(text).cx;
    VelFont smaller(font);
    smaller.SetPointSize(points);
    canvas->SetFont(&smaller);
    const int width = canvas->MeasureText(text).cx;
    canvas->SetFont(current);
    return width;
}

int LineHeightAt(VelCanvas* canvas, const VelFont& font, int points)
{
    VelFont sized(font);
    sized.SetPointSize(points);
    const TEXTMETRICW metrics = canvas->GetTextMetrics(&sized).metrics;
    return metrics.tmHeight + metrics.tmExternalLeading;
}

// Where a trailing "(digits)" starts, with the spaces before it; npos when the
// text has none.
size_t CountStart(const std::wstring& text)
{
    if (text.size() < 3 || text.back() != L')')
        return std::wstring::npos;
    const size_t open = text.rfind(L'(');
    if (open == std::wstring::npos || open + 2 > text.size() - 1)
        return std::wstring::npos;
    for (size_t i = open + 1; i + 1 < text.size(); ++i)
        if (!std::iswdigit(text[i]))
            return std::wstring::npos;
    size_t start = open;
    while (start > 0 && text[start - 1] == L' ')
        --start;
    return start;
}

}  // namespace

bool IsNumberText(const std::wstring& text)
{
    bool digit = false;
    for (wchar_t c : text) {
        if (std::iswdigit(c))
            digit = true;
        else if (c != L'+' && c != L' ' && c != L'-' && c != L'(' && c != L')' && c != L'.' && c != L'#' && c != L'*')
            return false;
    }
    return digit;
}

VelFittedLine FitLine(VelCanvas* canvas, const std::wstring& text, int width)
{
    const VelFont& font = *canvas->GetFont();
    const int own = font.GetPointSize();
    if (text.empty() || WidthAt(canvas, font, own, text) <= width)
        return VelFittedLine{text, own, true};
    const int floor = own < kLegibleFloorPoints ? own : kLegibleFloorPoints;
    for (int points = own - 1; points >= floor; --points)
        if (WidthAt(canvas, font, points, text) <= width)
            return VelFittedLine{text, points, true};
    // A number cut is a wrong number: whole, at the floor, even past the box.
    if (IsNumberText(text))
        return VelFittedLine{text, floor, false};
    const size_t countStart = CountStart(text);
    const std::wstring tail = countStart == std::wstring::npos ? std::wstring() : text.substr(countStart);
    const std::wstring head = countStart == std::wstring::npos ? text : text.substr(0, countStart);
    // One font at the floor for every shortening tried, not one a letter.
    VelFont* current = canvas->GetFont();
    VelFont atFloor(font);
    atFloor.SetPointSize(floor);
    canvas->SetFont(&atFloor);
    VelFittedLine fitted{std::wstring(), floor, false};
    for (size_t keep = head.size(); keep-- > 0 && !fitted.fits;) {
        const std::wstring shortened = head.substr(0, keep) + kEllipsis + tail;
        if (canvas->MeasureText(shortened).cx <= width)
            fitted = VelFittedLine{shortened, floor, true};
    }
    if (!fitted.fits) {
        // Not even one letter beside the count: the count alone, whole.
        fitted.text = tail.empty() ? std::wstring(kEllipsis) : tail.substr(tail.find(L'('));
        fitted.fits = canvas->MeasureText(fitted.text).cx <= width;
    }
    canvas->SetFont(current);
    return fitted;
}

bool FitTwoLines(VelCanvas* canvas, const std::wstring& text, int width, int height, VelWrappedLines* lines)
{
    const VelFont& font = *canvas->GetFont();
    const int own = font.GetPointSize();
    const int floor = own < kLegibleFloorPoints ? own : kLegibleFloorPoints;
    for (int points = own; points >= floor; --points) {
        const int lineHeight = LineHeightAt(canvas, font, points);
        if (2 * lineHeight > height)
            continue;
        // The latest break whose first line fits leaves the least for the second.
        for (size_t space = text.rfind(L' '); space != std::wstring::npos && space > 0;
             space = text.rfind(L' ', space - 1)) {
            const std::wstring first = text.substr(0, space);
            if (WidthAt(canvas, font, points, first) > width)
                continue;
            const size_t rest = text.find_first_not_of(L' ', space);
            if (rest == std::wstring::npos)
                continue;
            const std::wstring second = text.substr(rest);
            if (WidthAt(canvas, font, points, second) > width)
                break;
            *lines = VelWrappedLines{first, second, points, lineHeight};
            return true;
        }
    }
    return false;
}

void DrawFittedLine(VelCanvas* canvas, const std::wstring& text, const VelPoint& point, const SIZE& size)
{
    const VelFittedLine line = FitLine(canvas, text, size.cx);
    VelFont* current = canvas->GetFont();
    const UINT format = canvas->GetTextFormat();
    // What must be read whole is not cut by the box either.
    if (!line.fits)
        canvas->SetTextFormat((format & ~(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) | DT_NOCLIP);
    if (line.points == current->GetPointSize()) {
        canvas->DrawText(line.text, point, size);
    } else {
        VelFont smaller(*current);
        smaller.SetPointSize(line.points);
        canvas->SetFont(&smaller);
        canvas->DrawText(line.text, point, size);
        canvas->SetFont(current);
    }
    canvas->SetTextFormat(format);
}
