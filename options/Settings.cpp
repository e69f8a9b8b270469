#include "options/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "options/Colors.h"

namespace {
// The largest file read: far beyond what the options and a hundred history entries take.
const ULONGLONG kMaxDocument = 1u << 20;
// How often, and how far apart, a save tries again while another program holds the file:
// up to 3 s, since the holder's write waits for the disk, which a busy machine makes slow.
const int kSaveTries = 150;
const useconds_t kSaveRetryUs = 20000;

const char* const kEncodings[] = {"GBK", "UTF-8"};
const char* const kLineEndings[] = {"none", "CR", "LF", "CRLF"};
const char* const kLineStates[] = {"driver", "on", "off"};
const char* const kChecksums[KV_CHECK_COUNT] = {
    "none",          "SUM8",  "XOR8", "CRC-8", "CRC-16/MODBUS", "CRC-16/CCITT-FALSE",
    "CRC-16/XMODEM", "CRC-32"};
const char* const kChecksumOrders[] = {"customary", "highFirst", "lowFirst"};
const char* const kResetLines[] = {"DTR", "RTS"};
const char* const kLanguages[] = {"zh", "en"};  // by LANG_*

// A duration member in ms, 1..KV_SIGNAL_MAX_MS; keep otherwise.
int Millis(const Json::Value& v, int keep) {
    return v.isInt() && v.asInt() >= 1 && v.asInt() <= KV_SIGNAL_MAX_MS ? v.asInt() : keep;
}
const char* const kFileProtocols[KV_FILE_COUNT] = {"raw",       "XMODEM", "XMODEM-CRC",
                                                   "XMODEM-1K", "YMODEM", "ZMODEM"};

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

// A port entry as adding a port accepts it: a network port URL, or an absolute path that
// leads to a terminal device. A path that leads nowhere now is kept as well: an adapter that is
// unplugged, whose link waits for it. Anything else (a file, /dev/tty, a relative path) is no
// port and gets no link.
bool AcceptsSavedPort(const std::string& path) {
    if (LooksLikeNetPortUrl(path)) return NetPortKindOf(path) != NET_PORT_NONE;
    if (path.empty() || path[0] != '/') return false;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT;
    return IsTerminalDevice(path);
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
      m_nChecksum(KV_CHECK_NONE),
      m_nChecksumOrder(KV_ORDER_CUSTOMARY),
      m_bChecksumText(FALSE),
      m_bLooseHex(FALSE),
      m_nBreakMs(250),
      m_nResetLine(KV_RESET_DTR),
      m_nResetMs(100),
      m_nFileProtocol(KV_FILE_RAW),
      m_nFilePauseMs(0),
      m_nFilePauseEvery(0),
      m_bAnsiColors(FALSE),
      m_nSentColor(-1),
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
    root["checksum"] = kChecksums[m_nChecksum];
    root["checksumOrder"] = kChecksumOrders[m_nChecksumOrder];
    root["checksumText"] = m_bChecksumText != FALSE;
    root["looseHex"] = m_bLooseHex != FALSE;
    root["breakMs"] = m_nBreakMs;
    root["resetLine"] = kResetLines[m_nResetLine];
    root["resetMs"] = m_nResetMs;
    root["fileProtocol"] = kFileProtocols[m_nFileProtocol];
    root["filePauseMs"] = m_nFilePauseMs;
    root["filePauseEvery"] = m_nFilePauseEvery;
    KvColorsToJson(m_bAnsiColors, m_nSentColor, m_highlights, root);
    root["keepHistory"] = m_bKeepHistory != FALSE;
    Json::Value history(Json::arrayValue);
    for (const auto& h : m_history) {
        Json::Value e;
        e["text"] = h.first;
        e["hex"] = h.second;
        history.append(e);
    }
    root["history"] = history;
    m_display.ToJson(root);
    Json::Value scripts(Json::arrayValue);
    for (const std::string& path : m_recentScripts) scripts.append(path);
    root["recentScripts"] = scripts;
    root["autoReply"] = m_bAutoReply != FALSE;
    root["autoReplies"] = AutoRepliesToJson(m_autoReplies);
    root["language"] = kLanguages[m_nLanguage];
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
    m_nChecksum = Choice(root["checksum"], kChecksums, m_nChecksum);
    m_nChecksumOrder = Choice(root["checksumOrder"], kChecksumOrders, m_nChecksumOrder);
    m_bChecksumText = Flag(root["checksumText"], m_bChecksumText);
    m_bLooseHex = Flag(root["looseHex"], m_bLooseHex);
    m_nBreakMs = Millis(root["breakMs"], m_nBreakMs);
    m_nResetLine = Choice(root["resetLine"], kResetLines, m_nResetLine);
    m_nResetMs = Millis(root["resetMs"], m_nResetMs);
    m_nFileProtocol = Choice(root["fileProtocol"], kFileProtocols, m_nFileProtocol);
    const Json::Value& pause = root["filePauseMs"];
    if (pause.isInt() && pause.asInt() >= 0 && pause.asInt() <= 60000)
        m_nFilePauseMs = pause.asInt();
    const Json::Value& every = root["filePauseEvery"];
    if (every.isInt() && every.asInt() >= 0) m_nFilePauseEvery = every.asInt();
    KvColorsFromJson({m_bAnsiColors, m_nSentColor, m_highlights}, root);
    m_bKeepHistory = Flag(root["keepHistory"], m_bKeepHistory);
    m_display.FromJson(root);
    const Json::Value& history = root["history"];
    if (history.isArray()) {
        m_history.clear();
        for (const Json::Value& e : history)
            if (e.isObject() && e["text"].isString() && m_history.size() < 100)
                m_history.emplace_back(e["text"].asString(),
                                       e["hex"].isBool() && e["hex"].asBool());
    }
    const Json::Value& scripts = root["recentScripts"];
    if (scripts.isArray()) {
        m_recentScripts.clear();
        for (const Json::Value& e : scripts)
            if (e.isString() && !e.asString().empty() && m_recentScripts.size() < 5)
                m_recentScripts.push_back(e.asString());
    }
    m_bAutoReply = Flag(root["autoReply"], m_bAutoReply);
    m_nLanguage = Choice(root["language"], kLanguages, m_nLanguage);
    if (root["autoReplies"].isArray()) m_autoReplies = AutoRepliesFromJson(root["autoReplies"]);
    const Json::Value& ports = root["ports"];
    if (ports.isArray()) {
        m_ports.clear();
        for (const Json::Value& e : ports) {
            if (!e.isObject() || !e["number"].isUInt() || !e["path"].isString()) continue;
            unsigned n = e["number"].asUInt();
            std::string path = e["path"].asString();
            bool bTaken = std::any_of(m_ports.begin(), m_ports.end(), [&](const auto& p) {
                return p.first == n || p.second == path;
            });
            if (n >= 1 && n <= 255 && !bTaken && AcceptsSavedPort(path))
                m_ports.emplace_back(n, path);
        }
    }
}

BOOL CKivernSettings::Load() {
    m_strLoadProblem.clear();
    if (Read(FilePath())) return TRUE;
    m_bUnreadable = TRUE;
    return FALSE;
}

// Reads the file as cmd.json is read: opened by CFile's rules (never waiting, the user's own
// links only), a regular file only, its size checked before a byte is read, every parse error
// caught. FALSE with m_strLoadProblem set when the file is there but cannot be used.
BOOL CKivernSettings::Read(const std::string& path) {
    CFile file;
    CFileException error;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone, &error)) {
        if (error.m_lOsError == ENOENT) return TRUE;  // none yet: the defaults
        m_strLoadProblem = path + ": cannot be read (" + strerror((int)error.m_lOsError) + ")";
        return FALSE;
    }
    std::string text;
    try {
        if (!file.IsRegularFile()) {
            m_strLoadProblem = path + ": not a regular file";
            return FALSE;
        }
        ULONGLONG nLength = file.GetLength();
        if (nLength > kMaxDocument) {
            m_strLoadProblem = path + ": larger than 1 MiB";
            return FALSE;
        }
        text.resize((size_t)nLength);
        text.resize(file.Read(&text[0], (UINT)nLength));
    } catch (CFileException* e) {
        m_strLoadProblem = path + ": cannot be read (" + strerror((int)e->m_lOsError) + ")";
        e->Delete();
        return FALSE;
    }
    if (text.empty()) return TRUE;  // an empty file: the defaults
    Json::CharReaderBuilder rb;
    std::unique_ptr<Json::CharReader> reader(rb.newCharReader());
    Json::Value root;
    std::string errs;
    bool bParsed = false;
    try {
        bParsed = reader->parse(text.data(), text.data() + text.size(), &root, &errs);
    } catch (const std::exception& e) {  // nesting deeper than the reader allows
        errs = e.what();
    }
    if (!bParsed) {
        std::replace(errs.begin(), errs.end(), '\n', ' ');
        m_strLoadProblem = path + ": not valid JSON (" + errs.substr(0, 200) + ")";
        return FALSE;
    }
    if (!root.isObject()) {
        m_strLoadProblem = path + ": not a JSON object";
        return FALSE;
    }
    FromJson(root);
    return TRUE;
}

