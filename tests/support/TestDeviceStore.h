#pragma once
#include <windows.h>

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

#include "VelDevStore.h"

// A device store in a temporary folder of the test's own, named for the
// stand-ins through the environment while it lives; the folder goes with it.
class TestDeviceStore {
public:
    explicit TestDeviceStore(const std::wstring& stem);
    TestDeviceStore(const TestDeviceStore&) = delete;
    TestDeviceStore& operator=(const TestDeviceStore&) = delete;
    ~TestDeviceStore();

    const std::wstring& Folder() const { return m_folder; }
    VelDevStore& Store();
    // The stand-in programs write their logs from processes of their own: waits
    // up to the time for the log to have that many lines.
    std::vector<std::wstring> WaitForLog(const std::wstring& fileName, size_t lines, DWORD waitMs = 10000);

private:
    std::wstring m_folder;
    boost::shared_ptr<VelDevStore> m_store;
};
