#pragma once
#include <windows.h>

#include <cstdint>

#include "VelSignal.h"

class VelMessageSource;
struct IPimApplication;
struct IPimItemCollection;

// The contacts session of the data thread: written by LogonPoom and
// LogoffPoom only, read by any thread in between.
IPimApplication* GetPoomApplication();
IPimItemCollection* GetPoomContacts();

// Logging on again while logged on changes nothing; a window is given the
// notification handler once.
HRESULT LogonPoom(VelMessageSource* window);
void LogoffPoom();

// The contact's POOM id.
extern VelSignal<int32_t> ContactCreated;
extern VelSignal<int32_t> ContactChanged;
extern VelSignal<int32_t> ContactDeleted;

// A callback-window handler for the contact change messages.
void OnPoomNotification(VelMessageSource* window, UINT message, WPARAM wParam, LPARAM lParam);
