#include "VelPoomSession.h"

#include <PimStore.h>

#include "VelComRef.h"
#include "VelMessageSource.h"

VelSignal<int32_t> ContactCreated;
VelSignal<int32_t> ContactChanged;
VelSignal<int32_t> ContactDeleted;

namespace {

IPimApplication* g_application = NULL;
IPimItemCollection* g_contacts = NULL;
// The window given the handler; it keeps its handlers for life.
VelMessageSource* g_handlerWindow = NULL;
HWND g_handlerHandle = NULL;

// Both families: changes made here (a favourite toggled) and elsewhere.
void WatchFolder(IPimFolder* folder)
{
    VelComRef<IPimItem> item;
    if (FAILED(folder->QueryInterface(IID_IPimItem, item.ReceiveVoid())) || !item)
        return;
    PimPropValue notifications = {};
    notifications.propid = kPimPropFolderNotifications;
    notifications.val.ulVal = kPimNotifyLocal | kPimNotifyRemote;
    item->SetProps(0, 1, &notifications);
}

}  // namespace

IPimApplication* GetPoomApplication() { return g_application; }

IPimItemCollection* GetPoomContacts() { return g_contacts; }

HRESULT LogonPoom(VelMessageSource* window)
{
    if (window && (window != g_handlerWindow || window->GetHandle() != g_handlerHandle)) {
        window->AddHandler(OnPoomNotification);
        g_handlerWindow = window;
        g_handlerHandle = window->GetHandle();
    }
    // Logged on already: a second log-on would have every change posted twice.
    if (g_application)
        return S_OK;
    HRESULT result = CoCreateInstance(CLSID_PimApplication, NULL, CLSCTX_INPROC_SERVER, IID_IPimApplication,
                                      reinterpret_cast<void**>(&g_application));
    if (FAILED(result) || !g_application) {
        g_application = NULL;
        return FAILED(result) ? result : E_NOINTERFACE;
    }
    result = g_application->Logon(window ? window->GetHandle() : NULL);
    if (FAILED(result)) {
        VelReleaseAndClear(g_application);
        return result;
    }
    VelComRef<IPimFolder> folder;
    result = g_application->GetDefaultFolder(kPimFolderContacts, folder.Receive());
    if (SUCCEEDED(result) && folder)
        result = folder->get_Items(&g_contacts);
    if (SUCCEEDED(result) && folder && g_contacts) {
        WatchFolder(folder.Get());
        return S_OK;
    }
    folder.Reset();
    VelReleaseAndClear(g_contacts);
    // Logged on already: log off before letting go of the application.
    g_application->Logoff();
    VelReleaseAndClear(g_application);
    return FAILED(result) ? result : E_FAIL;
}

void LogoffPoom()
{
    VelReleaseAndClear(g_contacts);
    if (g_application) {
        g_application->Logoff();
        VelReleaseAndClear(g_application);
    }
}

void OnPoomNotification(VelMessageSource*, UINT message, WPARAM wParam, LPARAM)
{
    // An object id is 32 bits and never 0: anything else did not come from
    // the session, and cut to 32 bits it would name another contact. The
    // handlers ask the store before they believe the rest.
    if (wParam == 0 || static_cast<ULONGLONG>(wParam) > 0xFFFFFFFFull)
        return;
    const int32_t id = static_cast<int32_t>(wParam);
    switch (message) {
    case kPimMsgLocalCreated:
    case kPimMsgRemoteCreated:
        ContactCreated.Emit(id);
        break;
    case kPimMsgLocalDeleted:
    case kPimMsgRemoteDeleted:
        ContactDeleted.Emit(id);
        break;
    case kPimMsgLocalChanged:
    case kPimMsgRemoteChanged:
        ContactChanged.Emit(id);
        break;
    default:
        break;
    }
}
