#pragma once
// What the data-source tests share: a device store of the test's own, the
// kernel debug lines written meanwhile, kldevice.exe as the phone's radio and
// PIM in a second process, and a plain window standing in for the data
// thread's callback window.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <VelDevStore.h>

#include "TestDeviceStore.h"
#include "TestPrograms.h"
#include "TestPumps.h"
#include "VelMessageSource.h"

class DataStoreTest : public ::testing::Test {
protected:
    DataStoreTest() : m_device(L"vel-data"), m_folder(m_device.Folder()) {}
    void SetUp() override;
    void TearDown() override;

    boost::shared_ptr<VelDevStore> Store() const { return VelDevStore::OpenAt(m_folder); }
    // Every debug line written since SetUp, by any module of this process.
    std::vector<std::wstring> DebugLines() const;
    static void SetFaults(const wchar_t* faults);

    TestDeviceStore m_device;
    std::wstring m_folder;
};

// The number kldevice printed last (a new record's id).
DWORD LastNumber(const std::string& output);

// A hidden window of the test thread that hands each of its messages to the
// handlers added to it, as the callback window does on the data thread.
class TestMessageWindow : public VelMessageSource {
public:
    TestMessageWindow();
    ~TestMessageWindow() override;
    HWND GetHandle() const override { return m_window; }
    void AddHandler(Handler handler) override { m_handlers.push_back(handler); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_window;
    std::vector<Handler> m_handlers;
};

FILETIME UtcMinutesAgo(int minutes);
