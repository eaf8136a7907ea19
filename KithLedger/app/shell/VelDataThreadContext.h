#pragma once

class VelCallbackWindow;

// What the data thread opens for itself and closes again before it ends.
struct VelDataThreadContext {
    VelCallbackWindow* window;
};

// On the data thread: COM, the hidden callback window and the contacts
// session with its first listing, which the first list needs.
void CreateDataThreadContext(VelDataThreadContext* context);
// On the data thread, after the above: the message store and the call-log watch.
void OpenOtherStores(VelDataThreadContext* context);
// On the data thread, in the reverse order of opening.
void DestroyDataThreadContext(VelDataThreadContext* context);
