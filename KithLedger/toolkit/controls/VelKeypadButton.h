#pragma once
#include "VelButton.h"

#include <string>

// One key of the keypad: a label, a smaller sub-label under it and the
// characters its taps type in turn. Its button id is its key id.
class VelKeypadButton : public VelButton {
public:
    explicit VelKeypadButton(VelObject* parent = nullptr, const std::string& name = std::string());

    const wchar_t* GetClassName() const override;
    // The text of a key is its label.
    const std::wstring& GetText() const override;
    void SetText(std::wstring text) override;
    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintFace(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    void PaintOverlay(VelCanvas* canvas, const RECT& rect) override;

    void SetSubLabel(std::wstring subLabel);
    const std::wstring& GetSubLabel() const { return m_subLabel; }
    void SetMultiTapChars(std::wstring chars) { m_multiTapChars = std::move(chars); }
    const std::wstring& GetMultiTapChars() const { return m_multiTapChars; }

private:
    std::wstring m_label;
    std::wstring m_subLabel;
    std::wstring m_multiTapChars;
};
