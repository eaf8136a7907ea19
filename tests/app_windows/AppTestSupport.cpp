#include "AppTestSupport.h"

#include <cstdio>

namespace {

struct DebugBuffer {
    DWORD processId;
    char text[4096 - sizeof(DWORD)];
};

}  // namespace

DebugCapture::DebugCapture()
    : m_bufferReady(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
      m_dataReady(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
      m_mapping(
          ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DebugBuffer), L"DBWIN_BUFFER")),
      m_view(nullptr), m_thread(nullptr), m_stop(0)
{
    ::InitializeCriticalSection(&m_lock);
    if (m_mapping)
        m_view = static_cast<const BYTE*>(::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, sizeof(DebugBuffer)));
    if (m_bufferReady && m_dataReady && m_view)
        m_thread = ::CreateThread(nullptr, 0, &DebugCapture::Reader, this, 0, nullptr);
}

DebugCapture::~DebugCapture()
{
    if (m_thread) {
        ::InterlockedExchange(&m_stop, 1);
        ::SetEvent(m_dataReady);
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
    if (m_view)
        ::UnmapViewOfFile(m_view);
    for (HANDLE h : {m_mapping, m_dataReady, m_bufferReady})
        if (h)
            ::CloseHandle(h);
    ::DeleteCriticalSection(&m_lock);
}

DWORD WINAPI DebugCapture::Reader(void* self)
{
    DebugCapture* capture = static_cast<DebugCapture*>(self);
    const DebugBuffer* buffer = reinterpret_cast<const DebugBuffer*>(capture->m_view);
    for (;;) {
        ::SetEvent(capture->m_bufferReady);
        ::WaitForSingleObject(capture->m_dataReady, INFINITE);
        if (capture->m_stop)
            return 0;
        std::string line(buffer->text, strnlen(buffer->text, sizeof buffer->text));
        ::EnterCriticalSection(&capture->m_lock);
        capture->m_lines.push_back(line);
        ::LeaveCriticalSection(&capture->m_lock);
    }
}

bool DebugCapture::WaitFor(const std::string& text, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        ::EnterCriticalSection(&m_lock);
        bool found = false;
        for (const std::string& line : m_lines)
            found = found || line.find(text) != std::string::npos;
        ::LeaveCriticalSection(&m_lock);
        if (found)
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
}

ProbeProcess::ProbeProcess(const std::wstring& name, DWORD hangMs, DWORD startMs) : m_process(nullptr), m_ready(nullptr)
{
    const std::wstring readyName = UniqueName((name + L"-ready").c_str());
    m_ready = ::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    std::wstring command = L"toolkit_probe.exe \"" + name + L"\" \"" + readyName + L"\" " + std::to_wstring(hangMs) +
                           L" " + std::to_wstring(startMs);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
    }
}

ProbeProcess::~ProbeProcess()
{
    if (m_process) {
        if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process, 1);
        ::CloseHandle(m_process);
    }
    if (m_ready)
        ::CloseHandle(m_ready);
}

bool ProbeProcess::WaitReady(DWORD timeoutMs)
{
    return m_ready && ::WaitForSingleObject(m_ready, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ProbeProcess::WaitExit(DWORD timeoutMs)
{
    if (!m_process || ::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process, &code);
    return code;
}

std::wstring UniqueName(const wchar_t* stem)
{
    static LONG counter = 0;
    return std::wstring(stem) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::InterlockedIncrement(&counter));
}

namespace {

struct WindowSearch {
    const std::wstring* title;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t className[32] = L"", title[512] = L"";
    ::GetClassNameW(window, className, 32);
    ::GetWindowTextW(window, title, 512);
    if (std::wstring(className) == L"_VELWINDOW_WC_" && *search->title == title)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> FindToolkitWindows(const std::wstring& title)
{
    WindowSearch search{&title, {}};
    ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
