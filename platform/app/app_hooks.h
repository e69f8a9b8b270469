// The application folder's test seams (the form is core/hook.h's): each watches one piece of
// real behaviour while installed, and nullptr removes it.
#pragma once
#include <functional>

#include "platform/core/wintypes.h"

// Device notifications (devnotify.h): the hook is called on the notification thread with the
// event type (DBT_...) before each WM_DEVICECHANGE is posted.
void SetDeviceChangeHook(std::function<void(WPARAM)> hook);
