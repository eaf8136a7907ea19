#pragma once
// Waiting on the test thread with a bound: running its messages, or leaving
// them queued for a condition that reads the queue itself.
#include <windows.h>

#include <functional>

// Runs every message already queued for this thread.
void Pump();
// Runs one message of the thread's queue, or waits a little for one.
void PumpOne();

enum class PumpStep {
    kEverythingQueued,  // the whole queue between two looks at the condition
    kOneMessage,        // one message, so nothing runs past the one that made it hold
};
// Runs the thread's messages until the condition holds; false when the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000, PumpStep step = PumpStep::kEverythingQueued);
// Runs them for a while, so that a late or doubled notification can show.
void PumpFor(DWORD ms);

// Polls until the condition holds, taking no message; false when the time is up.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 3000);
