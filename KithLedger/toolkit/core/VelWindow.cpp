#include "VelWindow.h"
#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelTheme.h"

namespace {
const UINT kCloseBoxStyle = MB_OKCANCEL | MB_ICONQUESTION;
const UINT kTopMostActivating = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
}  // namespace

VelWindow::VelWindow(VelObject* owner, const std::string& name)
    : VelContainerControl(owner, name), m_closeQuestion(L"Do you want to close this window?"),
      m_closeCaption(L"Close?"), m_confirmClose(0), m_deleteAfterClose(0)
{
    SetHasNativeWindow(true);
}

VelWindow::~VelWindow()
{
    // While the derived parts still stand, so handlers of Destroyed see a whole window.
    Destroy();
}

const wchar_t* VelWindow::GetClassName() const { return L"VelWindow"; }

void VelWindow::HookEvents()
{
    Paint += VelBind(this, &VelWindow::PaintBackground);
    CloseRequested += VelBind(this, &VelWindow::OnCloseRequested);
}

int VelWindow::OnActivate(const VelActivateEventArgs* args)
{
    VelContainerControl::OnActivate(args);
    return 0;
}

int VelWindow::OnCreate(const VelCreateEventArgs* args)
{
    VelContainerControl::OnCreate(args);
    return 0;
}

int VelWindow::OnClose(const VelEventArgs* args)
{
    m_deleteAfterClose = 0;
    VelContainerControl::OnClose(args);
    if (m_deleteAfterClose)
        delete this;
    return 0;
}

int VelWindow::OnDestroy(const VelEventArgs* args)
{
    VelContainerControl::OnDestroy(args);
    return 0;
}

int VelWindow::OnPaint(const VelPaintEventArgs* args)
{
    VelContainerControl::OnPaint(args);
    return 0;
}

void VelWindow::SetConfirmClose(bool confirm) { m_confirmClose = confirm ? 1 : 0; }
void VelWindow::SetCloseQuestion(std::wstring question) { m_closeQuestion = std::move(question); }
void VelWindow::SetCloseCaption(std::wstring caption) { m_closeCaption = std::move(caption); }
const std::wstring& VelWindow::GetCloseQuestion() const { return m_closeQuestion; }
const std::wstring& VelWindow::GetCloseCaption() const { return m_closeCaption; }

void VelWindow::SetTopMost(bool activate)
{
    ::SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0,
                   activate ? kTopMostActivating : kTopMostActivating | SWP_NOACTIVATE);
}

void VelWindow::SetFullScreen(DWORD flags)
{
    if (VelApplication::Instance)
        VelApplication::Instance->SetFullScreen(this, flags);
}

void VelWindow::PaintBackground(VelObject*, const VelPaintEventArgs* args)
{
    if (CurrentTheme)
        CurrentTheme->DrawWindowBackground(args->canvas, args->area);
}

void VelWindow::OnCloseRequested(VelObject*, const VelEventArgs*)
{
    if (!m_confirmClose) {
        m_deleteAfterClose = 1;
        return;
    }
    if (::MessageBoxW(GetHandle(), m_closeQuestion.c_str(), m_closeCaption.c_str(), kCloseBoxStyle) == IDOK)
        Destroy();
}
