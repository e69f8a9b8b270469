#include "platform/comm/comm_release.h"

#include <signal.h>
#include <sys/ioctl.h>

#include <atomic>
#include <mutex>

#include "platform/files/append_writer.h"

namespace {
// A fixed table the signal handler can walk without locks: a slot's settings are written
// before its descriptor is published, and the descriptor is withdrawn before the slot is
// reused.
struct Slot {
    std::atomic<int> fd{-1};
    CommTermios found;
};
constexpr int kSlots = 64;
// How long the end waits for the logs' writers, at most.
constexpr DWORD kLogTailMs = 2000;
Slot g_slots[kSlots];
std::mutex g_slotsMutex;  // between openings and closings; the handler does not take it

void ReleaseAndEnd(int sig) {
    for (Slot& s : g_slots) {
        int fd = s.fd.load(std::memory_order_acquire);
        if (fd < 0) continue;
        CommSetTermios(fd, s.found);
        ioctl(fd, TIOCNXCL);
    }
    // What a live log's writer still holds reaches its file before the process ends.
    CAppendWriter::WriteAllOnSignal(kLogTailMs);
    signal(sig, SIG_DFL);
    raise(sig);
}
}  // namespace

void InstallCommReleaseOnSignals() {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction sa = {};
        sa.sa_handler = ReleaseAndEnd;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND;
        sigaction(sig, &sa, nullptr);
    }
}

void CommNoteOpened(int fd, const CommTermios& found) {
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    for (Slot& s : g_slots) {
        if (s.fd.load(std::memory_order_relaxed) >= 0) continue;
        s.found = found;
        s.fd.store(fd, std::memory_order_release);
        return;
    }
}

void CommNoteClosed(int fd) {
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    for (Slot& s : g_slots)
        if (s.fd.load(std::memory_order_relaxed) == fd) s.fd.store(-1, std::memory_order_release);
}
