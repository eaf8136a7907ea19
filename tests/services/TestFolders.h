#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDeviceStore.h"
#include "VelDevStore.h"

// A fresh folder under the temporary directory, its name unique to this test
// process (ctest runs the cases side by side), with a trailing backslash.
std::wstring MakeTestFolder(const std::wstring& stem);
// Removes the folder with its files and empty subfolders.
void RemoveTestFolder(const std::wstring& folder);

// A device store of the test's own: what the phone and messaging stand-ins
// record lands there.
class DeviceStoreTest : public ::testing::Test {
protected:
    DeviceStoreTest() : m_device(L"vel-services-store") {}
    void TearDown() override;

    std::vector<std::wstring> ReadLog(const std::wstring& name) const
    {
        return VelDevStore::OpenAt(m_device.Folder())->ReadLog(name);
    }
    // True when the tab-separated line holds the field "key=value" whole.
    static bool Holds(const std::wstring& line, const std::wstring& field);

    TestDeviceStore m_device;
};
