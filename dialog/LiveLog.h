// CLiveLog: the live log. Every piece of the receive text is appended to a file as it
// arrives, by a writer thread of its own (CAppendWriter), so that the display never waits on
// the disk. The options of the settings say whether it runs and which file it writes; a file
// the options do not name yet is asked for, and kept in them. Owned by the dialog; the receive
// text's path (CReceiveText) tells it when the text grew or lost its start.
#pragma once
#include <string>

#include "platform/afx.h"

// The live log's writer failed (posted from its thread).
#define UM_LIVE_LOG_ERROR (WM_USER + 30)
// The live log of the options starts once the window is up (posted at start).
#define UM_LIVE_LOG_START (WM_USER + 32)

class CKivernSettings;

// A file name from the local time, log_YYYYMMDDhhmmssmmm.txt.
CString TimeLogName();

class CLiveLog {
public:
    // pText: the receive text; pSettings: the options, which starting and stopping update;
    // pOwner: the window its questions and its writer's failure go to.
    CLiveLog(const CString* pText, CKivernSettings* pSettings, CWnd* pOwner)
        : m_pText(pText), m_pSettings(pSettings), m_pOwner(pOwner) {}

    // A file is open and its writer has not failed.
    BOOL IsLogging() const { return m_writer.IsOpen() && !m_writer.GetError(); }
    // Makes the writer match the options: started, stopped, or moved to another file. Options
    // that picking a file completed, or a failure turned off, are saved.
    void Apply();
    // The context menu's entry: logging on with the current options, or off; saved.
    void Toggle();
    // The receive text that grew since the last call goes to the writer.
    void Log();
    // The receive text lost its first nCount units (cut, or cleared), all of them logged.
    void Dropped(INT_PTR nCount) { m_nLogged -= nCount; }
    // UM_LIVE_LOG_ERROR came: the writer stopped on a failed write. Logging ends and the
    // option goes off (saved); returns the errno, 0 when the writer was closed since.
    int OnWriterFailed();
    // The cause of a failure as the status line says it.
    static CString DescribeFailure(int err);
    // Waits until every byte handed over is written (INFINITE: no limit).
    BOOL WaitWritten(DWORD dwMilliseconds) { return m_writer.WaitWritten(dwMilliseconds); }

private:
    BOOL Start();
    void Stop();
    std::string OptionsKey() const;

    const CString* m_pText;
    CKivernSettings* m_pSettings;
    CWnd* m_pOwner;
    CAppendWriter m_writer;
    INT_PTR m_nLogged = 0;     // how much of the receive text the writer was handed
    std::string m_strStarted;  // the options it was started with
};
