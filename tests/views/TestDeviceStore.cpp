#include "TestDeviceStore.h"

TestDeviceStore::TestDeviceStore(const std::wstring& stem)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + stem + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, m_folder.c_str());
}

TestDeviceStore::~TestDeviceStore()
{
    ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, nullptr);
    m_store.reset();
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((m_folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            ::DeleteFileW((m_folder + L"\\" + found.cFileName).c_str());
        while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(m_folder.c_str());
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
