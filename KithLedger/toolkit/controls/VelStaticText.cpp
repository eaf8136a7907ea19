#include "VelStaticText.h"

#include "VelAutoSize.h"
#include "VelTheme.h"

VelStaticText::VelStaticText(const std::wstring& text, VelBitmap* image, VelObject* parent, const std::string& name)
    : VelStaticText(text, kDefaultFormat, image, parent, name)
{
}

VelStaticText::VelStaticText(const std::wstring& text, UINT format, VelBitmap* image, VelObject* parent,
                             const std::string& name)
    : VelControl(parent, name), m_text(text), m_image(image), m_format(format), m_imageAlign(kAlignCentre),
      m_autoSize(0)
{
}

VelStaticText::VelStaticText(VelObject* parent, const std::string& name)
    : VelStaticText(std::wstring(), nullptr, parent, name)
{
}

// While the label's own handlers can still be reached by a Destroyed handler.
VelStaticText::~VelStaticText() { Destroy(); }

const wchar_t* VelStaticText::GetClassName() const { return L"VelStaticText"; }

void VelStaticText::HookEvents() { Paint += VelBind(this, &VelStaticText::OnPaintRequested); }

void VelStaticText::Create(VelAbstractControl* parent, DWORD style, const RECT& bounds)
{
    VelControl::Create(parent, style, VelCreationBounds(bounds, m_autoSize != 0, m_image));
}

const std::wstring& VelStaticText::GetText() const { return m_text; }

void VelStaticText::SetText(std::wstring text)
{
    m_text = std::move(text);
    InvalidateWhole();
}

void VelStaticText::InvalidateWhole() { InvalidateRect(GetClientRect()); }

void VelStaticText::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize ? 1 : 0;
    VelApplyAutoSize(*this, autoSize, m_image);
}

bool VelStaticText::GetAutoSize() const { return m_autoSize != 0; }

void VelStaticText::SetImageAlign(DWORD flags)
{
    m_imageAlign = flags;
    InvalidateWhole();
}

void VelStaticText::SetImage(VelBitmap* image)
{
    m_image = image;
    InvalidateWhole();
}

void VelStaticText::OnPaintRequested(VelObject*, const VelPaintEventArgs* args)
{
    PaintBackground(args->canvas, args->area);
    PaintContent(args->canvas, args->area);
    PaintOverlay(args->canvas, args->area);
    PaintLast(args->canvas, args->area);
}

void VelStaticText::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    if (!IsTransparent())
        CurrentTheme->DrawControlBackground(canvas, rect, nullptr);
}

namespace {

// Where an item of `size` goes along one axis of [start, end).
int Place(int start, int end, int size, bool atEnd, bool centred)
{
    if (atEnd)
        return end - size;
    if (centred)
        return start + (end - start - size) / 2;
    return start;
}

}  // namespace

void VelStaticText::PaintContent(VelCanvas* canvas, const RECT&)
{
    // Laid out in the whole client area, not the paint area: a partial
    // repaint must put the text where a full one does.
    const VelRect client = GetClientRect();
    if (m_image) {
        const int y = Place(client.top, client.bottom, m_image->GetHeight(), (m_imageAlign & kAlignBottom) != 0,
                            (m_imageAlign & kAlignVerticalCentre) != 0);
        const int x = Place(client.left, client.right, m_image->GetWidth(), (m_imageAlign & kAlignRight) != 0,
                            (m_imageAlign & kAlignHorizontalCentre) != 0);
        canvas->DrawBitmap(*m_image, VelPoint(x, y), SRCCOPY);
    }
    // The label's own format, not whatever the last painter left on the canvas.
    const UINT previous = canvas->GetTextFormat();
    canvas->SetTextFormat(m_format);
    CurrentTheme->DrawStaticText(canvas, VelPoint(client.left, client.top), m_text, client.GetSize());
    canvas->SetTextFormat(previous);
}

void VelStaticText::PaintOverlay(VelCanvas*, const RECT&) {}
void VelStaticText::PaintLast(VelCanvas*, const RECT&) {}
