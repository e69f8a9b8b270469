// Test support of the layer: a QApplication on the offscreen platform, and ways to let the
// UI thread run for a while. Tests only; the terminal never calls these.
#pragma once
#include <functional>

namespace kvtest {
// Creates the application object (once per process) on Qt's offscreen platform.
void StartTestApplication(int& argc, char** argv);
// Runs the UI thread's event loop for about ms real milliseconds.
void Pump(int ms);
// Runs the event loop until pred() is true or timeoutMs passes; returns pred().
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs);
}  // namespace kvtest
