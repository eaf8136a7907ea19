#pragma once
// What the contacts and messaging tests share: a store folder of the test's
// own, a second process that changes the store, and waiting with a bound.
#include <windows.h>

#include <TestDeviceStore.h>
#include <TestPrograms.h>
#include <TestPumps.h>
#include <TestThreads.h>
#include <VelDevStore.h>

#include <string>
#include <vector>

// Runs this test program again as another process that performs `action`
// ("add-contact <first> <last>", "change-contact <oid> <company>", "delete-contact <oid>",
// "add-message <folder> <text>", "move-message <id> <folder>", "delete-message <id>")
// and returns its exit code (a new record's id for the add actions).
DWORD RunOtherProcess(const std::wstring& action);

boost::shared_ptr<VelDevStore> TestStore();
DWORD AddContact(const std::wstring& fileAs, const std::wstring& first, const std::wstring& last,
                 const std::wstring& categories = L"", const std::wstring& mobile = L"");
DWORD AddMessage(DWORD folder, const std::wstring& text, int minutesAgo, bool withFlags = true, DWORD flags = 0);
