#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelRenderer.h"
#include "VelThemeDefault.h"
#include "VelWindow.h"

VelApplication* VelApplication::Instance = nullptr;
HWND MainWindowHandle = nullptr;

VelApplication::VelApplication(const std::wstring& name, VelTheme* theme)
    : VelObject(nullptr, std::string()), m_name(name), m_mainWindow(nullptr)
{
    Instance = this;
    CurrentTheme = theme ? theme : new VelThemeDefault();
    VelControlCore::Instance->SetApplicationName(name);
}

VelApplication::~VelApplication()
{
    if (VelControlCore::Instance)
        VelControlCore::Instance->AllWindowsClosed.RemoveReceiver(this);
    delete CurrentTheme;
    CurrentTheme = nullptr;
    if (Instance == this)
        Instance = nullptr;
}

const wchar_t* VelApplication::GetClassName() const { return L"VelApplication"; }

int VelApplication::OnStarted(const VelEventArgs* args)
{
    Started.Invoke(this, args);
    return 0;
}

int VelApplication::OnMainWindowShown(const VelControlEventArgs* args)
{
    MainWindowShown.Invoke(this, args);
    return 0;
}

int VelApplication::OnExit(const VelEventArgs* args)
{
    Exiting.Invoke(this, args);
    return 0;
}

void VelApplication::SetFullScreen(VelAbstractControl* window, DWORD flags)
{
    VelControlCore::Instance->SetFullScreen(window, flags);
}

DWORD VelApplication::GetIdleTime()
{
    return VelControlCore::Instance->GetTick() - VelControlCore::Instance->GetLastInputTick();
}

void VelApplication::Quit() { VelControlCore::Instance->PostQuit(0); }

void VelApplication::SetCapture(VelAbstractControl* control) { VelControlCore::Instance->SetCapture(control); }

void VelApplication::ReleaseCapture() { VelControlCore::Instance->ReleaseCapture(); }

void VelApplication::SetName(const std::wstring& name)
{
    m_name = name;
    VelControlCore::Instance->SetApplicationName(name);
}

void VelApplication::SetMainWindow(VelWindow* window)
{
    m_mainWindow = window;
    MainWindowHandle = window ? window->GetHandle() : nullptr;
    if (window)
        window->SetHasNativeWindow(true);
}

void VelApplication::SetTheme(VelTheme* theme)
{
    if (theme == CurrentTheme)
        return;
    delete CurrentTheme;
    CurrentTheme = theme;
}

HINSTANCE VelApplication::GetInstanceHandle() const { return VelControlCore::Instance->GetModuleHandle(); }

HDC VelApplication::GetScreenDC() const { return VelControlCore::Instance->GetRenderer()->GetScreenDC(); }

int VelApplication::Run(bool show, DWORD fullScreenFlags)
{
    VelControlCore* core = VelControlCore::Instance;
    core->AllWindowsClosed += VelBind(this, &VelApplication::OnAllWindowsClosed);
    const int result = core->Run(this, show, fullScreenFlags);
    // A later run subscribes again; a stale subscription would quit twice.
    core->AllWindowsClosed.RemoveReceiver(this);
    return result;
}

void VelApplication::OnAllWindowsClosed(VelObject*, const VelEventArgs*) { Quit(); }
