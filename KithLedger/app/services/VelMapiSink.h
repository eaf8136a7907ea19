#pragma once
#include <CeMapi.h>

#include "VelSignal.h"

class VelMapiMessage;

// The application's advise sink for the "SMS" store: each notification about
// one of its messages becomes a signal carrying the message, open only while
// the slots run. Called on the messaging system's own thread.
class VelMapiSink : public ICeMapiAdviseSink {
public:
    VelMapiSink();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP_(ULONG) OnNotify(ULONG count, MapiNotification* notifications) override;

    VelSignal<VelMapiMessage*> MessageCreated;
    VelSignal<VelMapiMessage*> MessageDeleted;
    VelSignal<VelMapiMessage*> MessageMoved;
    VelSignal<VelMapiMessage*> MessageModified;

    LONG m_refs;
    // Written by the session when the sink is registered.
    ULONG m_connection;

private:
    void Deliver(const MapiNotification& notification);
    // Only Release deletes.
    virtual ~VelMapiSink() {}
};
