#include "VelStaticWindowLess.h"

#include "VelBitmap.h"
#include "VelCanvas.h"
#include "VelCanvasTextState.h"
#include "VelTheme.h"

#include <algorithm>

VelStaticWindowLess::VelStaticWindowLess(VelControl* host, int id, const std::wstring& text, VelBitmap* image,
                                         VelObject* parent, const std::string& name)
    : VelBaseWindowLess(host, id, parent, name), m_text(text), m_image(image)
{
    if (image)
        SetRect(VelRect(0, 0, image->GetWidth(), image->GetHeight()));
}

VelStaticWindowLess::~VelStaticWindowLess() = default;

const wchar_t* VelStaticWindowLess::GetClassName() const { return L"VelStaticWindowLess"; }

const std::wstring& VelStaticWindowLess::GetText() const { return m_text; }

void VelStaticWindowLess::SetText(std::wstring text)
{
    m_text = std::move(text);
    InvalidateInHost();
}

void VelStaticWindowLess::SetImage(VelBitmap* image)
{
    m_image = image;
    InvalidateInHost();
}

VelBitmap* VelStaticWindowLess::GetImage() const { return m_image; }

namespace {

// Where a run of `size` starts in [start, start + room): centred when it is
// shorter, else at the start.
int Centre(int start, int room, int size) { return size < room ? start + (room - size) / 2 : start; }

}  // namespace

void VelStaticWindowLess::Paint(VelCanvas* canvas, const RECT&)
{
    if (!IsVisible())
        return;
    const VelRect own(GetRect());
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    canvas->SaveState();
    if (m_image) {
        // Only what fits: the picture stays inside the part.
        const SIZE shown = {std::min(m_image->GetWidth(), width), std::min(m_image->GetHeight(), height)};
        if (shown.cx > 0 && shown.cy > 0) {
            const VelPoint at(Centre(own.left, width, m_image->GetWidth()),
                              Centre(own.top, height, m_image->GetHeight()));
            canvas->DrawBitmapPart(*m_image, at, shown, VelPoint(0, 0), SRCCOPY);
        }
    }
    if (!m_text.empty()) {
        VelCanvasTextState state(canvas);
        canvas->SetFont(GetFont() ? GetFont() : CurrentTheme->GetTextFont());
        canvas->SetOpaque(false);
        canvas->SetTextFormat(kTextFormat);
        canvas->SetTextColor(GetColor());
        canvas->DrawText(m_text, VelPoint(own.left + kTextInsetPixels, own.top),
                         SIZE{width - 2 * kTextInsetPixels, height});
    }
    canvas->RestoreState();
}
