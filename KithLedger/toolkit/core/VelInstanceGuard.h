#pragma once
#include "VelPlatform.h"
#include "VelUniqueHandle.h"

#include <string>

// One instance of the program at a time: a named mutex says one runs, and a
// named four-byte view holds its main window, so that a second instance can
// bring that one to the front and leave.
class VelInstanceGuard {
public:
    enum class Claim { Run, AnotherAnswered, Failed };

    // Only windows of this class count as the running instance's.
    explicit VelInstanceGuard(const wchar_t* windowClass);
    VelInstanceGuard(const VelInstanceGuard&) = delete;
    VelInstanceGuard& operator=(const VelInstanceGuard&) = delete;

    // Creates the guard objects for the application's name. When another
    // instance holds them, this one waits for its window; a window that
    // answers is shown and this one is to leave; one that does not answer in
    // time is told to quit, and this one runs, as it does when no window comes.
    Claim Acquire(const std::wstring& applicationName);
    // Names the window a second instance is to show.
    void Publish(HWND window);
    // Whether the view names this window.
    bool IsPublished(HWND window) const;
    void Close();

private:
    enum : DWORD { kViewBytes = 4 };

    bool MapView();
    // The running instance's window once it is published; null when none
    // comes within the probe's time or that instance has ended.
    HWND AwaitPublishedWindow();
    HWND ReadWindow() const;
    bool IsToolkitWindow(HWND window) const;

    const wchar_t* m_windowClass;
    std::wstring m_memoryName;
    // Declared so that they go in this order's reverse: view, mapping, mutex.
    VelKernelHandle m_mutex;
    VelKernelHandle m_mapping;
    VelMappedView m_view;
};
