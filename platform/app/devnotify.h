// Device notifications: a background thread follows the udev monitor (subsystem tty, events
// sent after udev has set the device up) and the ports folder (inotify), and after each burst
// of changes (quiet for 250 ms) posts WM_DEVICECHANGE with DBT_DEVICEARRIVAL when a port was
// added and DBT_DEVICEREMOVECOMPLETE when one went away to every top-level window. Without
// udev (containers) the ports-folder watch works alone. A device can also go without any such
// event (a pseudo-terminal whose other side ended leaves its link dangling): the comm layer
// reports it (through the handler StartDeviceNotifications installs), and the next burst
// announces a removal.
#pragma once

#include "platform/core/wintypes.h"

void StartDeviceNotifications();
void StopDeviceNotifications();
// Called when the device behind an open port has gone away (from any thread). Nothing happens
// while notifications are stopped.
void NoteDeviceLost();
