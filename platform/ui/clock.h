// The one clock behind window timers and local time. The terminal runs on the system clock;
// another clock can be put in its place (SetClock in ui_hooks.h: tests use one that moves only
// when told to, so timer tests move time instead of sleeping).
#pragma once
#include <cstdint>
#include <functional>

#include "platform/core/wintypes.h"

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a steady scale: never set back, unrelated to the date.
    virtual int64_t NowMs() = 0;
    // Milliseconds since 1970-01-01 UTC: the date and time of day.
    virtual int64_t WallMs() = 0;
    // Calls wake once, on the UI thread, when NowMs() has reached atMs; a later request
    // replaces an earlier one.
    virtual void WakeAt(int64_t atMs, std::function<void()> wake) = 0;
    // Drops the pending request, if any.
    virtual void CancelWake() = 0;
};

// The clock in use.
Clock& CurrentClock();
// How many times a clock was put in place; what was timed before a change is void.
unsigned ClockChanges();

void GetLocalTime(SYSTEMTIME* pTime);
// Milliseconds on the clock's steady scale (for intervals; unrelated to the date).
uint64_t GetTickCount64();
