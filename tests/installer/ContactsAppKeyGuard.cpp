#include "ContactsAppKeyGuard.h"

const wchar_t kContactsAppKey[] = L"Software\\Microsoft\\Shell\\Rai\\:MSCONTACTS";

namespace {

const DWORD kLongestName = 16384;  // the registry's own limit, in characters

}  // namespace

ContactsAppKeyGuard::ContactsAppKeyGuard()
    : m_mutex(CreateMutexW(0, FALSE, L"VelTestsContactsAppKey")), m_existed(false)
{
    WaitForSingleObject(m_mutex, INFINITE);
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kContactsAppKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    m_existed = true;
    std::vector<wchar_t> name(kLongestName + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = kLongestName + 1, type = 0, bytes = 0;
        if (RegEnumValueW(key, i, &name[0], &nameChars, 0, &type, 0, &bytes) != ERROR_SUCCESS)
            break;
        Value v;
        v.name.assign(&name[0], nameChars);
        v.type = type;
        v.data.resize(bytes);
        if (RegQueryValueExW(key, v.name.c_str(), 0, &v.type, v.data.empty() ? 0 : &v.data[0], &bytes) ==
            ERROR_SUCCESS) {
            v.data.resize(bytes);
            m_saved.push_back(v);
        }
    }
    RegCloseKey(key);
}

ContactsAppKeyGuard::~ContactsAppKeyGuard()
{
    if (m_existed) {
        HKEY key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kContactsAppKey, 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0) ==
            ERROR_SUCCESS) {
            std::vector<wchar_t> name(kLongestName + 1);
            DWORD nameChars = kLongestName + 1;
            while (RegEnumValueW(key, 0, &name[0], &nameChars, 0, 0, 0, 0) == ERROR_SUCCESS &&
                   RegDeleteValueW(key, &name[0]) == ERROR_SUCCESS) {
                nameChars = kLongestName + 1;
            }
            for (const Value& v : m_saved) {
                RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.empty() ? 0 : &v.data[0],
                               static_cast<DWORD>(v.data.size()));
            }
            RegCloseKey(key);
        }
    } else {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kContactsAppKey);
    }
    ReleaseMutex(m_mutex);
    CloseHandle(m_mutex);
}
