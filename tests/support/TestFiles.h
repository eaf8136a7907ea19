#pragma once
#include <cstddef>
#include <string>

// A whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Replaces the file with the bytes; false when they were not all written.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Where a library file's resource section lies in it: false when the file
// has none or is no library.
bool ResourceSection(const std::string& file, size_t* start, size_t* size);
