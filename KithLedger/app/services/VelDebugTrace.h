#pragma once

// Diagnostics on the platform's debug output; formats use the platform's wide
// semantics (%s is a wide string). Each line is cut at 1024 characters.
void DebugTraceAt(const char* sourceFile, int line, const wchar_t* format, ...);
void DebugTrace(const wchar_t* format, ...);
