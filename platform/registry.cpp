// The serial device map key over the port map.
#include "registry.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "portmap.h"

namespace {
struct SerialCommKey {
    std::vector<unsigned> numbers;
};

LONG PutString(const std::string& s, char* out, DWORD* size, bool countNul) {
    DWORD need = (DWORD)s.size() + (countNul ? 1 : 0);
    DWORD room = *size;
    *size = need;
    if (!out) return ERROR_SUCCESS;
    if (room < s.size() + 1) return ERROR_MORE_DATA;
    memcpy(out, s.c_str(), s.size() + 1);
    return ERROR_SUCCESS;
}
}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, DWORD, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    if (hKey != HKEY_LOCAL_MACHINE || !lpSubKey ||
        strcasecmp(lpSubKey, "Hardware\\DeviceMap\\SerialComm") != 0)
        return ERROR_FILE_NOT_FOUND;
    auto* key = new SerialCommKey;
    for (const PortInfo& p : ScanPorts()) key->numbers.push_back(p.number);
    *phkResult = (HKEY)key;
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD*,
                   DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    auto* key = (SerialCommKey*)hKey;
    if (!key || !lpcchValueName) return ERROR_INVALID_PARAMETER;
    if (dwIndex >= key->numbers.size()) return ERROR_NO_MORE_ITEMS;
    unsigned n = key->numbers[dwIndex];
    if (lpType) *lpType = REG_SZ;
    LONG r =
        PutString("\\Device\\Serial" + std::to_string(n - 1), lpValueName, lpcchValueName, false);
    if (r != ERROR_SUCCESS) return r;
    if (lpcbData) r = PutString("COM" + std::to_string(n), (char*)lpData, lpcbData, true);
    return r;
}

LONG RegCloseKey(HKEY hKey) {
    if (!hKey || hKey == HKEY_LOCAL_MACHINE) return ERROR_INVALID_PARAMETER;
    delete (SerialCommKey*)hKey;
    return ERROR_SUCCESS;
}
