#pragma once
#include "VelObject.h"

#include <string>

class VelAbstractControl;
class VelTheme;
class VelWindow;

// The base of a program's one application object: its name, main window and
// current theme, three life-cycle events, and the run loop of the core.
class VelApplication : public VelObject {
public:
    typedef VelDelegate<VelApplication*, const VelEventArgs*> LifeEvent;
    typedef VelDelegate<VelObject*, const VelControlEventArgs*> ShownEvent;

    static VelApplication* Instance;

    // Takes ownership of the theme; null installs the default one.
    VelApplication(const std::wstring& name, VelTheme* theme = nullptr);
    ~VelApplication() override;
    const wchar_t* GetClassName() const override;

    virtual int OnStarted(const VelEventArgs* args);
    virtual int OnMainWindowShown(const VelControlEventArgs* args);
    virtual int OnExit(const VelEventArgs* args);
    virtual void SetFullScreen(VelAbstractControl* window, DWORD flags);
    // Milliseconds since the latest mouse or key message.
    virtual DWORD GetIdleTime();
    virtual void Quit();
    virtual void SetCapture(VelAbstractControl* control);
    virtual void ReleaseCapture();

    using VelObject::SetName;
    void SetName(const std::wstring& name);
    const std::wstring& GetApplicationName() const { return m_name; }
    void SetMainWindow(VelWindow* window);
    VelWindow* GetMainWindow() const { return m_mainWindow; }
    // Deletes the current theme and installs this one.
    void SetTheme(VelTheme* theme);
    HINSTANCE GetInstanceHandle() const;
    HDC GetScreenDC() const;

    // Runs the program until its quit message; the result is the quit's code,
    // -1 when another instance of this name answered, 255 when the instance
    // guard could not be made.
    int Run(bool show, DWORD fullScreenFlags);

    LifeEvent Started;
    ShownEvent MainWindowShown;
    LifeEvent Exiting;

private:
    void OnAllWindowsClosed(VelObject* sender, const VelEventArgs* args);

    std::wstring m_name;
    std::wstring m_unused;
    VelWindow* m_mainWindow;
};

// The main window's handle, set with the main window.
extern HWND MainWindowHandle;
