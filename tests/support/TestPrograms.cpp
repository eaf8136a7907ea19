#include "TestPrograms.h"

#include <string>

#include <algorithm>

namespace {

const DWORD kPollMs = 10;

void ReadAvailable(HANDLE pipe, std::string* out)
{
    char chunk[512];
    DWORD available = 0, got = 0;
    while (PeekNamedPipe(pipe, 0, 0, 0, &available, 0) && available &&
           ReadFile(pipe, chunk, std::min<DWORD>(available, sizeof chunk), &got, 0) && got) {
        out->append(chunk, got);
    }
}

}  // namespace

std::wstring TestOutFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(0, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

ProgramRun RunTestProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, 0, TRUE};
    HANDLE readEnd = 0, writeEnd = 0;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::wstring folder = TestOutFolder();
    std::wstring exe = folder + L"\\" + program;
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessW(exe.c_str(), &line[0], 0, 0, TRUE, 0, 0, folder.c_str(), &si, &pi);
    if (!started) {
        // Tried once more, and the error kept in the output: on a loaded machine
        // a program has been seen to end at once without a word, and whether
        // Wine could start it is not what any test asks.
        const DWORD error = GetLastError();
        Sleep(200);
        started = CreateProcessW(exe.c_str(), &line[0], 0, 0, TRUE, 0, 0, folder.c_str(), &si, &pi);
        if (!started)
            run.output = "CreateProcess failed twice, error " + std::to_string(error) + ", then " +
                         std::to_string(GetLastError()) + "\n";
    }
    CloseHandle(writeEnd);
    if (started) {
        CloseHandle(pi.hThread);
        // Read while it runs: a full pipe would stall it.
        DWORD start = GetTickCount();
        bool ended = false;
        while (!ended) {
            ReadAvailable(readEnd, &run.output);
            ended = WaitForSingleObject(pi.hProcess, kPollMs) == WAIT_OBJECT_0;
            if (!ended && GetTickCount() - start > timeoutMs) {
                TerminateProcess(pi.hProcess, 1);
                WaitForSingleObject(pi.hProcess, INFINITE);
                break;
            }
        }
        // What it wrote is in the pipe by now. Reading on to the pipe's end
        // would wait for every process that inherited the write end too: one
        // that made a window leaves the platform holding it for a second.
        ReadAvailable(readEnd, &run.output);
        DWORD code = 0;
        if (ended && GetExitCodeProcess(pi.hProcess, &code))
            run.exitCode = static_cast<int>(code);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}

int RunKlDevice(const std::wstring& arguments, std::string* output, DWORD timeoutMs)
{
    ProgramRun run = RunTestProgram(L"kldevice.exe", arguments, timeoutMs);
    if (output)
        *output = run.output;
    return run.exitCode;
}
