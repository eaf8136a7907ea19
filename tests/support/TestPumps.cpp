#include "TestPumps.h"

namespace {

const DWORD kPollMs = 10;

}  // namespace

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpOne()
{
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    } else {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, PumpStep step)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (step == PumpStep::kOneMessage) {
            if (::GetTickCount() - start > timeoutMs)
                return false;
            PumpOne();
            continue;
        }
        Pump();
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(kPollMs);
    }
    return true;
}
