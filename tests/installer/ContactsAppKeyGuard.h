#pragma once
// HKLM "Software\Microsoft\Shell\Rai\:MSCONTACTS" is one key for every test
// process of the prefix (ctest runs the test programs side by side): a test
// that installs or removes holds this for as long as it uses the key, and the
// key is put back as it was afterwards, gone again when it was not there.
#include <windows.h>

#include <string>
#include <vector>

extern const wchar_t kContactsAppKey[];

class ContactsAppKeyGuard {
public:
    ContactsAppKeyGuard();
    ~ContactsAppKeyGuard();

private:
    ContactsAppKeyGuard(const ContactsAppKeyGuard&);
    ContactsAppKeyGuard& operator=(const ContactsAppKeyGuard&);

    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    HANDLE m_mutex;
    bool m_existed;
    std::vector<Value> m_saved;
};
