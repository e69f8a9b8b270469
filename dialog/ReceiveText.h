// CReceiveText: the path from received bytes to the receive text and on to the live log.
// Bytes go onto the text as the display shows them (hex pairs or raw text), sent bytes are
// echoed on lines of their own, and with a display limit the text drops its oldest part.
// Everything appended here is handed to the live log at once. The text itself is the
// dialog's (the receive display shows it); owned by the dialog, which also writes the time
// stamps into the text before the bytes they open.
#pragma once
#include "platform/afx.h"

class CLiveLog;

class CReceiveText {
public:
    CReceiveText(CString* pText, CLiveLog* pLiveLog) : m_pText(pText), m_pLiveLog(pLiveLog) {}

    // Received data is coming: TRUE when an echo line was open, which is now ended, so that
    // the data starts on a line of its own.
    bool EndEcho();
    // Bytes as the display mode shows them: "%02X " each (bHex), or raw text, where a 0x00
    // is not shown but the bytes after it in the same delivery are.
    void Append(const unsigned char* pBytes, INT_PTR nCount, BOOL bHex);
    // A line end after silence (the auto-wrap tick).
    void AppendLineEnd();
    // Sent bytes on a line of their own, after strStamp (empty: none), marked "TX> " so that
    // a reader can tell them from received data.
    void Echo(const CString& bytes, BOOL bHex, const CString& strStamp);
    // A signal sent (a BREAK, a reset pulse), told in words on an echo line of its own.
    void EchoNote(const CString& strNote, const CString& strStamp);
    // With a limit (MiB, 0: none), once the text passes it by an eighth it drops its oldest
    // part back to the limit, starting at a line start where one is near; the live log has
    // what was dropped. TRUE when the text was cut.
    BOOL Limit(int nLimitMiB);
    // Empties the text; the live log goes on past it.
    void Clear();

private:
    void AppendShown(const unsigned char* pBytes, INT_PTR nCount, BOOL bHex);
    void StartEchoLine(const CString& strStamp);

    CString* m_pText;
    CLiveLog* m_pLiveLog;
    // Sent bytes were echoed and the line they are on is still open.
    bool m_bEchoOpen = false;
};
