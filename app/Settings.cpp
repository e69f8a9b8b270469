#include "app/Settings.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
const char* const kEncodings[] = {"GBK", "UTF-8"};
const char* const kLineEndings[] = {"none", "CR", "LF", "CRLF"};
const char* const kLineStates[] = {"driver", "on", "off"};

// The index of a member's text among the names, or keep when it is none of them.
template <size_t N>
int Choice(const Json::Value& v, const char* const (&names)[N], int keep) {
    if (!v.isString()) return keep;
    for (size_t i = 0; i < N; ++i)
        if (v.asString() == names[i]) return (int)i;
    return keep;
}
BOOL Flag(const Json::Value& v, BOOL keep) {
    return v.isBool() ? (v.asBool() ? TRUE : FALSE) : keep;
}

bool MakeFolders(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i < dir.size() && dir[i] != '/') continue;
        std::string part = dir.substr(0, i);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}
}  // namespace

CKivernSettings::CKivernSettings()
    : m_nEncoding(KV_ENC_GBK),
      m_nLineEnding(KV_EOL_NONE),
      m_bShowSent(FALSE),
      m_nDtrAtOpen(KV_LINE_DRIVER),
      m_nRtsAtOpen(KV_LINE_ON),
      m_bReconnect(FALSE),
      m_nReconnectSecs(30),
      m_bLiveLog(FALSE),
      m_bLiveLogTimeName(FALSE),
      m_nRxLimitMiB(0),
      m_bKeepHistory(FALSE),
      m_unknown(Json::objectValue),
      m_bUnreadable(FALSE) {}

std::string CKivernSettings::FilePath() {
    const char* xdg = getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/kivern/settings.json";
}

Json::Value CKivernSettings::ToJson() const {
    Json::Value root = m_unknown;
    root["encoding"] = kEncodings[m_nEncoding];
    root["lineEnding"] = kLineEndings[m_nLineEnding];
    root["showSent"] = m_bShowSent != FALSE;
    root["dtrAtOpen"] = kLineStates[m_nDtrAtOpen];
    root["rtsAtOpen"] = kLineStates[m_nRtsAtOpen];
    root["reconnect"] = m_bReconnect != FALSE;
    root["reconnectSeconds"] = m_nReconnectSecs;
    Json::Value ports(Json::arrayValue);
    for (const auto& p : m_ports) {
        Json::Value e;
        e["number"] = p.first;
        e["path"] = p.second;
        ports.append(e);
    }
    root["ports"] = ports;
    root["liveLog"] = m_bLiveLog != FALSE;
    root["liveLogPath"] = m_strLiveLogPath;
    root["liveLogTimeName"] = m_bLiveLogTimeName != FALSE;
    root["rxLimitMiB"] = m_nRxLimitMiB;
    root["keepHistory"] = m_bKeepHistory != FALSE;
    Json::Value history(Json::arrayValue);
    for (const auto& h : m_history) {
        Json::Value e;
        e["text"] = h.first;
        e["hex"] = h.second;
        history.append(e);
    }
    root["history"] = history;
    return root;
}

void CKivernSettings::FromJson(const Json::Value& root) {
    if (!root.isObject()) return;
    m_unknown = root;
    m_nEncoding = Choice(root["encoding"], kEncodings, m_nEncoding);
    m_nLineEnding = Choice(root["lineEnding"], kLineEndings, m_nLineEnding);
    m_bShowSent = Flag(root["showSent"], m_bShowSent);
    m_nDtrAtOpen = Choice(root["dtrAtOpen"], kLineStates, m_nDtrAtOpen);
    int rts = Choice(root["rtsAtOpen"], kLineStates, m_nRtsAtOpen);
    if (rts != KV_LINE_DRIVER) m_nRtsAtOpen = rts;
    m_bReconnect = Flag(root["reconnect"], m_bReconnect);
    const Json::Value& secs = root["reconnectSeconds"];
    if (secs.isInt() && secs.asInt() >= 1 && secs.asInt() <= 3600) m_nReconnectSecs = secs.asInt();
    m_bLiveLog = Flag(root["liveLog"], m_bLiveLog);
    if (root["liveLogPath"].isString()) m_strLiveLogPath = root["liveLogPath"].asString();
    m_bLiveLogTimeName = Flag(root["liveLogTimeName"], m_bLiveLogTimeName);
    const Json::Value& limit = root["rxLimitMiB"];
    if (limit.isInt() && limit.asInt() >= 0 && limit.asInt() <= 65536)
        m_nRxLimitMiB = limit.asInt();
    m_bKeepHistory = Flag(root["keepHistory"], m_bKeepHistory);
    const Json::Value& history = root["history"];
    if (history.isArray()) {
        m_history.clear();
        for (const Json::Value& e : history)
            if (e.isObject() && e["text"].isString() && m_history.size() < 100)
                m_history.emplace_back(e["text"].asString(),
                                       e["hex"].isBool() && e["hex"].asBool());
    }
    const Json::Value& ports = root["ports"];
    if (ports.isArray()) {
        m_ports.clear();
        for (const Json::Value& e : ports) {
            if (!e.isObject() || !e["number"].isUInt() || !e["path"].isString()) continue;
            unsigned n = e["number"].asUInt();
            if (n >= 1 && n <= 255 && !e["path"].asString().empty())
                m_ports.emplace_back(n, e["path"].asString());
        }
    }
}

BOOL CKivernSettings::Load() {
    std::ifstream in(FilePath(), std::ios::binary);
    if (!in) return TRUE;  // none yet: the defaults
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    Json::CharReaderBuilder rb;
    std::unique_ptr<Json::CharReader> reader(rb.newCharReader());
    Json::Value root;
    std::string errs;
    if (text.size() > (1u << 20) ||
        !reader->parse(text.data(), text.data() + text.size(), &root, &errs) || !root.isObject()) {
        m_bUnreadable = TRUE;
        return FALSE;
    }
    FromJson(root);
    return TRUE;
}

BOOL CKivernSettings::Save() {
    if (m_bUnreadable) return FALSE;
    std::string path = FilePath();
    if (!MakeFolders(path.substr(0, path.rfind('/')))) return FALSE;
    Json::StreamWriterBuilder wb;
    wb["indentation"] = "  ";
    std::string text = Json::writeString(wb, ToJson()) + "\n";
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out.write(text.data(), (std::streamsize)text.size()) || !out.flush()) {
            remove(tmp.c_str());
            return FALSE;
        }
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        remove(tmp.c_str());
        return FALSE;
    }
    return TRUE;
}

bool CKivernSettings::operator==(const CKivernSettings& o) const {
    return m_nEncoding == o.m_nEncoding && m_nLineEnding == o.m_nLineEnding &&
           m_bShowSent == o.m_bShowSent && m_nDtrAtOpen == o.m_nDtrAtOpen &&
           m_nRtsAtOpen == o.m_nRtsAtOpen && m_bReconnect == o.m_bReconnect &&
           m_nReconnectSecs == o.m_nReconnectSecs && m_ports == o.m_ports &&
           m_bLiveLog == o.m_bLiveLog && m_strLiveLogPath == o.m_strLiveLogPath &&
           m_bLiveLogTimeName == o.m_bLiveLogTimeName && m_nRxLimitMiB == o.m_nRxLimitMiB &&
           m_bKeepHistory == o.m_bKeepHistory && m_history == o.m_history;
}
