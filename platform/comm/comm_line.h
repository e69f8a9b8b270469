// A port's line: how bytes, line settings and modem lines reach the other end, one class per
// kind of port. The kind is chosen once, when the port opens (comm_kind.h); the port object
// (comm_port.h) owns its line and keeps the locking: line settings and modem-line changes come
// one at a time, writes one at a time, Received and Lost from the reader thread.
#pragma once
#include <errno.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/comm/comm_types.h"

class CommLine {
public:
    virtual ~CommLine() = default;

    // The descriptor the port's reader polls and reads; the line's own.
    virtual int Fd() const = 0;
    // GetCommProperties' dwProvSubType: PST_RS232, PST_TCPIP_TELNET or PST_TCPIP_RAW.
    virtual DWORD Kind() const = 0;
    // Once the reader runs: waits (a little) for what the other end says first.
    virtual void Ready() {}
    // Reader thread: the data among n bytes read from Fd. Returns where they are (p itself
    // where every byte is data) and sets n to their count; valid until the next call.
    virtual const char* Received(const char* p, size_t& n) { return (void)n, p; }
    // The other end went away, or the port closes: the line's waits end.
    virtual void Lost() {}
    // After the reader ended: leaves the other end as it was found (unless it went away,
    // lost) and closes Fd.
    virtual void Close(bool lost) = 0;

    // Each of the rest returns 0 or an error code. Write sends n bytes, waiting until
    // deadlineMs (monotonic, -1: no limit); done tells how many went out. The port's closing
    // ends the wait with ERROR_OPERATION_ABORTED.
    virtual int Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) = 0;
    // Bytes the driver holds: received and not yet read (data only), and not yet sent.
    virtual void DriverQueues(int& in, int& out) = 0;
    virtual int Purge(bool rx, bool tx) = 0;
    // dcb comes in with the RTS and DTR controls last set; the line fills in what it knows.
    virtual int GetState(DCB& dcb) = 0;
    virtual int SetState(const DCB& dcb) = 0;
    // SetState before the port is handed out. A line that can keeps the outcome: the next
    // SetState with the very same settings (and nothing between) returns it at once.
    virtual int SetStateAhead(const DCB& dcb) { return SetState(dcb); }
    // Drives MS_DTR_ON or MS_RTS_ON; reads all lines as MS_* bits. A line without modem lines
    // fails with ENOTTY (or the driver's EINVAL).
    virtual int SetModemLine(DWORD line, bool on) = 0;
    virtual int GetModemLines(DWORD& lines) = 0;
    // Starts (on) or ends the break condition on the line. A line that cannot send a break
    // fails with EOPNOTSUPP.
    virtual int SetBreak(bool on) { return (void)on, EOPNOTSUPP; }
};