BOOL CKivernSettings::Save() {
    if (m_bUnreadable) return FALSE;
    std::string path = FilePath();
    Json::StreamWriterBuilder wb;
    wb["indentation"] = "  ";
    std::string text = Json::writeString(wb, ToJson()) + "\n";
    m_bSaveFailed = TRUE;
    if (!MakeFolders(path.substr(0, path.rfind('/')))) return FALSE;
    // Another window saving holds the file's lock for a moment: wait for it, a little.
    for (int nTry = 0;; ++nTry) {
        CFile file;
        CFileException error;
        if (!file.Open(path.c_str(),
                       CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite, &error)) {
            if (error.m_cause != CFileException::sharingViolation || nTry >= kSaveTries)
                return FALSE;
            usleep(kSaveRetryUs);
            continue;
        }
        try {
            file.ReplaceContent(text.data(), text.size());
            file.Close();
        } catch (CFileException* e) {
            e->Delete();
            return FALSE;
        }
        m_bSaveFailed = FALSE;
        return TRUE;
    }
}

CString CKivernSettings::NotSavedNotice() const {
    if (m_bUnreadable) return AfxTr("CKivernSettings", "settings.json 无法使用，\n更改不会保存。");
    std::string path = FilePath();
    // The file if it is there, or the nearest folder on its way that is.
    std::string probe = path;
    while (access(probe.c_str(), F_OK) != 0 && probe.size() > 1)
        probe = probe.substr(0, std::max<size_t>(probe.rfind('/'), 1));
    if (m_bSaveFailed || faccessat(AT_FDCWD, probe.c_str(), W_OK, AT_EACCESS) != 0)
        return AfxTr("CKivernSettings", "settings.json 无法写入，\n更改不会保存。");
    return CString();
}

