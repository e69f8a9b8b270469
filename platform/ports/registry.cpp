// The serial device map key over the port map.
#include "platform/ports/registry.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ports/portmap.h"

namespace {
struct SerialCommKey {
    std::vector<PortInfo> ports;
};

// Keys open now, newest last: a list filled from a key describes its entries from the same
// scan instead of scanning again for each.
std::mutex g_openMutex;
std::vector<const SerialCommKey*> g_openKeys;

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
    auto* key = new SerialCommKey{ScanPorts()};
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        g_openKeys.push_back(key);
    }
    *phkResult = (HKEY)key;
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD*,
                   DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    auto* key = (SerialCommKey*)hKey;
    if (!key || !lpcchValueName) return ERROR_INVALID_PARAMETER;
    if (dwIndex >= key->ports.size()) return ERROR_NO_MORE_ITEMS;
    unsigned n = key->ports[dwIndex].number;
    if (lpType) *lpType = REG_SZ;
    LONG r =
        PutString("\\Device\\Serial" + std::to_string(n - 1), lpValueName, lpcchValueName, false);
    if (r != ERROR_SUCCESS) return r;
    if (lpcbData) r = PutString("COM" + std::to_string(n), (char*)lpData, lpcbData, true);
    return r;
}

LONG RegCloseKey(HKEY hKey) {
    if (!hKey || hKey == HKEY_LOCAL_MACHINE) return ERROR_INVALID_PARAMETER;
    auto* key = (SerialCommKey*)hKey;
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        g_openKeys.erase(std::remove(g_openKeys.begin(), g_openKeys.end(), key), g_openKeys.end());
    }
    delete key;
    return ERROR_SUCCESS;
}

bool DescribeListedPort(const char* comName, std::string& deviceNodeUtf8,
                        std::string& descriptionUtf8) {
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        if (!g_openKeys.empty())
            return DescribePortIn(g_openKeys.back()->ports, comName, deviceNodeUtf8,
                                  descriptionUtf8);
    }
    return DescribePort(comName, deviceNodeUtf8, descriptionUtf8);
}

bool GetListedPortIdentity(const char* comName, std::string& identity) {
    std::vector<PortInfo> ports;
    bool fromKey = false;
    {
        std::lock_guard<std::mutex> lock(g_openMutex);
        if (!g_openKeys.empty()) {
            ports = g_openKeys.back()->ports;
            fromKey = true;
        }
    }
    if (!fromKey) ports = ScanPorts();
    const PortInfo* p = FindPortIn(ports, comName);
    if (!p) return false;
    identity = p->identity;
    return true;
}
