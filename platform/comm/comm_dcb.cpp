// Mode strings and line settings: BuildCommDCBA, GetCommState, SetCommState.
#include "platform/comm/comm_dcb.h"

#include <errno.h>
#include <string.h>
#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/comm/comm_port.h"
#include "platform/core/syserr.h"

namespace {
bool ParseUnsigned(const std::string& s, DWORD& out) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!isdigit((unsigned char)c)) return false;
    out = (DWORD)strtoul(s.c_str(), nullptr, 10);
    return true;
}

bool ParseOnOff(const std::string& v, bool& on) {
    if (strcasecmp(v.c_str(), "on") == 0) return on = true, true;
    if (strcasecmp(v.c_str(), "off") == 0) return on = false, true;
    return false;
}

// One "key=value" item of a mode string into d; false if it is not valid.
bool ApplyItem(const std::string& key, const std::string& v, DCB& d, bool& stopGiven) {
    bool on;
    if (key == "baud") {
        DWORD b;
        if (!ParseUnsigned(v, b) || b == 0) return false;
        d.BaudRate = b;
    } else if (key == "parity") {
        static const char letters[] = "noems";
        const char* at = v.size() == 1 ? strchr(letters, tolower((unsigned char)v[0])) : nullptr;
        if (!at || !*at) return false;
        d.Parity = (BYTE)(at - letters);
    } else if (key == "data") {
        DWORD n;
        if (!ParseUnsigned(v, n) || n < 5 || n > 8) return false;
        d.ByteSize = (BYTE)n;
    } else if (key == "stop") {
        if (v == "1")
            d.StopBits = ONESTOPBIT;
        else if (v == "1.5")
            d.StopBits = ONE5STOPBITS;
        else if (v == "2")
            d.StopBits = TWOSTOPBITS;
        else
            return false;
        stopGiven = true;
    } else if (key == "xon") {
        if (!ParseOnOff(v, on)) return false;
        d.fOutX = d.fInX = on;
    } else if (key == "octs") {
        if (!ParseOnOff(v, on)) return false;
        d.fOutxCtsFlow = on;
    } else if (key == "odsr") {
        if (!ParseOnOff(v, on)) return false;
        d.fOutxDsrFlow = on;
    } else if (key == "idsr") {
        if (!ParseOnOff(v, on)) return false;
        d.fDsrSensitivity = on;
    } else if (key == "to") {
        if (!ParseOnOff(v, on)) return false;
    } else if (key == "dtr") {
        if (strcasecmp(v.c_str(), "hs") == 0)
            d.fDtrControl = DTR_CONTROL_HANDSHAKE;
        else if (ParseOnOff(v, on))
            d.fDtrControl = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        else
            return false;
    } else if (key == "rts") {
        if (strcasecmp(v.c_str(), "hs") == 0)
            d.fRtsControl = RTS_CONTROL_HANDSHAKE;
        else if (strcasecmp(v.c_str(), "tg") == 0)
            d.fRtsControl = RTS_CONTROL_TOGGLE;
        else if (ParseOnOff(v, on))
            d.fRtsControl = on ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
        else
            return false;
    } else {
        return false;
    }
    return true;
}
}  // namespace

BOOL BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB) {
    if (!lpDef || !lpDCB) return kvimpl::Fail(EINVAL);
    std::string s(lpDef);
    // An optional "COMn:" in front.
    if (s.size() >= 3 && strncasecmp(s.c_str(), "COM", 3) == 0) {
        size_t i = 3;
        while (i < s.size() && isdigit((unsigned char)s[i])) ++i;
        if (i == 3) return kvimpl::Fail(EINVAL);
        if (i < s.size() && s[i] == ':') ++i;
        s = s.substr(i);
    }
    DCB d = *lpDCB;
    // As the framework's parser does: flow control off unless the string names it.
    d.fOutX = d.fInX = 0;
    d.fOutxCtsFlow = d.fOutxDsrFlow = d.fDsrSensitivity = 0;
    if (d.fRtsControl == RTS_CONTROL_HANDSHAKE || d.fRtsControl == RTS_CONTROL_TOGGLE)
        d.fRtsControl = RTS_CONTROL_ENABLE;
    if (d.fDtrControl == DTR_CONTROL_HANDSHAKE) d.fDtrControl = DTR_CONTROL_ENABLE;
    d.fBinary = 1;
    bool any = false, stopGiven = false;
    size_t i = 0;
    while (i < s.size()) {
        if (isspace((unsigned char)s[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < s.size() && !isspace((unsigned char)s[end])) ++end;
        std::string item = s.substr(i, end - i);
        i = end;
        size_t eq = item.find('=');
        if (eq == std::string::npos || eq == 0) return kvimpl::Fail(EINVAL);
        std::string key = item.substr(0, eq);
        for (char& c : key) c = (char)tolower((unsigned char)c);
        if (!ApplyItem(key, item.substr(eq + 1), d, stopGiven)) return kvimpl::Fail(EINVAL);
        any = true;
    }
    if (!any) return kvimpl::Fail(EINVAL);
    if (d.BaudRate == 110 && !stopGiven) d.StopBits = TWOSTOPBITS;
    *lpDCB = d;
    return TRUE;
}

BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) {
    return CommCall(hFile, [&](CommPort& port) { return port.GetState(*lpDCB); });
}

BOOL SetCommState(HANDLE hFile, const DCB* lpDCB) {
    return CommCall(hFile, [&](CommPort& port) { return port.SetState(*lpDCB); });
}
