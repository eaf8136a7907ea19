// A toolkit program for the run-loop tests:
//   toolkit_probe.exe NAME READY-EVENT [HANG-MS [START-MS]]
// runs an application called NAME with one window, made START-MS after the
// start (as a program that has more to set up makes it), sets the named
// event once the window is shown, optionally stops answering for HANG-MS,
// and exits with what the run loop returned.
//   toolkit_probe.exe --destroy-core
// takes the core down as the exit does, with a window still open, and exits
// with 0 when nothing of it is left (else the number of the first check that
// failed).
#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelWindow.h"

#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

class Probe : public VelApplication {
public:
    Probe(const std::wstring& name, const std::wstring& readyEvent, DWORD hangMs, DWORD startMs)
        : VelApplication(name), m_readyEvent(readyEvent), m_hangMs(hangMs), m_startMs(startMs)
    {
        Started += VelBind(this, &Probe::MakeWindow);
        MainWindowShown += VelBind(this, &Probe::Shown);
    }

private:
    void MakeWindow(VelApplication*, const VelEventArgs*)
    {
        if (m_startMs)
            ::Sleep(m_startMs);
        VelWindow* window = new VelWindow(nullptr, "probe-window");
        window->Create(nullptr, kVelStyleVisible, VelRect(20, 20, 220, 170));
        SetMainWindow(window);
    }

    void Shown(VelObject*, const VelControlEventArgs*)
    {
        if (HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, m_readyEvent.c_str())) {
            ::SetEvent(ready);
            ::CloseHandle(ready);
        }
        if (m_hangMs)
            ::Sleep(m_hangMs);
    }

    std::wstring m_readyEvent;
    DWORD m_hangMs;
    DWORD m_startMs;
};

int DestroyCore()
{
    VelWindow* window = new VelWindow(nullptr, "left-open");
    window->Create(nullptr, kVelStyleVisible, VelRect(20, 20, 220, 170));
    const HWND handle = window->GetHandle();
    const HWND callback = VelControlCore::Instance->GetCallbackWindow();
    if (!::IsWindow(handle) || !::IsWindow(callback))
        return 10;
    VelControlCore::DestroyInstance();
    WNDCLASSW info;
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    const int failed = VelControlCore::Instance                                          ? 11
                       : ::IsWindow(handle)                                              ? 12
                       : ::IsWindow(callback)                                            ? 13
                       : ::GetClassInfoW(module, L"_VELWINDOW_WC_", &info)               ? 14
                       : ::GetClassInfoW(module, L"_VELAPPLICATION_CALLBACK_WC_", &info) ? 15
                                                                                         : 0;
    // The exit runs it once more.
    VelControlCore::DestroyInstance();
    return failed;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv && argc == 2 && std::wstring(argv[1]) == L"--destroy-core") {
        ::LocalFree(argv);
        return DestroyCore();
    }
    if (!argv || argc < 3)
        return 2;
    Probe probe(argv[1], argv[2], argc > 3 ? DWORD(std::wcstoul(argv[3], nullptr, 10)) : 0,
                argc > 4 ? DWORD(std::wcstoul(argv[4], nullptr, 10)) : 0);
    ::LocalFree(argv);
    return probe.Run(true, 0);
}
