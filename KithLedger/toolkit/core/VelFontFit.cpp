#include "VelFontFit.h"

#include <cwctype>

namespace {

const wchar_t kEllipsis[] = L"\u2026";

int LineHeightOf(VelCanvas* canvas)
{
    const TEXTMETRICW metrics = canvas->GetTextMetrics(canvas->GetFont()).metrics;
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

VelPointSizeScope::VelPointSizeScope(VelCanvas* canvas, int points) : m_canvas(canvas), m_before(canvas->GetFont())
{
    if (points == m_before->GetPointSize())
        return;
    m_sized.reset(new VelFont(*m_before));
    m_sized->SetPointSize(points);
    m_canvas->SetFont(m_sized.get());
}

VelPointSizeScope::~VelPointSizeScope()
{
    if (m_sized)
        m_canvas->SetFont(m_before);
}

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
    const int own = canvas->GetFont()->GetPointSize();
    if (text.empty() || canvas->MeasureText(text).cx <= width)
        return VelFittedLine{text, own, true};
    const int floor = own < kLegibleFloorPoints ? own : kLegibleFloorPoints;
    for (int points = own - 1; points >= floor; --points) {
        VelPointSizeScope sized(canvas, points);
        if (canvas->MeasureText(text).cx <= width)
            return VelFittedLine{text, points, true};
    }
    // A number cut is a wrong number: whole, at the floor, even past the box.
    if (IsNumberText(text))
        return VelFittedLine{text, floor, false};
    const size_t countStart = CountStart(text);
    const std::wstring tail = countStart == std::wstring::npos ? std::wstring() : text.substr(countStart);
    const std::wstring head = countStart == std::wstring::npos ? text : text.substr(0, countStart);
    // One font at the floor for every shortening tried, not one a letter.
    VelPointSizeScope atFloor(canvas, floor);
    for (size_t keep = head.size(); keep-- > 0;) {
        const std::wstring shortened = head.substr(0, keep) + kEllipsis + tail;
        if (canvas->MeasureText(shortened).cx <= width)
            return VelFittedLine{shortened, floor, true};
    }
    // Not even one letter beside the count: the count alone, whole.
    const std::wstring count = tail.empty() ? std::wstring(kEllipsis) : tail.substr(tail.find(L'('));
    return VelFittedLine{count, floor, canvas->MeasureText(count).cx <= width};
}

bool FitTwoLines(VelCanvas* canvas, const std::wstring& text, int width, int height, VelWrappedLines* lines)
{
    const int own = canvas->GetFont()->GetPointSize();
    const int floor = own < kLegibleFloorPoints ? own : kLegibleFloorPoints;
    for (int points = own; points >= floor; --points) {
        VelPointSizeScope sized(canvas, points);
        const int lineHeight = LineHeightOf(canvas);
        if (2 * lineHeight > height)
            continue;
        // The latest break whose first line fits leaves the least for the second.
        for (size_t space = text.rfind(L' '); space != std::wstring::npos && space > 0;
             space = text.rfind(L' ', space - 1)) {
            const std::wstring first = text.substr(0, space);
            if (canvas->MeasureText(first).cx > width)
                continue;
            const size_t rest = text.find_first_not_of(L' ', space);
            if (rest == std::wstring::npos)
                continue;
            const std::wstring second = text.substr(rest);
            if (canvas->MeasureText(second).cx > width)
                break;
            *lines = VelWrappedLines{first, second, points, lineHeight};
            return true;
        }
    }
    return false;
}

void DrawFittedLine(VelCanvas* canvas, const std::wstring& text, const VelPoint& point, const SIZE& size)
{
    DrawFittedLine(canvas, FitLine(canvas, text, size.cx), point, size);
}

void DrawFittedLine(VelCanvas* canvas, const VelFittedLine& line, const VelPoint& point, const SIZE& size)
{
    const UINT format = canvas->GetTextFormat();
    // What must be read whole is not cut by the box either.
    if (!line.fits)
        canvas->SetTextFormat((format & ~(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) | DT_NOCLIP);
    {
        VelPointSizeScope sized(canvas, line.points);
        canvas->DrawText(line.text, point, size);
    }
    canvas->SetTextFormat(format);
}
