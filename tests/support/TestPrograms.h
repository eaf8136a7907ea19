#pragma once
// The programs the build puts beside the test executables, run as the
// phone's other programs would be.
#include <windows.h>

#include <string>

// The folder of the running test executable, which holds the built programs.
std::wstring TestOutFolder();

struct ProgramRun {
    int exitCode = -1;   // -1: not started, or ended by force when the time was up
    std::string output;  // what it wrote to stdout and stderr
};
// Runs the program of that folder with the arguments, that folder being its
// current directory, and ends it when it takes longer than timeoutMs.
ProgramRun RunTestProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs = 30000);
// Runs kldevice.exe, the phone's radio and PIM in a process of their own, over
// the store the environment names; its exit code, and what it printed when
// output is given.
int RunKlDevice(const std::wstring& arguments, std::string* output = nullptr, DWORD timeoutMs = 30000);
