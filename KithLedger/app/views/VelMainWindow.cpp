#include "VelMainWindow.h"

#include "VelKlView.h"
#include "VelMoveToTransition.h"

namespace {

const wchar_t kTitle[] = L"Velmora Kith Ledger";
const DWORD kViewStyle = kVelStyleVisible | kVelStyleClipToAncestors;
// Task bar hidden while the program is in front, shown again behind it.
const DWORD kFullScreenActive = 0x08;
const DWORD kFullScreenInactive = 0x04;

VelRect WorkArea()
{
    RECT area = {0, 0, 0, 0};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return VelRect(area);
}

}  // namespace

VelMainWindow::VelMainWindow(VelObject* owner, const std::string& name, const VelMainWindowViews& views)
    : VelWindow(owner, name), m_currentView(nullptr), m_scheduler(new VelScheduler)
{
    Activated += VelBind(this, &VelMainWindow::OnActivated);
    Created += VelBind(this, &VelMainWindow::CreateViews);
    Register(kMainViewId, new VelMainView(this, "main-view", views.tabs));
    if (views.contact)
        Register(kContactViewId, views.contact(this, "contact-view"));
    if (views.sms)
        Register(kSmsViewId, views.sms(this, "sms-view"));
    if (views.call)
        Register(kCallViewId, views.call(this, "call-view"));
}

VelMainWindow::~VelMainWindow()
{
    // Slides cut short give their views back their places in the window
    // while both still stand.
    m_scheduler.reset();
    Destroy();
}

const wchar_t* VelMainWindow::GetClassName() const { return L"VelMainWindow"; }

void VelMainWindow::Register(int viewId, VelKlView* view)
{
    if (view)
        m_views[viewId] = view;
}

VelKlView* VelMainWindow::GetView(int viewId) const
{
    const auto it = m_views.find(viewId);
    return it == m_views.end() ? nullptr : it->second;
}

VelMainView* VelMainWindow::GetMainView() const { return dynamic_cast<VelMainView*>(GetView(kMainViewId)); }

void VelMainWindow::Open()
{
    CreateWithClassName(0, VelRect(), kVelStyleVisible, nullptr);
    SetText(kTitle);
    if (GetHandle())
        ::SetWindowTextW(GetHandle(), kTitle);
    ShowView(kMainViewId, kSlideNone);
}

void VelMainWindow::FitToWorkArea(DWORD fullScreenFlags)
{
    SetFullScreen(fullScreenFlags);
    SetBounds(WorkArea());
}

void VelMainWindow::CreateViews(VelObject*, const VelCreateEventArgs*)
{
    FitToWorkArea(kFullScreenActive);
    const VelRect area = WorkArea();
    for (const auto& entry : m_views)
        entry.second->CreateNamed(L"", 0, kViewStyle, VelRect(0, 0, area.GetWidth(), area.GetHeight()), this);
}

void VelMainWindow::OnActivated(VelObject*, const VelActivateEventArgs* args)
{
    if (args && args->state == WA_INACTIVE) {
        FitToWorkArea(kFullScreenInactive);
        WindowDeactivated.Emit();
    } else {
        FitToWorkArea(kFullScreenActive);
        WindowActivated.Emit();
    }
}

void VelMainWindow::ShowView(int viewId, int slide)
{
    VelKlView* next = GetView(viewId);
    if (!next || next == m_currentView)
        return;
    if (!m_currentView) {
        m_currentView = next;
        next->BringToFront();
        return;
    }
    const int width = GetWidth();
    VelPoint start(0, 0), end(0, 0);
    const VelPoint home(0, 0);
    if (slide == kSlideFromRight) {
        start.x = width;
        end.x = -width;
    } else if (slide == kSlideFromLeft) {
        start.x = -width;
        end.x = width;
    }
    VelMoveToTransition* in = new VelMoveToTransition(home, float(kSlideMs));
    VelMoveToTransition* out = new VelMoveToTransition(end, float(kSlideMs));
    next->MoveTo(start);
    next->Show();
    next->BringToFront();
    in->SetTarget(next);
    out->SetTarget(m_currentView);
    m_scheduler->AddTransition(in);
    m_scheduler->AddTransition(out);
    m_scheduler->Start();
    // Current at once: a second call during the slide starts from this view.
    m_currentView = next;
}
