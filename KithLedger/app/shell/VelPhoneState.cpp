#include "VelPhoneState.h"

#include <CeCore.h>

namespace {

const wchar_t kPhoneStateKey[] = L"System\\State\\Phone";
const wchar_t kMissedCallValue[] = L"Missed Call Count";
const REGSAM kKeyRead = 0x20019;
const REGSAM kKeyWrite = 0x20006;
const DWORD kRegistryValueChanges = 4;

}  // namespace

void VelRegChangeTraits::Close(Handle change) { CeFindCloseRegChange(change); }

bool ReadMissedCallValue(DWORD* count)
{
    VelRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPhoneStateKey, 0, kKeyRead, key.Receive()) != ERROR_SUCCESS) {
        key.Detach();  // a failed open hands over no key, whatever it left in the slot
        return false;
    }
    DWORD value = 0, type = 0, size = sizeof(value);
    const LONG result =
        ::RegQueryValueExW(key.Get(), kMissedCallValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS || size != sizeof(value))
        return false;
    *count = value;
    return true;
}

bool WriteMissedCallValue(DWORD count)
{
    VelRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPhoneStateKey, 0, kKeyWrite, key.Receive()) != ERROR_SUCCESS) {
        key.Detach();
        return false;
    }
    return ::RegSetValueExW(key.Get(), kMissedCallValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                            sizeof(count)) == ERROR_SUCCESS;
}

VelRegChange WatchMissedCallValue()
{
    VelRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kPhoneStateKey, 0, nullptr, 0, kKeyRead, nullptr, key.Receive(),
                          nullptr) != ERROR_SUCCESS) {
        key.Detach();
        return VelRegChange();
    }
    const HANDLE change = CeFindFirstRegChange(key.Get(), FALSE, kRegistryValueChanges);
    return VelRegChange(change ? change : INVALID_HANDLE_VALUE);
}
