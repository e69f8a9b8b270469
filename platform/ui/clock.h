// The one clock behind timers and local time. The terminal runs on the real clock; tests
// switch to a virtual clock and advance it, so timer tests move time instead of sleeping.
#pragma once
#include <cstdint>

#include "platform/core/wintypes.h"

void GetLocalTime(SYSTEMTIME* pTime);

namespace kvtest {
// Switches to a virtual clock that starts at the given local time and only moves on
// AdvanceClock. Timers then fire during AdvanceClock, in due order, on the calling (UI) thread.
void UseVirtualClock(const SYSTEMTIME& start);
void UseRealClock();
void AdvanceClock(int64_t ms);
int64_t ClockNowMs();
// Period of a running timer of a window, or -1 when it does not run.
int64_t TimerPeriod(HWND hWnd, UINT_PTR nIDEvent);
}  // namespace kvtest
