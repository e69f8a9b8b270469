// The receive display's test seams (the form is core/hook.h's): each replaces one piece of
// real behaviour while installed, and nullptr restores it.
#pragma once
#include <functional>

class QAccessibleEvent;

// Events for assistive technology (logview_tell.h) go to the hook instead, on the UI thread,
// and are made as though assistive technology listened.
void SetLogViewEventHook(std::function<void(QAccessibleEvent*)> hook);
