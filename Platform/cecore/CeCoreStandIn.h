#pragma once
// What cecore.dll offers beyond the phone's core library, for tests only: the
// program never includes this.
#include "CeCore.h"

extern "C" {

// TRUE when the record was posted by this library and is not freed yet. The
// pointer itself is not read.
__declspec(dllexport) BOOL WINAPI CeIsNotificationPending(CeNotification* record);

}  // extern "C"
