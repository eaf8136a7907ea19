#pragma once
#include <windows.h>

#include <cstdint>

#include "VelSignal.h"
#include "VelUniqueHandle.h"

class VelMessageSource;
struct CeNotification;

// The call log's database, opened only to be told of its changes.
class VelEdbDatabase {
public:
    enum Kind { kCallLog = 1 };

    VelEdbDatabase();
    ~VelEdbDatabase();

    // With a window, every change of the database is posted to it.
    bool Open(int kind, HWND window);
    void Close();
    bool IsOpen() const { return m_handle.IsValid(); }

private:
    VelFileHandle m_handle;
};

// (notification type, record id) for each call created, deleted or changed.
extern VelSignal<uint32_t, uint32_t> CallLogChanged;

// Data-thread start-up and teardown of the call-log watch. Opening again for
// the same window changes nothing; a window is given the handler once.
void OpenCallLogNotifications(VelMessageSource* window);
void CloseCallLogNotifications();

bool MountPimVolume();
void UnmountPimVolume();
bool IsPimVolumeMounted();

// Hands a record received with a notification back to the platform; false
// when the platform did not hand it out.
bool FreeDbNotification(CeNotification* record);

// A callback-window handler.
void OnCallLogNotification(VelMessageSource* window, UINT message, WPARAM wParam, LPARAM lParam);
