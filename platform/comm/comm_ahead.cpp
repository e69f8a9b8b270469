// Network ports connected ahead of their opening: the worker's side, and the kept outcomes
// that CreateFileA takes.
#include "platform/comm/comm_ahead.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/comm/comm_port.h"
#include "platform/comm/comm_time.h"
#include "platform/core/syserr.h"
#include "platform/ports/neturl.h"

namespace {
// An outcome not taken within this time is stale: the opening it was meant for went elsewhere.
constexpr int64_t kKeptMs = 10000;

struct Kept {
    std::shared_ptr<CommPort> port;  // nullptr: the opening fails with error
    DWORD error = 0;
    int64_t at = 0;
};
std::mutex g_keptMutex;
std::map<std::string, Kept> g_kept;

// Replaces what is kept for url; the port it replaces is closed outside the lock.
void Keep(const std::string& url, Kept kept) {
    std::lock_guard<std::mutex> lock(g_keptMutex);
    std::swap(g_kept[url], kept);
}

// Writes to wakeFd once cancelFd polls readable, until doneFd does.
void Watch(int cancelFd, int doneFd, int wakeFd, std::atomic<bool>& cancelled) {
    pollfd fds[2] = {{cancelFd, POLLIN, 0}, {doneFd, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0 && errno == EINTR) {
    }
    if (fds[0].revents && !fds[1].revents) {
        cancelled = true;
        uint64_t one = 1;
        (void)!write(wakeFd, &one, sizeof one);
    }
}
}  // namespace

DWORD ConnectNetworkPortAhead(LPCSTR lpUrl, const std::function<BOOL(DCB&)>& compose,
                              HANDLE hCancel, DWORD* pdwSettingsError) {
    if (pdwSettingsError) *pdwSettingsError = 0;
    auto cancel = LookupKernelObject(hCancel);  // held: its descriptor stays open meanwhile
    if (!lpUrl || !cancel || cancel->WaitFd() < 0) return ERROR_INVALID_HANDLE;
    if (!LooksLikeNetPortUrl(lpUrl)) return ERROR_INVALID_PARAMETER;  // network ports only
    const std::string url = lpUrl;
    // The watcher writes to wakeFd; the port gets a copy of its own, so that the two close
    // independently.
    const int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int doneFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int portWakeFd = wakeFd < 0 ? -1 : fcntl(wakeFd, F_DUPFD_CLOEXEC, 0);
    if (wakeFd < 0 || doneFd < 0 || portWakeFd < 0) {
        const DWORD err = ErrorFromErrno(errno);
        for (int fd : {wakeFd, doneFd, portWakeFd})
            if (fd >= 0) close(fd);
        return err;
    }
    std::atomic<bool> cancelled{false};
    std::thread watcher(Watch, cancel->WaitFd(), doneFd, wakeFd, std::ref(cancelled));

    std::shared_ptr<CommPort> port = CommPort::Open(url, portWakeFd);
    DWORD error = port ? 0 : ErrorFromErrno(errno);
    DWORD settings = 0;
    DCB dcb;
    if (port && compose && port->GetState(dcb) == 0 && compose(dcb))
        settings = port->SetStateAhead(dcb);
    // The server hung up meanwhile.
    if (port && port->IsLost()) error = ErrorFromErrno(ECONNRESET);

    uint64_t one = 1;
    (void)!write(doneFd, &one, sizeof one);
    watcher.join();
    close(wakeFd);
    close(doneFd);
    if (cancelled) return ERROR_OPERATION_ABORTED;  // the port, if any, closes here
    if (error) port.reset();
    if (pdwSettingsError) *pdwSettingsError = settings;
    Keep(url, Kept{port, error, CommNowMs()});
    return error;
}

void DiscardNetworkPortAhead(LPCSTR lpUrl) {
    if (!lpUrl) return;
    Kept dropped;
    std::lock_guard<std::mutex> lock(g_keptMutex);
    auto it = g_kept.find(lpUrl);
    if (it == g_kept.end()) return;
    dropped = std::move(it->second);
    g_kept.erase(it);
}

bool TakeNetworkPortAhead(const std::string& url, std::shared_ptr<CommPort>& port, DWORD& error) {
    Kept kept;
    {
        std::lock_guard<std::mutex> lock(g_keptMutex);
        auto it = g_kept.find(url);
        if (it == g_kept.end()) return false;
        kept = std::move(it->second);
        g_kept.erase(it);
    }
    if (CommNowMs() - kept.at > kKeptMs) return false;
    port = kept.port;
    error = kept.error;
    return true;
}
