#pragma once
// A fresh device store folder per test, and the means to run the tools.
#include "PhoneKeyGuard.h"
#include "TestDeviceStore.h"
#include "TestPrograms.h"
#include "TestPumps.h"
#include "VelDevStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TempStoreTest : public ::testing::Test {
protected:
    TempStoreTest() : m_device(L"velstore"), m_folder(m_device.Folder()) {}
    void SetUp() override;
    void TearDown() override;

    std::wstring File(const std::wstring& name) const;
    std::string ReadBytes(const std::wstring& name) const;
    void WriteBytes(const std::wstring& name, const std::string& bytes) const;
    // Debug lines of the store and stand-ins linked into this test.
    std::vector<std::wstring> DebugLines() const;
    bool DebugSays(const std::wstring& part) const;

    TestDeviceStore m_device;
    std::wstring m_folder;
};

// Starts build/out's kldevice.exe without waiting; the caller waits and closes the handle.
HANDLE StartKlDevice(const std::wstring& arguments);
// The same for another program of build/out.
HANDLE StartOutProgram(const std::wstring& program, const std::wstring& arguments);

VelDevCall MakeCall(DWORD direction, const wchar_t* number, const wchar_t* name, ULONGLONG minutesAgo);

// The records the phone lays out for 32-bit words keep those sizes in a
// 32-bit build; a 64-bit build has the natural sizes of its pointers.
const DWORD kCallLogEntryBytes = sizeof(void*) == 4 ? 48 : 64;
const DWORD kMakeCallInfoBytes = sizeof(void*) == 4 ? 28 : 48;
const DWORD kNotifyRequestBytes = sizeof(void*) == 4 ? 20 : 40;
