#include "PlatformTestSupport.h"

#include <cstdio>

#include <boost/shared_ptr.hpp>

namespace {

CRITICAL_SECTION& DebugLock()
{
    static CRITICAL_SECTION cs;
    static bool made = (InitializeCriticalSection(&cs), true);
    (void)made;
    return cs;
}

std::vector<std::wstring>& Lines()
{
    static std::vector<std::wstring> lines;
    return lines;
}

}  // namespace

void TempStoreTest::SetUp()
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    EnterCriticalSection(&DebugLock());
    Lines().clear();
    LeaveCriticalSection(&DebugLock());
    VelDevSetDebugHook([](const std::wstring& line) {
        EnterCriticalSection(&DebugLock());
        Lines().push_back(line);
        LeaveCriticalSection(&DebugLock());
    });
}

void TempStoreTest::TearDown()
{
    VelDevSetDebugHook(VelDevDebugHook());
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
}

std::wstring TempStoreTest::File(const std::wstring& name) const { return m_folder + L"\\" + name; }

std::string TempStoreTest::ReadBytes(const std::wstring& name) const
{
    std::string out;
    VelDevReadFile(File(name), &out);
    return out;
}

void TempStoreTest::WriteBytes(const std::wstring& name, const std::string& bytes) const
{
    HANDLE f = CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0);
    CloseHandle(f);
}

std::vector<std::wstring> TempStoreTest::DebugLines() const
{
    EnterCriticalSection(&DebugLock());
    std::vector<std::wstring> copy = Lines();
    LeaveCriticalSection(&DebugLock());
    return copy;
}

bool TempStoreTest::DebugSays(const std::wstring& part) const
{
    for (const std::wstring& line : DebugLines()) {
        if (line.find(part) != std::wstring::npos)
            return true;
    }
    return false;
}

HANDLE StartKlDevice(const std::wstring& arguments) { return StartOutProgram(L"kldevice.exe", arguments); }

HANDLE StartOutProgram(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring exe = TestOutFolder() + L"\\" + program;
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    // Under a loaded wineserver a start is now and then refused for a moment.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessW(exe.c_str(), &buf[0], 0, 0, TRUE, 0, 0, TestOutFolder().c_str(), &si, &pi)) {
            CloseHandle(pi.hThread);
            return pi.hProcess;
        }
        fprintf(stderr, "%ls did not start (error %lu)\n", program.c_str(), GetLastError());
        Sleep(200);
    }
    return 0;
}

VelDevCall MakeCall(DWORD direction, const wchar_t* number, const wchar_t* name, ULONGLONG minutesAgo)
{
    VelDevCall c;
    FILETIME now = VelDevNow();
    ULONGLONG t =
        ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) - minutesAgo * 60ULL * 10000000ULL;
    c.start.dwLowDateTime = static_cast<DWORD>(t);
    c.start.dwHighDateTime = static_cast<DWORD>(t >> 32);
    t += 90ULL * 10000000ULL;
    c.end.dwLowDateTime = static_cast<DWORD>(t);
    c.end.dwHighDateTime = static_cast<DWORD>(t >> 32);
    c.direction = direction;
    c.flags = direction == kDevCallMissed ? 0 : 6;
    c.number = VelDevOptText(number);
    c.name = VelDevOptText(name);
    return c;
}
