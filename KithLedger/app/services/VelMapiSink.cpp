#include "VelMapiSink.h"

#include <CeCore.h>

#include <memory>

#include "VelMapiMessage.h"
#include "VelSmsStore.h"

VelMapiSink::VelMapiSink() : m_refs(1), m_connection(0) {}

STDMETHODIMP VelMapiSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    // Only what this object is: another interface's table would not match.
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICeMapiAdviseSink)) {
        *object = static_cast<ICeMapiAdviseSink*>(this);
        AddRef();
        return S_OK;
    }
    *object = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VelMapiSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) VelMapiSink::Release()
{
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP_(ULONG) VelMapiSink::OnNotify(ULONG count, MapiNotification* notifications)
{
    for (ULONG i = 0; notifications && i < count; ++i) {
        // Nothing may cross back into the message store, which calls from
        // code that knows no exceptions: one notification's failure ends it alone.
        try {
            Deliver(notifications[i]);
        } catch (...) {
            NKDbgPrintfW(L"VelMapiSink::OnNotify: a notification's handler failed.\n");
        }
    }
    return 0;
}

void VelMapiSink::Deliver(const MapiNotification& notification)
{
    const MapiObjectNotification& object = notification.info.obj;
    if (!object.lpEntryID || !object.cbEntryID)
        return;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(object.lpEntryID);
    const VelEntryId id(bytes, bytes + object.cbEntryID);
    std::unique_ptr<VelMapiMessage> message(OpenMessageById(id));
    const bool isMessage = object.ulObjType == kMapiObjMessage;
    const bool createdOrDeleted =
        notification.ulEventType == kMapiEventDeleted || notification.ulEventType == kMapiEventCreated;
    if (createdOrDeleted && isMessage && !message) {
        // A message deleted outright can no longer be opened, nor can one
        // whose creation is noticed only after its deletion; its row is
        // still matched by the identifier, so the creation and the
        // deletion both reach the lists.
        message.reset(new (std::nothrow) VelMapiMessage(bytes, object.cbEntryID, NULL));
    }
    if (!message)
        return;
    switch (notification.ulEventType) {
    case kMapiEventCreated:
        if (isMessage)
            MessageCreated.Emit(message.get());
        break;
    case kMapiEventDeleted:
        NKDbgPrintfW(L"VelMapiSink::OnNotify: deleted.\n");
        if (isMessage)
            MessageDeleted.Emit(message.get());
        break;
    case kMapiEventModified:
        if (isMessage)
            MessageModified.Emit(message.get());
        break;
    case kMapiEventMoved:
        if (isMessage)
            MessageMoved.Emit(message.get());
        break;
    default:
        break;
    }
}
