#pragma once
#include "VelControl.h"

#include <string>

class VelBitmap;

// A push button whose look is left wholly to the theme. It captures the
// pointer while pressed and reports the press and the click with its id and
// the pointer position in its own coordinates.
//
// Note: the paint operation `Paint` hides the Paint event of the base; reach
// the event through VelAbstractControl::Paint.
class VelButton : public VelControl {
public:
    typedef VelDelegate<VelObject*, const VelButtonEventArgs*> ButtonEvent;

    enum : int { kStateNormal = 0, kStateAlternate = 1, kStatePressed = 2, kStateInputIgnored = 3 };

    VelButton(int buttonId, const std::wstring& caption, VelBitmap* image, DWORD_PTR data2, DWORD_PTR data3,
              DWORD_PTR data, VelObject* parent = nullptr, const std::string& name = std::string());
    explicit VelButton(VelObject* parent = nullptr, const std::string& name = std::string());
    ~VelButton() override;

    const wchar_t* GetClassName() const override;
    void HookEvents() override;
    void Create(VelAbstractControl* parent, DWORD style, const RECT& bounds) override;
    const std::wstring& GetText() const override;
    void SetText(std::wstring text) override;
    using VelControl::OnPaint;

    virtual void SetData(DWORD_PTR data);
    virtual DWORD_PTR GetData() const;
    virtual void SetState(int state);
    virtual int GetState() const;
    // Not owned; may be null.
    virtual void SetImage(VelBitmap* image);
    virtual VelBitmap* GetImage() const;
    virtual void SetData2(DWORD_PTR data);
    virtual DWORD_PTR GetData2() const;
    virtual void SetData3(DWORD_PTR data);
    virtual DWORD_PTR GetData3() const;
    // On, with an image, the button takes the image's size (its top-left stays).
    virtual void SetAutoSize(bool autoSize);
    virtual bool GetAutoSize() const;
    virtual void PaintBackground(VelCanvas* canvas, const RECT& rect);
    virtual void PaintFace(VelCanvas* canvas, const RECT& rect);
    virtual void PaintContent(VelCanvas* canvas, const RECT& rect);
    virtual void PaintOverlay(VelCanvas* canvas, const RECT& rect);
    // Background (unless transparent), face, content, overlay.
    virtual void Paint(VelCanvas* canvas, const RECT& rect);
    virtual void OnPaint(VelObject* sender, const VelPaintEventArgs* args);
    virtual void OnPointerDown(VelObject* sender, const VelMouseEventArgs* args);
    virtual void OnPointerUp(VelObject* sender, const VelMouseEventArgs* args);
    virtual void OnPointerMove(VelObject* sender, const VelMouseEventArgs* args);

    void SetButtonId(int buttonId) { m_buttonId = buttonId; }
    int GetButtonId() const { return m_buttonId; }

    ButtonEvent ButtonDown;
    ButtonEvent Click;
    ButtonEvent ClickDone;

private:
    void InvalidateWhole();
    // Whether the press that is going on began on this button.
    bool IsTracking() const { return m_tracking != 0; }
    void StopTracking();

    std::wstring m_caption;
    VelBitmap* m_image;
    DWORD_PTR m_data;
    DWORD_PTR m_data2;
    DWORD_PTR m_data3;
    int m_state;
    BYTE m_autoSize;
    int m_buttonId;
    BYTE m_tracking;
};