bool CKivernSettings::operator==(const CKivernSettings& o) const {
    return m_nEncoding == o.m_nEncoding && m_nLineEnding == o.m_nLineEnding &&
           m_bShowSent == o.m_bShowSent && m_nDtrAtOpen == o.m_nDtrAtOpen &&
           m_nRtsAtOpen == o.m_nRtsAtOpen && m_bReconnect == o.m_bReconnect &&
           m_nReconnectSecs == o.m_nReconnectSecs && m_ports == o.m_ports &&
           m_bLiveLog == o.m_bLiveLog && m_strLiveLogPath == o.m_strLiveLogPath &&
           m_bLiveLogTimeName == o.m_bLiveLogTimeName && m_nRxLimitMiB == o.m_nRxLimitMiB &&
           m_nChecksum == o.m_nChecksum && m_nChecksumOrder == o.m_nChecksumOrder &&
           m_bChecksumText == o.m_bChecksumText && m_bLooseHex == o.m_bLooseHex &&
           m_nBreakMs == o.m_nBreakMs && m_nResetLine == o.m_nResetLine &&
           m_nResetMs == o.m_nResetMs && m_nFileProtocol == o.m_nFileProtocol &&
           m_nFilePauseMs == o.m_nFilePauseMs && m_nFilePauseEvery == o.m_nFilePauseEvery &&
           m_bAnsiColors == o.m_bAnsiColors && m_highlights == o.m_highlights &&
           m_nSentColor == o.m_nSentColor && m_bKeepHistory == o.m_bKeepHistory &&
           m_history == o.m_history && m_display == o.m_display &&
           m_recentScripts == o.m_recentScripts && m_bAutoReply == o.m_bAutoReply &&
           m_nLanguage == o.m_nLanguage && m_autoReplies == o.m_autoReplies;
}
