// Threads over std::thread. AfxEndThread unwinds to the thread's entry by a private exception,
// so destructors on the thread's stack run.
#include "platform/kernel/thread.h"

#include <errno.h>

#include <system_error>
#include <thread>

#include "platform/core/syserr.h"

namespace {
struct ThreadExit {
    UINT code;
};

void RunThread(CWinThread* pThread) {
    try {
        pThread->m_pfnThreadProc(pThread->m_pThreadParams);
    } catch (const ThreadExit&) {
    }
    if (pThread->m_bAutoDelete) delete pThread;
}
}  // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int, UINT, DWORD, void*) {
    auto* pThread = new CWinThread(pfnThreadProc, pParam);
    try {
        std::thread(RunThread, pThread).detach();
    } catch (const std::system_error& e) {
        delete pThread;
        SetLastError(ErrorFromErrno(e.code().value() ? e.code().value() : EAGAIN));
        return nullptr;
    }
    return pThread;
}

void AfxEndThread(UINT nExitCode, BOOL) { throw ThreadExit{nExitCode}; }
