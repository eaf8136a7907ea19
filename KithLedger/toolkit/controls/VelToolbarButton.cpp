#include "VelToolbarButton.h"

#include "VelCanvas.h"
#include "VelCanvasTextState.h"
#include "VelFontFit.h"
#include "VelTheme.h"

namespace {

const int kBoldWeight = 700;
const int kNormalWeight = 400;
const UINT kCentred = DT_CENTER | DT_VCENTER;

}  // namespace

VelToolbarButton::VelToolbarButton(int id, const std::wstring& text, VelBitmap* image, VelBitmap* selectedImage,
                                   VelBitmap* highlightedImage, DWORD style, VelObject* parent, const std::string& name)
    : VelToolbarItem(id, parent, name), m_style(style), m_text(text), m_font(L"verdana", 8, 0, VelFont::ClearType),
      m_image(image), m_selectedImage(selectedImage), m_highlightedImage(highlightedImage), m_size{0, 0}
{
    if (CurrentTheme)
        m_font.Assign(*CurrentTheme->GetToolbarItemFont());
}

const wchar_t* VelToolbarButton::GetClassName() const { return L"VelToolbarButton"; }

void VelToolbarButton::SetStyle(DWORD style) { m_style = style; }
DWORD VelToolbarButton::GetStyle() const { return m_style; }

void VelToolbarButton::SetText(const std::wstring& text)
{
    m_text = text;
    RaiseChanged();
}

const std::wstring& VelToolbarButton::GetText() const { return m_text; }

void VelToolbarButton::SetBold(bool bold)
{
    m_font.SetWeight(bold ? kBoldWeight : kNormalWeight);
    RaiseChanged();
}

void VelToolbarButton::SetImageField(VelBitmap*& field, VelBitmap* image)
{
    field = image;
    RaiseChanged();
}

void VelToolbarButton::SetImage(VelBitmap* image) { SetImageField(m_image, image); }
VelBitmap* VelToolbarButton::GetImage() const { return m_image; }
void VelToolbarButton::SetHighlightedImage(VelBitmap* image) { SetImageField(m_highlightedImage, image); }
VelBitmap* VelToolbarButton::GetHighlightedImage() const { return m_highlightedImage; }
void VelToolbarButton::SetSelectedImage(VelBitmap* image) { SetImageField(m_selectedImage, image); }
VelBitmap* VelToolbarButton::GetSelectedImage() const { return m_selectedImage; }

void VelToolbarButton::GetSize(SIZE& size) const { size = m_size; }
void VelToolbarButton::SetSize(const SIZE& size) { m_size = size; }

void VelToolbarButton::RaiseClick()
{
    if (m_style & kStyleToggle)
        SetSelected(!IsSelected());
    VelToolbarItem::RaiseClick();
}

const VelBitmap* VelToolbarButton::ChooseImage() const
{
    if (!(m_style & kStyleImage))
        return nullptr;
    if (IsHighlighted() && m_highlightedImage)
        return m_highlightedImage;
    if (IsSelected() && m_selectedImage)
        return m_selectedImage;
    return m_image;
}

void VelToolbarButton::Paint(VelCanvas* canvas, const RECT& rect)
{
    if (!IsVisible())
        return;
    VelCanvasTextState state(canvas);
    canvas->SetFont(&m_font);
    const TEXTMETRICW metrics = canvas->GetTextMetrics(nullptr).metrics;
    const int band = metrics.tmHeight + metrics.tmExternalLeading;
    const VelRect area(rect);
    const int width = area.GetWidth();
    const int height = area.GetHeight();
    const bool hasText = !m_text.empty();

    if (const VelBitmap* image = ChooseImage()) {
        const int x = image->GetWidth() < width ? area.left + (width - image->GetWidth()) / 2 : area.left;
        int y = area.top;
        if (hasText) {
            if (image->GetHeight() < height - band)
                y = area.top + (height - band - image->GetHeight()) / 2;
            if (m_style & kStyleTextAbove)
                y += band;
        } else if (image->GetHeight() < height) {
            y = area.top + (height - image->GetHeight()) / 2;
        }
        canvas->DrawBitmap(*image, VelPoint(x, y), SRCCOPY);
    }

    if ((m_style & (kStyleTextBelow | kStyleTextAbove)) && hasText) {
        // The caption's colours are the button's own, whatever the theme.
        canvas->SetTextColor(VelColor(255, 255, 255));
        canvas->SetTextFormat(canvas->GetTextFormat() | kCentred);
        canvas->SetOpaque(false);
        canvas->SetBackColor(VelColor(0, 0, 0));
        const int top = (m_style & kStyleTextAbove) ? area.top : area.bottom - band;
        DrawFittedLine(canvas, m_text, VelPoint(area.left, top), SIZE{width, band});
    }
}
