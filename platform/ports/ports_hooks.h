// The port folder's test seams (the form is core/hook.h's): each watches or replaces one piece
// of real behaviour while installed, and nullptr removes it.
#pragma once
#include <functional>

// Port scans (portmap.h): the hook is called as each scan starts, on the scanning thread, so a
// test can count the scans an action makes.
void SetPortScanHook(std::function<void()> hook);
