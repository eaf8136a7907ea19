#include "VelButton.h"

#include "VelAutoSize.h"
#include "VelTheme.h"

VelButton::VelButton(int buttonId, const std::wstring& caption, VelBitmap* image, DWORD_PTR data2, DWORD_PTR data3,
                     DWORD_PTR data, VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_caption(caption), m_image(image), m_data(data), m_data2(data2), m_data3(data3),
      m_state(kStateNormal), m_autoSize(0), m_buttonId(buttonId), m_tracking(0)
{
}

VelButton::VelButton(VelObject* parent, const std::string& name)
    : VelButton(0, std::wstring(), nullptr, 0, 0, 0, parent, name)
{
}

// While the button's own handlers can still be reached by a Destroyed handler.
VelButton::~VelButton() { Destroy(); }

const wchar_t* VelButton::GetClassName() const { return L"VelButton"; }

void VelButton::HookEvents()
{
    VelAbstractControl::Paint += VelBind(this, &VelButton::OnPaint);
    MouseDown += VelBind(this, &VelButton::OnPointerDown);
    // The window class turns a quick second tap into a double click; it is a
    // press all the same, or its release would find no press to click.
    MouseDoubleClick += VelBind(this, &VelButton::OnPointerDown);
    MouseUp += VelBind(this, &VelButton::OnPointerUp);
    MouseMove += VelBind(this, &VelButton::OnPointerMove);
}

void VelButton::Create(VelAbstractControl* parent, DWORD style, const RECT& bounds)
{
    VelControl::Create(parent, style, VelCreationBounds(bounds, m_autoSize != 0, m_image));
}

const std::wstring& VelButton::GetText() const { return m_caption; }

void VelButton::SetText(std::wstring text)
{
    m_caption = std::move(text);
    InvalidateWhole();
}

void VelButton::InvalidateWhole() { InvalidateRect(GetClientRect()); }

void VelButton::SetData(DWORD_PTR data)
{
    m_data = data;
    InvalidateWhole();
}

DWORD_PTR VelButton::GetData() const { return m_data; }

void VelButton::SetState(int state)
{
    m_state = state;
    InvalidateWhole();
}

int VelButton::GetState() const { return m_state; }

void VelButton::SetImage(VelBitmap* image)
{
    m_image = image;
    if (m_autoSize)
        SetAutoSize(true);
    InvalidateWhole();
}

VelBitmap* VelButton::GetImage() const { return m_image; }

void VelButton::SetData2(DWORD_PTR data)
{
    m_data2 = data;
    InvalidateWhole();
}

DWORD_PTR VelButton::GetData2() const { return m_data2; }

void VelButton::SetData3(DWORD_PTR data)
{
    m_data3 = data;
    InvalidateWhole();
}

DWORD_PTR VelButton::GetData3() const { return m_data3; }

void VelButton::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize ? 1 : 0;
    VelApplyAutoSize(*this, autoSize, m_image);
}

bool VelButton::GetAutoSize() const { return m_autoSize != 0; }

void VelButton::PaintBackground(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawButtonBackground(canvas, rect, m_state, this);
}

void VelButton::PaintFace(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawButtonFace(canvas, rect, m_state, this);
}

void VelButton::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawButtonContent(canvas, rect, m_caption, m_image, m_state, this);
}

void VelButton::PaintOverlay(VelCanvas* canvas, const RECT& rect)
{
    CurrentTheme->DrawButtonOverlay(canvas, rect, m_state, this);
}

void VelButton::Paint(VelCanvas* canvas, const RECT& rect)
{
    if (!IsTransparent())
        PaintBackground(canvas, rect);
    PaintFace(canvas, rect);
    PaintContent(canvas, rect);
    PaintOverlay(canvas, rect);
}

void VelButton::OnPaint(VelObject*, const VelPaintEventArgs* args) { Paint(args->canvas, GetClientRect()); }

void VelButton::OnPointerDown(VelObject*, const VelMouseEventArgs* args)
{
    if (m_state == kStateInputIgnored)
        return;
    SetCapture();
    m_tracking = 1;
    m_state = kStatePressed;
    Update(true);
    const VelButtonEventArgs pressed(m_buttonId, args->point);
    ButtonDown.Invoke(this, &pressed);
}

void VelButton::StopTracking()
{
    m_tracking = 0;
    ReleaseCapture();
    if (m_state != kStateNormal) {
        m_state = kStateNormal;
        InvalidateWhole();
    }
}

void VelButton::OnPointerUp(VelObject*, const VelMouseEventArgs* args)
{
    // A release whose press began elsewhere (a finger slid in from a
    // neighbouring key) is not a click of this button.
    if (m_state == kStateInputIgnored || !IsTracking())
        return;
    m_tracking = 0;
    m_state = kStateNormal;
    Update(true);
    // Released before the handlers run: one of them may take the capture
    // for a menu of its own, or delete the button.
    ReleaseCapture();
    if (!GetClientRect().ContainsPoint(args->point))
        return;
    const int id = GetId();
    const VelButtonEventArgs clicked(m_buttonId, args->point);
    Click.Invoke(this, &clicked);
    if (VelObject::FindById(id))  // a Click handler may have deleted the button
        ClickDone.Invoke(this, &clicked);
}

void VelButton::OnPointerMove(VelObject*, const VelMouseEventArgs* args)
{
    if (m_state == kStateInputIgnored || !IsTracking())
        return;
    // Outside, the capture is let go, so the release may happen where this
    // button never hears of it: a move without the button held tells.
    if (!(args->keys & MK_LBUTTON)) {
        StopTracking();
        return;
    }
    const bool inside = GetClientRect().ContainsPoint(args->point);
    if (inside)
        SetCapture();
    else
        ReleaseCapture();
    const int state = inside ? kStatePressed : kStateNormal;
    if (m_state != state) {
        m_state = state;
        InvalidateWhole();
    }
}
