// Serial ports in the shape of the Windows communications functions, over termios.
//
// CreateFileA opens "COMn" or "\\.\COMn" (resolved through the port map, portmap.h) or a device
// path, exclusively: a port held by another program, absent, or not ours to open fails, and so
// does what is no port (no terminal; /dev/tty, /dev/ptmx). The line settings found on opening
// are put back on closing. A port handle keeps a reader of its own that moves received bytes from
// the driver into a large input buffer, so nothing is lost while the owner is busy; ReadFile,
// ClearCommError and the comm-event wait work on that buffer. Everything completes inside the call
// (time-outs are kept in user space); an OVERLAPPED record is accepted for the shape and its hEvent
// is signalled on completion. A device that goes away (hang-up, EIO) stops the reader; reads then
// find nothing, waits never complete, writes fail with EIO, and the device notifications hear
// of it (devnotify.h). The modem lines (comm_modem.h) are driven and read where the device
// has them; a pseudo-terminal has none.
//
// A network port, "rfc2217://HOST:PORT" or "tcp://HOST:PORT" (named directly or as the target
// of a COMn link), opens by connecting within a few seconds; a refused or unreachable server
// fails the opening with the socket's error. Over RFC 2217 the line settings go to the server
// and SetCommState fails unless the server confirms them; DTR, RTS, the input lines and purging
// go by the same option. A raw TCP port takes any settings without sending them and has no
// modem lines. A connection that ends is a device that went away. A worker thread can connect
// and negotiate ahead of the opening (comm_ahead.h), so that the opening does not wait.
#pragma once
#include "platform/comm/comm_ahead.h"
#include "platform/comm/comm_dcb.h"
#include "platform/comm/comm_gather.h"
#include "platform/comm/comm_holder.h"
#include "platform/comm/comm_hooks.h"
#include "platform/comm/comm_io.h"
#include "platform/comm/comm_modem.h"
#include "platform/comm/comm_release.h"
#include "platform/comm/comm_types.h"
#include "platform/kernel/sync.h"
