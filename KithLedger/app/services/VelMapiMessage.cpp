#include "VelMapiMessage.h"

#include <CeMapi.h>

#include <algorithm>

namespace {

const size_t kVolatileIdSize = 20;
const size_t kVolatileIdOffset = 16;

// Calls use with the value when the property came back as asked.
template <typename Use>
bool ReadProperty(ICeMapiProp* object, ULONG tag, Use use)
{
    if (!object)
        return false;
    MapiPropTagArray tags = {1, {tag}};
    ULONG count = 0;
    MapiPropValue* values = NULL;
    const HRESULT result = object->GetProps(&tags, kMapiUnicode, &count, &values);
    const bool found = SUCCEEDED(result) && values && count == 1 && values[0].ulPropTag == tag;
    if (found)
        use(values[0]);
    if (values)
        MAPIFreeBuffer(values);
    return found;
}

}  // namespace

VelMapiMessage::VelMapiMessage(const BYTE* entryId, ULONG size, ICeMessage* message)
    : m_entryId(entryId, entryId + size), m_message(message)
{
    if (m_entryId.size() == kVolatileIdSize)
        std::fill(m_entryId.begin() + kVolatileIdOffset, m_entryId.end(), 0);
}

VelMapiMessage::~VelMapiMessage() {}

VelDateTime VelMapiMessage::GetDeliveryTime() const
{
    FILETIME utc = {};
    if (!ReadMapiTime(m_message.Get(), kMapiTagDeliveryTime, &utc))
        return VelDateTime::Now();
    FILETIME local = {};
    FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME fields = {};
    FileTimeToSystemTime(&local, &fields);
    return VelDateTime(fields);
}

bool ReadMapiText(ICeMapiProp* object, ULONG tag, std::wstring* text)
{
    text->clear();
    return ReadProperty(object, tag, [text](const MapiPropValue& v) {
        if (v.Value.lpszW)
            *text = v.Value.lpszW;
    });
}

bool ReadMapiBinary(ICeMapiProp* object, ULONG tag, VelEntryId* bytes)
{
    bytes->clear();
    return ReadProperty(object, tag, [bytes](const MapiPropValue& v) {
        if (v.Value.bin.lpb)
            bytes->assign(v.Value.bin.lpb, v.Value.bin.lpb + v.Value.bin.cb);
    });
}

bool ReadMapiLong(ICeMapiProp* object, ULONG tag, ULONG* value)
{
    return ReadProperty(object, tag, [value](const MapiPropValue& v) { *value = v.Value.ul; });
}

bool ReadMapiTime(ICeMapiProp* object, ULONG tag, FILETIME* value)
{
    return ReadProperty(object, tag, [value](const MapiPropValue& v) { *value = v.Value.ft; });
}
