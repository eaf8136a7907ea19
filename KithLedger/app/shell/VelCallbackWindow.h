#pragma once
#include "VelMessageSource.h"
#include "VelWindow.h"

#include <boost/shared_ptr.hpp>

#include <vector>

// The data thread's hidden window: the platform's data stores post their
// change notifications to it, and it hands every message to its handlers on
// the thread that made it. Never shown, never asks before closing.
class VelCallbackWindow : public VelWindow, public VelMessageSource {
public:
    explicit VelCallbackWindow(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelCallbackWindow() override;

    const wchar_t* GetClassName() const override;
    void HookEvents() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND GetHandle() const override { return VelWindow::GetHandle(); }
    void AddHandler(Handler handler) override;

private:
    struct HandlerEntry {
        Handler handler;
    };
    std::vector<boost::shared_ptr<HandlerEntry>> m_handlers;
};
