// The program's entry: one application object on the stack, run, and exit 0
// whatever the run gave.
#include <windows.h>

#include "VelKlApplication.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    try {
        VelKlApplication application;
        application.Run();
    } catch (...) {
        ::OutputDebugStringW(L"KithLedger: start-up failed.\n");
    }
    return 0;
}
