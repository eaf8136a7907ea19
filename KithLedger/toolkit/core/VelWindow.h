#pragma once
#include "VelContainerControl.h"

#include <string>

// A top-level control: always a native window, painted with the theme's window
// background, closed by deleting itself or, when asked to, after the user
// confirms.
class VelWindow : public VelContainerControl {
public:
    explicit VelWindow(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelWindow() override;
    const wchar_t* GetClassName() const override;
    void HookEvents() override;

    int OnActivate(const VelActivateEventArgs* args) override;
    int OnCreate(const VelCreateEventArgs* args) override;
    int OnClose(const VelEventArgs* args) override;
    int OnDestroy(const VelEventArgs* args) override;
    int OnPaint(const VelPaintEventArgs* args) override;

    virtual void SetConfirmClose(bool confirm);
    virtual void SetCloseQuestion(std::wstring question);
    virtual void SetCloseCaption(std::wstring caption);
    virtual const std::wstring& GetCloseQuestion() const;
    virtual const std::wstring& GetCloseCaption() const;
    // Top-most either way; false leaves the active window as it is.
    virtual void SetTopMost(bool activate);

    void SetFullScreen(DWORD flags);

private:
    void PaintBackground(VelObject* sender, const VelPaintEventArgs* args);
    void OnCloseRequested(VelObject* sender, const VelEventArgs* args);

    std::wstring m_closeQuestion;
    std::wstring m_closeCaption;
    BYTE m_confirmClose;
    // Set by the close decision; the window goes once every close handler ran.
    BYTE m_deleteAfterClose;
};
