#pragma once
#include "VelInstanceGuard.h"

class VelAbstractControl;
class VelApplication;
class VelControlCore;

// The program's message loop: the single-instance guard, the application's
// start, the first window of the thread shown, messages until the quit, the exit.
class VelRunLoop {
public:
    VelRunLoop(VelControlCore& core, const wchar_t* windowClass);
    VelRunLoop(const VelRunLoop&) = delete;
    VelRunLoop& operator=(const VelRunLoop&) = delete;

    int Run(VelApplication* application, bool show, DWORD fullScreenFlags);
    // Pumps messages until the popup says it is done; returns its result.
    int RunModal(VelAbstractControl* popup);
    // Ends the loop from any thread.
    void PostQuit(int exitCode);
    // Whether the window is the one a second instance would bring forward.
    bool IsMainWindow(HWND window) const { return m_instance.IsPublished(window); }

private:
    void ShowFirstWindow(VelApplication* application, DWORD fullScreenFlags);

    VelControlCore& m_core;
    VelInstanceGuard m_instance;
    DWORD m_runThreadId;
};
