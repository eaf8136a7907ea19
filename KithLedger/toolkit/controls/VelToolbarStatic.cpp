#include "VelToolbarStatic.h"

#include "VelBitmap.h"
#include "VelCanvas.h"
#include "VelCanvasTextState.h"
#include "VelTheme.h"

VelToolbarStatic::VelToolbarStatic(int id, const std::wstring& text, VelBitmap* image, bool noSize, UINT textFormat,
                                   const SIZE& size, VelObject* parent, const std::string& name)
    : VelToolbarItem(id, parent, name), m_text(text), m_noSize(noSize ? 1 : 0), m_textFormat(textFormat), m_size(size),
      m_image(image)
{
}

const std::wstring& VelToolbarStatic::GetText() const { return m_text; }

void VelToolbarStatic::SetImage(VelBitmap* image)
{
    m_image = image;
    m_size = image ? image->GetSize() : SIZE{0, 0};
    RaiseChanged();
}

void VelToolbarStatic::SetText(const std::wstring& text)
{
    m_text = text;
    RaiseChanged();
}

void VelToolbarStatic::GetSize(SIZE& size) const
{
    if (!m_noSize)
        size = m_size;
}

void VelToolbarStatic::SetSize(const SIZE& size) { m_size = size; }

void VelToolbarStatic::Paint(VelCanvas* canvas, const RECT& rect)
{
    VelCanvasTextState state(canvas);
    canvas->SaveState();
    VelRect area(rect);
    if (m_image) {
        const int imageWidth = m_image->GetWidth();
        const int imageHeight = m_image->GetHeight();
        if (area.GetWidth() > imageWidth) {
            area.left += (area.GetWidth() - imageWidth) / 2;
            area.right = area.left + imageWidth;
        }
        if (area.GetHeight() >= imageHeight && area.GetWidth() >= imageWidth)
            canvas->DrawBitmap(*m_image, VelPoint(area.left, area.top), SRCCOPY);
        else
            canvas->StretchBitmap(*m_image, VelPoint(area.left, area.top), area.GetSize(), VelPoint(0, 0),
                                  m_image->GetSize(), SRCCOPY);
    }
    if (!m_text.empty() && CurrentTheme) {
        canvas->SetTextFormat(m_textFormat);
        canvas->SetOpaque(false);
        CurrentTheme->DrawToolbarText(canvas, VelPoint(area.left, area.top), m_text, area.GetSize());
    }
    canvas->RestoreState();
}
