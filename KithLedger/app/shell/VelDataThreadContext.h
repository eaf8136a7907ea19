#pragma once

class VelCallbackWindow;

// What the data thread opens for itself and closes again before it ends.
struct VelDataThreadContext {
    VelCallbackWindow* window;
};

// On the data thread: COM, the hidden callback window, then the message
// store, the contacts session and the call-log watch.
void CreateDataThreadContext(VelDataThreadContext* context);
// On the data thread, in the reverse order of opening.
void DestroyDataThreadContext(VelDataThreadContext* context);
