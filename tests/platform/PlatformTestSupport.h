#pragma once
// A fresh device store folder per test, and the means to run the tools.
#include "PhoneKeyGuard.h"
#include "VelDevStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TempStoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring File(const std::wstring& name) const;
    std::string ReadBytes(const std::wstring& name) const;
    void WriteBytes(const std::wstring& name, const std::string& bytes) const;
    // Debug lines of the store and stand-ins linked into this test.
    std::vector<std::wstring> DebugLines() const;
    bool DebugSays(const std::wstring& part) const;

    std::wstring m_folder;
};

// Runs build/out's kldevice.exe with the arguments and the test's store;
// answers its exit code (or -1 when it could not be started).
int RunKlDevice(const std::wstring& arguments, DWORD timeoutMs = 30000);
// Starts it without waiting; the caller waits and closes the handle.
HANDLE StartKlDevice(const std::wstring& arguments);
// The same for another program of build/out.
HANDLE StartOutProgram(const std::wstring& program, const std::wstring& arguments);

// Polls until pred holds or the time is up.
template <class Pred>
bool WaitFor(Pred pred, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

VelDevCall MakeCall(DWORD direction, const wchar_t* number, const wchar_t* name, ULONGLONG minutesAgo);

// The records the phone lays out for 32-bit words keep those sizes in a
// 32-bit build; a 64-bit build has the natural sizes of its pointers.
const DWORD kCallLogEntryBytes = sizeof(void*) == 4 ? 48 : 64;
const DWORD kMakeCallInfoBytes = sizeof(void*) == 4 ? 28 : 48;
const DWORD kNotifyRequestBytes = sizeof(void*) == 4 ? 20 : 40;
