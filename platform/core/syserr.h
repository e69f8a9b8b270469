// System error codes: what GetLastError, the registry calls and OVERLAPPED::Internal carry,
// and how they are described.
//
// The layer's codes are errno values. The table below names the ones callers tell apart, and
// adds the few framework codes that have no errno twin; their texts are the framework's own.
// Every failure the layer reports from a system call goes through ErrorFromErrno, and every
// description through FormatMessageA.
#pragma once
#include "platform/core/wintypes.h"

#define ERROR_SUCCESS 0L
#define ERROR_OPERATION_NOT_PERMITTED 1L  // EPERM
#define ERROR_FILE_NOT_FOUND 2L           // ENOENT
#define ERROR_DEVICE_NOT_CONNECTED 6L     // ENXIO: the device behind the node has gone
#define ERROR_INVALID_HANDLE 9L           // EBADF
#define ERROR_PERMISSION_DENIED 13L       // EACCES: no access to the device (not in its group)
#define ERROR_BUSY 16L                    // EBUSY: another program holds the port
#define ERROR_NO_SUCH_DEVICE 19L          // ENODEV
// Codes without an errno twin.
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_OPERATION_ABORTED 995L
#define ERROR_IO_PENDING 997L

// The calling thread's last error code.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// The code for an errno value a system call left; 0 (a failure the system gave no reason
// for) becomes EIO, so that a failure never reads as success.
DWORD ErrorFromErrno(int nErrno);

// FormatMessageA, for system errors only: with FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is a
// char** that receives a malloc'ed text for LocalFree. Texts are the C locale's ASCII words.
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
DWORD FormatMessageA(DWORD dwFlags, const void* lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     char* lpBuffer, DWORD nSize, void* Arguments);
void* LocalFree(void* hMem);

namespace kvimpl {
// Sets the calling thread's last error and returns FALSE: the layer's calls end with it.
BOOL Fail(DWORD dwErrCode);
}  // namespace kvimpl
