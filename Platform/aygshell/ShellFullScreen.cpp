// The shell's full-screen switch. A desktop has no task bar, input button or
// start icon of the phone's to hide, so the call only keeps what it was asked
// in the device store's shell.log; the caller sizes its window itself.
#include "VelDevStore.h"

#include <cstdio>

extern "C" __declspec(dllexport) BOOL WINAPI ShellFullScreen(HWND window, DWORD flags)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    wchar_t line[64];
    _snwprintf(line, 64, L"fullscreen %08lx %08lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)),
               static_cast<unsigned long>(flags));
    line[63] = 0;
    VelDevStore::Open()->AppendLog(L"shell.log", line);
    return TRUE;
}
