// udev monitor + inotify on the ports folder, debounced, then a port-set diff.
#include "platform/app/devnotify.h"

#include <errno.h>
#include <libudev.h>
#include <poll.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/app/app_hooks.h"
#include "platform/comm/comm_hooks.h"
#include "platform/core/hook.h"
#include "platform/ports/portmap.h"
#include "platform/ui/window.h"

namespace {
constexpr int kQuietMs = 250;
constexpr int kMaxBurstMs = 2000;

std::mutex g_mutex;  // guards the state below
std::thread g_thread;
int g_stopFd = -1;
int g_lostFd = -1;  // eventfd: an open port's device went away
Hook<void(WPARAM)> g_hook;

std::map<unsigned, std::string> Snapshot() {
    std::map<unsigned, std::string> m;
    for (const PortInfo& p : ScanPorts()) m[p.number] = p.devNode + "|" + p.identity;
    return m;
}

void Notify(WPARAM type) {
    if (auto hook = g_hook.Get()) hook(type);
    BroadcastToTopLevelWindows(WM_DEVICECHANGE, type, 0);
}

// Watches the ports folder, creating it if needed; -1 when inotify is not available.
int WatchPortsDir(int& wd) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return -1;
    std::string dir = PortMapPortsDir();
    for (size_t i = 1; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0700);
    wd = inotify_add_watch(fd, dir.c_str(),
                           IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                               IN_DELETE_SELF | IN_MOVE_SELF);
    return fd;
}

// Reads the queued inotify events; true if the watched folder itself went away.
bool DrainWatch(int fd) {
    alignas(inotify_event) char buf[4096];
    bool lostFolder = false;
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
        for (char* p = buf; p < buf + n;) {
            auto* e = (inotify_event*)p;
            if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) lostFolder = true;
            p += sizeof(inotify_event) + e->len;
        }
    }
    return lostFolder;
}

int64_t NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

struct Watch {
    udev* u = nullptr;
    udev_monitor* mon = nullptr;
    int inFd = -1;
    int wd = -1;
    std::map<unsigned, std::string> ports;
};

// Sets the watches up, then takes the first snapshot, so no change falls in between.
Watch* OpenWatch() {
    auto* w = new Watch;
    w->u = udev_new();
    w->mon = w->u ? udev_monitor_new_from_netlink(w->u, "udev") : nullptr;
    if (w->mon && (udev_monitor_filter_add_match_subsystem_devtype(w->mon, "tty", nullptr) < 0 ||
                   udev_monitor_enable_receiving(w->mon) < 0)) {
        udev_monitor_unref(w->mon);
        w->mon = nullptr;
    }
    w->inFd = WatchPortsDir(w->wd);
    w->ports = Snapshot();
    return w;
}

// The thread's one poll loop, with its quiet-period bookkeeping, read best as a whole.
void Run(int stopFd, int lostFd, Watch* w) {
    udev* u = w->u;
    udev_monitor* mon = w->mon;
    int wd = w->wd;
    int inFd = w->inFd;
    std::map<unsigned, std::string> ports = std::move(w->ports);
    delete w;

    bool pending = false, sawAdd = false, sawRemove = false;
    int64_t burstStart = 0;
    for (;;) {
        int timeout = -1;
        if (pending)
            timeout = (int)std::max<int64_t>(
                0, std::min<int64_t>(kQuietMs, burstStart + kMaxBurstMs - NowMs()));
        pollfd fds[4] = {{stopFd, POLLIN, 0},
                         {inFd, POLLIN, 0},
                         {mon ? udev_monitor_get_fd(mon) : -1, POLLIN, 0},
                         {lostFd, POLLIN, 0}};
        int n = poll(fds, 4, timeout);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || fds[0].revents) break;
        if (n > 0) {
            if (fds[1].revents && DrainWatch(inFd)) {
                // The folder was removed or replaced: watch the new one.
                close(inFd);
                inFd = WatchPortsDir(wd);
            }
            if (mon && fds[2].revents) {
                while (udev_device* d = udev_monitor_receive_device(mon)) {
                    const char* action = udev_device_get_action(d);
                    if (action && !strcmp(action, "add")) sawAdd = true;
                    if (action && !strcmp(action, "remove")) sawRemove = true;
                    udev_device_unref(d);
                }
            }
            if (fds[3].revents) {
                uint64_t count;
                (void)!read(lostFd, &count, sizeof count);
                sawRemove = true;
            }
            if (!pending) burstStart = NowMs();
            pending = true;
            // A steady stream of events still ends its burst after kMaxBurstMs.
            if (NowMs() - burstStart < kMaxBurstMs) continue;
        }
        if (!pending) continue;
        // Quiet for a while (or a long burst): compare the port set.
        pending = false;
        std::map<unsigned, std::string> now = Snapshot();
        bool added = sawAdd, removed = sawRemove;
        for (const auto& kv : now) {
            auto it = ports.find(kv.first);
            if (it == ports.end())
                added = true;
            else if (it->second != kv.second)
                added = removed = true;
        }
        for (const auto& kv : ports)
            if (!now.count(kv.first)) removed = true;
        ports = std::move(now);
        sawAdd = sawRemove = false;
        if (removed) Notify(DBT_DEVICEREMOVECOMPLETE);
        if (added) Notify(DBT_DEVICEARRIVAL);
    }
    if (inFd >= 0) close(inFd);
    if (mon) udev_monitor_unref(mon);
    if (u) udev_unref(u);
}
}  // namespace

void StartDeviceNotifications() {
    SetCommDeviceLostHandler(NoteDeviceLost);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_thread.joinable()) return;
    g_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    g_lostFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (g_stopFd < 0 || g_lostFd < 0) {
        if (g_stopFd >= 0) close(g_stopFd);
        if (g_lostFd >= 0) close(g_lostFd);
        g_stopFd = g_lostFd = -1;
        return;
    }
    g_thread = std::thread(Run, g_stopFd, g_lostFd, OpenWatch());
}

void StopDeviceNotifications() {
    std::thread t;
    int fd, lostFd;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_thread.joinable()) return;
        t = std::move(g_thread);
        fd = g_stopFd;
        lostFd = g_lostFd;
        g_stopFd = g_lostFd = -1;
    }
    uint64_t one = 1;
    (void)!write(fd, &one, sizeof one);
    t.join();
    close(fd);
    close(lostFd);
}

void NoteDeviceLost() {
    std::lock_guard<std::mutex> lock(g_mutex);
    uint64_t one = 1;
    if (g_lostFd >= 0) (void)!write(g_lostFd, &one, sizeof one);
}

void SetDeviceChangeHook(std::function<void(WPARAM)> hook) { g_hook.Install(std::move(hook)); }
