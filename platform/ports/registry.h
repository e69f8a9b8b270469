// The registry, as far as the port list reads it: the serial device map
// "Hardware\DeviceMap\SerialComm" under HKEY_LOCAL_MACHINE, whose values are the ports of the
// port map (portmap.h), data "COMn", in ascending n. Opening the key takes a snapshot; the
// enumeration then reads that snapshot. Read only; no other key exists.
#pragma once
#include <string>

#include "platform/core/syserr.h"
#include "platform/core/wintypes.h"

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002)
#define KEY_READ 0x20019
#define REG_SZ 1

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, DWORD samDesired, PHKEY phkResult);
// Value name "\Device\Serial<n-1>", data "COMn" with its terminating 0. The sizes are in/out:
// *lpcchValueName in characters without the 0, *lpcbData in bytes with it. A buffer too small
// gives ERROR_MORE_DATA.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                   DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData);
LONG RegCloseKey(HKEY hKey);

// Beyond the framework: device node and description of the port named "COMn", taken from the
// newest key still open (a list being filled from it) or else from a fresh scan.
bool DescribeListedPort(const char* comName, std::string& deviceNodeUtf8,
                        std::string& descriptionUtf8);
// Beyond the framework: the identity the number of the port named "COMn" is remembered by
// (portmap.h; the same device keeps its number), from the newest key still open or else a
// fresh scan. FALSE when the port is not listed.
bool GetListedPortIdentity(const char* comName, std::string& identity);
