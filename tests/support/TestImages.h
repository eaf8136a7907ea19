#pragma once
#include <windows.h>

#include <string>

#include "VelBitmap.h"

// A PNG of the given size in one colour (blue, green, red, alpha from the low
// byte up), made with the platform's codecs; empty when they fail.
std::string MakePng(UINT width, UINT height, DWORD bgra = 0x80808080);
// A PNG of 8-bit grey pixels, all black, made here without the codecs: a
// very large picture compresses to a small file.
std::string MakeBlankPng(UINT width, UINT height);
// A bitmap of one colour, compatible with the screen.
VelBitmap SolidBitmap(int width, int height, COLORREF colour);
