#pragma once
// The shell's loader of bitmap files: the bitmap, or null with the last error set.
#include <windows.h>

HBITMAP SHLoadDIBitmap(LPCWSTR path);
