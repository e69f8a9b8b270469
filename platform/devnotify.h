// Device notifications: a background thread follows the udev monitor (subsystem tty, events
// sent after udev has set the device up) and the ports folder (inotify), and after each burst
// of changes (quiet for 250 ms) posts WM_DEVICECHANGE with DBT_DEVICEARRIVAL when a port was
// added and DBT_DEVICEREMOVECOMPLETE when one went away to every top-level window. Without
// udev (containers) the ports-folder watch works alone.
#pragma once
#include <functional>

#include "wintypes.h"

void StartDeviceNotifications();
void StopDeviceNotifications();

// Tests: called on the notification thread with the event type (DBT_...) before each post;
// an empty function removes the hook.
void SetDeviceChangeHook(std::function<void(WPARAM)> hook);
