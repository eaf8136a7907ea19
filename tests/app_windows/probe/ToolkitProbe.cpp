// A toolkit program for the run-loop tests:
//   toolkit_probe.exe NAME READY-EVENT [HANG-MS [START-MS]]
// runs an application called NAME with one window, made START-MS after the
// start (as a program that has more to set up makes it), sets the named
// event once the window is shown, optionally stops answering for HANG-MS,
// and exits with what the run loop returned.
#include "VelApplication.h"
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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 2;
    Probe probe(argv[1], argv[2], argc > 3 ? DWORD(std::wcstoul(argv[3], nullptr, 10)) : 0,
                argc > 4 ? DWORD(std::wcstoul(argv[4], nullptr, 10)) : 0);
    ::LocalFree(argv);
    return probe.Run(true, 0);
}
