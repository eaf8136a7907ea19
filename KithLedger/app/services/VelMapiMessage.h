#pragma once
#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

#include "VelComRef.h"
#include "VelDateTime.h"

struct ICeMessage;
struct MapiEntryId;
struct ICeMapiProp;

typedef std::vector<BYTE> VelEntryId;

// An open message of the "SMS" store. A 20-byte identifier is kept with its
// last four bytes zero: that form is what items hold and notifications match.
class VelMapiMessage {
public:
    // Takes over the reference; a null message only names an entry.
    VelMapiMessage(const BYTE* entryId, ULONG size, ICeMessage* message);
    ~VelMapiMessage();
    VelMapiMessage(const VelMapiMessage&) = delete;
    VelMapiMessage& operator=(const VelMapiMessage&) = delete;

    const VelEntryId& GetEntryId() const { return m_entryId; }
    ICeMessage* GetMessage() const { return m_message.Get(); }
    // Local time; now when the message has none.
    VelDateTime GetDeliveryTime() const;

private:
    VelEntryId m_entryId;
    VelComRef<ICeMessage> m_message;
};

// Opens an entry of a store or folder as the interface asked for; the
// caller's reference, or null.
template <typename Result, typename Container>
Result* OpenMapiEntry(Container* container, const BYTE* entryId, ULONG size, const IID& iid)
{
    ULONG type = 0;
    VelComRef<IUnknown> object;
    if (!container || !size ||
        FAILED(container->OpenEntry(size, reinterpret_cast<MapiEntryId*>(const_cast<BYTE*>(entryId)), NULL, 0, &type,
                                    object.Receive())) ||
        !object)
        return NULL;
    VelComRef<Result> result;
    object->QueryInterface(iid, result.ReceiveVoid());
    return result.Detach();
}

// One property of an object, asked for alone with the Unicode flag; it counts
// only when exactly it comes back.
bool ReadMapiText(ICeMapiProp* object, ULONG tag, std::wstring* text);
bool ReadMapiBinary(ICeMapiProp* object, ULONG tag, VelEntryId* bytes);
bool ReadMapiLong(ICeMapiProp* object, ULONG tag, ULONG* value);
bool ReadMapiTime(ICeMapiProp* object, ULONG tag, FILETIME* value);
