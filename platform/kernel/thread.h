// Worker threads in the framework's shape: AfxBeginThread starts a thread that runs a plain
// function; the thread ends when the function returns or calls AfxEndThread, and its
// CWinThread object is deleted then (m_bAutoDelete).
#pragma once
#include "platform/core/wintypes.h"

typedef UINT (*AFX_THREADPROC)(LPVOID);

#define THREAD_PRIORITY_NORMAL 0

class CWinThread {
public:
    CWinThread(AFX_THREADPROC pfn, LPVOID pParam) : m_pfnThreadProc(pfn), m_pThreadParams(pParam) {}
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
    BOOL m_bAutoDelete = TRUE;
};

// nPriority, nStackSize (0: the default), dwCreateFlags (0 only) and the security attributes
// are accepted for the framework's signature; the thread runs at normal priority.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, void* lpSecurityAttrs = nullptr);
// Ends the calling thread, which must have been started by AfxBeginThread. Objects on its
// stack are destroyed on the way out.
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
