#include "TestFolders.h"

std::wstring MakeTestFolder(const std::wstring& stem)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), NULL);
    return folder;
}

void RemoveTestFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = folder + found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(path.c_str());
            else if (found.cFileName[0] != L'.')
                RemoveDirectoryW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void DeviceStoreTest::TearDown() { SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, NULL); }

bool DeviceStoreTest::Holds(const std::wstring& line, const std::wstring& field)
{
    return (line + L"\t").find(L"\t" + field + L"\t") != std::wstring::npos;
}
