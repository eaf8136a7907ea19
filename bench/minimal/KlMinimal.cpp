// klminimal: what the start cases compare the program with. One window the
// size of the screen, painted once, and nothing else: no libraries of the
// program, no store, no list. It writes its first frame to the debug log the
// way the program does (the process's creation time to after the paint) and
// stays until it is closed, as the program does.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void LogFirstFrame()
{
    FILETIME created, exited, kernel, user, now;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return;
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG start = (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    const ULONGLONG end = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    char line[128];
    const int length = std::snprintf(line, sizeof line, "klminimal: first frame %llu ms after the process started.\n",
                                     (end - start) / 10000ULL);
    ::OutputDebugStringA(line);
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"VEL_DEBUG_LOG", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || length <= 0)
        return;
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, line, DWORD(length), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"KlMinimal";
    if (!::RegisterClassW(&wc))
        return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"klminimal", WS_POPUP | WS_VISIBLE, 0, 0,
                                    ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                    instance, nullptr);
    if (!window)
        return 1;
    ::UpdateWindow(window);
    LogFirstFrame();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
