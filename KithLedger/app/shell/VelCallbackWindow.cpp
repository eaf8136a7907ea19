#include "VelCallbackWindow.h"

VelCallbackWindow::VelCallbackWindow(VelObject* owner, const std::string& name) : VelWindow(owner, name) {}

VelCallbackWindow::~VelCallbackWindow() = default;

const wchar_t* VelCallbackWindow::GetClassName() const { return L"VelCallbackWindow"; }

// None of the window's own handlers: no close confirmation, no painting.
void VelCallbackWindow::HookEvents() {}

LRESULT VelCallbackWindow::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A copy: a handler may add another while it runs.
    const std::vector<boost::shared_ptr<HandlerEntry>> handlers = m_handlers;
    for (const boost::shared_ptr<HandlerEntry>& entry : handlers)
        entry->handler(this, message, wParam, lParam);
    return 0;
}

void VelCallbackWindow::AddHandler(Handler handler)
{
    if (!handler)
        return;
    boost::shared_ptr<HandlerEntry> entry(new HandlerEntry);
    entry->handler = handler;
    m_handlers.push_back(entry);
}
