#include "VelShellLibrary.h"

namespace {

const WORD kFullScreenOrdinal = 65;

}  // namespace

VelShellLibrary::~VelShellLibrary()
{
    if (m_module)
        ::FreeLibrary(m_module);
}

bool VelShellLibrary::FullScreen(HWND window, DWORD flags)
{
    typedef BOOL(WINAPI * FullScreenCall)(HWND, DWORD);
    if (!m_module)
        m_module = ::LoadLibraryW(L"aygshell.dll");
    FullScreenCall call = m_module ? reinterpret_cast<FullScreenCall>(reinterpret_cast<void*>(
                                         ::GetProcAddress(m_module, MAKEINTRESOURCEA(kFullScreenOrdinal))))
                                   : nullptr;
    return call && call(window, flags);
}
