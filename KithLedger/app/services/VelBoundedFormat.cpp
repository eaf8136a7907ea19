#include "VelBoundedFormat.h"

#include <stdio.h>

bool VelFormatBoundedV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args)
{
    if (!buffer || capacity == 0)
        return false;
    // _vsnwprintf keeps the platform's meaning of %s, but neither terminates a
    // cut text nor tells its full length.
    const int written = _vsnwprintf(buffer, capacity, format, args);
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        buffer[capacity - 1] = L'\0';
        return false;
    }
    return true;
}

bool VelFormatBounded(wchar_t* buffer, size_t capacity, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool whole = VelFormatBoundedV(buffer, capacity, format, args);
    va_end(args);
    return whole;
}
