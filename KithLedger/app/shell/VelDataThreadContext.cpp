#include "VelDataThreadContext.h"

#include <objbase.h>

#include <new>

#include <PimStore.h>

#include "VelCallbackWindow.h"
#include "VelEdbDatabase.h"
#include "VelPoomSession.h"
#include "VelRect.h"
#include "VelSmsStore.h"

void CreateDataThreadContext(VelDataThreadContext* context)
{
    ::CoInitializeEx(NULL, 0);
    context->window = new (std::nothrow) VelCallbackWindow(nullptr, "callback-window");
    if (context->window)
        context->window->CreateWithClassName(0, VelRect(0, 0, 0, 0), 0, nullptr);
    LogonPoom(context->window);
    // Lists the contacts here, once, rather than in the first load's table.
    int count = 0;
    if (IPimItemCollection* contacts = GetPoomContacts())
        contacts->get_Count(&count);
}

void OpenOtherStores(VelDataThreadContext* context)
{
    OpenSmsStore();
    OpenCallLogNotifications(context->window);
}

void DestroyDataThreadContext(VelDataThreadContext* context)
{
    CloseCallLogNotifications();
    LogoffPoom();
    CloseSmsStore();
    delete context->window;
    context->window = nullptr;
    ::CoUninitialize();
}
