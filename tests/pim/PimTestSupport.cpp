#include "PimTestSupport.h"

#include <cwchar>

namespace {

constexpr wchar_t kChildSwitch[] = L"--store-child ";

DWORD Number(const std::wstring& text) { return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 10)); }

std::vector<std::wstring> Words(const std::wstring& text)
{
    std::vector<std::wstring> words;
    size_t start = 0;
    while (start < text.size()) {
        size_t stop = text.find(L' ', start);
        if (stop == std::wstring::npos)
            stop = text.size();
        if (stop > start)
            words.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return words;
}

DWORD PerformChildAction(const std::vector<std::wstring>& w)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    if (w.empty())
        return 0;
    if (w[0] == L"add-contact" && w.size() == 3)
        return AddContact(w[2] + L", " + w[1], w[1], w[2]);
    if (w[0] == L"change-contact" && w.size() == 3) {
        VelDevContact c;
        if (!store->FindContact(Number(w[1]), &c))
            return 0;
        c.company = w[2];
        return store->UpdateContact(c) ? 1 : 0;
    }
    if (w[0] == L"delete-contact" && w.size() == 2)
        return store->DeleteContact(Number(w[1])) ? 1 : 0;
    if (w[0] == L"add-message" && w.size() == 3)
        return AddMessage(Number(w[1]), w[2], 0);
    if (w[0] == L"move-message" && w.size() == 3) {
        VelDevMessage m;
        if (!store->FindMessage(Number(w[1]), &m))
            return 0;
        m.folder = Number(w[2]);
        return store->UpdateMessage(m) ? 1 : 0;
    }
    if (w[0] == L"delete-message" && w.size() == 2)
        return store->DeleteMessage(Number(w[1])) ? 1 : 0;
    return 0;
}

// Before the test framework sees the command line: the second process only
// changes the store and ends.
struct ChildMode {
    ChildMode()
    {
        const wchar_t* line = GetCommandLineW();
        const wchar_t* at = wcsstr(line, kChildSwitch);
        if (!at)
            return;
        ExitProcess(PerformChildAction(Words(at + wcslen(kChildSwitch))));
    }
} g_childMode;

}  // namespace

DWORD RunProcess(const std::wstring& exe, std::wstring line);

DWORD RunProcess(const std::wstring& exe, std::wstring line)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

DWORD RunOtherProcess(const std::wstring& action)
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD code = RunProcess(exe, L"\"" + std::wstring(exe) + L"\" " + kChildSwitch + action);
    return code == 0xFFFFFFFF ? 0 : code;
}

boost::shared_ptr<VelDevStore> TestStore() { return VelDevStore::Open(); }

DWORD AddContact(const std::wstring& fileAs, const std::wstring& first, const std::wstring& last,
                 const std::wstring& categories, const std::wstring& mobile)
{
    VelDevContact c;
    c.fileAs = fileAs;
    c.firstName = first;
    c.lastName = last;
    c.categories = categories;
    c.mobile = mobile;
    return TestStore()->AddContact(c);
}

DWORD AddMessage(DWORD folder, const std::wstring& text, int minutesAgo, bool withFlags, DWORD flags)
{
    VelDevMessage m;
    m.folder = folder;
    m.text = text;
    m.senderName = L"Sender " + text;
    m.senderAddress = L"+4470000" + text;
    m.recipients.push_back({L"Ann", L"+111"});
    m.recipients.push_back({L"Bob", L"+222"});
    if (minutesAgo >= 0) {
        m.hasDeliveryTime = true;
        ULARGE_INTEGER t;
        FILETIME now = VelDevNow();
        t.LowPart = now.dwLowDateTime;
        t.HighPart = now.dwHighDateTime;
        t.QuadPart -= static_cast<ULONGLONG>(minutesAgo) * 60 * 10000000ULL;
        m.deliveryTime.dwLowDateTime = t.LowPart;
        m.deliveryTime.dwHighDateTime = t.HighPart;
    }
    m.hasFlags = withFlags;
    m.flags = flags;
    return TestStore()->AddMessage(m);
}
