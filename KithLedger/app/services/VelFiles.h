#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The module's full path up to and including its last backslash; empty when
// the path has none. A null module is the program itself.
std::wstring GetModuleDirectory(HMODULE module = NULL);

enum class VelExtension { kKeep, kStrip };

// Names of the directory's entries that match the pattern, directories too,
// in the platform's order; kStrip drops the last 4 characters of a name that
// is longer than that (".dll").
std::vector<std::wstring> ListFiles(const std::wstring& directory, const std::wstring& pattern, VelExtension extension);

// Starts a program with the given (writable) command line and lets it run;
// false when it could not be started. A bare program name is looked up beside
// this program first, then in the current directory.
bool StartProgram(const wchar_t* program, wchar_t* commandLine);
