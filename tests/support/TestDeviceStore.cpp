#include "TestDeviceStore.h"

TestDeviceStore::TestDeviceStore(const std::wstring& stem)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    m_folder = std::wstring(temp) + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(::InterlockedIncrement(&counter));
    // Process ids come round again: an earlier run may have left this folder.
    VelDevRemoveTree(m_folder);
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, m_folder.c_str());
}

TestDeviceStore::~TestDeviceStore()
{
    ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, nullptr);
    m_store.reset();
    VelDevRemoveTree(m_folder);
}

VelDevStore& TestDeviceStore::Store()
{
    if (!m_store)
        m_store = VelDevStore::OpenAt(m_folder);
    return *m_store;
}

std::vector<std::wstring> TestDeviceStore::WaitForLog(const std::wstring& fileName, size_t lines, DWORD waitMs)
{
    std::vector<std::wstring> log;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < waitMs; ::Sleep(20)) {
        log = Store().ReadLog(fileName);
        if (log.size() >= lines)
            break;
    }
    return log;
}
