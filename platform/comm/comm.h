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
// of it (devnotify.h).
#pragma once
#include <cstdint>

#include "platform/core/wintypes.h"
#include "platform/kernel/sync.h"

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
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   void* lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};
#define MAXDWORD 0xFFFFFFFFu
BOOL SetCommTimeouts(HANDLE hFile, const COMMTIMEOUTS* lpCommTimeouts);
BOOL GetCommTimeouts(HANDLE hFile, COMMTIMEOUTS* lpCommTimeouts);

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

// Reads the port's current settings.
BOOL GetCommState(HANDLE hFile, LPDCB lpDCB);
// Parses a mode string such as "baud=9600 parity=N data=8 stop=1" (optionally after "COMn:";
// also xon=, octs=, odsr=, idsr=, dtr=, rts=, to=) into *lpDCB. Any baud rate above 0; parity
// N O E M S; data 5 to 8; stop 1, 1.5 or 2. Flow control is switched off unless named; 110
// baud gets 2 stop bits unless stop= is given. Fails with EINVAL, leaving *lpDCB as it was.
BOOL BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB);
// Applies *lpDCB: raw mode, CLOCAL|CREAD, the speed by its standard code or else as a custom
// rate (any rate), then reads the settings back: a speed the driver did not take fails with
// EINVAL. RTS and DTR follow
// fRtsControl and fDtrControl where the device has modem lines.
BOOL SetCommState(HANDLE hFile, const DCB* lpDCB);

#define EV_RXCHAR 0x0001
#define EV_TXEMPTY 0x0004
BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask);
BOOL GetCommMask(HANDLE hFile, DWORD* lpEvtMask);
// Completes at once (TRUE, *lpEvtMask = EV_RXCHAR, hEvent signalled) when received bytes are
// waiting and EV_RXCHAR is in the mask. Otherwise returns FALSE with ERROR_IO_PENDING and
// signals lpOverlapped->hEvent when bytes arrive (GetCommMask then tells the mask; *lpEvtMask
// is not written later). On a port whose device has gone it fails with EIO.
BOOL WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, LPOVERLAPPED lpOverlapped);

#define PURGE_TXABORT 0x0001
#define PURGE_RXABORT 0x0002
#define PURGE_TXCLEAR 0x0004
#define PURGE_RXCLEAR 0x0008
BOOL PurgeComm(HANDLE hFile, DWORD dwFlags);

#define CE_RXOVER 0x0001
#define CE_OVERRUN 0x0002
struct COMSTAT {
    DWORD cbInQue = 0;   // received bytes waiting: the engine's buffer plus the driver's
    DWORD cbOutQue = 0;  // bytes the driver has not sent yet
};
typedef COMSTAT* LPCOMSTAT;
// *lpErrors gets CE_RXOVER when received bytes were dropped since the last call.
BOOL ClearCommError(HANDLE hFile, DWORD* lpErrors, LPCOMSTAT lpStat);

// Reads up to nNumberOfBytesToRead, waiting by the port's read time-outs.
BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, DWORD* lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped);
// Writes all bytes, waiting by the write time-outs; a write that does not finish in time
// fails with ETIMEDOUT (the count tells how much went out).
BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               DWORD* lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
// The outcome of the last read or write made with lpOverlapped.
BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, DWORD* lpNumberOfBytesTransferred,
                         BOOL bWait);

// Beyond the framework: bytes dropped because the input buffer was full, since opening.
uint64_t GetCommOverflowCount(HANDLE hFile);
// Beyond the framework: TRUE once the device behind the port has gone away.
BOOL IsCommDeviceLost(HANDLE hFile);
// Tests: while set, called with the byte count of every WriteFile on any port.
void SetCommWriteHook(void (*hook)(DWORD nBytes));
// Capacity of a port's input buffer, in bytes.
constexpr size_t kCommInputBufferSize = 32u << 20;
