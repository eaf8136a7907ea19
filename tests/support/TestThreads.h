#pragma once
// The threads of the test process, as far as the tests need to see them.
#include <windows.h>

#include <vector>

// Threads of this process, still running, that began in the code of the
// loaded module `name` (a stand-in's store watcher, say).
std::vector<DWORD> ThreadsStartedIn(const wchar_t* name);
