#include "TestDeviceStore.h"

namespace {

// The folder with everything in it (the store keeps pictures in a subfolder).
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

TestDeviceStore::TestDeviceStore(const std::wstring& stem)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    m_folder = std::wstring(temp) + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(::InterlockedIncrement(&counter));
    // Process ids come round again: an earlier run may have left this folder.
    RemoveTree(m_folder);
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, m_folder.c_str());
}

TestDeviceStore::~TestDeviceStore()
{
    ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, nullptr);
    m_store.reset();
    RemoveTree(m_folder);
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
