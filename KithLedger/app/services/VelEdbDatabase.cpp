#include "VelEdbDatabase.h"

#include <CeCore.h>

#include <new>
#include <utility>

#include "VelMessageSource.h"

VelSignal<uint32_t, uint32_t> CallLogChanged;

namespace {

const wchar_t kPimVolumeName[] = L"\\pim.vol";
const wchar_t kCallLogDatabaseName[] = L"clog.db";
const DWORD kVolumeVersion = 1;
const DWORD kVolumeBufferPoolBytes = 0x40000;
const DWORD kMountFlags = 0x80000003;
const DWORD kOpenFlags = 1;

// Process-wide, touched only by the data thread.
struct CallLogWatch {
    CeVolumeGuid volume;
    bool mounted;
    CeNotifyRequest request;
    VelEdbDatabase* database;
    // The window the handler was added to; a window keeps its handlers for
    // life, so it is never given the handler twice.
    VelMessageSource* handlerWindow;
    HWND handlerHandle;
};
CallLogWatch g_watch = {};

}  // namespace

VelEdbDatabase::VelEdbDatabase() {}

VelEdbDatabase::~VelEdbDatabase() { Close(); }

bool VelEdbDatabase::Open(int kind, HWND window)
{
    const wchar_t* name = kind == kCallLog ? kCallLogDatabaseName : L"";
    CeNotifyRequest& request = g_watch.request;
    request = CeNotifyRequest();
    if (window) {
        request.size = sizeof(request);
        request.window = window;
        request.flags = kCeNotifyByRecord;
        request.heap = NULL;
        request.param = static_cast<DWORD>(kind);
    }
    CeObjectId byName = 0;
    VelFileHandle handle(
        CeOpenDatabaseInSession(NULL, &g_watch.volume, &byName, name, NULL, kOpenFlags, window ? &request : NULL));
    if (!handle) {
        NKDbgPrintfW(L"VelEdbDatabase::Open: CeOpenDatabaseInSession %s failed %d.\n", name,
                     static_cast<int>(GetLastError()));
        return false;
    }
    Close();
    m_handle = std::move(handle);
    return true;
}

void VelEdbDatabase::Close() { m_handle.Reset(); }

bool MountPimVolume()
{
    if (g_watch.mounted)
        return true;
    CeVolumeOptions options = {};
    options.version = kVolumeVersion;
    options.bufferPoolBytes = kVolumeBufferPoolBytes;
    g_watch.mounted = CeMountDBVolEx(&g_watch.volume, kPimVolumeName, &options, kMountFlags) == TRUE;
    return g_watch.mounted;
}

void UnmountPimVolume()
{
    if (g_watch.mounted && CeUnmountDBVol(&g_watch.volume))
        g_watch.mounted = false;
}

bool IsPimVolumeMounted() { return g_watch.mounted; }

void OpenCallLogNotifications(VelMessageSource* window)
{
    MountPimVolume();
    if (!g_watch.database)
        g_watch.database = new (std::nothrow) VelEdbDatabase;
    const HWND handle = window ? window->GetHandle() : NULL;
    // Opened for this window already: a second subscription would post every
    // change twice.
    const bool watching = g_watch.database && g_watch.database->IsOpen() && handle && g_watch.request.window == handle;
    if (g_watch.database && !watching)
        g_watch.database->Open(VelEdbDatabase::kCallLog, handle);
    if (window && (window != g_watch.handlerWindow || handle != g_watch.handlerHandle)) {
        window->AddHandler(OnCallLogNotification);
        g_watch.handlerWindow = window;
        g_watch.handlerHandle = handle;
    }
}

void CloseCallLogNotifications()
{
    delete g_watch.database;
    g_watch.database = NULL;
    UnmountPimVolume();
}

void OnCallLogNotification(VelMessageSource*, UINT message, WPARAM, LPARAM lParam)
{
    if (message != kCeDbNotifyMessage)
        return;
    CeNotification* record = reinterpret_cast<CeNotification*>(lParam);
    // Any process can post the message: what is not a whole record of ours
    // is not read, and only one the platform takes back is announced.
    if (!record || IsBadReadPtr(record, sizeof(CeNotification)) || record->size != sizeof(CeNotification))
        return;
    const DWORD type = record->type;
    const CeObjectId oid = record->oid;
    if (!FreeDbNotification(record))
        return;
    if (type == kCeDbRecordCreated || type == kCeDbRecordDeleted || type == kCeDbRecordChanged)
        CallLogChanged.Emit(type, oid);
}

bool FreeDbNotification(CeNotification* record) { return CeFreeNotification(&g_watch.request, record) != FALSE; }
