// Critical sections, eventfd-backed events, waits, and closing handles.
#include "platform/kernel/sync.h"

#include <errno.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <vector>

#include "platform/kernel/sync_object.h"

BOOL CloseHandle(HANDLE hObject) {
    std::shared_ptr<KernelObject> p = UnregisterKernelObject(hObject);
    if (!p) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    p->OnClose();
    p.reset();  // the object goes once no running call holds it
    return TRUE;
}

// ---- critical sections ----

void InitializeCriticalSection(LPCRITICAL_SECTION pcs) { pcs->pMutex = new std::recursive_mutex; }
void EnterCriticalSection(LPCRITICAL_SECTION pcs) { pcs->pMutex->lock(); }
void LeaveCriticalSection(LPCRITICAL_SECTION pcs) { pcs->pMutex->unlock(); }
void DeleteCriticalSection(LPCRITICAL_SECTION pcs) {
    delete pcs->pMutex;
    pcs->pMutex = nullptr;
}

// ---- events ----

namespace {
class Event : public KernelObject {
public:
    Event(int fd, bool manual) : m_fd(fd), m_manual(manual) {}
    ~Event() override { close(m_fd); }
    int WaitFd() const override { return m_fd; }
    bool Acquire() override {
        if (m_manual) return true;
        uint64_t v;
        return read(m_fd, &v, sizeof v) == (ssize_t)sizeof v;
    }
    void Set() {
        uint64_t one = 1;
        // Fails only when the counter is near its limit, which still reads as signalled.
        (void)!write(m_fd, &one, sizeof one);
    }
    void Reset() {
        uint64_t v;
        (void)!read(m_fd, &v, sizeof v);
    }

private:
    int m_fd;
    bool m_manual;
};
}  // namespace

HANDLE CreateEvent(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
    if (lpEventAttributes || lpName) {
        SetLastError(EINVAL);
        return nullptr;
    }
    int fd = eventfd(bInitialState ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return nullptr;
    }
    return RegisterKernelObject(std::make_shared<Event>(fd, bManualReset != FALSE));
}

BOOL SetEvent(HANDLE hEvent) {
    auto p = LookupKernelObjectAs<Event>(hEvent);
    if (!p) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    p->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
    auto p = LookupKernelObjectAs<Event>(hEvent);
    if (!p) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    p->Reset();
    return TRUE;
}

// ---- waits ----

namespace {
int64_t NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds) {
    if (nCount == 0 || bWaitAll) {
        SetLastError(EINVAL);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<KernelObject>> objects;
    std::vector<pollfd> fds;
    for (DWORD i = 0; i < nCount; ++i) {
        auto p = LookupKernelObject(lpHandles[i]);
        if (!p || p->WaitFd() < 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        fds.push_back(pollfd{p->WaitFd(), POLLIN, 0});
        objects.push_back(std::move(p));
    }
    const int64_t deadline = dwMilliseconds == INFINITE ? -1 : NowMs() + dwMilliseconds;
    for (;;) {
        int timeout = -1;
        if (deadline >= 0) timeout = (int)std::max<int64_t>(0, deadline - NowMs());
        int n = poll(fds.data(), fds.size(), timeout);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(ErrorFromErrno(errno));
            return WAIT_FAILED;
        }
        // In handle order, so the first handle wins when several are signalled.
        for (DWORD i = 0; i < nCount; ++i) {
            if ((fds[i].revents & POLLIN) && objects[i]->Acquire()) return WAIT_OBJECT_0 + i;
        }
        if (n == 0 && deadline >= 0 && NowMs() >= deadline) return WAIT_TIMEOUT;
    }
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}
