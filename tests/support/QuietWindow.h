#pragma once
// A window for the contacts session's notifications that lets them pass: for
// code that adds its rows itself.
#include <windows.h>

#include "VelMessageSource.h"

class QuietWindow : public VelMessageSource {
public:
    QuietWindow() : m_window(::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
    ~QuietWindow() override { ::DestroyWindow(m_window); }
    QuietWindow(const QuietWindow&) = delete;
    QuietWindow& operator=(const QuietWindow&) = delete;
    HWND GetHandle() const override { return m_window; }
    void AddHandler(Handler) override {}

private:
    HWND m_window;
};
