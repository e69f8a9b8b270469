// The plain records and constants of the comm functions: OVERLAPPED, COMMTIMEOUTS, DCB,
// COMSTAT and the flags that go with them.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/core/wintypes.h"

typedef uintptr_t ULONG_PTR;

struct OVERLAPPED {
    ULONG_PTR Internal = 0;      // status of the last operation (0 or an error code)
    ULONG_PTR InternalHigh = 0;  // bytes moved by the last read or write
    DWORD Offset = 0;
    DWORD OffsetHigh = 0;
    HANDLE hEvent = nullptr;
};
typedef OVERLAPPED* LPOVERLAPPED;

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3
#define FILE_FLAG_OVERLAPPED 0x40000000u
struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
#define MAXDWORD 0xFFFFFFFFu
#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4
#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2
#define DTR_CONTROL_DISABLE 0
#define DTR_CONTROL_ENABLE 1
#define DTR_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_DISABLE 0
#define RTS_CONTROL_ENABLE 1
#define RTS_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_TOGGLE 3

// The port's line settings. Flow control: RTS/CTS is fOutxCtsFlow with RTS_CONTROL_HANDSHAKE
// (one CRTSCTS switch on Linux); XON/XOFF is fOutX and fInX. DSR/DTR handshakes and the
// RTS toggle have no termios equivalent and make SetCommState fail.
struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 9600;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    BYTE ByteSize = 8;
    BYTE Parity = NOPARITY;
    BYTE StopBits = ONESTOPBIT;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    DCB()
        : fBinary(1),
          fParity(0),
          fOutxCtsFlow(0),
          fOutxDsrFlow(0),
          fDtrControl(DTR_CONTROL_ENABLE),
          fDsrSensitivity(0),
          fTXContinueOnXoff(0),
          fOutX(0),
          fInX(0),
          fErrorChar(0),
          fNull(0),
          fRtsControl(RTS_CONTROL_ENABLE),
          fAbortOnError(0) {}
};
typedef DCB* LPDCB;

#define EV_RXCHAR 0x0001
#define EV_TXEMPTY 0x0004
#define PURGE_TXABORT 0x0001
#define PURGE_RXABORT 0x0002
#define PURGE_TXCLEAR 0x0004
#define PURGE_RXCLEAR 0x0008
// EscapeCommFunction's functions that drive the modem control lines.
#define SETRTS 3
#define CLRRTS 4
#define SETDTR 5
#define CLRDTR 6
// ... and the break condition on the transmit line.
#define SETBREAK 8
#define CLRBREAK 9
// GetCommModemStatus: the input lines that are on.
#define MS_CTS_ON 0x0010
#define MS_DSR_ON 0x0020
#define MS_RING_ON 0x0040
#define MS_RLSD_ON 0x0080
// Beyond the framework: the output lines, as SetCommModemHook reports them.
#define MS_DTR_ON 0x0100
#define MS_RTS_ON 0x0200
#define CE_RXOVER 0x0001
#define CE_OVERRUN 0x0002
struct COMSTAT {
    DWORD cbInQue = 0;   // received bytes waiting: the engine's buffer plus the driver's
    DWORD cbOutQue = 0;  // bytes the driver has not sent yet
};
typedef COMSTAT* LPCOMSTAT;
// Capacity of a port's input buffer, in bytes.
constexpr size_t kCommInputBufferSize = 32u << 20;

// GetCommProperties: what the port is. dwProvSubType tells its kind: a serial device
// (PST_RS232; a pseudo-terminal too), Telnet with the serial-port option (PST_TCPIP_TELNET), or,
// beyond the framework, a raw TCP stream (PST_TCPIP_RAW).
#define SP_SERIALCOMM 0x00000001
#define PST_RS232 0x00000001
#define PST_TCPIP_TELNET 0x00000102
#define PST_TCPIP_RAW 0x00000103
struct COMMPROP {
    WORD wPacketLength = sizeof(COMMPROP);
    DWORD dwServiceMask = SP_SERIALCOMM;
    DWORD dwCurrentRxQueue = 0;  // the input buffer's capacity
    DWORD dwProvSubType = 0;
};
typedef COMMPROP* LPCOMMPROP;
