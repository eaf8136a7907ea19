#include "VelDebugTrace.h"

#include <windows.h>

#include <cstring>

#include "VelBoundedFormat.h"

namespace {

const size_t kTraceChars = 1024;
const size_t kTickPrefixChars = 100;

}  // namespace

void DebugTraceAt(const char* sourceFile, int line, const wchar_t* format, ...)
{
    wchar_t message[kTraceChars];
    va_list args;
    va_start(args, format);
    VelFormatBoundedV(message, kTraceChars, format, args);
    va_end(args);

    const char* slash = std::strrchr(sourceFile, '\\');
    const char* name = slash ? slash + 1 : sourceFile;

    wchar_t text[kTraceChars];
    VelFormatBounded(text, kTraceChars, L"[%x] %hs(%d) -> %ls.\n", GetCurrentThreadId(), name, line, message);
    OutputDebugStringW(text);
}

void DebugTrace(const wchar_t* format, ...)
{
    wchar_t message[kTraceChars];
    va_list args;
    va_start(args, format);
    VelFormatBoundedV(message, kTraceChars, format, args);
    va_end(args);

    wchar_t prefix[kTickPrefixChars];
    VelFormatBounded(prefix, kTickPrefixChars, L"[%u] ", GetTickCount());
    OutputDebugStringW(prefix);
    OutputDebugStringW(message);
}
