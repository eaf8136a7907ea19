#include "CeCore.h"

#include "VelDevStore.h"

#include <cwchar>
#include <string>

namespace {

// The format with every "%n" conversion (which writes through an argument)
// made literal: a caller's text that reached the format position can then
// print wrongly, but never write memory.
std::wstring WithoutStores(LPCWSTR format)
{
    std::wstring safe;
    for (const wchar_t* at = format; *at; ++at) {
        if (*at != L'%') {
            safe += *at;
            continue;
        }
        if (at[1] == L'%') {
            safe += L"%%";
            ++at;
            continue;
        }
        const wchar_t* end = at + 1;
        while (*end && wcschr(L"-+ #0123456789.*hlLwIzjt", *end))
            ++end;
        safe += (*end == L'n' || *end == 0) ? L"%%" : L"%";
    }
    return safe;
}

}  // namespace

extern "C" void NKDbgPrintfW(LPCWSTR format, ...)
{
    if (!format)
        return;
    const std::wstring safe = WithoutStores(format);
    va_list args;
    va_start(args, format);
    VelDevDebugPrintV(safe.c_str(), args);
    va_end(args);
}
