#include "options/PathPorts.h"

#include <algorithm>

KvPathPort AddPathPort(CKivernSettings& settings, const std::string& path, unsigned& nNumber) {
    for (const auto& p : settings.m_ports) {
        if (p.second == path) {
            nNumber = p.first;
            return KV_PATH_KNOWN;
        }
    }
    if (LooksLikeNetPortUrl(path) ? NetPortKindOf(path) == NET_PORT_NONE : !IsTerminalDevice(path))
        return KV_PATH_NO_TERMINAL;
    std::vector<unsigned> reserved;
    for (const auto& p : settings.m_ports) reserved.push_back(p.first);
    nNumber = FreePortNumber(reserved);
    if (nNumber == 0) return KV_PATH_NO_NUMBER;
    settings.m_ports.emplace_back(nNumber, path);
    std::sort(settings.m_ports.begin(), settings.m_ports.end());
    return KV_PATH_ADDED;
}

void ReportPathPortRefused(KvPathPort result, const std::string& path) {
    CString strMessage;
    if (result == KV_PATH_NO_NUMBER)
        strMessage = AfxTr("PathPorts", "没有空闲的串口号 (COM1 - COM255 均已使用)");
    else if (LooksLikeNetPortUrl(path))
        strMessage.Format(
            AfxTr("PathPorts",
                  "%s\n不是有效的网络串口地址 (rfc2217://主机:端口 或 tcp://主机:端口)"),
            path.c_str());
    else
        strMessage.Format(AfxTr("PathPorts", "%s\n不是串口或终端设备"), path.c_str());
    AfxMessageBox(strMessage, MB_OK | MB_ICONWARNING);
}

void RestorePathPortLinks(const CKivernSettings& settings) {
    for (const auto& p : settings.m_ports) CreatePortLink(p.first, p.second);
}

void UpdatePathPortLinks(const CKivernSettings& before, const CKivernSettings& after) {
    auto has = [](const CKivernSettings& s, const std::pair<unsigned, std::string>& port) {
        return std::find(s.m_ports.begin(), s.m_ports.end(), port) != s.m_ports.end();
    };
    for (const auto& p : before.m_ports)
        if (!has(after, p)) RemovePortLink(p.first, p.second);
    for (const auto& p : after.m_ports)
        if (!has(before, p)) CreatePortLink(p.first, p.second);
}
