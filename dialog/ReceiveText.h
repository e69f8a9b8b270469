// CReceiveText: the path from received bytes to the receive text and on to the live log.
// Bytes go onto the text as the display shows them (hex pairs or raw text), sent bytes are
// echoed on lines of their own, and with a display limit the text drops its oldest part.
// Everything appended here is handed to the live log at once. The text itself is the
// dialog's (the receive display shows it); owned by the dialog, which also writes the time
// stamps into the text before the bytes they open.
#pragma once
#include <functional>

#include "dialog/RxRows.h"
#include "options/DisplaySettings.h"
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
    // A line end after silence (the auto-wrap tick). With line stamps or hex rows, only where a
    // line is open: it ends a row block instead of leaving an empty line.
    void AppendLineEnd();

    // Line stamps and hex rows, from the options (their defaults: neither, the plain flow).
    // An open row block ends when rows are turned off.
    void SetLayout(const CDisplaySettings& display);
    // Where line stamps get the time of day ("[yyyy/mm/dd hh:mm:ss.mmm] ").
    void SetStampSource(std::function<CString()> fnStamp) { m_fnStamp = std::move(fnStamp); }
    BOOL LineStamps() const { return m_layout.m_bLineStamps; }
    // The stamp for a line starting now (with the delta when asked): for an echoed line.
    CString LineStamp();
    // Received bytes as the layout shows them: each line that starts in them stamped (a line
    // ends after a 0x0A byte, in hex display too), hex in rows of the chosen width. Falls back
    // to Append when neither is on.
    void AppendLaidOut(const unsigned char* pBytes, INT_PTR nCount, BOOL bHex);
    // A burst stamp ahead of the bytes it opens. bLineStart: received data starts a line
    // anyway (an echo line was just ended). In hex rows the stamp ends the open row block and
    // sits on a line of its own above the next.
    void AppendStamp(const CString& strStamp, bool bLineStart, BOOL bHex);
    // A silence in hex rows: the open row block ends (TRUE when one did).
    BOOL EndHexBlock();
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
    void StartStampedLine(bool bRows, CString& strLater);
    const CString& DeliveryStamp(CString& strLater);
    void AppendStampLine(const CString& strStamp);
    bool AtLineStart() const;

    CString* m_pText;
    CLiveLog* m_pLiveLog;
    // Sent bytes were echoed and the line they are on is still open.
    bool m_bEchoOpen = false;
    CDisplaySettings m_layout;
    std::function<CString()> m_fnStamp;
    CLineStamps m_stamps;
    CString m_strFirstStamp;  // the stamp of a delivery's first line
    CHexRows m_hexRows;
    bool m_bLineOpen = false;   // line stamps: a received line began and has not ended
    bool m_bRowsInUse = false;  // the last received bytes went into hex rows
};
