// Locks, events, waits and the per-thread error code, in the shape the serial engine uses them.
//
// A HANDLE names a kernel object of the layer (an event here, a port in comm.h); CloseHandle
// releases any of them. Events are eventfds underneath, so waits can poll them together with
// other descriptors. Failures set the thread's last error (syserr.h).
#pragma once
#include <mutex>

#include "platform/core/syserr.h"
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
