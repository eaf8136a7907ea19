#include "VelDebugLog.h"

#include <CeCore.h>

void VelDebugLog(const wchar_t* text) { NKDbgPrintfW(L"%ls", text); }
