#include "VelDevInternal.h"

#include <cstdarg>
#include <cwchar>

namespace {

const wchar_t kPhoneKey[] = L"System\\State\\Phone";
const wchar_t kMissedCallValue[] = L"Missed Call Count";
const size_t kDebugLineChars = 1024;

// The environment's "name[=value],..." list first, then settings.ini.
bool LookUpFault(const wchar_t* name, std::wstring* value)
{
    wchar_t buf[2048];
    DWORD n = GetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, buf, 2048);
    if (n > 0 && n < 2048) {
        std::wstring list(buf, n);
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(L',', start);
            if (end == std::wstring::npos)
                end = list.size();
            std::wstring item = list.substr(start, end - start);
            size_t eq = item.find(L'=');
            std::wstring key = item.substr(0, eq);
            if (!key.empty() && _wcsicmp(key.c_str(), name) == 0) {
                *value = eq == std::wstring::npos ? std::wstring() : item.substr(eq + 1);
                return true;
            }
            start = end + 1;
        }
    }
    std::string bytes;
    if (!VelDevReadFile(veldev::JoinPath(VelDevStore::ConfiguredFolder(), L"settings.ini"), &bytes)) {
        return false;
    }
    CSimpleIniW ini;
    ini.SetUnicode(true);
    if (ini.LoadData(bytes.data(), bytes.size()) < 0)
        return false;
    const wchar_t* text = ini.GetValue(L"faults", name, 0);
    if (!text)
        return false;
    *value = text;
    return true;
}

struct DebugState {
    standin::Lock lock;
    VelDevDebugHook hook;
};

DebugState& Debug()
{
    static DebugState* state = new DebugState;  // never destroyed: see StandInLock.h
    return *state;
}

}  // namespace

bool VelDevFault(const wchar_t* name)
{
    std::wstring value;
    return LookUpFault(name, &value) && value != L"0";
}

DWORD VelDevFaultValue(const wchar_t* name, DWORD fallback)
{
    std::wstring value;
    DWORD number = 0;
    if (!LookUpFault(name, &value) || !veldev::ParseNumber(value, &number))
        return fallback;
    return number;
}

bool VelDevSetMissedCallCount(DWORD count)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kPhoneKey, 0, 0, 0, KEY_READ | KEY_WRITE, 0, &key, 0) != ERROR_SUCCESS) {
        return false;
    }
    LONG value =
        RegSetValueExW(key, kMissedCallValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
    return value == ERROR_SUCCESS;
}

bool VelDevAddMissedCall()
{
    // Callers in several processes at once: the read and the write are one step.
    HANDLE mutex = CreateMutexW(0, FALSE, L"VelDeviceMissedCallCount");
    if (!mutex)
        return false;
    bool ok = false;
    {
        standin::MutexHold hold(mutex);
        ok = hold.Held() && VelDevSetMissedCallCount(VelDevGetMissedCallCount() + 1);
    }
    CloseHandle(mutex);
    return ok;
}

DWORD VelDevGetMissedCallCount()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPhoneKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0, type = 0, size = sizeof value;
    LONG r = RegQueryValueExW(key, kMissedCallValue, 0, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD ? value : 0;
}

void VelDevSetDebugHook(const VelDevDebugHook& hook)
{
    DebugState& debugState = Debug();
    standin::Guard guard(debugState.lock);
    debugState.hook = hook;
}

void VelDevDebugPrintV(const wchar_t* format, va_list args)
{
    wchar_t line[kDebugLineChars];
    // MS semantics (%s is wide); a cut line is left unterminated by it.
    _vsnwprintf(line, kDebugLineChars - 1, format, args);
    line[kDebugLineChars - 1] = 0;
    OutputDebugStringW(line);
    wchar_t logPath[MAX_PATH];
    DWORD value = GetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, logPath, MAX_PATH);
    if (value > 0 && value < MAX_PATH) {
        HANDLE handle = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        if (handle != INVALID_HANDLE_VALUE) {
            std::string bytes = VelDevToUtf8(line);
            DWORD written = 0;
            WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0);
            CloseHandle(handle);
        }
    }
    DebugState& debugState = Debug();
    VelDevDebugHook hook;
    {
        standin::Guard guard(debugState.lock);
        hook = debugState.hook;
    }
    if (hook)
        hook(line);
}

void VelDevDebugPrint(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    VelDevDebugPrintV(format, args);
    va_end(args);
}
