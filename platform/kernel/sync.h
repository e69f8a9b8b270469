// Locks, events, waits and the per-thread error code, in the shape the serial engine uses them.
//
// A HANDLE names a kernel object of the layer (an event here, a port in comm.h); CloseHandle
// releases any of them. Events are eventfds underneath, so waits can poll them together with
// other descriptors. Error codes are errno values, plus the few Windows codes declared below
// that have no errno twin; FormatMessageA describes them in the C locale's ASCII words.
#pragma once
#include <mutex>

#include "platform/core/wintypes.h"

// Critical sections: recursive, as the framework's are.
struct CRITICAL_SECTION {
    std::recursive_mutex* pMutex = nullptr;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
void InitializeCriticalSection(LPCRITICAL_SECTION pcs);
void EnterCriticalSection(LPCRITICAL_SECTION pcs);
void LeaveCriticalSection(LPCRITICAL_SECTION pcs);
void DeleteCriticalSection(LPCRITICAL_SECTION pcs);

// Events. Attributes and names are not supported and must be NULL.
HANDLE CreateEvent(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName);
#define CreateEventA CreateEvent
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
BOOL CloseHandle(HANDLE hObject);

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// bWaitAll must be FALSE. When several handles are signalled, the lowest index wins.
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds);

// The calling thread's last error code.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#define ERROR_INVALID_HANDLE 9L  // same value as EBADF
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_OPERATION_ABORTED 995L
#define ERROR_IO_PENDING 997L

// FormatMessageA, for system errors only: with FORMAT_MESSAGE_ALLOCATE_BUFFER, lpBuffer is a
// char** that receives a malloc'ed text for LocalFree.
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
DWORD FormatMessageA(DWORD dwFlags, const void* lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     char* lpBuffer, DWORD nSize, void* Arguments);
void* LocalFree(void* hMem);
