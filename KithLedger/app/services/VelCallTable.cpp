#include "VelCallTable.h"

#include <CeCore.h>
#include <Phone.h>

#include <new>

#include "VelCallItem.h"

namespace {

const HANDLE kClosedLog = reinterpret_cast<HANDLE>(-1);

}

VelCallTable::VelCallTable() : m_log(kClosedLog), m_cursor(0), m_count(0) { Open(); }

VelCallTable::~VelCallTable() { Close(); }

HRESULT VelCallTable::Open()
{
    if (m_log == kClosedLog) {
        HANDLE log = kClosedLog;
        const HRESULT opened = PhoneOpenCallLog(&log);
        if (FAILED(opened))
            return opened;
        m_log = log;
    }
    DWORD first = 0;
    DWORD last = 0;
    HRESULT result = PhoneSeekCallLog(m_log, kCallLogSeekBegin, 0, &first);
    if (SUCCEEDED(result))
        result = PhoneSeekCallLog(m_log, kCallLogSeekEnd, 0, &last);
    if (FAILED(result)) {
        // An empty log, or one that cannot be walked: closed, and the seek's
        // failure is what the caller learns.
        Close();
        return result;
    }
    m_count = last - first + 1;
    return result;
}

void VelCallTable::Close()
{
    if (m_log != kClosedLog) {
        PhoneCloseCallLog(m_log);
        m_log = kClosedLog;
    }
}

VelDataItem* VelCallTable::GetEntry()
{
    // The entry at the cursor or none: passing over one that cannot be read
    // is the caller's choice, and the newest call must be entry 0 or nothing.
    if (m_cursor >= m_count || FAILED(PhoneSeekCallLog(m_log, kCallLogSeekBegin, m_cursor, NULL)))
        return NULL;
    CallLogEntry entry = {};
    entry.cbSize = sizeof(entry);
    const HRESULT read = PhoneGetCallLogEntry(m_log, &entry);
    if (SUCCEEDED(read))
        return new (std::nothrow) VelCallItem(entry);
    NKDbgPrintfW(L"VelCallTable::VelCallTable: PhoneGetCallLogEntry failed %08x.\n", read);
    return NULL;
}

int32_t VelCallTable::GetCount() { return static_cast<int32_t>(m_count); }

bool VelCallTable::Seek(int32_t offset, int origin)
{
    m_cursor = SeekTarget(m_cursor, offset, origin, m_count);
    return m_cursor < m_count;
}
