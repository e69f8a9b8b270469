// Opening a port and moving bytes: CreateFileA, the port's kind, time-outs, the comm-event wait,
// purging, the queue counts, ReadFile and WriteFile.
#pragma once
#include <cstdint>

#include "platform/comm/comm_types.h"
#include "platform/core/wintypes.h"

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   void* lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// What the port is: dwProvSubType tells its kind (PST_RS232, PST_TCPIP_TELNET, PST_TCPIP_RAW),
// dwCurrentRxQueue the input buffer's size.
BOOL GetCommProperties(HANDLE hFile, LPCOMMPROP lpCommProp);

BOOL SetCommTimeouts(HANDLE hFile, const COMMTIMEOUTS* lpCommTimeouts);

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask);
BOOL GetCommMask(HANDLE hFile, DWORD* lpEvtMask);
// Completes at once (TRUE, *lpEvtMask = EV_RXCHAR, hEvent signalled) when received bytes are
// waiting and EV_RXCHAR is in the mask. Otherwise returns FALSE with ERROR_IO_PENDING and
// signals lpOverlapped->hEvent when bytes arrive (GetCommMask then tells the mask; *lpEvtMask
// is not written later). On a port whose device has gone it fails with EIO.
BOOL WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, LPOVERLAPPED lpOverlapped);

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags);

// Whether the port's reader gathers a trickle of received bytes before it tells of them
// (comm_gather.h; on by default). Off, each byte is told at once: for a protocol that waits
// for one answer byte per block.
BOOL SetCommGather(HANDLE hFile, BOOL bGather);

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
