#pragma once
#include <cstdint>
#include <string>

#include "VelDataItem.h"
#include "VelDateTime.h"

struct CallLogEntry;

// One call of the log, times in local time.
class VelCallItem : public VelDataItem {
public:
    enum CallFlags : uint32_t { kMissed = 0x1, kConnected = 0x4, kEnded = 0x8 };

    // Copies what it shows and frees the entry's strings.
    explicit VelCallItem(CallLogEntry& entry);

    const VelDateTime& GetStart() const { return m_start; }
    const VelDateTime& GetEnd() const { return m_end; }
    const std::wstring& GetNumber() const { return m_number; }
    // The name, else the number, else the text for an unknown caller; an empty
    // but present name stays empty.
    const std::wstring& GetDisplayText() const { return m_displayText; }
    const std::wstring& GetName() const { return m_name; }
    const std::wstring& GetNameType() const { return m_nameType; }
    bool IsOutgoing() const { return m_outgoing; }
    uint32_t GetCallFlags() const { return m_callFlags; }

private:
    VelDateTime m_start;
    VelDateTime m_end;
    std::wstring m_number;
    std::wstring m_displayText;
    std::wstring m_name;
    std::wstring m_nameType;
    bool m_outgoing;
    uint32_t m_callFlags;
};
