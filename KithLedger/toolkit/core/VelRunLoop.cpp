#include "VelRunLoop.h"
#include "VelAbstractControl.h"
#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelDebugLog.h"
#include "VelRootControl.h"
#include "VelScopedLock.h"

namespace {

const int kAnsweredExitCode = -1;
const int kGuardFailedExitCode = 255;

}  // namespace

VelRunLoop::VelRunLoop(VelControlCore& core, const wchar_t* windowClass)
    : m_core(core), m_instance(windowClass), m_runThreadId(0)
{
}

namespace {

// Ends a pump on a quit message or a failing GetMessage.
bool PumpOne()
{
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) {
        VelDebugLog(L"VelControlCore: GetMessage failed.\n");
        return false;
    }
    if (!got) {
        ::PostQuitMessage(int(msg.wParam));
        return false;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

}  // namespace

int VelRunLoop::Run(VelApplication* application, bool show, DWORD fullScreenFlags)
{
    const VelInstanceGuard::Claim claim = m_instance.Acquire(m_core.GetApplicationName());
    if (claim == VelInstanceGuard::Claim::AnotherAnswered)
        return kAnsweredExitCode;
    if (claim == VelInstanceGuard::Claim::Failed)
        return kGuardFailedExitCode;

    m_runThreadId = ::GetCurrentThreadId();
    VelEventArgs started;
    application->OnStarted(&started);
    if (show)
        ShowFirstWindow(application, fullScreenFlags);

    MSG msg = {};
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (got < 0)
        VelDebugLog(L"VelControlCore::Run: GetMessage failed.\n");

    VelEventArgs exiting;
    application->OnExit(&exiting);
    m_runThreadId = 0;
    m_instance.Close();
    return got < 0 ? 0 : int(msg.wParam);
}

void VelRunLoop::ShowFirstWindow(VelApplication* application, DWORD fullScreenFlags)
{
    const DWORD thread = ::GetCurrentThreadId();
    VelAbstractControl* first = nullptr;
    {
        VelScopedLock lock(&m_core.m_lock);
        for (VelAbstractControl* window : m_core.m_root->GetChildren()) {
            HWND handle = window->HasNativeWindow() ? window->GetHandle() : nullptr;
            if (handle && ::GetWindowThreadProcessId(handle, nullptr) == thread) {
                first = window;
                break;
            }
        }
    }
    if (!first)
        return;
    HWND handle = first->GetHandle();
    m_instance.Publish(handle);
    ::UpdateWindow(handle);
    ::ShowWindow(handle, SW_SHOWNORMAL);
    VelControlEventArgs args(first);
    application->OnMainWindowShown(&args);
    if (fullScreenFlags)
        m_core.SetFullScreen(first, fullScreenFlags);
}

int VelRunLoop::RunModal(VelAbstractControl* popup)
{
    m_core.FlushPendingUpdates();
    m_core.SetCapture(popup);
    popup->SetModalDone(false);
    while (!popup->IsModalDone() && PumpOne()) {
    }
    m_core.ReleaseCapture();
    m_core.SetIgnoreMouse(true);
    return popup->GetModalResult();
}

void VelRunLoop::PostQuit(int exitCode)
{
    // The quit belongs to the thread in Run, whichever thread closed the last window.
    const DWORD runThread = m_runThreadId;
    if (runThread && runThread != ::GetCurrentThreadId())
        ::PostThreadMessageW(runThread, WM_QUIT, WPARAM(exitCode), 0);
    else
        ::PostQuitMessage(exitCode);
}
