// Line settings between a DCB and the kernel's termios2, for the comm layer's own use. The
// kernel header that defines termios2 clashes with <termios.h>, so it lives in comm_termios.cpp
// alone and the values travel in a neutral structure. The modem lines are read and driven here
// too.
#pragma once
#include <cstdint>

#include "platform/comm/comm_types.h"

struct CommTermios {
    uint32_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    uint8_t line = 0;
    uint8_t cc[32] = {};
    uint32_t ispeed = 0, ospeed = 0;
};

// Builds the settings for dcb on top of cur: raw mode, VMIN 1 / VTIME 0, CLOCAL|CREAD, the
// speed for both directions (the kernel's Bxxx code where it has one, else BOTHER with the
// rate), data bits, parity (mark and space by CMSPAR), stop bits, RTS/CTS and XON/XOFF.
// Returns 0, or EINVAL for settings termios cannot express.
int BuildCommTermios(const DCB& dcb, const CommTermios& cur, CommTermios& out);
// The line settings that t describes (speed, size, parity, stop bits, flow control).
void CommTermiosToDcb(const CommTermios& t, DCB& dcb);
// Whether the speed the driver reports is the one asked for (within 2 %: drivers round).
bool CommSpeedTaken(uint32_t requested, uint32_t actual);

// ioctl wrappers; each returns 0 or an errno value.
int CommGetTermios(int fd, CommTermios& t);
int CommSetTermios(int fd, const CommTermios& t);
int CommFlush(int fd, bool input, bool output);

// The modem lines, as MS_* bits (MS_DTR_ON and MS_RTS_ON for the outputs): read them all, or
// drive one output (MS_DTR_ON or MS_RTS_ON). A device without modem lines (a pseudo-terminal)
// fails with ENOTTY or EINVAL.
int CommGetModemLines(int fd, DWORD& lines);
int CommSetModemLine(int fd, DWORD line, bool on);
// Starts or ends the break condition on the transmit line.
int CommSetBreak(int fd, bool on);
