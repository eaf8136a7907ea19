// velinstall: the phone's package installer as a setup library sees it. It
// loads Brevet.dll from its own folder and calls the library's entry points
// in the installer's order around the copying or removing of the package's
// files, which a desktop has no package for. A question the library asks can
// be answered from the command line, so that tests need no person.
#include "SetupLibrary.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kUsage[] = L"Usage: velinstall install <install dir> [--answer yes|no]\n"
                         L"       velinstall remove <install dir> [--answer yes|no]\n"
                         L"\n"
                         L"Calls the entry points of Brevet.dll (beside this program) as the package installer\n"
                         L"does and prints what each returned. A message box the library shows is printed and\n"
                         L"answered as --answer says; without --answer it waits for a person.\n"
                         L"\n"
                         L"Exit code 0 when every entry point returned 0, 1 when one did not, 3 when the library\n"
                         L"or an entry point is missing, 2 on a usage error.\n";

const wchar_t kSetupLibrary[] = L"Brevet.dll";
const UINT kAnswerPollMs = 20;

void Print(const std::wstring& text)
{
    int value = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), 0, 0, 0, 0);
    std::string bytes(value > 0 ? value : 0, '\0');
    if (value > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], value, 0, 0);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

int UsageError(const std::wstring& why)
{
    Print(L"velinstall: " + why + L"\n\n");
    Print(kUsage);
    return 2;
}

std::wstring WindowText(HWND window)
{
    wchar_t buf[1024];
    int value = GetWindowTextW(window, buf, 1024);
    return std::wstring(buf, value > 0 ? value : 0);
}

std::wstring ClassOf(HWND window)
{
    wchar_t buf[64];
    int value = GetClassNameW(window, buf, 64);
    return std::wstring(buf, value > 0 ? value : 0);
}

// The answer to give, read by the timer that runs inside the message box's
// own modal loop on this thread.
struct Answerer {
    int button = 0;  // IDYES or IDNO; 0 leaves the box to a person
    HWND answered = 0;
};
Answerer s_answerer;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    if (window == s_answerer.answered || !IsWindowVisible(window) || lstrcmpiW(ClassOf(window).c_str(), L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

BOOL CALLBACK FindMessageText(HWND child, LPARAM text)
{
    if (lstrcmpiW(ClassOf(child).c_str(), L"Static") != 0)
        return TRUE;
    std::wstring t = WindowText(child);
    if (t.empty())
        return TRUE;  // the icon
    *reinterpret_cast<std::wstring*>(text) = t;
    return FALSE;
}

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = 0;
    EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return;
    std::wstring text;
    EnumChildWindows(box, FindMessageText, reinterpret_cast<LPARAM>(&text));
    Print(L"question \"" + WindowText(box) + L"\": " + text + L" -> " + (s_answerer.button == IDYES ? L"yes" : L"no") +
          L"\n");
    s_answerer.answered = box;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(s_answerer.button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, s_answerer.button)));
}

std::wstring Number(int value)
{
    wchar_t buf[16];
    _snwprintf(buf, 16, L"%d", value);
    buf[15] = 0;
    return buf;
}

// Prints what one entry point returned; true when it lets the installer go on.
bool Returned(const wchar_t* entry, int code)
{
    Print(std::wstring(entry) + L" -> " + Number(code) + L"\n");
    return code == 0;
}

struct SetupLibrary {
    HMODULE module = 0;
    decltype(&Install_Init) installInit = 0;
    decltype(&Install_Exit) installExit = 0;
    decltype(&Uninstall_Init) uninstallInit = 0;
    decltype(&Uninstall_Exit) uninstallExit = 0;

    ~SetupLibrary()
    {
        if (module)
            FreeLibrary(module);
    }
    template <class Proc>
    bool Find(const char* name, Proc* proc)
    {
        *proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        if (!*proc)
            Print(L"velinstall: " + std::wstring(kSetupLibrary) + L" exports no " +
                  std::wstring(name, name + strlen(name)) + L"\n");
        return *proc != 0;
    }
    bool Load()
    {
        wchar_t path[MAX_PATH];
        DWORD value = GetModuleFileNameW(0, path, MAX_PATH);
        if (value == 0 || value == MAX_PATH)
            return false;
        std::wstring file(path, value);
        file = file.substr(0, file.find_last_of(L'\\') + 1) + kSetupLibrary;
        module = LoadLibraryW(file.c_str());
        if (!module) {
            Print(L"velinstall: cannot load " + file + L" (error " + Number(static_cast<int>(GetLastError())) + L")\n");
            return false;
        }
        bool all = Find("Install_Init", &installInit);
        all = Find("Install_Exit", &installExit) && all;
        all = Find("Uninstall_Init", &uninstallInit) && all;
        return Find("Uninstall_Exit", &uninstallExit) && all;
    }
};

int Install(const SetupLibrary& library, HWND ui, const std::wstring& dir)
{
    if (!Returned(L"Install_Init", library.installInit(ui, TRUE, FALSE, dir.c_str())))
        return 1;
    return Returned(L"Install_Exit", library.installExit(ui, dir.c_str(), 0, 0, 0, 0, 0)) ? 0 : 1;
}

int Remove(const SetupLibrary& library, HWND ui, const std::wstring& dir)
{
    if (!Returned(L"Uninstall_Init", library.uninstallInit(ui, dir.c_str())))
        return 1;
    return Returned(L"Uninstall_Exit", library.uninstallExit(ui)) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> a(argv, argv + argc);
    if (a.size() == 2 && (a[1] == L"help" || a[1] == L"--help" || a[1] == L"-h")) {
        Print(kUsage);
        return 0;
    }
    if (a.size() < 2)
        return UsageError(L"install or remove?");
    const std::wstring& command = a[1];
    if (command != L"install" && command != L"remove")
        return UsageError(L"unknown command '" + command + L"'");
    if (a.size() < 3 || a[2].empty())
        return UsageError(L"the install directory is missing");
    for (size_t i = 3; i < a.size(); ++i) {
        if (a[i] == L"--answer" && i + 1 < a.size() && (a[i + 1] == L"yes" || a[i + 1] == L"no")) {
            s_answerer.button = a[++i] == L"yes" ? IDYES : IDNO;
        } else {
            return UsageError(L"unexpected argument '" + a[i] + L"'");
        }
    }

    SetupLibrary library;
    if (!library.Load())
        return 3;
    // The installer's own window, hidden: the owner of what the library shows.
    HWND ui = CreateWindowExW(0, L"STATIC", L"velinstall", WS_POPUP, 0, 0, 0, 0, 0, 0, GetModuleHandleW(0), 0);
    UINT_PTR timer = s_answerer.button ? SetTimer(0, 0, kAnswerPollMs, AnswerMessageBox) : 0;
    int result = command == L"install" ? Install(library, ui, a[2]) : Remove(library, ui, a[2]);
    if (timer)
        KillTimer(0, timer);
    if (ui)
        DestroyWindow(ui);
    return result;
}
