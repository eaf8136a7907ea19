#pragma once
#include "VelMainView.h"
#include "VelScheduler.h"
#include "VelSignal.h"
#include "VelWindow.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class VelKlView;
class VelMainWindow;

// The screens the main window holds besides the main view: the detail views
// for one contact, one message and one call. A missing maker leaves its
// screen out.
struct VelMainWindowViews {
    typedef std::function<VelKlView*(VelMainWindow* parent, const std::string& name)> ViewMaker;

    VelMainViewTabs tabs;
    ViewMaker contact;
    ViewMaker sms;
    ViewMaker call;
};

// The program's one top-level window: it holds the screens by view id, sizes
// them to the work area and slides from one to the next.
class VelMainWindow : public VelWindow {
public:
    enum : int { kMainViewId = 0, kContactViewId = 1, kCallViewId = 2, kSmsViewId = 3 };
    // How the next screen comes in.
    enum Slide : int { kSlideNone = 0, kSlideFromRight = 1, kSlideFromLeft = 2 };
    enum : DWORD { kSlideMs = 300 };

    VelMainWindow(VelObject* owner, const std::string& name, const VelMainWindowViews& views);
    ~VelMainWindow() override;

    const wchar_t* GetClassName() const override;

    // Creates the native window, then shows the main view.
    void Open();
    // Null for an id not registered.
    VelKlView* GetView(int viewId) const;
    // An id not registered, or the screen already shown, changes nothing.
    void ShowView(int viewId, int slide);

    VelKlView* GetCurrentView() const { return m_currentView; }
    VelMainView* GetMainView() const;
    VelScheduler* GetScheduler() const { return m_scheduler.get(); }

    VelSignal<> WindowActivated;
    VelSignal<> WindowDeactivated;

private:
    void CreateViews(VelObject* sender, const VelCreateEventArgs* args);
    void OnActivated(VelObject* sender, const VelActivateEventArgs* args);
    void Register(int viewId, VelKlView* view);
    void FitToWorkArea(DWORD fullScreenFlags);

    VelKlView* m_currentView;
    // Goes first in the destructor: its slides still touch the views.
    std::unique_ptr<VelScheduler> m_scheduler;
    std::map<int, VelKlView*> m_views;
};
