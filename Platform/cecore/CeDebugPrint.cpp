#include "CeCore.h"

#include "VelDevStore.h"

#include <cstdarg>
#include <cwchar>

namespace {
const size_t kDebugLineChars = 1024;
}

extern "C" void NKDbgPrintfW(LPCWSTR format, ...) {
    if (!format) return;
    wchar_t line[kDebugLineChars];
    va_list args;
    va_start(args, format);
    // The platform's %s is wide, as in _vsnwprintf; a cut line is not terminated by it.
    _vsnwprintf(line, kDebugLineChars - 1, format, args);
    va_end(args);
    line[kDebugLineChars - 1] = 0;
    VelDevDebugPrint(L"%ls", line);
}
