// The per-thread error code and the descriptions of codes.
#include "platform/core/syserr.h"

#include <errno.h>
#include <string.h>

#include <algorithm>
#include <cstdlib>

namespace {
thread_local DWORD t_lastError = 0;

// Texts of the codes that are no errno value; every other code is described by the system.
struct CodeText {
    DWORD code;
    const char* text;
};
constexpr CodeText kOwnTexts[] = {
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_OPERATION_ABORTED, "The operation was aborted."},
    {ERROR_IO_PENDING, "Overlapped I/O operation is in progress."},
};
}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

DWORD ErrorFromErrno(int nErrno) { return nErrno > 0 ? (DWORD)nErrno : (DWORD)EIO; }

BOOL kvimpl::Fail(DWORD dwErrCode) {
    SetLastError(dwErrCode);
    return FALSE;
}

DWORD FormatMessageA(DWORD dwFlags, const void*, DWORD dwMessageId, DWORD, char* lpBuffer,
                     DWORD nSize, void*) {
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM)) {
        SetLastError(EINVAL);
        return 0;
    }
    char buf[256];
    const char* text = nullptr;
    for (const CodeText& own : kOwnTexts) {
        if (own.code == dwMessageId) text = own.text;
    }
    if (!text) text = strerror_r((int)dwMessageId, buf, sizeof buf);
    size_t len = strlen(text);
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        char* p = (char*)malloc(len + 1);
        if (!p) return 0;
        memcpy(p, text, len + 1);
        *(char**)lpBuffer = p;
        return (DWORD)len;
    }
    if (nSize == 0) return 0;
    len = std::min<size_t>(len, nSize - 1);
    memcpy(lpBuffer, text, len);
    lpBuffer[len] = 0;
    return (DWORD)len;
}

void* LocalFree(void* hMem) {
    free(hMem);
    return nullptr;
}
