#include "VelInstanceGuard.h"

namespace {

const wchar_t kMutexPrefix[] = L"VEL_WMTOOLKITAPP_MUTEX_";
const wchar_t kSharedMemoryPrefix[] = L"VEL_WMTOOLKITAPP_SHMEM_";
const UINT kProbeTimeoutMs = 6000;
const DWORD kPublishPollMs = 15;
const int kClassNameChars = 32;

// A kernel object's name may not exceed MAX_PATH: a long application name is
// cut rather than failing the guard.
std::wstring InstanceObjectName(const wchar_t* prefix, const std::wstring& application)
{
    std::wstring name(prefix);
    name.append(application, 0, MAX_PATH - 1 - name.size());
    return name;
}

}  // namespace

VelInstanceGuard::VelInstanceGuard(const wchar_t* windowClass) : m_windowClass(windowClass) {}

VelInstanceGuard::Claim VelInstanceGuard::Acquire(const std::wstring& applicationName)
{
    const std::wstring mutexName = InstanceObjectName(kMutexPrefix, applicationName);
    m_memoryName = InstanceObjectName(kSharedMemoryPrefix, applicationName);

    ::SetLastError(0);
    m_mutex.Reset(::CreateMutexW(nullptr, TRUE, mutexName.c_str()));
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        HWND running = AwaitPublishedWindow();
        if (!running)
            return Claim::Run;
        // Not ShowWindow: it waits for the other thread, and a hung instance
        // would hold this one past the probe's time-out.
        ::ShowWindowAsync(running, SW_SHOWNORMAL);
        ::SetForegroundWindow(running);
        DWORD_PTR answer = 0;
        if (::SendMessageTimeoutW(running, WM_PAINT, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &answer)) {
            Close();
            return Claim::AnotherAnswered;
        }
        ::PostMessageW(running, WM_QUIT, 0, 0);
    } else if (error != 0 || !m_mutex) {
        ::OutputDebugStringW(L"Fatal failure during mutex creation, aborting.");
        Close();
        return Claim::Failed;
    }
    return Claim::Run;
}

// Two starts at once: the later one finds the mutex before the earlier has
// shown its window, so it waits for the window, within the probe's time.
HWND VelInstanceGuard::AwaitPublishedWindow()
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (MapView()) {
            const HWND running = ReadWindow();
            if (IsToolkitWindow(running))
                return running;
        }
        // The other instance ended meanwhile: its mutex has come to this one.
        const DWORD owned = ::WaitForSingleObject(m_mutex.Get(), 0);
        if (owned == WAIT_OBJECT_0 || owned == WAIT_ABANDONED)
            return nullptr;
        if (::GetTickCount() - start >= kProbeTimeoutMs)
            return nullptr;
        ::Sleep(kPublishPollMs);
    }
}

void VelInstanceGuard::Publish(HWND window)
{
    // Without the shared memory a second instance cannot find us, but this one still runs.
    if (MapView())
        *static_cast<LONG*>(m_view.Get()) = HandleToLong(window);
}

bool VelInstanceGuard::IsPublished(HWND window) const { return m_view && ReadWindow() == window; }

void VelInstanceGuard::Close()
{
    m_view.Reset();
    m_mapping.Reset();
    m_mutex.Reset();
}

bool VelInstanceGuard::MapView()
{
    if (m_view)
        return true;
    if (!m_mapping)
        m_mapping.Reset(
            ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kViewBytes, m_memoryName.c_str()));
    if (m_mapping)
        m_view.Reset(::MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, kViewBytes));
    return m_view.IsValid();
}

// Window handles are 32-bit significant on 64-bit Windows too, so the view
// stays four bytes whatever the build.
HWND VelInstanceGuard::ReadWindow() const
{
    return static_cast<HWND>(LongToHandle(*static_cast<const LONG*>(m_view.Get())));
}

// The handle another process left in the shared memory names a window of ours
// only while it is one of our top-level windows.
bool VelInstanceGuard::IsToolkitWindow(HWND window) const
{
    wchar_t className[kClassNameChars] = L"";
    return ::IsWindow(window) && ::GetClassNameW(window, className, kClassNameChars) &&
           ::lstrcmpW(className, m_windowClass) == 0;
}
