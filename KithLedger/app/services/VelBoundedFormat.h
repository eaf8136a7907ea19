#pragma once
#include <cstdarg>
#include <cstddef>

// printf-style formatting with the platform's wide semantics (%s is a wide
// string) into a fixed buffer that always ends terminated, cut if need be.
// Returns false when the text had to be cut.
bool VelFormatBounded(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);
bool VelFormatBoundedV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args);
