#include "CeCore.h"

#include "VelDevStore.h"

extern "C" void NKDbgPrintfW(LPCWSTR format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    VelDevDebugPrintV(format, args);
    va_end(args);
}
