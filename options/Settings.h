// CKivernSettings: the options beyond the main window's own controls, kept in
// $XDG_CONFIG_HOME/kivern/settings.json (default ~/.config/kivern/settings.json). Every default
// is the program's plain behaviour, and the file is written only once an option has changed.
// Members the program does not know are kept when the file is written again.
#pragma once
#include <json/json.h>

#include <string>
#include <utility>
#include <vector>

#include "convert/Checksum.h"
#include "options/AutoReplyRule.h"
#include "options/DisplaySettings.h"
#include "platform/afx.h"

// Text on the wire: how received bytes are shown as text and how typed text is sent.
#define KV_ENC_GBK 0
#define KV_ENC_UTF8 1
// What the send button and the timed send append to a text send.
#define KV_EOL_NONE 0
#define KV_EOL_CR 1
#define KV_EOL_LF 2
#define KV_EOL_CRLF 3
// A modem control line's state when a port opens.
#define KV_LINE_DRIVER 0  // as the driver leaves it
#define KV_LINE_ON 1
#define KV_LINE_OFF 2
// The output line that the reset pulse drives.
#define KV_RESET_DTR 0
#define KV_RESET_RTS 1
// The longest BREAK and reset pulse, in ms.
#define KV_SIGNAL_MAX_MS 10000
// How 发送文件 and 接收文件 move a file.
#define KV_FILE_RAW 0         // the bytes as they are (send only)
#define KV_FILE_XMODEM 1      // 128-byte blocks, arithmetic checksum
#define KV_FILE_XMODEM_CRC 2  // 128-byte blocks, CRC-16
#define KV_FILE_XMODEM_1K 3   // 1 KiB blocks, CRC-16
#define KV_FILE_YMODEM 4
#define KV_FILE_ZMODEM 5
#define KV_FILE_COUNT 6

class CKivernSettings {
public:
    CKivernSettings();

    int m_nEncoding;       // KV_ENC_*
    int m_nLineEnding;     // KV_EOL_*
    BOOL m_bShowSent;      // sent bytes shown in the receive text
    int m_nDtrAtOpen;      // KV_LINE_*
    int m_nRtsAtOpen;      // KV_LINE_ON or KV_LINE_OFF
    BOOL m_bReconnect;     // reopen the port when its device comes back
    int m_nReconnectSecs;  // how long to wait for it, 1..3600
    // Ports the user added by path (a device, a by-id link, a pseudo-terminal): COMn and path.
    std::vector<std::pair<unsigned, std::string>> m_ports;
    // Live log: every piece of the receive text appended to a file as it arrives.
    BOOL m_bLiveLog;
    std::string m_strLiveLogPath;  // UTF-8; with m_bLiveLogTimeName, the folder it goes in
    BOOL m_bLiveLogTimeName;       // the file name comes from the local time at the start
    int m_nRxLimitMiB;             // the receive display keeps the last N MiB; 0: no limit
    // Frames: a checksum after each hex send (and text send, when asked), and hex typed loosely.
    int m_nChecksum;       // KV_CHECK_*
    int m_nChecksumOrder;  // KV_ORDER_*
    BOOL m_bChecksumText;  // text sends get the checksum too
    BOOL m_bLooseHex;      // hex sends also take separators and 0x prefixes
    // Line signals: how long a BREAK lasts, and which line the reset pulse drives off, how long.
    int m_nBreakMs;    // 1..KV_SIGNAL_MAX_MS
    int m_nResetLine;  // KV_RESET_*
    int m_nResetMs;    // 1..KV_SIGNAL_MAX_MS
    // Files: the protocol, and a raw send's pause after each line (N = 0) or each N bytes.
    int m_nFileProtocol;  // KV_FILE_*
    int m_nFilePauseMs;   // 0..60000; 0: no pause
    int m_nFilePauseEvery;
    // Colours of the receive display (options/Colors.h): escape sequences read, highlight
    // rules in order of precedence, and sent lines' colour (an index of g_kvColors; -1: none).
    BOOL m_bAnsiColors;
    LogHighlights m_highlights;
    int m_nSentColor;
    // Send history: kept for the session, and across sessions only when asked.
    BOOL m_bKeepHistory;
    std::vector<std::pair<std::string, bool>> m_history;  // UTF-8 text, HEX state; newest first
    // The receive display: line stamps, hex rows, font.
    CDisplaySettings m_display;
    // Scripts: the last five run in the window (UTF-8 paths, newest first), and 自动应答.
    std::vector<std::string> m_recentScripts;
    BOOL m_bAutoReply = FALSE;
    std::vector<CAutoReplyRule> m_autoReplies;
    // The interface language from the next start: LANG_CHINESE or LANG_ENGLISH.
    int m_nLanguage = LANG_CHINESE;

    // Reads the file; a missing or empty file leaves the defaults, and so does each member
    // that is missing or of the wrong kind, and each port entry that adding a port would
    // refuse. FALSE for a file that exists but cannot be used: not a regular file, larger than
    // the cap, unreadable or not a JSON object. The defaults are kept then, LoadProblem() says
    // why, and Save leaves the file alone.
    BOOL Load();
    // Writes the file (creating its folder) by CFile's safe replacement: a fresh temporary
    // name, synced, then renamed, so that two programs saving at once leave one whole file.
    // FALSE on failure.
    BOOL Save();
    // Why the file could not be used at load, in English for the command line; "" if it could.
    const std::string& LoadProblem() const { return m_strLoadProblem; }
    // Why changes would not last (a file that could not be used, a file or folder that cannot
    // be written, a save that failed), as a line for the settings box; "" when they would.
    CString NotSavedNotice() const;
    // The options as a document, and back (members missing or invalid keep their value).
    Json::Value ToJson() const;
    void FromJson(const Json::Value& root);

    bool operator==(const CKivernSettings& o) const;
    bool operator!=(const CKivernSettings& o) const { return !(*this == o); }

    static std::string FilePath();

private:
    BOOL Read(const std::string& path);

    Json::Value m_unknown;  // the document as read, for members kept as they were
    BOOL m_bUnreadable;
    std::string m_strLoadProblem;
    BOOL m_bSaveFailed = FALSE;  // the last save failed
};
