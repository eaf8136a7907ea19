#pragma once
#include <windows.h>

// What the data sources need of the data thread's callback window: the native
// handle the platform posts its notifications to, and a list of handlers that
// see every message of that window on the thread that owns it.
class VelMessageSource {
public:
    // Every handler is called for every message and tests the number itself.
    typedef void (*Handler)(VelMessageSource* window, UINT message, WPARAM wParam, LPARAM lParam);

    virtual ~VelMessageSource() {}
    virtual HWND GetHandle() const = 0;
    // Kept for the life of the window, in registration order.
    virtual void AddHandler(Handler handler) = 0;
};
