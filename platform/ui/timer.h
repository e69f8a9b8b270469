// Window timers on the layer's clock. A timer is named by its window and id and runs a
// function on the UI thread once per period (CWnd::SetTimer has it dispatch WM_TIMER).
#pragma once
#include <cstdint>
#include <functional>

#include "platform/core/wintypes.h"

namespace kvimpl {
// Starts the timer, or restarts it with the new period and function; a period below the
// platform's minimum (10 ms) is raised to it.
void StartTimer(HWND hWnd, UINT_PTR nID, UINT nPeriod, std::function<void()> fire);
// Stops the timer; false when it did not run.
bool StopTimer(HWND hWnd, UINT_PTR nID);
// Stops every timer of a window (UI thread; timers of a window end with it).
void StopAllTimers(HWND hWnd);
// The period of a running timer, or -1 when it does not run.
int64_t TimerPeriod(HWND hWnd, UINT_PTR nID);
}  // namespace kvimpl
