// The port kinds, and the one place that chooses among them, for the comm layer's own use. Each
// kind is a CommLine (comm_line.h) of its own:
//   a local device, over termios and ioctl    comm_device.h    CommDevice
//   Telnet with the serial-port option        comm_rfc2217.h   CommRfc2217   rfc2217://HOST:PORT
//   a raw TCP stream                          comm_tcp.h       CommTcp       tcp://HOST:PORT
#pragma once
#include <memory>
#include <string>

#include "platform/comm/comm_line.h"

// Opens the line that path names: a network port URL (neturl.h) by its scheme, anything else
// as a device. nullptr with errno set. wakeFd is the port's eventfd, written once when it
// closes (or to cancel the opening); it stays the caller's.
std::unique_ptr<CommLine> OpenCommLine(const std::string& path, int wakeFd);
