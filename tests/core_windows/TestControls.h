#pragma once
#include "VelCanvas.h"
#include "VelControl.h"
#include "VelControlCore.h"
#include "TestPumps.h"

#include <thread>
#include <vector>

// A control that records what reaches it and paints itself in one colour.
class RecordingControl : public VelControl {
public:
    explicit RecordingControl(COLORREF color = RGB(255, 255, 255), int handled = 0) : m_color(color), m_handled(handled)
    {
    }

    int OnMouseDown(const VelMouseEventArgs* args) override { return Note(L"down", args->point); }
    int OnMouseUp(const VelMouseEventArgs* args) override { return Note(L"up", args->point); }
    int OnMouseMove(const VelMouseEventArgs* args) override { return Note(L"move", args->point); }
    int OnKeyDown(const VelKeyEventArgs* args) override
    {
        keys.push_back(UINT(args->virtualKey));
        return m_handled;
    }
    int OnTimer(const VelTimerEventArgs* args) override
    {
        ticks.push_back(args->timerId);
        return 0;
    }
    int OnUserMessage(const VelUserMessageEventArgs* args) override
    {
        userMessages.push_back(std::make_pair(args->code, args->argument));
        return 0;
    }
    int OnPaint(const VelPaintEventArgs* args) override
    {
        paints.push_back(args->area);
        paintThreads.push_back(::GetCurrentThreadId());
        args->canvas->SetBackColor(VelColor::FromColorRef(m_color));
        args->canvas->FillRect(GetClientRect());
        return VelControl::OnPaint(args);
    }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        defaults.push_back(message);
        return VelControl::DefWindowProc(message, wParam, lParam);
    }

    bool ReachedDefault(UINT message) const
    {
        for (UINT m : defaults)
            if (m == message)
                return true;
        return false;
    }

    struct Input {
        const wchar_t* kind;
        VelPoint point;
    };
    std::vector<Input> inputs;
    std::vector<UINT> keys;
    std::vector<UINT> ticks;
    std::vector<std::pair<int, LPARAM>> userMessages;
    std::vector<RECT> paints;
    std::vector<DWORD> paintThreads;
    std::vector<UINT> defaults;

private:
    int Note(const wchar_t* kind, const VelPoint& point)
    {
        inputs.push_back(Input{kind, point});
        return m_handled;
    }

    COLORREF m_color;
    int m_handled;
};

inline const DWORD kVisible = kVelStyleVisible;

inline LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// Free GDI handle slots: the platform's handle counter answers 0 here, so the
// slots are counted by filling them.
inline int FreeGdiSlots()
{
    std::vector<HRGN> regions;
    while (HRGN r = ::CreateRectRgn(0, 0, 1, 1))
        regions.push_back(r);
    for (HRGN r : regions)
        ::DeleteObject(r);
    return int(regions.size());
}

// Invalidates the whole control from a thread that does not own it.
inline void InvalidateFromAnotherThread(VelAbstractControl* control)
{
    std::thread([control] { control->InvalidateRect(VelRect()); }).join();
}
