#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "TestPumps.h"

// Collects what this process and its children write with OutputDebugString,
// through the debugger-less channel every Win32 debug viewer reads.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    bool IsActive() const { return m_thread != nullptr; }
    // Waits up to timeoutMs for a line that contains the text.
    bool WaitFor(const std::string& text, DWORD timeoutMs);

private:
    static DWORD WINAPI Reader(void* self);

    HANDLE m_bufferReady;
    HANDLE m_dataReady;
    HANDLE m_mapping;
    const BYTE* m_view;
    HANDLE m_thread;
    volatile LONG m_stop;
    CRITICAL_SECTION m_lock;
    std::vector<std::string> m_lines;
};

// The probe program of this folder, started as a process of its own.
class ProbeProcess {
public:
    // Starts toolkit_probe.exe for the application name; its window counts as
    // shown once Ready() is true.
    // A startMs makes its window that long after its start.
    ProbeProcess(const std::wstring& name, DWORD hangMs = 0, DWORD startMs = 0);
    ~ProbeProcess();
    bool Started() const { return m_process != nullptr; }
    bool WaitReady(DWORD timeoutMs);
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitExit(DWORD timeoutMs);

private:
    HANDLE m_process;
    HANDLE m_ready;
};

// An application name no other test process uses at the same time: the
// single-instance objects are shared by every process of the Wine session.
std::wstring UniqueName(const wchar_t* stem);

// The top-level toolkit windows titled with the name.
std::vector<HWND> FindToolkitWindows(const std::wstring& title);
