#pragma once
#include <string>

// A whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Replaces the file with the bytes; false when they were not all written.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
