// A virtual clock for tests: it starts at a given local time and moves only on AdvanceClock,
// so timer tests move time instead of sleeping. Timers fire during AdvanceClock, in due
// order, on the calling (UI) thread.
#pragma once
#include <cstdint>

#include "platform/core/wintypes.h"

namespace kvtest {
// Puts the virtual clock in place of the system clock, starting at the given local time;
// running timers are dropped.
void UseVirtualClock(const SYSTEMTIME& start);
// Back to the system clock; running timers are dropped.
void UseRealClock();
void AdvanceClock(int64_t ms);
// The clock in use, in milliseconds on its steady scale.
int64_t ClockNowMs();
// Period of a running timer of a window, or -1 when it does not run.
int64_t TimerPeriod(HWND hWnd, UINT_PTR nIDEvent);
}  // namespace kvtest
