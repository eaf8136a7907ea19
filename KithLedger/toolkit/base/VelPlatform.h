#pragma once
// The one place the toolkit includes the platform headers. windows.h renames
// GetClassName, DrawText, GetTextMetrics, DefWindowProc and others to their W
// forms; every toolkit header comes through here, so members of those names are
// renamed the same way in every translation unit and the vtables agree.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
