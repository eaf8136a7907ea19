#include "VelShellLibrary.h"

namespace {

const WORD kFullScreenOrdinal = 65;

}  // namespace

bool VelShellLibrary::FullScreen(HWND window, DWORD flags)
{
    typedef BOOL(WINAPI * FullScreenCall)(HWND, DWORD);
    if (!m_module)
        m_module.Reset(::LoadLibraryW(L"aygshell.dll"));
    FullScreenCall call = m_module ? reinterpret_cast<FullScreenCall>(reinterpret_cast<void*>(
                                         ::GetProcAddress(m_module.Get(), MAKEINTRESOURCEA(kFullScreenOrdinal))))
                                   : nullptr;
    return call && call(window, flags);
}
