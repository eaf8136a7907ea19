#include "VelButtonWindowLess.h"

#include "VelBitmap.h"
#include "VelCanvas.h"
#include "VelCanvasTextState.h"
#include "VelFontFit.h"
#include "VelTheme.h"

static_assert(sizeof(VelBitmap*) <= sizeof(DWORD_PTR), "an image pointer travels in a data word");

VelButtonWindowLess::VelButtonWindowLess(int buttonId, const std::wstring& caption, VelBitmap* image, DWORD_PTR data2,
                                         DWORD_PTR data3, DWORD_PTR data, VelObject* parent, const std::string& name)
    : VelButton(buttonId, caption, image, data2, data3, data, parent, name), m_textFormat(kDefaultTextFormat),
      m_subTextFont(nullptr)
{
}

VelButtonWindowLess::~VelButtonWindowLess() = default;

const wchar_t* VelButtonWindowLess::GetClassName() const { return L"VelButtonWindowLess"; }

void VelButtonWindowLess::InvalidateWhole() { InvalidateRect(GetClientRect()); }

void VelButtonWindowLess::SetSubText(const std::wstring& text)
{
    m_subText = text;
    InvalidateWhole();
}

const std::wstring& VelButtonWindowLess::GetSubText() const { return m_subText; }

void VelButtonWindowLess::SetSubTextFont(VelFont* font)
{
    m_subTextFont = font;
    InvalidateWhole();
}

VelFont* VelButtonWindowLess::GetSubTextFont() const { return m_subTextFont; }

void VelButtonWindowLess::SetTextFormat(UINT format)
{
    m_textFormat = format;
    InvalidateWhole();
}

UINT VelButtonWindowLess::GetTextFormat() const { return m_textFormat; }

VelBitmap* VelButtonWindowLess::GetPressedImage() const
{
    return reinterpret_cast<VelBitmap*>(std::uintptr_t(GetData2()));
}

// The images are the whole look.
void VelButtonWindowLess::PaintFace(VelCanvas*, const RECT&) {}

namespace {

int LineHeight(VelCanvas* canvas, VelFont* font)
{
    const TEXTMETRICW metrics = canvas->GetTextMetrics(font).metrics;
    return metrics.tmHeight + metrics.tmExternalLeading;
}

}  // namespace

void VelButtonWindowLess::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    const VelRect area(rect);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    VelBitmap* image = GetState() == kStatePressed ? GetPressedImage() : GetImage();
    if (image)
        canvas->DrawBitmap(*image, VelPoint(area.left, area.top), SRCCOPY);
    const std::wstring& caption = GetText();
    if (caption.empty())
        return;

    VelCanvasTextState state(canvas);
    VelFont* font = GetFont() ? GetFont() : CurrentTheme->GetTextFont();
    canvas->SetFont(font);
    canvas->SetOpaque(false);
    canvas->SetTextColor(GetColor());
    canvas->SetTextFormat(m_textFormat);
    const int lineHeight = LineHeight(canvas, font);
    const bool twoLines = !m_subText.empty();
    VelFont* subFont = m_subTextFont ? m_subTextFont : font;
    const VelPoint captionAt(area.left + kTextStartPixels, area.top + kCaptionTopPixels);
    const SIZE captionSize{width - kTextIndentPixels, lineHeight};
    if (twoLines) {
        const VelFittedLine line = FitLine(canvas, caption, captionSize.cx);
        // Two lines only for a caption that even the smallest size would cut.
        if (line.text != caption && PaintWrapped(canvas, area, font, subFont))
            return;
        DrawFittedLine(canvas, line, captionAt, captionSize);
    } else if (!(m_textFormat & DT_VCENTER))
        DrawFittedLine(canvas, caption, captionAt, captionSize);
    else
        DrawFittedLine(canvas, caption, VelPoint(area.left + kCentredInsetPixels, area.top),
                       SIZE{width - 2 * kCentredInsetPixels, height});
    if (!twoLines)
        return;

    canvas->SetFont(subFont);
    const int subHeight = LineHeight(canvas, subFont);
    // Placed from its own line height, not from the caption's.
    DrawFittedLine(canvas, m_subText, VelPoint(area.left + kTextStartPixels, area.top + kSubTextGapPixels + subHeight),
                   SIZE{width - kTextIndentPixels, subHeight});
}

bool VelButtonWindowLess::PaintWrapped(VelCanvas* canvas, const VelRect& area, VelFont* font, VelFont* subFont)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int subHeight = LineHeight(canvas, subFont);
    VelWrappedLines lines;
    if (!FitTwoLines(canvas, GetText(), width - kTextIndentPixels, height - 2 * kWrappedInsetPixels - subHeight,
                     &lines))
        return false;
    // The three lines as one block in the middle of the face.
    const int top = area.top + (height - 2 * lines.lineHeight - subHeight) / 2;
    const SIZE lineSize{width - kTextIndentPixels, lines.lineHeight};
    {
        VelPointSizeScope sized(canvas, lines.points);
        canvas->DrawText(lines.first, VelPoint(area.left + kTextStartPixels, top), lineSize);
        canvas->DrawText(lines.second, VelPoint(area.left + kTextStartPixels, top + lines.lineHeight), lineSize);
    }
    canvas->SetFont(subFont);
    DrawFittedLine(canvas, m_subText, VelPoint(area.left + kTextStartPixels, top + 2 * lines.lineHeight),
                   SIZE{width - kTextIndentPixels, subHeight});
    canvas->SetFont(font);
    return true;
}
