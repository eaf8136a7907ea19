#pragma once
// Shared by the button and static-text tests: a theme with telling colours
// that notes what it was asked to draw, a host window, and pixel reads.
#include "VelBitmap.h"
#include "VelControl.h"
#include "VelControlCore.h"
#include "VelThemeDefault.h"
#include "TestImages.h"
#include "TestPumps.h"

#include <string>
#include <vector>

namespace kit {

const COLORREF kHostColour = RGB(255, 255, 255);
const COLORREF kBackgroundColour = RGB(0, 128, 0);
const COLORREF kFaceColour = RGB(10, 20, 30);
const COLORREF kPressedFaceColour = RGB(70, 80, 90);
const COLORREF kDisabledFaceColour = RGB(120, 120, 120);

class ProbeTheme : public VelThemeDefault {
public:
    struct Call {
        std::string part;
        int state;
        const VelVisualObject* control;
        std::wstring text;
        VelPoint point;
        SIZE size;
        UINT format;
    };

    VelColor& GetBackgroundColor(VelColor& c) override { return c = VelColor::FromColorRef(kBackgroundColour); }
    VelColor& GetButtonFaceColor(VelColor& c) override { return c = VelColor::FromColorRef(kFaceColour); }
    VelColor& GetButtonPressedFaceColor(VelColor& c) override { return c = VelColor::FromColorRef(kPressedFaceColour); }
    VelColor& GetButtonDisabledFaceColor(VelColor& c) override
    {
        return c = VelColor::FromColorRef(kDisabledFaceColour);
    }

    void DrawControlBackground(VelCanvas* canvas, const RECT& rect, const VelVisualObject* control) override
    {
        Note("control background", 0, control);
        VelThemeDefault::DrawControlBackground(canvas, rect, control);
    }
    void DrawStaticText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text, const SIZE& size) override
    {
        calls.push_back(Call{"static text", 0, nullptr, text, point, size, canvas->GetTextFormat()});
        VelThemeDefault::DrawStaticText(canvas, point, text, size);
    }
    void DrawButtonBackground(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override
    {
        Note("button background", state, control);
        VelThemeDefault::DrawButtonBackground(canvas, rect, state, control);
    }
    void DrawButtonFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override
    {
        Note("button face", state, control);
        VelThemeDefault::DrawButtonFace(canvas, rect, state, control);
    }
    void DrawButtonContent(VelCanvas* canvas, const RECT& rect, const std::wstring& caption, const VelBitmap* image,
                           int state, const VelVisualObject* control) override
    {
        Note("button content", state, control).text = caption;
        VelThemeDefault::DrawButtonContent(canvas, rect, caption, image, state, control);
    }
    void DrawButtonOverlay(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject* control) override
    {
        Note("button overlay", state, control);
        VelThemeDefault::DrawButtonOverlay(canvas, rect, state, control);
    }

    std::vector<std::string> Parts() const
    {
        std::vector<std::string> parts;
        for (const Call& c : calls)
            parts.push_back(c.part);
        return parts;
    }
    const Call* Last(const std::string& part) const
    {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->part == part)
                return &*it;
        return nullptr;
    }

    std::vector<Call> calls;

private:
    Call& Note(const char* part, int state, const VelVisualObject* control)
    {
        calls.push_back(Call{part, state, control, std::wstring(), VelPoint(0, 0), SIZE{0, 0}, 0});
        return calls.back();
    }
};

// Makes the theme current for the scope of a test.
class ThemeScope {
public:
    explicit ThemeScope(VelTheme* theme) : m_previous(CurrentTheme) { CurrentTheme = theme; }
    ~ThemeScope() { CurrentTheme = m_previous; }

private:
    VelTheme* m_previous;
};

// A top-level window painted in one colour; it may leave a text format on
// the canvas, as an earlier painter could.
class HostWindow : public VelControl {
public:
    int OnPaint(const VelPaintEventArgs* args) override
    {
        args->canvas->SetBackColor(VelColor::FromColorRef(kHostColour));
        args->canvas->FillRect(GetClientRect());
        if (leftFormat)
            args->canvas->SetTextFormat(leftFormat);
        return VelControl::OnPaint(args);
    }
    UINT leftFormat = 0;
};

using ::Pump;

inline void Repaint(VelAbstractControl& window)
{
    Pump();
    ::UpdateWindow(window.GetHandle());
}

inline COLORREF PixelOf(const VelAbstractControl& window, int x, int y)
{
    HDC dc = ::GetDC(window.GetHandle());
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window.GetHandle(), dc);
    return c;
}

using ::SolidBitmap;

inline const DWORD kVisible = kVelStyleVisible;

}  // namespace kit
